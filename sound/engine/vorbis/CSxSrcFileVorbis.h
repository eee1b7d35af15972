#pragma once
// Packed Vorbis media streamed from a file. The seek table and the setup are gathered from
// the first stream buffers (either may straddle two); packets are decoded straight from the
// stream buffers, except that the tail of a buffer too short to be sure of holding a whole
// packet is moved to a stitch buffer and completed from the next one.
#include <memory>
#include <vector>

#include "sound/engine/voice/CSxSrcFileBase.h"
#include "sound/engine/vorbis/SxVorbisDecodeBuffer.h"
#include "sound/engine/vorbis/SxVorbisDecoder.h"
#include "sound/engine/vorbis/SxVorbisFormat.h"

namespace SX {

class CSxSrcFileVorbis : public CSxSrcFileBase {
public:
    static constexpr uint32_t kMaxFrames = 1024;

    explicit CSxSrcFileVorbis(CSxPBI* instance) : CSxSrcFileBase(instance) {}
    ~CSxSrcFileVorbis() override { ReleaseBuffer(); }

    // After the common start, gathers the seek table and the setup: 63 while they are not
    // all there, 2 when the setup does not decode or the stream fails.
    SXRESULT StartSource() override;
    void StopSource() override;
    void GetBuffer(SxNodeBuffer& buffer) override;
    void ReleaseBuffer() override;
    SXRESULT Seek(uint32_t frame) override;
    SXRESULT StopLooping() override;

protected:
    SXRESULT ParseHeader(const uint8_t* data, uint32_t size) override;
    void LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const override;
    void DropCarried() override { m_stitchBytes = 0; }
    float Throughput() const override { return m_vorbis.averageBytesPerSecond * 0.001f; }
    void OnLoopEnd(bool isLast) override;

private:
    uint32_t EndDrop() const { return m_loopsRemaining == 1 ? m_vorbis.fileEndDrop : m_vorbis.loopEndDrop; }
    // Decodes into the decode buffer from the stitch or the stream buffer: the decoder's result,
    // or 46 when the stream has nothing yet.
    SXRESULT DecodeSome(uint32_t request, uint32_t& produced);

    SxVorbisFormat m_vorbis;
    SxVorbisDecoder m_decoder;
    std::vector<uint8_t> m_header;  // seek table, setup size and setup
    bool m_ready = false;           // the decoder is set up
    std::vector<uint8_t> m_stitch;
    uint32_t m_stitchBytes = 0;  // bytes of the previous stream buffer in the stitch
    SxVorbisDecodeBuffer m_decoded;
};

}  // namespace SX
