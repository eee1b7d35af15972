// Every instruction-set variant of the mixing kernels this processor runs must give the
// baseline's samples bit for bit, on lengths that are not whole vectors and on buffers that
// start off any vector boundary; the baseline itself is checked against a plain model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "sound/engine/lower/SxMixKernelPaths.h"
#include "sound/engine/lower/SxMixKernels.h"

using namespace SX::SxMixKernels;

namespace {

const uint32_t kLengths[] = {0, 1, 3, 4, 7, 8, 9, 15, 16, 17, 24, 31, 33, 63, 1024, 1031};
const uint32_t kOffsets[] = {0, 1, 3};  // in floats: 0 is 64-byte aligned, the others are not

std::vector<const SxKernelPath*> WiderPaths() {
    std::vector<const SxKernelPath*> paths;
    for (SxKernelIsa isa : {SxKernelIsa::Avx2, SxKernelIsa::Avx512})
        if (const SxKernelPath* path = SxKernelPathFor(isa)) paths.push_back(path);
    return paths;
}

// A 64-byte aligned block of floats with a deterministic mix of signs and magnitudes.
struct Samples {
    explicit Samples(size_t count, uint32_t seed, float scale = 1.0f) : storage(count + 64) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> value(-scale, scale);
        // From the first line on, so that two blocks of one seed hold the same samples wherever
        // the allocator put them.
        for (float* v = At(0); v != storage.data() + storage.size(); ++v) *v = value(random);
    }
    float* At(uint32_t offset) {
        auto address = reinterpret_cast<uintptr_t>(storage.data());
        return reinterpret_cast<float*>((address + 63) & ~uintptr_t{63}) + offset;
    }
    std::vector<float> storage;
};

bool SameBits(const float* a, const float* b, size_t n) { return std::memcmp(a, b, n * sizeof(float)) == 0; }

TEST(MixKernelPaths, BaselineRampAddsTheGainsOfTheEightLaneModel) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    const uint32_t frames = 40;
    const float gain = 0.3f, step = -0.0071f;
    Samples src(frames, 1), dst(frames, 2);
    std::vector<float> expected(dst.At(0), dst.At(0) + frames);
    float lanes[8] = {gain, gain + step, gain + 2 * step, gain + 3 * step};
    for (int j = 4; j < 8; ++j) lanes[j] = lanes[j - 4] + 4 * step;
    for (uint32_t k = 0; k < frames; ++k) {
        if (k > 0 && k % 8 == 0)
            for (float& lane : lanes) lane = lane + 8 * step;
        expected[k] = expected[k] + src.At(0)[k] * lanes[k % 8];
    }
    base.mixRamp(src.At(0), dst.At(0), frames, gain, step);
    EXPECT_TRUE(SameBits(dst.At(0), expected.data(), frames));
}

TEST(MixKernelPaths, WiderMixesMatchTheBaselineOnAnyLengthAndAlignment) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    for (const SxKernelPath* path : WiderPaths()) {
        for (uint32_t frames : kLengths) {
            for (uint32_t offset : kOffsets) {
                SCOPED_TRACE(testing::Message() << path->name << " frames " << frames << " offset " << offset);
                Samples src(frames, frames + 7), a(frames, frames + 11), b(frames, frames + 11);
                // Steps that round, so that adding 8s twice differs from adding 16s once.
                base.mixRamp(src.At(offset), a.At(offset), frames, 0.1f, 0.3f / 1024);
                path->mixRamp(src.At(offset), b.At(offset), frames, 0.1f, 0.3f / 1024);
                base.mixConstant(src.At(offset), a.At(offset), frames, -0.75f);
                path->mixConstant(src.At(offset), b.At(offset), frames, -0.75f);
                EXPECT_TRUE(SameBits(a.At(offset), b.At(offset), frames));
                // Nothing past the end is written.
                EXPECT_TRUE(SameBits(a.At(offset) + frames, b.At(offset) + frames, 16));

                std::vector<float> outA(2 * frames + 1, 9.0f), outB(2 * frames + 1, 9.0f);
                base.interleaveStereo(src.At(offset), a.At(offset), outA.data(), frames, 0.9f, -0.7f / 1024);
                path->interleaveStereo(src.At(offset), a.At(offset), outB.data(), frames, 0.9f, -0.7f / 1024);
                EXPECT_TRUE(SameBits(outA.data(), outB.data(), outA.size()));
            }
        }
    }
}

// The pair kernel gives each channel the samples of a ramp of its own, on every path, whether
// the two channels read one source (a voice into stereo) or two (a node into a node).
TEST(MixKernelPaths, PairRampsGiveEachChannelItsOwnRampOnEveryPath) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    std::vector<const SxKernelPath*> paths = WiderPaths();
    paths.insert(paths.begin(), &base);
    for (const SxKernelPath* path : paths) {
        for (uint32_t frames : kLengths) {
            for (bool shared : {true, false}) {
                SCOPED_TRACE(testing::Message() << path->name << " frames " << frames << " shared " << shared);
                Samples src(2 * frames, frames + 1), expected(2 * frames + 16, frames + 2),
                    got(2 * frames + 16, frames + 2);
                const float* srcB = shared ? src.At(1) : src.At(1) + frames;
                base.mixRamp(src.At(1), expected.At(1), frames, 0.1f, 0.3f / 1024);
                base.mixRamp(srcB, expected.At(1) + frames, frames, 0.8f, -0.45f / 1024);
                path->mixRampPair({src.At(1), got.At(1), 0.1f, 0.3f / 1024},
                                  {srcB, got.At(1) + frames, 0.8f, -0.45f / 1024}, frames);
                EXPECT_TRUE(SameBits(expected.At(1), got.At(1), 2 * frames + 16));
            }
        }
    }
}

// Per kernel the least time wins, ties go to the earlier path, and a function two paths share is
// timed once.
TEST(MixKernelPaths, FastestKernelsTakeEachKernelFromThePathTimedFastest) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    SxKernelPath wide = base, wider = base;
    wide.name = "wide";
    wider.name = "wider";
    // Stand-ins, only compared, never called.
    const auto fake = [](const float*, float*, uint32_t, float, float) {};
    const auto fakeTo16 = [](const float*, int16_t*, uint32_t) {};
    wide.mixRamp = fake;
    wider.floatTo16 = fakeTo16;
    std::vector<std::pair<std::string, SxKernel>> timed;
    const SxKernelTimer seconds = [&](const SxKernelPath& path, SxKernel kernel) {
        timed.emplace_back(path.name, kernel);
        if (kernel == SxKernel::MixRamp) return std::string(path.name) == "wide" ? 1.0 : 2.0;
        if (kernel == SxKernel::FloatTo16) return std::string(path.name) == "wider" ? 1.0 : 3.0;
        return 5.0;  // a tie: the first path keeps it
    };
    std::string name;
    const SxKernelPath chosen = SxFastestKernels({&base, &wide, &wider}, seconds, name);
    EXPECT_EQ(chosen.mixRamp, wide.mixRamp);
    EXPECT_EQ(chosen.floatTo16, wider.floatTo16);
    EXPECT_EQ(chosen.mixConstant, base.mixConstant);
    EXPECT_NE(name.find("mixRamp=wide "), std::string::npos) << name;
    EXPECT_NE(name.find("floatTo16=wider "), std::string::npos) << name;
    EXPECT_NE(name.find("mixConstant=sse2 "), std::string::npos) << name;
    EXPECT_EQ(std::string(chosen.name), name);
    // mixRamp: sse2 and wide (wider shares sse2's); floatTo16: sse2 and wider; each other
    // kernel: sse2 alone.
    const size_t kernels = static_cast<size_t>(SxKernel::Count);
    EXPECT_EQ(timed.size(), kernels + 2);
}

// What the mixer calls: MixIntoStereo with both gains ramping runs the pair kernel of the
// selected kernels, and gives the baseline's two ramps.
TEST(MixKernelPaths, SelectedKernelsGiveTheBaselinesSamples) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    const SxKernelPath& selected = SxSelectedKernelPath();
    std::vector<const SxKernelPath*> paths = WiderPaths();
    paths.insert(paths.begin(), &base);
    bool known = false;
    for (const SxKernelPath* path : paths) known = known || selected.mixRampPair == path->mixRampPair;
    EXPECT_TRUE(known);

    const uint32_t frames = 1024;
    SX::SxSpeakerGains gains;
    gains.previous[0] = 0.2f, gains.current[0] = 0.7f, gains.previous[1] = 0.9f, gains.current[1] = 0.1f;
    Samples src(frames, 21), expected(2 * frames, 22), got(2 * frames, 22);
    base.mixRamp(src.At(0), expected.At(0), frames, 0.2f, (0.7f - 0.2f) * (1.0f / frames));
    base.mixRamp(src.At(0), expected.At(0) + frames, frames, 0.9f, (0.1f - 0.9f) * (1.0f / frames));
    SX::SxMixKernels::MixIntoStereo(src.At(0), got.At(0), frames, gains, 1);
    EXPECT_TRUE(SameBits(expected.At(0), got.At(0), 2 * frames));
}

TEST(MixKernelPaths, ConversionsMatchTheBaselineOnAnyLengthAndAlignment) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    for (const SxKernelPath* path : WiderPaths()) {
        for (uint32_t count : kLengths) {
            for (uint32_t offset : kOffsets) {
                SCOPED_TRACE(testing::Message() << path->name << " count " << count << " offset " << offset);
                Samples in(count, count + 3, 1.5f);  // some values beyond full scale
                std::vector<int16_t> a(count + 1, 7), b(count + 1, 7);
                base.floatTo16(in.At(offset), a.data(), count);
                path->floatTo16(in.At(offset), b.data(), count);
                EXPECT_EQ(a, b);
            }
        }
    }
}

// 16-bit media to floats: every path gives x / 32768 exactly, the extremes included, on any
// length and from any 2-byte boundary (media chunks are only 2-byte aligned).
TEST(MixKernelPaths, Pcm16ToFloatIsExactOnEveryPathLengthAndAlignment) {
    std::vector<const SxKernelPath*> paths = WiderPaths();
    paths.insert(paths.begin(), SxKernelPathFor(SxKernelIsa::Sse2));
    std::mt19937 random(16);
    std::vector<int16_t> pcm(1031 + 8);
    for (int16_t& s : pcm) s = static_cast<int16_t>(random());
    pcm[2] = -32768, pcm[20] = 32767, pcm[40] = -1, pcm[1000] = 0;
    for (const SxKernelPath* path : paths) {
        for (uint32_t count : kLengths) {
            for (uint32_t offset : {0u, 1u, 5u}) {
                SCOPED_TRACE(testing::Message() << path->name << " count " << count << " offset " << offset);
                std::vector<float> out(count + 1, 7.0f);
                path->pcm16ToFloat(pcm.data() + offset, out.data(), count);
                bool exact = true;
                for (uint32_t i = 0; i < count; ++i)
                    exact = exact && out[i] == static_cast<float>(pcm[offset + i]) / 32768.0f;
                EXPECT_TRUE(exact);
                EXPECT_EQ(out[count], 7.0f) << "nothing written past the count";
            }
        }
    }
}

// The vector and the sample-by-sample parts of one variant agree: a value converts the same
// wherever it falls in the buffer.
TEST(MixKernelPaths, FloatTo16SaturatesAndTurnsNotANumberToZeroOnEveryPath) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float in;
        int16_t out;
    } cases[] = {
        {1e10f, 32767},
        {inf, 32767},
        {-1e10f, -32768},
        {-inf, -32768},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {-std::numeric_limits<float>::quiet_NaN(), 0},
        {0.5f, 16384},
        {-0.5f, -16384},
        {1.0f, 32767},
        {-1.0f, -32767},
        {1.00001f, 32767},
        {-1.00003f, -32768},
        {65537.0f, 32767},
        {0.0f, 0},
    };
    std::vector<const SxKernelPath*> paths = WiderPaths();
    paths.insert(paths.begin(), SxKernelPathFor(SxKernelIsa::Sse2));
    for (const SxKernelPath* path : paths) {
        for (const Case& c : cases) {
            for (uint32_t at : {0u, 5u, 16u, 33u}) {  // inside a vector block and in the tail
                std::vector<float> in(35, 0.0f);
                in[at] = c.in;
                std::vector<int16_t> out(35, 99);
                path->floatTo16(in.data(), out.data(), 35);
                EXPECT_EQ(out[at], c.out) << path->name << " " << c.in << " at " << at;
            }
        }
    }
}

TEST(MixKernelPaths, VectorAndSampleBySampleLayoutConversionsAgree) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (uint32_t frames : kLengths) {
        Samples in(6 * frames, frames + 5, 2.0f);
        float* f = in.At(1);
        if (frames > 2) f[3] = nan, f[2 * frames - 1] = nan;

        std::vector<int16_t> six(6 * frames + 1, 99);
        base.stereoTo51Pcm16(f, six.data(), frames);
        std::vector<int16_t> two(2 * frames + 1, 99);
        base.fivePointOneToStereoPcm16(f, two.data(), frames);
        for (uint32_t k = 0; k < frames; ++k) {
            for (int c = 0; c < 2; ++c) {
                const float v = f[2 * k + c];
                const int16_t expected =
                    v != v ? 0 : static_cast<int16_t>(std::fmax(-1.0f, std::fmin(1.0f, v)) * 32767.0f);
                ASSERT_EQ(six[6 * k + c], expected) << frames << " frame " << k;
            }
            for (int c = 2; c < 6; ++c) ASSERT_EQ(six[6 * k + c], 0);
            const float* d = f + 6 * k;
            const float folded[2] = {d[0] + 0.707f * d[2] + 0.707f * d[4], d[1] + 0.707f * d[2] + 0.707f * d[5]};
            for (int c = 0; c < 2; ++c) {
                const float v = folded[c];
                const int16_t expected =
                    v != v ? 0 : static_cast<int16_t>(std::fmax(-1.0f, std::fmin(1.0f, v)) * 32767.0f);
                ASSERT_EQ(two[2 * k + c], expected) << frames << " frame " << k;
            }
        }
        EXPECT_EQ(six.back(), 99);
        EXPECT_EQ(two.back(), 99);
    }
}

TEST(MixKernelPaths, FivePointOneInterleaveRampsLikeTheStereoOne) {
    const SxKernelPath& base = *SxKernelPathFor(SxKernelIsa::Sse2);
    for (uint32_t frames : {4u, 9u, 1024u}) {
        Samples planar(6 * frames, frames);
        const float gain = 0.9f, step = 0.1f / 1024, gainLfe = 0.2f, stepLfe = -0.15f / 1024;
        std::vector<float> out(6 * frames);
        base.interleaveFivePointOne(planar.At(0), out.data(), frames, gain, step, gainLfe, stepLfe);
        // The stereo interleave of two planar channels gives the ramp each channel must get.
        const float* p = planar.At(0);
        const float* L = p;
        const float* R = p + frames;
        const float* C = p + 2 * frames;
        const float* SL = p + 3 * frames;
        const float* SR = p + 4 * frames;
        const float* LFE = p + 5 * frames;
        std::vector<float> front(2 * frames), centre(2 * frames), surround(2 * frames), lfe(2 * frames);
        base.interleaveStereo(L, R, front.data(), frames, gain, step);
        base.interleaveStereo(C, SL, centre.data(), frames, gain, step);
        base.interleaveStereo(SR, SR, surround.data(), frames, gain, step);
        base.interleaveStereo(LFE, LFE, lfe.data(), frames, gainLfe, stepLfe);
        for (uint32_t k = 0; k < frames; ++k) {
            const float device[6] = {front[2 * k], front[2 * k + 1],  centre[2 * k],
                                     lfe[2 * k],   centre[2 * k + 1], surround[2 * k]};
            for (int d = 0; d < 6; ++d) ASSERT_EQ(out[6 * k + d], device[d]) << frames << " frame " << k << " " << d;
        }
    }
}

}  // namespace
