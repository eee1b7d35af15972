#pragma once
// Test material for the packed Vorbis path: generated signals encoded by the standard encoder,
// packed by the packer, decoded by the engine's decoder and by the standard decoder.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "sound/engine/vorbis/SxVorbisDecoder.h"
#include "sound/engine/vorbis/SxVorbisFormat.h"
#include "sound/engine/voice/SxMediaParser.h"
#include "support/TempTree.h"
#include "tools/vorbispacker/VorbisPacker.h"

namespace vorbistest {

enum class Kind { Tone, Noise, Silence, Transient };

// Interleaved 16-bit frames, the same shape on every channel with a per-channel twist.
inline std::vector<int16_t> Generate(Kind kind, uint32_t frames, uint32_t channels, uint32_t rate) {
    std::vector<int16_t> samples(size_t(frames) * channels);
    uint32_t x = 12345;
    for (uint32_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c) {
            double v = 0;
            switch (kind) {
                case Kind::Tone:
                    v = 0.6 * std::sin(2 * 3.14159265358979 * (330.0 + 110.0 * c) * i / rate);
                    break;
                case Kind::Noise:
                    x = x * 1664525u + 1013904223u;
                    v = (int32_t(x >> 8) % 20000) / 40000.0;
                    break;
                case Kind::Silence:
                    v = 0;
                    break;
                case Kind::Transient: {
                    const uint32_t t = i % (rate / 4);
                    v = t < rate / 50 ? 0.9 * std::exp(-double(t) / 200.0) * std::sin(0.3 * t + c) : 0.0;
                    break;
                }
            }
            samples[size_t(i) * channels + c] = static_cast<int16_t>(std::lrint(v * 32767.0));
        }
    return samples;
}

// The Ogg file of the samples at a quality, encoded by the standard encoder.
inline std::vector<uint8_t> Encode(const qvtest::TempTree& tree, const std::vector<int16_t>& samples, uint32_t channels,
                                   uint32_t rate, int quality) {
    const std::string raw = tree.Path("in.raw"), ogg = tree.Path("out.ogg");
    tree.Write("in.raw", std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * 2));
    const std::string command = "oggenc -Q --raw --raw-rate=" + std::to_string(rate) +
                                " --raw-chan=" + std::to_string(channels) + " --raw-bits=16 -q " +
                                std::to_string(quality) + " -o '" + ogg + "' '" + raw + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(SD::ReadWholeFile(ogg, bytes));
    return bytes;
}

inline std::vector<uint8_t> Pack(const std::vector<uint8_t>& ogg, bool loop = false) {
    QV::vorbis::OggStream stream;
    std::string error;
    EXPECT_TRUE(QV::vorbis::ReadOgg(ogg, stream, error)) << error;
    QV::vorbis::PackOptions options;
    options.loop = loop;
    std::vector<uint8_t> media;
    EXPECT_TRUE(QV::vorbis::Pack(stream, SX::SxVorbisBuiltInLibrary(), options, media, error)) << error;
    return media;
}

// The standard decoder's output for the Ogg file, as 16-bit frames in the media file's
// channel order.
inline std::vector<int16_t> Reference(const std::vector<uint8_t>& ogg, uint32_t channels) {
    OggVorbis_File file;
    ov_callbacks callbacks = OV_CALLBACKS_NOCLOSE;
    FILE* memory = fmemopen(const_cast<uint8_t*>(ogg.data()), ogg.size(), "rb");
    EXPECT_NE(memory, nullptr);
    EXPECT_EQ(ov_open_callbacks(memory, &file, nullptr, 0, callbacks), 0);
    static const uint8_t orders[7][6] = {{}, {0}, {0, 1}, {0, 2, 1}, {0, 1, 2, 3}, {0, 2, 1, 3, 4}, {0, 2, 1, 5, 3, 4}};
    std::vector<int16_t> out;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&file, &pcm, 1024, &section);
        if (frames <= 0) break;
        for (long i = 0; i < frames; ++i)
            for (uint32_t o = 0; o < channels; ++o) {
                const float v = std::nearbyint(pcm[orders[channels][o]][i] * 32768.0f);
                out.push_back(static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)));
            }
    }
    ov_clear(&file);
    std::fclose(memory);
    return out;
}

inline ::testing::AssertionResult WithinOne(const std::vector<int16_t>& got, const std::vector<int16_t>& expected,
                                            size_t from = 0) {
    if (got.size() != expected.size() - from)
        return ::testing::AssertionFailure() << "samples " << got.size() << " against " << expected.size() - from;
    for (size_t i = 0; i < got.size(); ++i)
        if (std::abs(int(got[i]) - int(expected[from + i])) > 1)
            return ::testing::AssertionFailure()
                   << "sample " << i << ": " << got[i] << " against " << expected[from + i];
    return ::testing::AssertionSuccess();
}

// Packed media opened for decoding: its format, setup and the packet region.
struct Opened {
    SX::SxMediaInfo info;
    SX::SxVorbisFormat format;
    std::shared_ptr<SX::SxVorbisSetup> setup;
    const uint8_t* data = nullptr;
};

inline bool Open(const std::vector<uint8_t>& media, Opened& opened) {
    if (SX::SxParseMedia(media.data(), uint32_t(media.size()), false, opened.info) != SX::SX_Success) return false;
    if (opened.format.Read(opened.info.fmt, opened.info.fmtSize, opened.info.dataSize) != SX::SX_Success) return false;
    opened.data = media.data() + opened.info.dataOffset;
    const uint8_t* setupRecord = opened.data + opened.format.seekTableSize;
    const uint32_t setupSize = setupRecord[0] | setupRecord[1] << 8;
    if (opened.format.seekTableSize + 2 + setupSize > opened.format.firstPacket) return false;
    opened.setup = std::make_shared<SX::SxVorbisSetup>();
    return opened.setup->Parse(setupRecord + 2, setupSize, opened.format.channels, opened.format.shortLog2,
                               opened.format.longLog2, SX::SxVorbisBuiltInLibrary());
}

// Decodes from a byte offset of the packets to the end, with a start drop.
inline std::vector<int16_t> DecodeFrom(const Opened& opened, uint32_t offset, uint32_t startDrop,
                                       uint32_t request = 1000) {
    SX::SxVorbisDecoder decoder;
    EXPECT_TRUE(decoder.Init(opened.setup, opened.format.channels));
    decoder.Reset(startDrop, opened.format.fileEndDrop);
    const uint32_t channels = opened.format.channels;
    std::vector<int16_t> out, buffer(size_t(request) * channels);
    uint32_t at = opened.format.firstPacket + offset;
    for (int guard = 0; guard < 1000000; ++guard) {
        uint32_t consumed = 0, produced = 0;
        const SX::SXRESULT result =
            decoder.DecodeFrames(opened.data + at, opened.info.dataSize - at, true, opened.format.maxPacket, request,
                                 buffer.data(), consumed, produced);
        at += consumed;
        out.insert(out.end(), buffer.begin(), buffer.begin() + size_t(produced) * channels);
        if (result != SX::SX_DataReady) {
            EXPECT_EQ(result, SX::SX_NoMoreData);
            break;
        }
    }
    return out;
}

}  // namespace vorbistest

namespace vorbistest {

// Packets of each block size in the packed media: {short, long}.
inline std::pair<uint32_t, uint32_t> BlockCounts(const Opened& opened) {
    std::pair<uint32_t, uint32_t> counts{0, 0};
    const uint32_t modeBits = SX::SxVorbisILog(uint32_t(opened.setup->modes.size()) - 1);
    for (uint32_t at = opened.format.firstPacket; at + 2 <= opened.info.dataSize;) {
        const uint32_t size = opened.data[at] | opened.data[at + 1] << 8;
        SX::SxVorbisBits bits(opened.data + at + 2, size);
        const uint32_t mode = bits.Read(modeBits);
        if (mode < opened.setup->modes.size()) (opened.setup->modes[mode].blockFlag ? counts.second : counts.first)++;
        at += 2 + size;
    }
    return counts;
}

}  // namespace vorbistest
