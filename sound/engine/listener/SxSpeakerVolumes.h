#pragma once
// The speaker volumes of a voice: for each of its input channels, the gain in each output
// speaker, from the listeners and the emitter's positions (or from its pan position when it
// is not positioned). Terms are summed in dB, the loudest listener and position is kept, and
// the result becomes linear once at the end.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxConversionTable;
class CSxRegisteredObj;

// What a voice's attenuation gives: curves over distance (null: none) and the cone.
struct SxAttenuationParams {
    const CSxConversionTable* dryVolume = nullptr;  // dB
    const CSxConversionTable* auxVolume = nullptr;  // dB; the dry curve's value when the same
    const CSxConversionTable* lowPass = nullptr;    // 0 to 100
    const CSxConversionTable* spread = nullptr;     // percent
    bool coneEnabled = false;
    float coneInside = 0.0f;          // radians
    float coneOutside = 0.0f;         // radians
    float coneOutsideVolume = 0.0f;   // dB at and beyond the outside angle
    float coneOutsideLowPass = 0.0f;  // low-pass value (0 to 100) at and beyond it
};

struct SxVoiceVolumeParams {
    uint32_t channelMask = 4;
    float volumeDb = 0.0f;  // the instance's volume, capped at 0
    float lfeDb = 0.0f;
    bool hasLfe = false;
    bool feedsEnvironmental = false;
    // Positioned voices: 3D positioning type (1, 2 or 3) and its flags (bit 4: cone for type 2).
    bool positioned = false;
    uint32_t positioningType = 0;
    uint32_t positioningFlags = 0;
    const SxAttenuationParams* attenuation = nullptr;
    const CSxRegisteredObj* gameObject = nullptr;  // positions, listeners, obstruction, dry level
    // A sound on a position path is heard where the path has taken it, in place of its game
    // object's positions.
    bool onPath = false;
    SxSoundPosition pathPosition{{0, 0, 0}, {0, 0, -1}};
    // Voices that are not positioned.
    float pan = 0.5f;        // left-right, 0 to 1
    float frontRear = 1.0f;  // 1 front
    bool panningEnabled = false;
    float centre = 0.0f;  // 0 to 1
};

struct SxVoiceVolumes {
    static constexpr uint32_t kMaxChannels = 6;
    uint32_t channels = 0;
    float dry[kMaxChannels][8] = {};  // linear, speaker order L, R, C, SL, SR, LFE
    float wet[kMaxChannels][8] = {};
    bool inaudible = false;
    float distance = 0.0f;     // to the nearest listener
    float coneLowPass = 0.0f;  // smallest cone factor over listeners, 0 to 1
    // Low-pass values (0 to 100) of a positioned voice's paths: at each listener and position
    // the strongest of the attenuation's low-pass, the cone's, obstruction's and occlusion's;
    // the clearest listener and position wins. The cone and obstruction shape the direct path
    // only, so the send path (the environments' reverb reaching the listener around the
    // obstacle) leaves them out, as its volume does.
    float dryLowPass = 0.0f;
    float wetLowPass = 0.0f;
};

// Computes the voice's volumes for this frame from the listeners of the lower engine.
void SxComputeSpeakerVolumes(const SxVoiceVolumeParams& params, SxVoiceVolumes& out);

// Hands the volumes to the game's speaker-volume callback of the playing ID, when it asked for
// one; the callback may change them before they are mixed. The wet volumes go with them when
// the voice feeds environmental nodes.
void SxNotifySpeakerVolumes(SxPlayingID playingID, SxVoiceVolumes& volumes, bool feedsEnvironmental);

}  // namespace SX
