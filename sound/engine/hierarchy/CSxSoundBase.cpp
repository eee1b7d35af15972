#include "sound/engine/hierarchy/CSxSoundBase.h"

#include "sound/engine/upper/CSxPBI.h"

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

}  // namespace SX
