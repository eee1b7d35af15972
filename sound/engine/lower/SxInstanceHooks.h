#pragma once
// What the lower engine reads of and tells a voice's playback instance. The hierarchy that
// owns the instances installs these; a hook left null answers a neutral value or does nothing.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxPBI;
class ISxBusObject;

struct SxInstanceHooks {
    SxPlayingID (*playingID)(const CSxPBI* instance) = nullptr;
    uint16_t (*loopCount)(const CSxPBI* instance) = nullptr;
    // The media ID of (effect slot, data index) from the instance's node; -1 for none.
    int32_t (*fxMediaID)(const CSxPBI* instance, uint32_t slot, uint32_t dataIndex) = nullptr;
    SxUniqueID (*nodeID)(const CSxPBI* instance) = nullptr;
    // The bus the instance is mixed into, when the hierarchy hands its buses down; null: the
    // master bus.
    ISxBusObject* (*outputBus)(const CSxPBI* instance) = nullptr;
    float (*pitchCents)(const CSxPBI* instance) = nullptr;
    // The instance keeps its play position in the position repository.
    bool (*tracksPosition)(const CSxPBI* instance) = nullptr;
    void (*refreshParameters)(CSxPBI* instance) = nullptr;
    void (*notifyStarted)(CSxPBI* instance, float effectiveDurationMs) = nullptr;
    void (*notifyEnded)(CSxPBI* instance, bool flag) = nullptr;
    void (*notifyPaused)(CSxPBI* instance) = nullptr;
    void (*notifyResumed)(CSxPBI* instance, float pitchRatio) = nullptr;
};
extern SxInstanceHooks g_InstanceHooks;

}  // namespace SX
