// Tone generator: frequency, envelope, sweep and gain glide measured on the output, the
// noises, loops, and parameter blocks out of range.
#include "sound/plugins/synth/CSxToneGen.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using Rig = SourceRig<CSxToneGen, CSxToneGenParams>;

Block ToneBlock(const SxToneGenValues& v) {
    Block b;
    b.F32(v.gainDb).F32(v.startFreq).F32(v.endFreq).F32(v.startFreqRandMin).F32(v.startFreqRandMax).U8(v.sweepOn);
    b.U32(v.sweepShape).F32(v.endFreqRandMin).F32(v.endFreqRandMax).U32(v.waveform).U32(v.envelopeMode);
    b.F32(v.duration).F32(v.attack).F32(v.decay).F32(v.sustainTime).F32(v.sustainLevelDb).F32(v.release);
    return b;
}

// Rising zero crossings per second over [from, to).
double MeasuredFrequency(const std::vector<float>& x, size_t from, size_t to, uint32_t rate) {
    size_t first = 0, last = 0, count = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            if (count == 0) first = i;
            last = i;
            ++count;
        }
    }
    return count > 1 ? double(count - 1) * rate / double(last - first) : 0.0;
}

TEST(ToneGen, DefaultsPlayA440HzSineForOneSecondBetweenFiveMillisecondFades) {
    Rig rig(CreateToneGen, CreateToneGenParams);
    ASSERT_EQ(rig.Start(48000, 1), SX_Success);
    EXPECT_EQ(qvtest::ToneGenProbe::SamplesPerLoop(*rig.source), 48480u);
    EXPECT_NEAR(rig.source->GetDuration(), 1010.0f, 1e-3f);
    std::vector<float> out;
    rig.Run(out, 1000000);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    ASSERT_EQ(out.size(), 48480u);
    EXPECT_NEAR(MeasuredFrequency(out, 1000, 47000, 48000), 440.0, 0.1);
    EXPECT_NEAR(Peak(out.data() + 240, 48000), 0.98855, 1e-3);
    EXPECT_LT(Peak(out.data(), 24), 0.1 * 0.98855);  // the fade-in
    // The fade-out runs to its end: the level falls linearly to nothing at the last sample.
    EXPECT_GT(Peak(out.data() + 48240 - 120, 120), 0.95);
    EXPECT_LT(Peak(out.data() + 48360, 120), 0.5 * 0.98855 + 0.01);
    EXPECT_LT(std::fabs(out.back()), 1e-5f);
}

TEST(ToneGen, FrequenciesAreHeldBetweenAThousandthOfAHertzAndTheLimit) {
    struct Case {
        uint32_t rate;
        float frequency;
        double expected;
    } cases[] = {{48000, 1000.0f, 1000.0}, {48000, 30000.0f, 19999.0}, {48000, 20000.0f, 19999.0},
                 {16000, 9000.0f, 7999.0}, {48000, 0.0f, 0.0},         {48000, -50.0f, 0.0}};
    for (const Case& c : cases) {
        Rig rig(CreateToneGen, CreateToneGenParams);
        SxToneGenValues v;
        v.startFreq = c.frequency;
        v.duration = 1.0f;
        const Block block = ToneBlock(v);
        ASSERT_EQ(rig.Start(c.rate, 0, &block), SX_Success);
        std::vector<float> out;
        rig.Run(out, c.rate);
        EXPECT_NEAR(MeasuredFrequency(out, 0, out.size(), c.rate), c.expected, c.expected * 2e-3 + 1e-9) << c.frequency;
        if (c.expected == 0.0) {
            EXPECT_LT(Peak(out.data(), out.size()), 0.01) << c.frequency;
        }
    }
}

TEST(ToneGen, SweepsFollowTheirShapeOverTheLoop) {
    struct Case {
        uint32_t shape;
        float f0, f1;
        double (*at)(double fraction, double f0, double f1);
    } cases[] = {
        {0, 200, 2200, [](double p, double a, double b) { return a + p * (b - a); }},
        {1, 200, 2200, [](double p, double a, double b) { return a + p * p * (b - a); }},
        {1, 2200, 200, [](double p, double a, double b) { return a + std::sqrt(p) * (b - a); }},
    };
    for (const Case& c : cases) {
        Rig rig(CreateToneGen, CreateToneGenParams);
        SxToneGenValues v;
        v.startFreq = c.f0;
        v.endFreq = c.f1;
        v.sweepOn = 1;
        v.sweepShape = c.shape;
        const Block block = ToneBlock(v);
        ASSERT_EQ(rig.Start(48000, 2, &block), SX_Success);  // looping: no fades
        std::vector<float> out;
        rig.Run(out, 48000);
        for (double fraction : {0.2, 0.5, 0.8}) {
            const size_t centre = size_t(fraction * 48000);
            const double expected = c.at(fraction, c.f0, c.f1);
            EXPECT_NEAR(MeasuredFrequency(out, centre - 1200, centre + 1200, 48000), expected, expected * 0.03)
                << c.shape << " " << c.f0 << " at " << fraction;
        }
    }
}

// At a quarter of the rate the sine's table is read at its four quarter points, so every
// fourth sample shows the level itself.
TEST(ToneGen, GainChangesGlideAtAFullScaleEveryHundredMilliseconds) {
    Rig rig(CreateToneGen, CreateToneGenParams);
    SxToneGenValues v;
    v.startFreq = 12000.0f;
    v.duration = 10.0f;
    const Block block = ToneBlock(v);
    ASSERT_EQ(rig.Start(48000, 0, &block), SX_Success);
    std::vector<float> out;
    rig.Run(out, 1024);
    EXPECT_NEAR(out[1], 0.98855f, 1e-5f);
    const float db6 = 6.0206f;
    ASSERT_EQ(rig.params->SetParam(0, &db6, 4), SX_Success);
    out.clear();
    rig.Run(out, 6 * 1024);
    for (uint32_t i : {1u, 1025u, 2401u, 4001u, 4773u})
        EXPECT_NEAR(out[i], (1.0f + (i + 1) / 4800.0f) * 0.98855f, 1e-3f) << i;
    for (uint32_t i : {4801u, 6001u}) EXPECT_NEAR(out[i], 2.0f * 0.98855f, 1e-3f) << i;
}

TEST(ToneGen, EnvelopeSegmentsShapeTheToneAndZeroLengthsTakeOneSample) {
    {
        Rig rig(CreateToneGen, CreateToneGenParams);
        SxToneGenValues v;
        v.startFreq = 12000.0f;
        v.envelopeMode = 1;
        v.attack = v.decay = v.sustainTime = v.release = 0.01f;
        v.sustainLevelDb = -6.0206f;
        const Block block = ToneBlock(v);
        ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
        std::vector<float> out;
        rig.Run(out, 100000);
        ASSERT_EQ(out.size(), 1920u);
        auto envelope = [](double i) {
            if (i < 480) return (i + 1) / 480;
            if (i < 960) return 1 - (i - 479) * 0.5 / 480;
            if (i < 1440) return 0.5;
            return 0.5 - (i - 1439) * 0.5 / 480;
        };
        for (uint32_t i = 1; i < 1920; i += 4 * 17) EXPECT_NEAR(std::fabs(out[i]), envelope(i) * 0.98855, 1e-3) << i;
        EXPECT_LT(std::fabs(out[1919]), 1e-4f);  // the release ends at the last sample
    }
    Rig rig(CreateToneGen, CreateToneGenParams);
    SxToneGenValues v;
    v.envelopeMode = 1;
    v.sustainTime = 0.01f;
    const Block block = ToneBlock(v);
    ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
    EXPECT_EQ(qvtest::ToneGenProbe::SamplesPerLoop(*rig.source), 483u);
}

TEST(ToneGen, LoopsAndStopLooping) {
    Rig rig(CreateToneGen, CreateToneGenParams);
    SxToneGenValues v;
    v.duration = 0.1f;
    const Block block = ToneBlock(v);
    ASSERT_EQ(rig.Start(48000, 3, &block), SX_Success);
    EXPECT_NEAR(rig.source->GetDuration(), 300.0f, 1e-3f);
    std::vector<float> out;
    rig.Run(out, 1000000);
    EXPECT_EQ(out.size(), 14400u);

    ASSERT_EQ(rig.Start(48000, 0, &block), SX_Success);
    EXPECT_EQ(rig.source->GetDuration(), 0.0f);
    out.clear();
    rig.Run(out, 10 * 1024);
    EXPECT_EQ(rig.lastState, uint32_t(SX_DataReady));
    rig.source->StopLooping();  // 10240 into loops of 4800: 640 left in the third
    out.clear();
    rig.Run(out, 1000000);
    EXPECT_EQ(out.size(), 4800u - 640u);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));

    SxToneGenValues empty;
    empty.duration = 0.0f;
    const Block zero = ToneBlock(empty);
    ASSERT_EQ(rig.Start(48000, 0, &zero), SX_Success);
    EXPECT_EQ(rig.source->StopLooping(), SX_Success);  // no samples per loop: ends at once
    Buffer b(0x4);
    rig.source->Execute(&b.buffer);
    EXPECT_EQ(b.buffer.validFrames, 0);
    EXPECT_EQ(b.buffer.state, uint32_t(SX_NoMoreData));
}

TEST(ToneGen, WaveformsPlayTheirFundamentalAtFullScale) {
    for (uint32_t waveform : {1u, 2u, 3u}) {
        Rig rig(CreateToneGen, CreateToneGenParams);
        SxToneGenValues v;
        v.waveform = waveform;
        v.startFreq = 440.0f;
        const Block block = ToneBlock(v);
        ASSERT_EQ(rig.Start(48000, 0, &block), SX_Success);
        std::vector<float> out;
        rig.Run(out, 48000);
        EXPECT_NEAR(MeasuredFrequency(out, 1000, 48000, 48000), 440.0, 0.2) << waveform;
        EXPECT_NEAR(Peak(out.data() + 1000, 47000), 0.98855, 0.03) << waveform;
    }
}

TEST(ToneGen, NoisesIgnoreTheFrequencyAndPinkNoiseStaysInRange) {
    for (uint32_t waveform : {4u, 5u}) {
        std::vector<float> outputs[2];
        for (int k = 0; k < 2; ++k) {
            Rig rig(CreateToneGen, CreateToneGenParams);
            SxToneGenValues v;
            v.waveform = waveform;
            v.startFreq = k ? 5000.0f : 100.0f;
            v.sweepOn = uint8_t(k);
            v.endFreq = 9000.0f;
            const Block block = ToneBlock(v);
            CSxToneGen::SeedNoise(22222);
            ASSERT_EQ(rig.Start(48000, 0, &block), SX_Success);
            rig.Run(outputs[k], 48000);
        }
        EXPECT_EQ(outputs[0], outputs[1]) << waveform;
        EXPECT_GT(Rms(outputs[0].data(), outputs[0].size()), 0.1) << waveform;
        EXPECT_LE(Peak(outputs[0].data(), outputs[0].size()), 1.0) << waveform;
    }
}

TEST(ToneGen, FailuresOfMemoryAndBadParameters) {
    Rig rig(CreateToneGen, CreateToneGenParams);
    SxToneGenValues v;
    v.waveform = SxTone_PinkNoise;
    const Block pink = ToneBlock(v);
    ASSERT_EQ(rig.params->Init(&rig.allocator, pink.Data(), pink.Size()), SX_Success);
    rig.allocator.failAfter = rig.allocator.mallocs;
    SxAudioFormat format = Format(48000, 0x4);
    EXPECT_EQ(rig.source->Init(&rig.allocator, &rig.context, rig.params, format), SX_InsufficientMemory);
    rig.allocator.failAfter = -1;

    v.waveform = 6;
    const Block unknown = ToneBlock(v);
    ASSERT_EQ(rig.params->SetParamsBlock(unknown.Data(), unknown.Size()), SX_Success);
    EXPECT_EQ(rig.source->Init(&rig.allocator, &rig.context, rig.params, format), SX_InvalidParameter);

    // A block shorter than its layout is refused and the values stay.
    EXPECT_EQ(rig.params->SetParamsBlock(pink.Data(), kToneGenParamsSize - 1), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParamsBlock(nullptr, kToneGenParamsSize), SX_InvalidParameter);
    EXPECT_EQ(rig.params->values.waveform, 6u);

    const float f = 123.0f;
    const uint8_t byte = 1;
    struct Case {
        int16_t id;
        const void* value;
        uint32_t size;
        SXRESULT result;
    } cases[] = {{1, &f, 4, SX_Success},
                 {4, &byte, 1, SX_Success},
                 {17, &f, 4, SX_Success},
                 {-3, &f, 4, SX_Success},
                 {1, nullptr, 4, SX_InvalidParameter},
                 {9, &byte, 1, SX_InvalidParameter}};
    for (const Case& c : cases) EXPECT_EQ(rig.params->SetParam(c.id, c.value, c.size), c.result) << c.id;
    EXPECT_EQ(rig.params->values.startFreq, 123.0f);
    EXPECT_EQ(rig.params->values.sweepOn, 1);
    EXPECT_EQ(rig.params->values.waveform, 6u);
}

}  // namespace
}  // namespace fxtest
