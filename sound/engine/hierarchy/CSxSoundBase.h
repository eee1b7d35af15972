#pragma once
// The leaf layer of the tree: keeps the node's playback instances and passes every change of
// the node's values on to them.
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"

namespace SX {

class CSxSoundBase : public CSxParameterNodeBase {
public:
    using CSxParameterNodeBase::CSxParameterNodeBase;

    // Instances link themselves in at construction and out at termination.
    void AddInstance(CSxPBI* instance);
    void RemoveInstance(CSxPBI* instance);
    CSxPBI* FirstInstance() const { return m_instances; }
    static CSxPBI* NextInstance(const CSxPBI* instance);

    // The instances of a game object (null: all) take a keyed volume factor.
    void SetVolumeModifier(float factor, CSxRegisteredObj* gameObj, const void* key, bool exclusive);
    void SetGlobalVolumeModifier(float factor, const void* key) { SetVolumeModifier(factor, nullptr, key, false); }

    // Every instance recomputes its parameters at its next refresh.
    void RecalcNotification() override;

protected:
    // Where an action on the node begins: an action for every object also holds or releases the
    // node's own state transitions. True, with the result, when that settles the action: the
    // node plays nothing, or the action stops, pauses or resumes (through the renderer).
    bool BeginAction(const SxActionParams& params, SXRESULT& result);

private:
    CSxPBI* m_instances = nullptr;
};

}  // namespace SX
