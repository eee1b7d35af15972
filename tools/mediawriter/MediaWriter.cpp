#include "tools/mediawriter/MediaWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/FileUtil.h"
#include "sound/engine/voice/SxAdpcm.h"

namespace QV {
namespace media {

namespace {

class Bytes {
public:
    void Tag(const char* t) { out.insert(out.end(), t, t + 4); }
    void U16(uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Raw(const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); }
    // A chunk: tag, size, body, pad byte when odd.
    void Chunk(const char* tag, const std::vector<uint8_t>& body) {
        Tag(tag);
        U32(static_cast<uint32_t>(body.size()));
        Raw(body.data(), body.size());
        if (body.size() & 1) out.push_back(0);
    }
    std::vector<uint8_t> out;
};

int16_t To16(float v) {
    const float scaled = std::round(v * 32767.0f);
    return static_cast<int16_t>(std::min(32767.0f, std::max(-32768.0f, scaled)));
}

uint32_t CountBits(uint32_t mask) {
    uint32_t n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

std::vector<uint8_t> EncodeAdpcm(const std::vector<float>& samples, uint32_t channels) {
    const uint32_t frames = static_cast<uint32_t>(samples.size() / channels);
    const uint32_t blocks = (frames + SX::SxAdpcm::kFramesPerBlock - 1) / SX::SxAdpcm::kFramesPerBlock;
    std::vector<SX::SxAdpcm::SxAdpcmEncoderState> states(channels);
    std::vector<uint8_t> data(static_cast<size_t>(blocks) * SX::SxAdpcm::kBytesPerChannel * channels);
    std::vector<int16_t> block(SX::SxAdpcm::kFramesPerBlock * channels);
    for (uint32_t b = 0; b < blocks; ++b) {
        for (uint32_t i = 0; i < block.size(); ++i) {
            const size_t at = static_cast<size_t>(b) * block.size() + i;
            block[i] = at < samples.size() ? To16(samples[at]) : 0;
        }
        SX::SxAdpcm::EncodeBlock(block.data(), channels, states.data(),
                                 data.data() + static_cast<size_t>(b) * SX::SxAdpcm::kBytesPerChannel * channels);
    }
    return data;
}

}  // namespace

uint32_t DefaultChannelMask(uint32_t channels) {
    static const uint32_t kMasks[7] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F};
    return channels <= 6 ? kMasks[channels] : 0;
}

std::vector<uint8_t> Build(const Signal& signal, Encoding encoding) {
    const uint32_t channels = std::max<uint32_t>(1, CountBits(signal.channelMask));
    Bytes fmt;
    std::vector<uint8_t> data;
    const bool adpcm = encoding == Encoding::Adpcm;
    const uint32_t bits = encoding == Encoding::Float32 ? 32 : 16;
    const uint32_t blockAlign = adpcm ? SX::SxAdpcm::kBytesPerChannel * channels : channels * bits / 8;
    if (adpcm) {
        data = EncodeAdpcm(signal.samples, channels);
    } else if (encoding == Encoding::Float32) {
        data.resize(signal.samples.size() * 4);
        std::memcpy(data.data(), signal.samples.data(), data.size());
    } else {
        Bytes pcm;
        for (float v : signal.samples) pcm.U16(static_cast<uint16_t>(To16(v)));
        data = std::move(pcm.out);
    }
    fmt.U16(adpcm ? 2 : 0xFFFE);
    fmt.U16(channels);
    fmt.U32(signal.sampleRate);
    fmt.U32(adpcm ? signal.sampleRate * blockAlign / SX::SxAdpcm::kFramesPerBlock : signal.sampleRate * blockAlign);
    fmt.U16(blockAlign);
    fmt.U16(adpcm ? 4 : bits);
    fmt.U16(22);
    fmt.U16(adpcm ? SX::SxAdpcm::kFramesPerBlock : bits);
    fmt.U32(signal.channelMask);
    // Sub-format: the first two bytes say PCM (1) or float (3); the rest is unused by the engine.
    fmt.U16(encoding == Encoding::Float32 ? 3 : 1);
    for (int i = 0; i < 14; ++i) fmt.out.push_back(0);

    Bytes body;
    body.Chunk("fmt ", fmt.out);
    if (!signal.cues.empty()) {
        Bytes cue;
        cue.U32(static_cast<uint32_t>(signal.cues.size()));
        for (const Cue& c : signal.cues) {
            cue.U32(c.id);
            cue.U32(c.position);
            cue.Tag("data");
            cue.U32(0);
            cue.U32(0);
            cue.U32(c.position);
        }
        body.Chunk("cue ", cue.out);
        Bytes list;
        list.Tag("adtl");
        for (const Cue& c : signal.cues) {
            if (c.label.empty()) continue;
            Bytes labl;
            labl.U32(c.id);
            labl.Raw(reinterpret_cast<const uint8_t*>(c.label.c_str()), c.label.size() + 1);
            list.Chunk("labl", labl.out);
        }
        if (list.out.size() > 4) body.Chunk("LIST", list.out);
    }
    if (signal.loop) {
        Bytes smpl;
        for (int i = 0; i < 7; ++i) smpl.U32(0);
        smpl.U32(1);  // loop count
        smpl.U32(0);  // sampler data
        smpl.U32(0);  // loop ID
        smpl.U32(0);  // loop type
        smpl.U32(signal.loopStart);
        smpl.U32(signal.loopEnd);
        smpl.U32(0);
        smpl.U32(0);  // play count
        body.Chunk("smpl", smpl.out);
    }
    body.Tag("data");
    body.U32(static_cast<uint32_t>(data.size()));
    body.Raw(data.data(), data.size());

    Bytes file;
    file.Tag("RIFF");
    file.U32(static_cast<uint32_t>(body.out.size() + 4));
    file.Tag("WAVE");
    file.Raw(body.out.data(), body.out.size());
    return file.out;
}

bool Write(const std::string& path, const Signal& signal, Encoding encoding) {
    const std::vector<uint8_t> bytes = Build(signal, encoding);
    return SD::WriteWholeFile(path, nullptr, 0, bytes.data(), bytes.size());
}

Signal Sine(double frequency, double amplitude, uint32_t frames, uint32_t sampleRate, uint32_t channelMask) {
    Signal signal;
    signal.sampleRate = sampleRate;
    signal.channelMask = channelMask;
    const uint32_t channels = CountBits(channelMask);
    signal.samples.resize(static_cast<size_t>(frames) * channels);
    const double pi = 3.14159265358979323846;
    for (uint32_t i = 0; i < frames; ++i) {
        const float v = static_cast<float>(amplitude * std::sin(2.0 * pi * frequency * i / sampleRate));
        for (uint32_t c = 0; c < channels; ++c) signal.samples[static_cast<size_t>(i) * channels + c] = v;
    }
    return signal;
}

bool ReadWav(const std::string& path, Signal& signal, std::string& error) {
    std::vector<unsigned char> bytes;
    if (!SD::ReadWholeFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(bytes[at] | (bytes[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0) {
        error = "not a WAV file";
        return false;
    }
    uint32_t tag = 0, channels = 0, bits = 0, mask = 0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = u32(at + 4);
        const size_t body = at + 8;
        if (size > bytes.size() - body) {
            error = "a chunk runs past the end of the file";
            return false;
        }
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            tag = u16(body);
            channels = u16(body + 2);
            signal.sampleRate = u32(body + 4);
            bits = u16(body + 14);
            if (tag == 0xFFFE && size >= 26) {
                mask = u32(body + 20);
                tag = u16(body + 24);
            }
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            if (channels == 0 || channels > 6 || !(tag == 1 || (tag == 3 && bits == 32)) ||
                !(bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
                error = "unsupported format: only integer or float PCM, one to six channels";
                return false;
            }
            signal.channelMask = mask && CountBits(mask) == channels ? mask : DefaultChannelMask(channels);
            const uint32_t width = bits / 8;
            const size_t count = size / width;
            signal.samples.resize(count - count % channels);
            for (size_t i = 0; i < signal.samples.size(); ++i) {
                const unsigned char* p = &bytes[body + i * width];
                float v;
                if (tag == 3) {
                    std::memcpy(&v, p, 4);
                } else if (bits == 8) {
                    v = (p[0] - 128) / 128.0f;
                } else {
                    // Left-justified in 32 bits, so every width reads as the same full scale.
                    uint32_t bits32 = 0;
                    for (uint32_t b = 0; b < width; ++b) bits32 |= static_cast<uint32_t>(p[b]) << (8 * (4 - width + b));
                    v = static_cast<float>(static_cast<int32_t>(bits32) / 2147483648.0);
                }
                signal.samples[i] = v;
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    error = "no data chunk";
    return false;
}

}  // namespace media
}  // namespace QV
