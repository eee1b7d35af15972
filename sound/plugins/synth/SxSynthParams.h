#pragma once
// What the wind and whoosh synths' parameters share: the values a game parameter may drive
// (each with a random range and a curve), and the cycle, channel layout and distance law their
// blocks begin with.
#include <cstdint>
#include <cstring>

#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/synth/SxDeflectorBank.h"

namespace SX {

struct SxSynthValue {
    float base = 0.0f;
    float range = 0.0f;
    uint8_t curveOn = 0;
};

// Each value owns three parameter IDs from ids[k]: its base (decibels for the gain value), its
// random range and its curve flag. Sets the one paramID names; the value's index, or -1.
int SxSetSynthValue(SxSynthValue* values, const int* ids, int count, int gainIndex, int paramID, float v);
// The value whose base ID is id; the first value (the speed) for any other ID.
int SxSynthValueOfID(const int* ids, int count, uint32_t id);
// Each value's base, range and curve flag in turn from a block, the gain's base in decibels.
void SxReadSynthValues(SxBlockCursor& cursor, SxSynthValue* values, int count, int gainIndex);

// Deflectors as a block lists them, into room for count of them, each gain read as decibels.
template <typename Deflector>
void SxReadDeflectors(Deflector* to, const uint8_t* bytes, uint16_t count) {
    if (count) std::memcpy(static_cast<void*>(to), bytes, count * sizeof(Deflector));
    for (uint16_t k = 0; k < count; ++k) to[k].gain = SxParamDbToLinear(to[k].gain);
}

struct SxSynthShape {
    // Configuration 0 is mono, 2 is 4.0 and any other stereo.
    static uint32_t MaskOfConfiguration(uint16_t configuration);

    // f32 duration, f32 duration range, u16 configuration, f32 reference distance, f32 rolloff,
    // f32 speed exponent, f32 time scale.
    void ReadShape(SxBlockCursor& cursor);
    // IDs 42 duration, 43 duration range, 44 reference distance and 45 rolloff; false for any
    // other.
    bool SetShapeValue(int16_t paramID, float v);

    float duration = 10.0f;
    float durationRange = 0.0f;
    uint32_t channelMask = 0x3;
    float referenceDistance = 5.0f;
    float rolloff = 0.5f;
    float speedExponent = 0.5f;
    float timeScale = 1.0f;
};

}  // namespace SX
