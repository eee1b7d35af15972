#include "sound/engine/dialogue/CSxDynamicSequencePBI.h"

#include "sound/engine/dialogue/CSxDynamicSequence.h"

namespace SX {

CSxDynamicSequencePBI::CSxDynamicSequencePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                                             const SxPriorityParams& priority, CSxDynamicSequence& sequence)
    : CSxContinuousPBI(node, source, params, priority), m_sequence(&sequence) {
    m_sequence->AddRef();
    m_sequence->ItemInstanceStarted();
}

CSxDynamicSequencePBI::~CSxDynamicSequencePBI() {
    if (m_sequence) m_sequence->Release();
}

void CSxDynamicSequencePBI::Term(bool initFailed) {
    CSxContinuousPBI::Term(initFailed);
    CSxDynamicSequence* sequence = m_sequence;
    m_sequence = nullptr;
    sequence->ItemInstanceEnded(initFailed);
    sequence->Release();
}

}  // namespace SX
