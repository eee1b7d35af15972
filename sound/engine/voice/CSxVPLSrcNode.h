#pragma once
// The first node of every voice: turns media into buffers of frames in the media's own format.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/lower/SxAudioFormat.h"
#include "sound/engine/voice/SxNodeBuffer.h"

namespace SX {

class CSxPBI;

class CSxVPLSrcNode {
public:
    explicit CSxVPLSrcNode(CSxPBI* instance) : m_instance(instance) {}
    virtual ~CSxVPLSrcNode() = default;
    CSxVPLSrcNode(const CSxVPLSrcNode&) = delete;
    CSxVPLSrcNode& operator=(const CSxVPLSrcNode&) = delete;

    // Parses the media and learns the format: 1 ready, 63 not yet buffered, 7 invalid media,
    // 78 a format no kernel plays, 2 failure. Later calls answer 1 once started.
    virtual SXRESULT StartSource() = 0;
    virtual void StopSource() = 0;
    // Up to maxFrames frames from the current position; the result is the buffer's state:
    // 45 data, 17 the last data, 46 nothing this time, 2 failure.
    virtual void GetBuffer(SxNodeBuffer& buffer) = 0;
    virtual void ReleaseBuffer() = 0;
    // Advances without decoding; frames comes back as what was skipped. 45, or 17 at the end.
    virtual SXRESULT TimeSkip(uint32_t& frames) = 0;
    // Duration including loops; 0 when looping forever.
    virtual uint32_t GetDurationMs() const = 0;
    // Plays the current pass to the end of the media and finishes.
    virtual SXRESULT StopLooping() = 0;
    // Moves to a source frame: 1, or 2 when it lies at or past the end.
    virtual SXRESULT Seek(uint32_t frame) = 0;

    const SxAudioFormat& Format() const { return m_format; }
    CSxPBI* Instance() const { return m_instance; }
    bool IsStarted() const { return m_started; }
    // Input frames the pitch node drops before playing: what a seek to a block codec's block
    // start leaves over.
    uint32_t SkipFrames() const { return m_skipFrames; }
    void SetSkipFrames(uint32_t frames) { m_skipFrames = frames; }

protected:
    CSxPBI* m_instance;
    SxAudioFormat m_format;
    uint32_t m_skipFrames = 0;
    bool m_started = false;
};

}  // namespace SX
