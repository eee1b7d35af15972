#pragma once
// What every codec source shares: the media's chunks, the loop region and the loops left,
// the markers, and the position in frames.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/bank/ISxMediaProvider.h"
#include "sound/engine/voice/CSxVPLSrcNode.h"
#include "sound/engine/voice/SxMediaParser.h"

namespace SX {

class CSxSrcBaseEx : public CSxVPLSrcNode {
public:
    explicit CSxSrcBaseEx(CSxPBI* instance);
    ~CSxSrcBaseEx() override;

    // Media handed in directly, used before the instance's own and the media lookup's.
    void UseMedia(const uint8_t* media, uint32_t size) {
        m_given = media;
        m_givenSize = size;
    }
    // Passes to play: 0 forever, 1 once (the instance's loop count by default).
    void SetLoopCount(uint16_t count) { m_loopCount = m_loopsRemaining = count; }

    SXRESULT TimeSkip(uint32_t& frames) override;
    uint32_t GetDurationMs() const override;
    SXRESULT StopLooping() override;

    uint32_t TotalFrames() const { return m_total; }
    uint32_t LoopStart() const { return m_loopStart; }
    uint32_t LoopEnd() const { return m_loopEnd; }
    const std::vector<SxSourceMarker>& Markers() const { return m_media.markers; }

protected:
    // The media handed in, else the instance's own, else the media lookup's (held until the
    // source goes); false when there is none.
    bool FindMedia(const uint8_t*& media, uint32_t& size);
    // The media of the instance (its own, else the media lookup's), parsed with markers;
    // 2 without media, 7 when it is malformed.
    SXRESULT OpenMedia(const uint8_t*& media, uint32_t& size);
    // Loop region from the sampler loop and the loop count: the loop end must lie in
    // [loop start, total), else 2.
    SXRESULT SetupLoops();
    // The frames a buffer may take now: to the loop end on a looping pass, else to the total.
    uint32_t FramesAvailable(uint32_t request) const;
    // Fills the buffer's markers, position and length for frames handed out from the current
    // frame, then moves on: 45, 17 after the last frame, or 45 with a wrap at the loop end.
    SXRESULT Advance(SxNodeBuffer& buffer, uint32_t frames);
    // The position wrapped from the loop end to its start (or the last pass ended).
    virtual void OnLoopEnd(bool isLast);
    void NotifyMarkers(uint32_t from, uint32_t count) const;

    SxMediaInfo m_media;
    SxMediaFormat m_mediaFormat;
    uint32_t m_total = 0;
    uint32_t m_current = 0;
    uint32_t m_loopStart = 0;
    uint32_t m_loopEnd = 0;
    uint16_t m_loopsRemaining = 1;  // 0 forever, 1 plays to the end, n more passes
    uint16_t m_loopCount = 1;
    const uint8_t* m_given = nullptr;
    uint32_t m_givenSize = 0;
    // Media its sound does not hold, found through the media provider and given back at the end.
    SxHeldMedia m_looked;
    SxUniqueID m_lookedID = 0;

private:
    friend struct platform::TestProbe<CSxSrcBaseEx>;
};

}  // namespace SX
