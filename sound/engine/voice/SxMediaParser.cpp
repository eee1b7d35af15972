#include "sound/engine/voice/SxMediaParser.h"

#include <cstring>

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

namespace {

constexpr uint32_t Tag(const char (&t)[5]) {
    return static_cast<uint32_t>(t[0]) | (static_cast<uint32_t>(t[1]) << 8) | (static_cast<uint32_t>(t[2]) << 16) |
           (static_cast<uint32_t>(t[3]) << 24);
}

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint32_t kCueRecord = 24;

SXRESULT ReadCues(const uint8_t* body, uint32_t size, std::vector<SxSourceMarker>& markers) {
    if (size < 4) return SX_InvalidFile;
    const uint32_t count = U32(body);
    if (count > (size - 4) / kCueRecord) return SX_InvalidFile;
    markers.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* record = body + 4 + i * kCueRecord;
        SxSourceMarker marker;
        marker.id = U32(record);
        marker.position = U32(record + 4);
        markers.push_back(std::move(marker));
    }
    return SX_Success;
}

SXRESULT ReadLabel(const uint8_t* body, uint32_t size, std::vector<SxSourceMarker>& markers) {
    if (size < 4) return SX_InvalidFile;
    const uint32_t id = U32(body);
    for (SxSourceMarker& marker : markers) {
        if (marker.id != id) continue;
        const char* text = reinterpret_cast<const char*>(body + 4);
        marker.label.assign(text, strnlen(text, size - 4));
        break;
    }
    return SX_Success;
}

SXRESULT ReadSampler(const uint8_t* body, uint32_t size, SxMediaInfo& info) {
    if (size < 36) return SX_InvalidFile;
    if (U32(body + 28) == 0) return SX_Success;
    const uint32_t samplerData = U32(body + 32);
    if (samplerData > size - 36 || size - 36 - samplerData < 24) return SX_InvalidFile;
    const uint8_t* loop = body + 36 + samplerData;
    info.hasLoop = true;
    info.loopStart = U32(loop + 8);
    info.loopEnd = U32(loop + 12);
    return SX_Success;
}

}  // namespace

SXRESULT SxParseMedia(const uint8_t* media, uint32_t size, bool wantMarkers, SxMediaInfo& info) {
    info = SxMediaInfo();
    if (!media || size == 0) return SX_InvalidParameter;
    if (size < 20 || U32(media) != Tag("RIFF")) return SX_InvalidFile;
    const uint32_t form = U32(media + 8);
    if (form != Tag("WAVE") && form != Tag("XWMA")) return SX_InvalidFile;
    bool cuesRead = false;
    uint32_t at = 12;
    for (;;) {
        if (size - at < 8) return SX_InvalidFile;
        const uint32_t tag = U32(media + at);
        const uint32_t chunkSize = U32(media + at + 4);
        const uint32_t body = at + 8;
        const uint32_t left = size - body;
        if (tag == Tag("data")) {
            if (!info.fmt) return SX_InvalidFile;
            info.dataOffset = body;
            info.dataSize = chunkSize;
            return SX_Success;
        }
        if (chunkSize > left) return SX_InvalidFile;
        const uint8_t* data = media + body;
        SXRESULT result = SX_Success;
        uint32_t next = body + chunkSize;
        if (tag == Tag("fmt ")) {
            if (!info.fmt) {
                info.fmt = data;
                info.fmtSize = chunkSize;
            }
        } else if (tag == Tag("cue ")) {
            if (!info.fmt) return SX_InvalidFile;
            if (wantMarkers && !cuesRead) result = ReadCues(data, chunkSize, info.markers);
            cuesRead = true;
        } else if (tag == Tag("LIST")) {
            next = body + (chunkSize < 4 ? chunkSize : 4);
        } else if (tag == Tag("labl")) {
            if (wantMarkers) result = ReadLabel(data, chunkSize, info.markers);
        } else if (tag == Tag("smpl")) {
            result = ReadSampler(data, chunkSize, info);
        } else if (tag == Tag("seek")) {
            info.seekTable = data;
            info.seekTableSize = chunkSize;
        }
        if (result != SX_Success) return result;
        if ((chunkSize & 1) && next < size && media[next] == 0 && tag != Tag("LIST")) ++next;
        at = next;
    }
}

SXRESULT SxReadMediaFormat(const SxMediaInfo& info, SxMediaFormat& format) {
    format = SxMediaFormat();
    if (!info.fmt || info.fmtSize < 24) return SX_InvalidFile;
    const uint8_t* f = info.fmt;
    format.tag = U16(f);
    format.channels = U16(f + 2);
    format.sampleRate = U32(f + 4);
    format.blockAlign = U16(f + 12);
    format.bitsPerSample = U16(f + 14);
    format.channelMask = U32(f + 20) & 0x3FFFF;
    if (format.channels == 0 || format.sampleRate == 0 || format.blockAlign == 0 ||
        SxChannelCount(format.channelMask) != format.channels)
        return SX_InvalidFile;
    return SX_Success;
}

}  // namespace SX
