#pragma once
// The two settings records the game hands to SX::SoundEngine::Init, with their defaults.
#include <cstdint>

#include "sound/engine/thread/SxThread.h"

namespace SX {

using SxAssertHook = void (*)(const char* expression, const char* fileName, int line);

// The assert hook of the last Init's settings; this engine never calls it.
extern SxAssertHook g_pAssertHook;
// The last Init's enableGameSyncPreparation: switch containers then load the media of the
// prepared values of their group only.
extern bool g_bGameSyncPreparation;

struct SxInitSettings {
    SxAssertHook assertHook = nullptr;  // kept, never called
    uint32_t maxNumPaths = 255;
    uint32_t maxNumTransitions = 255;
    uint32_t defaultPoolSize = 0x1000000;  // 64 or less means 16 MB
    float defaultMemoryThreshold = 1.0f;
    uint32_t commandQueueSize = 0x40000;  // bytes; the queue holds size / 2048 chunks
    int32_t preparePoolId = -1;           // -1: the default pool
    uint32_t enableGameSyncPreparation = 0;
    uint32_t continuousPlaybackLookAhead = 1;  // audio frames
    uint32_t monitorPoolSize = 0x40000;        // kept and returned
    uint32_t monitorQueuePoolSize = 0x10000;   // kept and returned
};

struct SxPlatformInitSettings {
    uintptr_t window = 0;  // the window the output belongs to
    SxThreadProperties audioThread{1, 0, 8192};
    SxThreadProperties bankThread{0, 0, 8192};
    uint32_t lowerEnginePoolSize = 0x1000000;
    float lowerEngineMemoryThreshold = 1.0f;
    uint16_t numRefillsInVoice = 4;  // output buffers of 1024 frames; below 2 becomes 4
    uint16_t reserved = 0;
    uint32_t sampleRateMode = 0;  // 1: 24000 Hz, else 48000 Hz
    uint32_t channelMask = 0;     // 0: ask the device; else 3 or 63 (others become 3)
    uint32_t globalFocus = 1;     // keep playing without the window's focus
    uint32_t keptA = 1;           // kept and returned
    uint32_t keptB = 0;
    uint32_t keptC = 8192;
};

}  // namespace SX
