#include "sound/engine/vorbis/SxVorbisFormat.h"

#include "sound/engine/voice/SxMediaParser.h"

namespace SX {

namespace {
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
}  // namespace

SXRESULT SxVorbisFormat::Read(const uint8_t* fmt, uint32_t fmtSize, uint32_t dataSize) {
    if (!fmt || fmtSize < kChunkSize || U16(fmt) != SxMediaTag_Vorbis) return SX_InvalidFile;
    channels = U16(fmt + 2);
    sampleRate = U32(fmt + 4);
    averageBytesPerSecond = U32(fmt + 8);
    channelMask = U32(fmt + 20);
    totalFrames = U32(fmt + 24);
    loopStart = U32(fmt + 28);
    loopEnd = U32(fmt + 32);
    loopStartDrop = U16(fmt + 36);
    loopEndDrop = U16(fmt + 38);
    seekTableSize = U32(fmt + 40);
    firstPacket = U32(fmt + 44);
    maxPacket = U16(fmt + 48);
    fileEndDrop = U16(fmt + 50);
    setupMemory = U32(fmt + 52);
    setupID = U32(fmt + 60);
    shortLog2 = fmt[64];
    longLog2 = fmt[65];
    if (channels == 0 || sampleRate == 0 || totalFrames == 0) return SX_InvalidFile;
    if (seekTableSize % 4 != 0 || seekTableSize > dataSize || firstPacket > dataSize ||
        firstPacket < seekTableSize + 2 || firstPacket - seekTableSize - 2 > 0xFFFF)
        return SX_InvalidFile;
    const uint32_t packets = dataSize - seekTableSize;
    if (loopEnd > packets || loopStart > loopEnd || loopStart + seekTableSize < firstPacket) return SX_InvalidFile;
    // Well formed, but more channels than a voice mixes: refused as the other codecs refuse it.
    return channels > SxMediaMaxChannels ? SX_UnsupportedChannelConfig : SX_Success;
}

SXRESULT SxVorbisFormat::SetupPacket(const uint8_t* data, const uint8_t*& setup, uint32_t& size) const {
    const uint8_t* record = data + seekTableSize;
    size = U16(record);
    setup = record + 2;
    return seekTableSize + 2 + size > firstPacket ? SX_InvalidFile : SX_Success;
}

void SxVorbisSeekLookup(const uint8_t* table, uint32_t tableSize, uint32_t dataBytes, uint32_t target, uint32_t& frame,
                        uint32_t& offset) {
    frame = 0;
    offset = 0;
    if (target == 0) return;
    for (uint32_t at = 0; at + 4 <= tableSize; at += 4) {
        const uint32_t frames = U16(table + at), bytes = U16(table + at + 2);
        if (frame + frames > target || offset + bytes >= dataBytes) break;
        frame += frames;
        offset += bytes;
    }
}

}  // namespace SX
