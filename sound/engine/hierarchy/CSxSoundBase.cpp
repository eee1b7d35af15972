#include "sound/engine/hierarchy/CSxSoundBase.h"

#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

void CSxSoundBase::AddInstance(CSxPBI* instance) {
    instance->m_prevOfNode = nullptr;
    instance->m_nextOfNode = m_instances;
    if (m_instances) m_instances->m_prevOfNode = instance;
    m_instances = instance;
}

void CSxSoundBase::RemoveInstance(CSxPBI* instance) {
    if (instance->m_prevOfNode)
        instance->m_prevOfNode->m_nextOfNode = instance->m_nextOfNode;
    else if (m_instances == instance)
        m_instances = instance->m_nextOfNode;
    if (instance->m_nextOfNode) instance->m_nextOfNode->m_prevOfNode = instance->m_prevOfNode;
    instance->m_nextOfNode = instance->m_prevOfNode = nullptr;
}

CSxPBI* CSxSoundBase::NextInstance(const CSxPBI* instance) { return instance->m_nextOfNode; }

void CSxSoundBase::SetVolumeModifier(float factor, CSxRegisteredObj* gameObj, const void* key, bool exclusive) {
    for (CSxPBI* instance = m_instances; instance; instance = instance->m_nextOfNode)
        if (!gameObj || instance->GameObj() == gameObj) instance->SetVolumeModifier(factor, key, 0, exclusive);
}

void CSxSoundBase::RecalcNotification() {
    for (CSxPBI* instance = m_instances; instance; instance = instance->m_nextOfNode) instance->InvalidateParameters();
}

bool CSxSoundBase::BeginAction(const SxActionParams& params, SXRESULT& result) {
    if (params.flags[1]) PauseTransitions(params.kind == SxActionKind_Pause);
    result = SX_Success;
    if (!IsPlaying()) return true;
    const SxFadeParams fade{params.transitionMs, params.curve};
    switch (params.kind) {
        case SxActionKind_Stop:
            result = CSxURenderer::Stop(this, params.gameObj, fade, params.playingID);
            return true;
        case SxActionKind_Pause:
            result = CSxURenderer::Pause(this, params.gameObj, fade, params.playingID);
            return true;
        case SxActionKind_Resume:
            result = CSxURenderer::Resume(this, params.gameObj, fade, params.flags[2] != 0, params.playingID);
            return true;
        default:
            return false;
    }
}

}  // namespace SX
