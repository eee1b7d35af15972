#pragma once
// A motion device: what the motion buses mix for one player is handed to it every audio frame,
// and once per frame it sends one result to the hardware.
#include <cstdint>

#include "sound/engine/SxInitSettings.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

class ISxMotionMixBus : public ISxPlugin {
public:
    // deviceData: what the game handed with the device (null for none). Succeeds even when no
    // hardware could be reached.
    virtual SXRESULT Init(ISxPluginMemAlloc* allocator, const SxPlatformInitSettings* settings, int32_t player,
                          void* deviceData) = 0;
    // Mixes audio-derived data (a low-passed copy of audio voices) into the current frame.
    virtual SXRESULT MixAudio(SxAudioBuffer* buffer) = 0;
    // Mixes motion data (two channels of motor drive) into the current frame.
    virtual SXRESULT MixMotion(SxAudioBuffer* buffer) = 0;
    // Closes the frame after the mixing calls.
    virtual SXRESULT EndFrame() = 0;
    // Sends the oldest queued result to the hardware.
    virtual SXRESULT SendNextPair() = 0;
    virtual void Stop() = 0;
    // The highest level finished since the last call, which resets it.
    virtual float TakePeak() = 0;
    // True while the hardware is there.
    virtual bool IsActive() = 0;
    // The channels of the device's motion mix.
    virtual uint32_t GetChannelMask() = 0;
    virtual void SetVolume(float volume) = 0;
};

}  // namespace SX
