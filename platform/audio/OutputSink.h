#pragma once
// A sound card behind the output device. While one is installed, every buffer the device
// creates is attached to it and its play cursor moves as the card takes its bytes (Pull);
// without one the clock moves the cursors.
namespace platform::audio {

class OutputBuffer;

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // False when the card cannot play the buffer's format; the buffer is then not created.
    virtual bool Attach(OutputBuffer& buffer) = 0;
    virtual void Detach(OutputBuffer& buffer) = 0;
};

// The installed card, or null for the clock (the default). A seam (docs/seams.md): while one
// card is installed another is refused.
bool SetOutputSink(OutputSink* sink);
// Removes `sink` only if it is the one installed.
void RemoveOutputSink(OutputSink* sink);
OutputSink* InstalledOutputSink();

}  // namespace platform::audio
