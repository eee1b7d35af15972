#include "platform/audio/OutputDevice.h"

#include <cstring>

#include "platform/Seam.h"
#include "platform/audio/AudioControlState.h"
#include "platform/audio/OutputSink.h"
#include "platform/os/Clock.h"

namespace platform::audio {

namespace {
// How far the write cursor runs ahead of the play cursor: 10 ms of frames.
uint32_t WriteLeadBytes(const PcmFormat& format) { return format.sampleRate / 100 * format.BlockAlign(); }
Seam<OutputSink> installedSink{"platform::audio::OutputSink"};
}  // namespace

bool SetOutputSink(OutputSink* sink) { return installedSink.Install(sink); }
void RemoveOutputSink(OutputSink* sink) { installedSink.Remove(sink); }
OutputSink* InstalledOutputSink() { return installedSink.Installed(); }

OutputBuffer::OutputBuffer(const PcmFormat& format, uint32_t size)
    : format_(format), size_(size), data_(new uint8_t[size]()) {
    ControlState().liveBuffers.fetch_add(1);
}

OutputBuffer::~OutputBuffer() {
    if (sink_) sink_->Detach(*this);
    ControlState().liveBuffers.fetch_sub(1);
}

void OutputBuffer::Pull(uint8_t* out, uint32_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!playing_) {
        std::memset(out, 0, bytes);
        return;
    }
    while (bytes > 0) {
        const uint32_t part = bytes < size_ - cardCursor_ ? bytes : size_ - cardCursor_;
        std::memcpy(out, data_.get() + cardCursor_, part);
        out += part;
        bytes -= part;
        cardCursor_ = (cardCursor_ + part) % size_;
        cardMoved_ = true;
    }
}

uint32_t OutputBuffer::PlayedBytesLocked() const {
    if (sink_) return cardCursor_;
    if (!playing_) return stoppedCursor_;
    const __int128 elapsed = QueryCounter() - startCounter_;
    const __int128 frames = elapsed * format_.sampleRate / CounterFrequency();
    const __int128 bytes = frames * format_.BlockAlign() + startOffset_;
    return static_cast<uint32_t>(bytes % size_);
}

bool OutputBuffer::Play() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (playing_) return true;
    startOffset_ = stoppedCursor_;
    startCounter_ = QueryCounter();
    cardMoved_ = false;
    playing_ = true;
    started_ = true;
    return true;
}

void OutputBuffer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!playing_) return;
    stoppedCursor_ = PlayedBytesLocked();
    playing_ = false;
}

bool OutputBuffer::IsPlaying() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return playing_;
}

bool OutputBuffer::GetCurrentPosition(uint32_t& playCursor, uint32_t& writeCursor) {
    if (ControlState().positionFails.load()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!started_) {
        playCursor = writeCursor = 0;
        return true;
    }
    playCursor = PlayedBytesLocked();
    const bool moving =
        playing_ && (sink_ ? cardMoved_ : QueryCounter() - startCounter_ >= CounterFrequency() / format_.sampleRate);
    writeCursor = moving ? (playCursor + WriteLeadBytes(format_)) % size_ : playCursor;
    return true;
}

bool OutputBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                        uint32_t* bytes2) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (locked_ || offset >= size_ || bytes > size_ || !part1 || !bytes1) return false;
    const uint32_t first = bytes < size_ - offset ? bytes : size_ - offset;
    *part1 = data_.get() + offset;
    *bytes1 = first;
    if (part2) *part2 = first < bytes ? data_.get() : nullptr;
    if (bytes2) *bytes2 = bytes - first;
    if (first < bytes && (!part2 || !bytes2)) return false;
    locked_ = true;
    return true;
}

bool OutputBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!locked_) return false;
    locked_ = false;
    CaptureWrite(format_, part1, bytes1);
    if (part2) CaptureWrite(format_, part2, bytes2);
    return true;
}

std::unique_ptr<OutputDevice> OutputDevice::Open() {
    ControlState().openAttempts.fetch_add(1);
    if (ControlState().openFails.load()) return nullptr;
    return std::unique_ptr<OutputDevice>(new OutputDevice());
}

bool OutputDevice::GetSpeakerConfig(uint32_t& config) const {
    if (!ControlState().speakerReadable.load()) return false;
    config = ControlState().speakerConfig.load();
    return true;
}

std::unique_ptr<OutputBuffer> OutputDevice::CreateBuffer(const PcmFormat& format, uint32_t bytes) {
    if (format.channels == 0 || format.channels > ControlState().maxChannels.load() || format.bitsPerSample != 16 ||
        format.sampleRate == 0 || bytes == 0 || bytes % format.BlockAlign() != 0)
        return nullptr;
    std::unique_ptr<OutputBuffer> buffer(new OutputBuffer(format, bytes));
    if (OutputSink* sink = InstalledOutputSink()) {
        if (!sink->Attach(*buffer)) return nullptr;
        buffer->sink_ = sink;
    }
    return buffer;
}

}  // namespace platform::audio
