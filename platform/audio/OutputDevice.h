#pragma once
// The sound output device: a looping buffer of interleaved 16-bit samples whose play and write
// cursors move with the clock in force (real time, or a test's ManualClock). Nothing reaches a
// speaker unless a sound card is installed (OutputSink.h); what is written can be captured and
// saved as a WAV file (OutputCapture.h). It reads the faults held in AudioControlState.h, which
// tests set (tests/platform/AudioDeviceControl.h) to make it refuse to open, refuse a format or
// fail while running.
#include <cstdint>
#include <memory>
#include <mutex>

namespace platform::audio {

// Speaker layouts the device reports; the numbers are those the engine branches on.
enum SpeakerConfig : uint32_t {
    kSpeakerHeadphone = 1,
    kSpeakerMono = 2,
    kSpeakerQuad = 3,
    kSpeakerStereo = 4,
    kSpeakerSurround = 5,
    kSpeaker5Point1 = 6,
    kSpeaker7Point1 = 7,
    kSpeaker7Point1Surround = 8,
    kSpeaker5Point1Surround = 9,
};

struct PcmFormat {
    uint32_t sampleRate = 48000;
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    uint32_t channelMask = 3;
    uint32_t BlockAlign() const { return channels * bitsPerSample / 8u; }
};

class OutputBuffer {
public:
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    const PcmFormat& Format() const { return format_; }
    uint32_t Size() const { return size_; }

    // Starts looping playback from the play cursor; the cursors move from then on.
    bool Play();
    void Stop();
    bool IsPlaying() const;
    // Both cursors are 0 until Play. Once the first frame has played the write cursor runs
    // 10 ms ahead of the play cursor: the span between them is already committed to the device.
    // False when the device failed.
    bool GetCurrentPosition(uint32_t& playCursor, uint32_t& writeCursor);
    // Gives the region [offset, offset + bytes) in at most two parts (the second when it wraps).
    // False for a region larger than the buffer or an offset outside it.
    bool Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2);
    // Ends a lock; the parts are what Lock gave. What was written is captured when capture is on.
    bool Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
    // Attenuation in hundredths of a decibel, 0 is full level; kept, not applied.
    void SetVolume(int32_t hundredthsDb) { volume_ = hundredthsDb; }
    int32_t Volume() const { return volume_; }
    // The card's side of a buffer attached to a sound card: copies the next bytes from the
    // play cursor (silence while stopped) and moves the cursor past them.
    void Pull(uint8_t* out, uint32_t bytes);

private:
    friend class OutputDevice;
    OutputBuffer(const PcmFormat& format, uint32_t size);
    uint32_t PlayedBytesLocked() const;

    // Guards every field below: the engine's audio thread writes the buffer and moves its
    // cursors while the device's callback thread plays from it.
    mutable std::mutex mutex_;
    PcmFormat format_;
    uint32_t size_;
    std::unique_ptr<uint8_t[]> data_;
    bool playing_ = false;
    int64_t startCounter_ = 0;    // clock reading at Play
    uint32_t startOffset_ = 0;    // play cursor at Play
    uint32_t stoppedCursor_ = 0;  // play cursor while stopped
    bool started_ = false;
    int32_t volume_ = 0;
    bool locked_ = false;
    class OutputSink* sink_ = nullptr;  // the card moving the play cursor, if any
    uint32_t cardCursor_ = 0;
    bool cardMoved_ = false;  // the card has taken bytes since Play
};

class OutputDevice {
public:
    // The device, or null when it cannot be opened.
    static std::unique_ptr<OutputDevice> Open();
    // False when the layout cannot be read.
    bool GetSpeakerConfig(uint32_t& config) const;
    // A looping buffer of the given size in the format, or null when the device refuses it.
    std::unique_ptr<OutputBuffer> CreateBuffer(const PcmFormat& format, uint32_t bytes);

private:
    OutputDevice() = default;
};

}  // namespace platform::audio
