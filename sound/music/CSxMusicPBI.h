#pragma once
// One clip of one music track playing: an instance like any other for the voices, that tells
// the segment context which made it when it ends, so the context never holds a stale one.
#include "sound/engine/upper/CSxPBI.h"

namespace SX {

class CSxSegmentCtx;

class CSxMusicPBI : public CSxPBI {
public:
    CSxMusicPBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params, const SxPriorityParams& priority,
                CSxSegmentCtx* parent);

    void Term(bool initFailed) override;
    // The context let go of the instance (it stops or is destroyed before the instance ends).
    void Detach() { m_parent = nullptr; }

    // While a segment context starts a clip through the upper renderer, the track makes a music
    // instance for it, begun startPosition samples into its source. Audio thread only.
    struct Creation {
        CSxSegmentCtx* parent = nullptr;
        uint32_t startPosition = 0;
        CSxMusicPBI* made = nullptr;
    };
    static Creation* s_creation;

private:
    CSxSegmentCtx* m_parent;
};

}  // namespace SX
