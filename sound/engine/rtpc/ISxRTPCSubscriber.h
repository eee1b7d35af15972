#pragma once
// What a game-parameter change reaches: node and bus properties, layers, playback
// instances and plug-in parameter objects.
#include <cstdint>

namespace SX {

class CSxRegisteredObj;

class ISxRTPCSubscriber {
public:
    // Nodes and buses: they have an activity record with a non-zero count. Layers: their
    // container and one of their children play. Others are always reached.
    virtual bool IsActiveForRTPC() const = 0;
    // The property's new value, for one game object or globally (null).
    virtual void SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj* gameObj) = 0;

protected:
    ~ISxRTPCSubscriber() = default;
};

// A switch container (or anything else) that follows the switch of a group.
class ISxSwitchSubscriber {
public:
    virtual void OnSwitchChange(uint32_t switchID, CSxRegisteredObj* gameObj) = 0;

protected:
    ~ISxSwitchSubscriber() = default;
};

}  // namespace SX
