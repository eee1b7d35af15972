#pragma once
// Decodes the audio packets of packed media with a shared setup into interleaved 16-bit
// frames (channels in the media file's order). Packets are read from a region of
// {u16 size, bytes} records; the first packet after a reset only fills the overlap; a start
// drop removes frames from the front, an end drop from the packet flagged last.
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/engine/vorbis/SxVorbisSetup.h"

namespace SX {

class SxVorbisDecoder {
public:
    // False when the setup is missing or has another channel count.
    bool Init(std::shared_ptr<const SxVorbisSetup> setup, uint32_t channels);
    void Reset(uint32_t startDrop, uint32_t endDrop);
    void SetEndDrop(uint32_t endDrop) { m_endDrop = endDrop; }

    // Decodes up to request frames into out (request x channels samples) from the packets of
    // region. final: the region ends where the media's data does, so the packet ending it is
    // the last. Result: 17 once the last packet has been returned whole, else 45 when frames
    // came out, else 46 (more packets are needed); 2 for a packet larger than maxPacket.
    SXRESULT DecodeFrames(const uint8_t* region, uint32_t available, bool final, uint32_t maxPacket, uint32_t request,
                          int16_t* out, uint32_t& consumed, uint32_t& produced);

    uint32_t Channels() const { return m_channels; }
    const SxVorbisSetup* Setup() const { return m_setup.get(); }

    // Output scale of the transform: overlap-added samples are this many times the 16-bit
    // value before the final division by 512.
    static const float kSpectrumScale;

private:
    // Decodes one packet into the pending frames; false when its mode cannot be read (the
    // packet then gives nothing).
    bool DecodePacket(const uint8_t* packet, uint32_t size, bool last);
    bool DecodeFloor(SxVorbisBits& bits, const SxVorbisFloor1& floor, int32_t* y, uint8_t* step2) const;
    void ApplyFloor(const SxVorbisFloor1& floor, const int32_t* y, const uint8_t* step2, float* v, uint32_t n) const;
    void DecodeResidue(SxVorbisBits& bits, const SxVorbisResidue& residue, float** vectors, const bool* skip,
                       uint32_t count, uint32_t n);
    void InverseTransform(float* data, uint32_t flag);
    void Output(uint32_t flag, uint32_t start, uint32_t end);

    std::shared_ptr<const SxVorbisSetup> m_setup;
    uint32_t m_channels = 0;
    std::vector<float> m_work;     // per channel, long / 2
    std::vector<float> m_overlap;  // per channel, long / 4
    std::vector<float> m_fftRe;    // the transform's complex values, real and imaginary parts apart
    std::vector<float> m_fftIm;
    std::vector<int32_t> m_floorY;     // per channel, the floor's values
    std::vector<uint8_t> m_floorStep;  // per channel, which values the curve passes through
    std::vector<uint8_t> m_classes;
    std::vector<int16_t> m_pending;  // interleaved frames of the last packet
    uint32_t m_pendingStart = 0;
    uint32_t m_pendingEnd = 0;
    uint32_t m_previousFlag = 0;
    bool m_first = true;      // the next packet only fills the overlap
    bool m_lastSeen = false;  // the last packet has been decoded
    uint32_t m_startDrop = 0;
    uint32_t m_endDrop = 0;
};

}  // namespace SX
