#include <algorithm>
#include <cmath>
#include <mutex>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/lower/SxDecibels.h"

namespace SX {

float g_fVolumeThreshold = 1.0f / 65536.0f;
float g_fVolumeThresholdDB = -96.3f;
std::atomic<uint16_t> g_u16MaxNumVoices{kDefaultMaxNumVoices};

namespace SoundEngine {

namespace {
constexpr uint32_t kDefaultLevel = 3;
// The game thread and the bank thread both set these; the owner check and the store go together.
std::mutex g_settingsLock;
uint32_t g_thresholdOwner = kDefaultLevel;
uint32_t g_voiceLimitOwner = kDefaultLevel;
}  // namespace

void ResetSettingOwners() {
    std::lock_guard<std::mutex> lock(g_settingsLock);
    g_thresholdOwner = kDefaultLevel;
    g_voiceLimitOwner = kDefaultLevel;
}

SXRESULT SetVolumeThreshold(float db) { return SetVolumeThresholdInternal(db, 0); }

SXRESULT SetVolumeThresholdInternal(float db, uint32_t level) {
    if (!(db >= -96.3f && db <= 0.0f)) return SX_InvalidParameter;
    std::lock_guard<std::mutex> lock(g_settingsLock);
    if (level > g_thresholdOwner) return SX_Success;
    g_thresholdOwner = level;
    g_fVolumeThresholdDB = db;
    g_fVolumeThreshold = std::max(std::pow(10.0f, db * 0.05f), SxMath::DbToLinear(db));
    return SX_Success;
}

SXRESULT SetMaxNumVoicesLimit(uint16_t count) { return SetMaxNumVoicesLimitInternal(count, 0); }

SXRESULT SetMaxNumVoicesLimitInternal(uint16_t count, uint32_t level) {
    if (count == 0) return SX_InvalidParameter;
    std::lock_guard<std::mutex> lock(g_settingsLock);
    if (level > g_voiceLimitOwner) return SX_Success;
    g_voiceLimitOwner = level;
    g_u16MaxNumVoices = count;
    return SX_Success;
}

}  // namespace SoundEngine
}  // namespace SX
