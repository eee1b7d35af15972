#include "platform/audio/OutputCapture.h"

#include <cstdio>

#include "platform/audio/AudioControlState.h"

namespace platform::audio {

AudioControl& ControlState() {
    static AudioControl state;
    return state;
}

void CaptureWrite(const PcmFormat& format, const void* data, uint32_t bytes) {
    AudioControl& s = ControlState();
    std::lock_guard<std::mutex> lock(s.captureMutex);
    if (!s.capturing || !data) return;
    s.captureFormat = format;
    const auto* p = static_cast<const uint8_t*>(data);
    s.captured.insert(s.captured.end(), p, p + bytes);
}

namespace control {

void StartCapture() {
    AudioControl& s = ControlState();
    std::lock_guard<std::mutex> lock(s.captureMutex);
    s.capturing = true;
    s.captured.clear();
}

void StopCapture() {
    AudioControl& s = ControlState();
    std::lock_guard<std::mutex> lock(s.captureMutex);
    s.capturing = false;
    s.captured.clear();
    s.captured.shrink_to_fit();
}

std::vector<uint8_t> Captured() {
    AudioControl& s = ControlState();
    std::lock_guard<std::mutex> lock(s.captureMutex);
    return s.captured;
}

PcmFormat CapturedFormat() {
    AudioControl& s = ControlState();
    std::lock_guard<std::mutex> lock(s.captureMutex);
    return s.captureFormat;
}

namespace {
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
}  // namespace

bool SaveWav(const std::string& path, const PcmFormat& format, const std::vector<uint8_t>& data) {
    if (data.size() > 0xFFFFFFFFu - 36) return false;
    std::vector<uint8_t> header;
    const auto size = static_cast<uint32_t>(data.size());
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    Put32(header, 36 + size);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(header, 16);
    Put16(header, 1);
    Put16(header, format.channels);
    Put32(header, format.sampleRate);
    Put32(header, format.sampleRate * format.BlockAlign());
    Put16(header, format.BlockAlign());
    Put16(header, format.bitsPerSample);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    Put32(header, size);

    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
              (data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size());
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace control
}  // namespace platform::audio
