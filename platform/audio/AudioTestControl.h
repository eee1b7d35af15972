#pragma once
// Test-facing control of the output device: make it fail, choose what it reports, and capture
// every byte the engine writes to it. All settings are process-wide; Reset restores defaults.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/OutputDevice.h"

namespace platform::audio::control {

void Reset();

// Open returns null while set.
void SetOpenFails(bool fails);
// CreateBuffer refuses formats with more channels (default 8).
void SetMaxChannels(uint16_t channels);
// The layout GetSpeakerConfig reports (default stereo); unreadable makes the call fail.
void SetSpeakerConfig(uint32_t config, bool readable = true);
// GetCurrentPosition fails on every buffer while set (a device lost while running).
void SetPositionFails(bool fails);
// Buffers alive now.
int LiveBuffers();
// Calls of Open since the last Reset.
int OpenAttempts();

// Capture of what is unlocked, in order, across buffers.
void StartCapture();
void StopCapture();
std::vector<uint8_t> Captured();
PcmFormat CapturedFormat();
uint64_t CapturedBytes();

// Writes 16-bit PCM as a WAV file (through a temporary file beside it); false on failure.
bool SaveWav(const std::string& path, const PcmFormat& format, const std::vector<uint8_t>& data);

}  // namespace platform::audio::control
