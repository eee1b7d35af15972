#pragma once
// The amplitude table of floor type 1: step y of the floor curve is a gain of table[y].
namespace SX {
extern const float SxVorbisFloorGain[256];
}
