#include "sound/music/CSxMusicPBI.h"

#include "sound/music/CSxSegmentCtx.h"

namespace SX {

CSxMusicPBI::Creation* CSxMusicPBI::s_creation = nullptr;

CSxMusicPBI::CSxMusicPBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                         const SxPriorityParams& priority, CSxSegmentCtx* parent)
    : CSxPBI(node, source, params, priority), m_parent(parent) {}

void CSxMusicPBI::Term(bool initFailed) {
    if (m_parent) m_parent->OnInstanceGone(this);
    m_parent = nullptr;
    CSxPBI::Term(initFailed);
}

}  // namespace SX
