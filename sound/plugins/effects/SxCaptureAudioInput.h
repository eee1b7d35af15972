#pragma once
// Feeds the audio input source from the platform's input device: every audio input voice
// plays what the device has recorded, at the device's rate and layout.
namespace platform::audio {
class CaptureDevice;
}

namespace SX {

// Installs the audio input callbacks over the device (refused while another's are installed);
// null removes them. The device must outlive the voices that read it. A buffer the device cannot fill is completed with silence.
void SxFeedAudioInputFromCapture(platform::audio::CaptureDevice* device);

}  // namespace SX
