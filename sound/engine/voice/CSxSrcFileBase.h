#pragma once
// What the streamed sources share: an automatic stream on the media file, the stream buffer in
// hand, and the loop region in file bytes. The stream runs ahead of playback: at the loop end
// it is moved back to the loop start while passes remain, and the data is trimmed at the end
// of the region so that no byte past it reaches a codec.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/stream/ISxStreams.h"
#include "sound/engine/voice/CSxSrcBaseEx.h"

namespace SX {

class CSxSrcFileBase : public CSxSrcBaseEx {
public:
    explicit CSxSrcFileBase(CSxPBI* instance) : CSxSrcBaseEx(instance) {}
    ~CSxSrcFileBase() override;

    // Opens and starts the stream, then parses the header from its first buffer: 1 ready,
    // 63 while the first buffer is not there, 7 invalid media, 2 no stream manager, no file
    // or a stream error. A head of the file held in memory (a bank's prefetched data, or media
    // handed in) stands for the first buffers: its header is parsed at once, its bytes play
    // while the stream fills from where the head ends, and the source is ready without waiting.
    SXRESULT StartSource() override;
    void StopSource() override;
    // Moves the stream to the file offset of the frame (or the unit holding it); the frames
    // before it are left for the pitch node to skip. 2 at or past the end.
    SXRESULT Seek(uint32_t frame) override;
    SXRESULT StopLooping() override;

protected:
    // Parses the media from the first stream buffer: format, totals, loop region in bytes and
    // the stream's throughput. 7 when the media is malformed.
    virtual SXRESULT ParseHeader(const uint8_t* data, uint32_t size) = 0;
    // The frame a move to frame lands on, and the file offset where its unit starts.
    virtual void LocateFrame(uint32_t frame, uint32_t& reached, uint32_t& offset) const = 0;
    // Drops what a codec carried from one stream buffer to the next.
    virtual void DropCarried() {}
    // Throughput of the stream in bytes per millisecond.
    virtual float Throughput() const = 0;

    // Makes sure bytes are in hand: 45 with bytes, 17 at the end of the data, 46 when the
    // stream has nothing yet (the voice starves this frame), 2 on a stream error.
    SXRESULT FetchBytes();
    // Bytes consumed from the buffer in hand.
    void Consume(uint32_t bytes) {
        m_data += bytes;
        m_left -= bytes;
    }
    void OnLoopEnd(bool isLast) override;
    void SetHeuristics();
    uint32_t DataEnd() const { return m_media.dataOffset + m_media.dataSize; }

    // True when the buffer in hand ends where the region does (the data's end or the loop end).
    bool BufferEndsRegion() const { return m_regionEnd; }

    const uint8_t* m_data = nullptr;  // next byte of the stream buffer in hand
    uint32_t m_left = 0;              // bytes left in it, up to the end of the region
    uint32_t m_loopStartOffset = 0;   // file offsets of the loop region
    uint32_t m_loopEndOffset = 0;

private:
    friend struct platform::TestProbe<CSxSrcFileBase>;

    // True while the stream still has to go back to the loop start at the loop end.
    bool StreamLooping() const;
    // Takes the prefetched head as the first buffer when the source has one whose header
    // parses; true when it was taken (started, or refused when the stream cannot follow it).
    bool UsePrefetchedHead();
    // The header is parsed: playback starts at frame 0 with the first buffer in hand.
    void BeginData(const uint8_t* buffer, uint32_t size);
    void TakeBuffer(const uint8_t* buffer, uint32_t size);
    void ReturnHeld();
    SXRESULT MoveStream(uint32_t offset);

    ISxAutoStream* m_stream = nullptr;
    uint32_t m_fileID = 0xFFFFFFFFu;
    uint32_t m_filePos = 0;      // file position of the next stream buffer
    uint32_t m_skip = 0;         // bytes to skip at the start of the next buffer after a move
    uint16_t m_streamLoops = 0;  // passes the stream is ahead of playback
    bool m_held = false;         // a stream buffer is in hand and must be returned
    bool m_endOfData = false;
    bool m_regionEnd = false;
    bool m_headerParsed = false;
};

}  // namespace SX
