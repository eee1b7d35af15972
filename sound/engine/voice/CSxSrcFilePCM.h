#pragma once
// Linear PCM streamed from a file: buffers point into the stream's buffers; a frame split
// between two stream buffers is put together in a frame of its own and handed out alone.
#include <cstdint>

#include "sound/engine/voice/CSxSrcFileBase.h"

namespace SX {

class CSxSrcFilePCM : public CSxSrcFileBase {
public:
    explicit CSxSrcFilePCM(CSxPBI* instance) : CSxSrcFileBase(instance) {}

    void GetBuffer(SxNodeBuffer& buffer) override;
    // Consumes what the last buffer handed out.
    void ReleaseBuffer() override;

protected:
    SXRESULT ParseHeader(const uint8_t* data, uint32_t size) override;
    void LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const override;
    void DropCarried() override;
    float Throughput() const override;

private:
    uint8_t m_partial[SxMediaMaxChannels * 4] = {};  // one frame at most
    uint16_t m_partialBytes = 0;
    bool m_partialComplete = false;  // the partial frame was completed and handed out
    uint32_t m_handedBytes = 0;
};

}  // namespace SX
