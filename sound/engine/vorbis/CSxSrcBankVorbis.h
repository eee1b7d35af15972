#pragma once
// Packed Vorbis media held in memory: packets are decoded straight from the media into a
// buffer of the lower engine's cache, with the setup shared through the setup cache.
#include <memory>

#include "sound/engine/voice/CSxSrcBaseEx.h"
#include "sound/engine/vorbis/SxVorbisDecodeBuffer.h"
#include "sound/engine/vorbis/SxVorbisDecoder.h"
#include "sound/engine/vorbis/SxVorbisFormat.h"

namespace SX {

class CSxSrcBankVorbis : public CSxSrcBaseEx {
public:
    static constexpr uint32_t kMaxFrames = 1024;

    explicit CSxSrcBankVorbis(CSxPBI* instance) : CSxSrcBaseEx(instance) {}
    ~CSxSrcBankVorbis() override { ReleaseBuffer(); }

    // 7 for media that is not packed Vorbis or whose chunk offsets do not fit its data; 2 for
    // loop points or a size that do not agree, or a setup that does not decode.
    SXRESULT StartSource() override;
    void StopSource() override;
    void GetBuffer(SxNodeBuffer& buffer) override;
    void ReleaseBuffer() override;
    // Through the seek table; the decoder drops what lies between the entry and the frame.
    SXRESULT Seek(uint32_t frame) override;
    SXRESULT StopLooping() override;

protected:
    void OnLoopEnd(bool isLast) override;

private:
    uint32_t EndDrop() const { return m_loopsRemaining == 1 ? m_vorbis.fileEndDrop : m_vorbis.loopEndDrop; }

    SxVorbisFormat m_vorbis;
    SxVorbisDecoder m_decoder;
    const uint8_t* m_data = nullptr;  // the data chunk
    uint32_t m_readPos = 0;           // next packet record, from the start of the data chunk
    SxVorbisDecodeBuffer m_decoded;
};

// Registers the Vorbis codec (codec 4) with its in-memory and streamed sources.
SXRESULT RegisterVorbisCodec();

}  // namespace SX
