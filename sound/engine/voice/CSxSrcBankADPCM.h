#pragma once
// The engine's ADPCM held in memory, decoded a whole block at a time into a buffer of the
// lower engine's cache.
#include "sound/engine/voice/CSxSrcBaseEx.h"

namespace SX {

class CSxSrcBankADPCM : public CSxSrcBaseEx {
public:
    static constexpr uint32_t kDecodeBytesPerChannel = 2048;

    explicit CSxSrcBankADPCM(CSxPBI* instance) : CSxSrcBaseEx(instance) {}
    ~CSxSrcBankADPCM() override { ReleaseBuffer(); }

    // Besides the common checks, refuses (7) a block with a step index past the table and a
    // loop whose start or end + 1 is not a block boundary.
    SXRESULT StartSource() override;
    void StopSource() override { ReleaseBuffer(); }
    // Whole blocks only: a request of 1000 frames gives 960.
    void GetBuffer(SxNodeBuffer& buffer) override;
    void ReleaseBuffer() override;
    // To the block holding the frame; the frames before it in the block are left for the
    // pitch node to skip.
    SXRESULT Seek(uint32_t frame) override;

private:
    const uint8_t* m_data = nullptr;
    int16_t* m_decoded = nullptr;
    uint32_t m_decodedBytes = 0;
};

}  // namespace SX
