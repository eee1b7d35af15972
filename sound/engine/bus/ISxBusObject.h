#pragma once
// What the mix nodes need of the bus hierarchy and of its effects. The hierarchy's buses and
// effect share sets implement these; the lower engine holds a bus through a BusHandle.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxRegisteredObj;
class ISxPluginParam;

// An effect object of the hierarchy (a share set or a custom effect).
class ISxEffectObject {
public:
    // The plug-in key of the effect (see SxPluginKey).
    virtual uint32_t FxID() const = 0;
    // The parameter block the plug-in's parameter object is initialised with.
    virtual const void* ParamsBlock(uint32_t& size) const = 0;
    // Media ID of a data index; -1 for none.
    virtual int32_t MediaID(uint32_t dataIndex) const = 0;
    // Subscribes a parameter object made from this effect to the effect's game-parameter
    // curves (a null game object: the global values).
    virtual void SubscribeRTPC(ISxPluginParam* params, CSxRegisteredObj* gameObject) = 0;

protected:
    ~ISxEffectObject() = default;
};

// The effect of one insert slot, valid for the duration of the call that answered it.
struct SxFxSlotInfo {
    ISxEffectObject* effect = nullptr;
    bool bypass = false;
};

class ISxBusObject {
public:
    static constexpr uint32_t kActivityMixNode = 3;

    virtual SxUniqueID BusID() const = 0;
    virtual ISxBusObject* ParentBus() const = 0;
    virtual float VolumeDb() const = 0;
    virtual float LfeDb() const = 0;
    // 0 when the bus gives none.
    virtual uint32_t ChannelMask() const = 0;
    // The bus's voices also feed environmental (auxiliary-send) nodes.
    virtual bool FeedsEnvironmental() const = 0;
    virtual bool HasEffects() const = 0;
    virtual bool BypassAllFx() const = 0;
    virtual SxFxSlotInfo GetFx(uint32_t slot) const = 0;
    virtual void AddRef() = 0;
    virtual void Release() = 0;
    virtual SXRESULT IncrementActivityCount(uint32_t type) = 0;
    virtual void DecrementActivityCount(uint32_t type) = 0;

protected:
    ~ISxBusObject() = default;
};

}  // namespace SX
