#pragma once
// Linear PCM held in memory (16-bit or 32-bit float frames): buffers point straight into the
// media, never copied.
#include "sound/engine/voice/CSxSrcBaseEx.h"

namespace SX {

class CSxSrcBankPCM : public CSxSrcBaseEx {
public:
    explicit CSxSrcBankPCM(CSxPBI* instance) : CSxSrcBaseEx(instance) {}

    SXRESULT StartSource() override;
    void StopSource() override {}
    void GetBuffer(SxNodeBuffer& buffer) override;
    void ReleaseBuffer() override {}
    SXRESULT Seek(uint32_t frame) override;

private:
    const uint8_t* m_data = nullptr;
};

// The checks both in-memory codecs make of a format: a format no kernel plays gives 78.
SXRESULT SxCheckKernelFormat(uint32_t channels, uint32_t bitsPerSample);

}  // namespace SX
