// Decode speed of packed Vorbis media beside the standard decoder decoding the same audio from
// its Ogg file (the anchor), per channel configuration. The material is two seconds of a tone
// with transients, encoded at quality 4 by the standard encoder and packed by the packer.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "sound/engine/voice/SxMediaParser.h"
#include "sound/engine/vorbis/SxVorbisDecoder.h"
#include "sound/engine/vorbis/SxVorbisFormat.h"
#include "tools/vorbispacker/VorbisPacker.h"

namespace {

constexpr uint32_t kRate = 48000;

struct Material {
    std::vector<uint8_t> ogg;
    std::vector<uint8_t> media;
    uint32_t frames = 0;
};

const Material& MaterialFor(uint32_t channels) {
    static std::map<uint32_t, Material> made;
    Material& m = made[channels];
    if (!m.ogg.empty()) return m;
    m.frames = 2 * kRate;
    std::vector<int16_t> samples(size_t(m.frames) * channels);
    for (uint32_t i = 0; i < m.frames; ++i)
        for (uint32_t c = 0; c < channels; ++c) {
            const double tone = 0.4 * std::sin(2 * 3.14159265 * (220.0 + 55.0 * c) * i / kRate);
            const uint32_t t = i % (kRate / 3);
            const double hit = t < 2000 ? 0.5 * std::exp(-t / 300.0) * std::sin(0.7 * t) : 0.0;
            samples[size_t(i) * channels + c] = static_cast<int16_t>(std::lrint((tone + hit) * 32767.0));
        }
    char dir[] = "/tmp/vorbisbenchXXXXXX";
    if (!mkdtemp(dir)) return m;
    const std::string raw = std::string(dir) + "/in.raw", ogg = std::string(dir) + "/out.ogg";
    SD::WriteWholeFile(raw, nullptr, 0, samples.data(), samples.size() * 2);
    const std::string command = "oggenc -Q --raw --raw-rate=" + std::to_string(kRate) +
                                " --raw-chan=" + std::to_string(channels) + " --raw-bits=16 -q 4 -o " + ogg + " " + raw;
    if (std::system(command.c_str()) == 0) {
        std::vector<unsigned char> bytes;
        SD::ReadWholeFile(ogg, bytes);
        m.ogg = bytes;
        QV::vorbis::OggStream stream;
        std::string error;
        if (QV::vorbis::ReadOgg(m.ogg, stream, error))
            QV::vorbis::Pack(stream, SX::SxVorbisBuiltInLibrary(), QV::vorbis::PackOptions(), m.media, error);
    }
    std::remove(raw.c_str());
    std::remove(ogg.c_str());
    rmdir(dir);
    return m;
}

void BM_PackedDecode(benchmark::State& state) {
    const uint32_t channels = static_cast<uint32_t>(state.range(0));
    const Material& m = MaterialFor(channels);
    SX::SxMediaInfo info;
    SX::SxVorbisFormat format;
    if (m.media.empty() || SX::SxParseMedia(m.media.data(), uint32_t(m.media.size()), false, info) != SX::SX_Success ||
        format.Read(info.fmt, info.fmtSize, info.dataSize) != SX::SX_Success) {
        state.SkipWithError("no material (is the encoder installed?)");
        return;
    }
    const uint8_t* data = m.media.data() + info.dataOffset;
    const uint8_t* setupBytes;
    uint32_t setupSize;
    format.SetupPacket(data, setupBytes, setupSize);
    auto setup = std::make_shared<SX::SxVorbisSetup>();
    setup->Parse(setupBytes, setupSize, channels, format.shortLog2, format.longLog2, SX::SxVorbisBuiltInLibrary());
    SX::SxVorbisDecoder decoder;
    decoder.Init(setup, channels);
    std::vector<int16_t> out(size_t(1024) * channels);
    int64_t frames = 0;
    for (auto _ : state) {
        decoder.Reset(0, format.fileEndDrop);
        uint32_t at = format.firstPacket;
        for (;;) {
            uint32_t consumed = 0, produced = 0;
            const SX::SXRESULT result = decoder.DecodeFrames(data + at, info.dataSize - at, true, format.maxPacket,
                                                             1024, out.data(), consumed, produced);
            at += consumed;
            frames += produced;
            if (result != SX::SX_DataReady) break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    if (frames != int64_t(state.iterations()) * m.frames) state.SkipWithError("the decoder did not give every frame");
    state.SetItemsProcessed(int64_t(state.iterations()) * m.frames);
}

// The anchor: the standard decoder on the Ogg file, converted to 16-bit as the engine does. The
// file is opened once, as the packed path parses its setup once; each pass goes back to the
// first sample and decodes to the end, as the packed path resets its decoder.
void BM_StandardDecode(benchmark::State& state) {
    const uint32_t channels = static_cast<uint32_t>(state.range(0));
    const Material& m = MaterialFor(channels);
    if (m.ogg.empty()) {
        state.SkipWithError("no material (is the encoder installed?)");
        return;
    }
    FILE* memory = fmemopen(const_cast<uint8_t*>(m.ogg.data()), m.ogg.size(), "rb");
    OggVorbis_File file;
    if (!memory || ov_open_callbacks(memory, &file, nullptr, 0, OV_CALLBACKS_NOCLOSE) != 0) {
        state.SkipWithError("the standard decoder refused the file");
        if (memory) std::fclose(memory);
        return;
    }
    std::vector<char> out(size_t(4096) * channels);
    int64_t frames = 0;
    for (auto _ : state) {
        ov_pcm_seek(&file, 0);
        int section = 0;
        long read;
        while ((read = ov_read(&file, out.data(), int(out.size()), 0, 2, 1, &section)) > 0)
            frames += read / (2 * channels);
        benchmark::DoNotOptimize(out.data());
    }
    ov_clear(&file);
    std::fclose(memory);
    if (frames != int64_t(state.iterations()) * m.frames) state.SkipWithError("the anchor did not decode every frame");
    state.SetItemsProcessed(int64_t(state.iterations()) * m.frames);
}

BENCHMARK(BM_PackedDecode)->Arg(1)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StandardDecode)->Arg(1)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

}  // namespace
