#pragma once
// Capture of everything the engine writes to the output device, in order across buffers, and
// its saving as a WAV file: how a run without a sound card is listened to afterwards.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/OutputDevice.h"

namespace platform::audio::control {

// Starting drops what an earlier capture held; stopping drops what this one held.
void StartCapture();
void StopCapture();
std::vector<uint8_t> Captured();
PcmFormat CapturedFormat();

// Writes 16-bit PCM as a WAV file (through a temporary file beside it); false on failure.
bool SaveWav(const std::string& path, const PcmFormat& format, const std::vector<uint8_t>& data);

}  // namespace platform::audio::control
