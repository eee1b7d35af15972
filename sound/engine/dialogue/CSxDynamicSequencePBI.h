#pragma once
// The instance of an item of a dynamic sequence: its end lets the sequence play the next item.
#include "sound/engine/containers/CSxContinuousPBI.h"

namespace SX {

class CSxDynamicSequence;

class CSxDynamicSequencePBI : public CSxContinuousPBI {
public:
    // Counted by the sequence (the request's instigator), which it keeps a reference to.
    CSxDynamicSequencePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                          const SxPriorityParams& priority, CSxDynamicSequence& sequence);
    ~CSxDynamicSequencePBI() override;
    void Term(bool initFailed) override;

private:
    CSxDynamicSequence* m_sequence;
};

}  // namespace SX
