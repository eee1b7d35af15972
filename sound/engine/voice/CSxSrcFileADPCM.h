#pragma once
// The engine's ADPCM streamed from a file, decoded a whole block at a time (at most 1024
// frames a buffer) into a buffer of the lower engine's cache. A block split between two stream
// buffers is put together and decoded first.
#include <cstdint>

#include "sound/engine/voice/CSxSrcFileBase.h"
#include "sound/engine/voice/SxAdpcm.h"

namespace SX {

class CSxSrcFileADPCM : public CSxSrcFileBase {
public:
    static constexpr uint32_t kMaxFrames = 1024;

    explicit CSxSrcFileADPCM(CSxPBI* instance) : CSxSrcFileBase(instance) {}
    ~CSxSrcFileADPCM() override { ReleaseBuffer(); }

    void GetBuffer(SxNodeBuffer& buffer) override;
    void ReleaseBuffer() override;
    void StopSource() override;

protected:
    SXRESULT ParseHeader(const uint8_t* data, uint32_t size) override;
    void LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const override;
    void DropCarried() override { m_partialBytes = 0; }
    float Throughput() const override;

private:
    int16_t* m_decoded = nullptr;
    uint32_t m_decodedBytes = 0;
    uint8_t m_partial[SxMediaMaxChannels * SxAdpcm::kBytesPerChannel] = {};
    uint16_t m_partialBytes = 0;
};

}  // namespace SX
