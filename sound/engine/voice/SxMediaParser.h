#pragma once
// Reads the chunks of a media file (RIFF/WAVE): the format, cue points and their labels, the
// sampler loop, the seek table and where the data lies. Every chunk body is checked against
// the bytes present before it is read.
#include <cstdint>
#include <string>
#include <vector>

#include "sound/engine/SxTypes.h"

namespace SX {

// Format tags the sources know.
constexpr uint16_t SxMediaTag_ADPCM = 2;
constexpr uint16_t SxMediaTag_PCM = 0xFFFE;
constexpr uint16_t SxMediaTag_Vorbis = 0xFFFF;
constexpr uint32_t SxMediaMaxChannels = 6;

struct SxSourceMarker {
    uint32_t id = 0;
    uint32_t position = 0;  // frames
    std::string label;      // empty without a label
};

// The "fmt " fields the sources use.
struct SxMediaFormat {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint32_t channelMask = 0;
};

struct SxMediaInfo {
    const uint8_t* fmt = nullptr;
    uint32_t fmtSize = 0;
    const uint8_t* seekTable = nullptr;
    uint32_t seekTableSize = 0;
    uint32_t dataOffset = 0;
    uint32_t dataSize = 0;
    bool hasLoop = false;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;  // inclusive
    std::vector<SxSourceMarker> markers;
};

// Walks the chunks up to "data". 31 for no media; 7 for anything malformed: too short, a
// chunk (other than "data") past the end, "cue " before "fmt ", "data" without "fmt ", a cue,
// label or sampler body shorter than what it declares.
SXRESULT SxParseMedia(const uint8_t* media, uint32_t size, bool wantMarkers, SxMediaInfo& info);

// The "fmt " fields; 7 when the chunk is too short to hold the channel mask, declares no
// channel or a mask that disagrees with its channel count.
SXRESULT SxReadMediaFormat(const SxMediaInfo& info, SxMediaFormat& format);

}  // namespace SX
