// Parametric EQ measured with sines against the analytic response of each filter type, and
// the reverb building blocks it shares.
#include <complex>
#include <limits>

#include "sound/plugins/effects/CSxParametricEQFX.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

constexpr uint32_t kRate = 48000;
using EQRig = Rig<CSxParametricEQFX, CSxParameterEQFXParams>;

struct BandSetting {
    uint32_t type;
    float gain, frequency, q;
    bool on;
};

Block EQBlock(const BandSetting (&bands)[3], float levelDb = 0.0f, bool lfe = true) {
    Block b;
    for (const BandSetting& band : bands) b.U32(band.type).F32(band.gain).F32(band.frequency).F32(band.q).U8(band.on);
    b.F32(levelDb).U8(lfe);
    return b;
}

// The textbook response of one band at frequency f, in dB, computed in double precision.
double AnalyticDb(const BandSetting& band, double f) {
    const double fs = kRate;
    const double fc = std::min<double>(band.frequency, 0.45 * fs);
    const double w0 = 2 * kPi * fc / fs, A = std::pow(10.0, band.gain / 40.0);
    const double alpha = std::sin(w0) / (2 * band.q), cw = std::cos(w0);
    const double s = std::sqrt(2 * A) * std::sin(w0);
    double b[3], a[3];
    switch (band.type) {
        case 0: {
            const double r = std::tan(kPi * f / fs) / std::tan(kPi * fc / fs);
            return -10.0 * std::log10(1.0 + std::pow(r, 4));
        }
        case 1: {
            const double r = std::tan(kPi * fc / fs) / std::tan(kPi * f / fs);
            return -10.0 * std::log10(1.0 + std::pow(r, 4));
        }
        case 2:
            b[0] = alpha;
            b[1] = 0;
            b[2] = -alpha;
            a[0] = 1 + alpha;
            a[1] = -2 * cw;
            a[2] = 1 - alpha;
            break;
        case 3:
            b[0] = 1;
            b[1] = -2 * cw;
            b[2] = 1;
            a[0] = 1 + alpha;
            a[1] = -2 * cw;
            a[2] = 1 - alpha;
            break;
        case 4:
            b[0] = A * ((A + 1) - (A - 1) * cw + s);
            b[1] = 2 * A * ((A - 1) - (A + 1) * cw);
            b[2] = A * ((A + 1) - (A - 1) * cw - s);
            a[0] = (A + 1) + (A - 1) * cw + s;
            a[1] = -2 * ((A - 1) + (A + 1) * cw);
            a[2] = (A + 1) + (A - 1) * cw - s;
            break;
        case 5:
            b[0] = A * ((A + 1) + (A - 1) * cw + s);
            b[1] = -2 * A * ((A - 1) + (A + 1) * cw);
            b[2] = A * ((A + 1) + (A - 1) * cw - s);
            a[0] = (A + 1) - (A - 1) * cw + s;
            a[1] = 2 * ((A - 1) - (A + 1) * cw);
            a[2] = (A + 1) - (A - 1) * cw - s;
            break;
        case 6:
            b[0] = 1 + alpha * A;
            b[1] = -2 * cw;
            b[2] = 1 - alpha * A;
            a[0] = 1 + alpha / A;
            a[1] = -2 * cw;
            a[2] = 1 - alpha / A;
            break;
        default:
            return 0.0;
    }
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * f / fs), z2 = z1 * z1;
    return ToDb(std::abs((b[0] + b[1] * z1 + b[2] * z2) / (a[0] + a[1] * z1 + a[2] * z2)));
}

// The settled gain of the effect for a sine of frequency f, measured over whole periods.
double MeasuredDb(EQRig& rig, double f) {
    rig.effect->Reset();
    uint64_t phase = 0;
    std::vector<float> in, out;
    for (int i = 0; i < 24; ++i) {
        Buffer b(0x4);
        Sine(b.Channel(0), 1024, f, 0.25, kRate, phase);
        in.insert(in.end(), b.Channel(0), b.Channel(0) + 1024);
        rig.effect->Execute(&b.buffer);
        out.insert(out.end(), b.Channel(0), b.Channel(0) + 1024);
    }
    const size_t window = 9600, start = in.size() - window;  // 0.2 s: whole periods of every test tone
    return ToDb(Rms(out.data() + start, window) / Rms(in.data() + start, window));
}

TEST(ParametricEQFX, MagnitudeResponseMatchesTheAnalyticBiquadForEveryType) {
    const BandSetting bands[] = {
        {0, 0, 1000, 1, true},  {1, 0, 1000, 1, true},     {2, 0, 2000, 2, true}, {3, 0, 1000, 4, true},
        {4, 9, 300, 1, true},   {4, -12, 2000, 1, true},   {5, 6, 3000, 1, true}, {5, -9, 500, 1, true},
        {6, 12, 1000, 3, true}, {6, -8, 5000, 0.7f, true},
    };
    const double tones[] = {100, 250, 500, 1000, 2000, 5000, 10000};
    for (const BandSetting& band : bands) {
        const BandSetting set[3] = {band, {6, 0, 2000, 5, false}, {6, 0, 2000, 5, false}};
        const Block block = EQBlock(set);
        EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
        ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
        for (double f : tones) {
            const double want = AnalyticDb(band, f);
            if (want < -60.0) continue;  // below the float noise of the measurement
            EXPECT_NEAR(MeasuredDb(rig, f), want, 0.05 + 0.01 * std::fabs(want))
                << "type " << band.type << " at " << band.frequency << " Hz, tone " << f;
        }
    }
}

TEST(ParametricEQFX, DefaultsPassTheSignalUnchanged) {
    EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
    ASSERT_EQ(rig.Start(kRate, 0x3), SX_Success);
    for (double f : {100.0, 1000.0, 5000.0}) EXPECT_NEAR(MeasuredDb(rig, f), 0.0, 0.001) << f;
}

TEST(ParametricEQFX, LowPassAt1kHzTakesAbout40DbOff10kHz) {
    const BandSetting set[3] = {{0, 0, 1000, 1, true}, {6, 0, 2000, 5, false}, {6, 0, 2000, 5, false}};
    const Block block = EQBlock(set);
    EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
    ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
    EXPECT_NEAR(MeasuredDb(rig, 10000), -42.7, 1.0);  // second order, steeper near the warped top
}

TEST(ParametricEQFX, BandsSwitchOffAndStillFollowTheirParameters) {
    const BandSetting set[3] = {{6, 12, 500, 2, true}, {6, 12, 2000, 2, true}, {6, 12, 8000, 2, true}};
    const Block block = EQBlock(set);
    EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
    ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
    const float off = 0.0f, frequency = 30000.0f;
    ASSERT_EQ(rig.params->SetParam(9, &off, 4), SX_Success);        // band 2 off
    ASSERT_EQ(rig.params->SetParam(7, &frequency, 4), SX_Success);  // band 2 moves while off
    for (double f : {500.0, 2000.0, 8000.0}) {
        const double want = AnalyticDb(set[0], f) + AnalyticDb(set[2], f);  // band 2 no longer counts
        EXPECT_NEAR(MeasuredDb(rig, f), want, 0.1) << f;
    }
    const SxBiquadCoefs clamped = SxDesignBiquad(SxBiquad_Peaking, kRate, 21600.0f, 12.0f, 2.0f);
    EXPECT_FLOAT_EQ(qvtest::ParametricEQProbe::Coefs(*rig.effect, 1).b0, clamped.b0)
        << "30 kHz is designed at 21.6 kHz";
    EXPECT_FLOAT_EQ(qvtest::ParametricEQProbe::Coefs(*rig.effect, 1).a1, clamped.a1);
}

TEST(ParametricEQFX, LfeChannelUntouchedOutputLevelIncluded) {
    const BandSetting set[3] = {{0, 0, 200, 1, true}, {6, 0, 2000, 5, false}, {6, 0, 2000, 5, false}};
    const Block block = EQBlock(set, -6.0f, false);
    EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
    ASSERT_EQ(rig.Start(kRate, SxChannelMask51, &block), SX_Success);
    EXPECT_EQ(qvtest::ParametricEQProbe::ProcessedChannels(*rig.effect), 5u);
    Buffer b(SxChannelMask51);
    uint64_t phase = 0;
    for (uint32_t c = 0; c < 6; ++c) {
        phase = 0;
        Sine(b.Channel(c), 1024, 5000.0, 0.5, kRate, phase);
    }
    const std::vector<float> lfe(b.Channel(5), b.Channel(5) + 1024);
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(std::vector<float>(b.Channel(5), b.Channel(5) + 1024), lfe);
    EXPECT_LT(Rms(b.Channel(0) + 512, 512), 0.01);
}

TEST(ParametricEQFX, TypesWithoutAFormulaAndBadValuesPassFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const BandSetting cases[][3] = {
        {{7, 6, 1000, 1, true}, {99, 0, 1000, 1, true}, {0xFFFFFFFFu, 0, 1000, 1, true}},
        {{6, nan, nan, nan, true}, {4, inf, inf, inf, true}, {5, -inf, -inf, -inf, true}},
        {{0, 0, 0, 0, true}, {1, 0, -5, -1, true}, {2, 0, 1e30f, 1e-30f, true}},
    };
    for (const auto& set : cases) {
        const Block block = EQBlock(set, nan);
        EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
        ASSERT_EQ(rig.Start(kRate, 0x3, &block), SX_Success);
        for (int i = 0; i < 4; ++i) {
            Buffer b(0x3);
            b.Fill(0.5f);
            rig.effect->Execute(&b.buffer);
            ASSERT_TRUE(SxBufferIsFinite(b.buffer));
        }
    }
    EQRig passthrough(CreateParametricEQFX, CreateParametricEQFXParams);
    const Block block = EQBlock(cases[0]);
    ASSERT_EQ(passthrough.Start(kRate, 0x4, &block), SX_Success);
    EXPECT_NEAR(MeasuredDb(passthrough, 1000), 0.0, 1e-4);
}

TEST(ParametricEQFX, AStateDrivenToInfinityIsCleared) {
    EQRig rig(CreateParametricEQFX, CreateParametricEQFXParams);
    ASSERT_EQ(rig.Start(kRate, 0x4), SX_Success);
    Buffer bad(0x4);
    bad.Channel(0)[1023] = std::numeric_limits<float>::infinity();
    rig.effect->Execute(&bad.buffer);
    Buffer next(0x4);
    next.Fill(0.25f);
    rig.effect->Execute(&next.buffer);
    EXPECT_TRUE(SxBufferIsFinite(next.buffer));
}

TEST(ParametricEQFX, BlocksOfTheWrongSizeAreRefused) {
    for (uint32_t size : {1u, 55u, 57u}) {
        std::vector<uint8_t> bytes(size, 0xFF);
        CountingAllocator allocator;
        ISxPluginParam* params = CreateParametricEQFXParams(&allocator);
        EXPECT_EQ(params->Init(&allocator, bytes.data(), size), SX_InvalidParameter);
        EXPECT_EQ(static_cast<CSxParameterEQFXParams*>(params)->bands[1].frequency, 2000.0f);
        const float v = 1.0f;
        EXPECT_EQ(params->SetParam(17, &v, 4), SX_InvalidParameter);
        EXPECT_EQ(params->SetParam(3, nullptr, 4), SX_InvalidParameter);
        params->Term(&allocator);
    }
}

TEST(ReverbBlocks, DesignsShortBuffersDelayLinesAndDcFilter) {
    const SxBiquadCoefs unity = SxDesignBiquad(SxBiquad_Peaking, kRate, 1000.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(unity.b0, 1.0f);
    EXPECT_FLOAT_EQ(unity.b1, -unity.a1);
    EXPECT_FLOAT_EQ(unity.b2, -unity.a2);
    const SxBiquadCoefs high = SxDesignBiquad(SxBiquad_LowPass, kRate, 40000.0f, 0.0f, 1.0f);
    const SxBiquadCoefs held = SxDesignBiquad(SxBiquad_LowPass, kRate, 21600.0f, 0.0f, 1.0f);
    EXPECT_EQ(high.b0, held.b0);
    EXPECT_EQ(SxDesignBiquad(42, kRate, 500.0f, 0, 1).b0, SxDesignBiquad(SxBiquad_LowPass, kRate, 500.0f, 0, 1).b0);

    // Three samples at a time give the same result as the four-sample loop.
    std::vector<float> whole(12), pieces(12);
    for (int i = 0; i < 12; ++i) whole[i] = pieces[i] = float(std::sin(i * 0.7));
    BiquadFilter a, b;
    a.ComputeCoefs(SxBiquad_BandPass, kRate, 3000.0f, 0.0f, 2.0f);
    b = a;
    a.ProcessBuffer(whole.data(), 12);
    for (int i = 0; i < 12; i += 3) b.ProcessBuffer(pieces.data() + i, 3);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(whole[i], pieces[i], 1e-6f) << i;

    CountingAllocator allocator;
    for (uint32_t length : {0u, 3u, 4u, 9u}) {
        DelayLine line;
        ASSERT_EQ(line.Init(&allocator, length), SX_Success);
        EXPECT_EQ(line.length, std::max(length, 4u));
        std::vector<float> x(20);
        x[0] = 1.0f;
        line.ProcessBuffer(x.data(), 20);
        EXPECT_EQ(x[line.length], 1.0f);
        line.Term(&allocator);
    }
    EXPECT_EQ(allocator.live, 0);

    DCFilter dc;
    dc.R = 1.0f - 6.2831855f * 40.0f / kRate;
    std::vector<float> offset(48000, 0.5f);
    dc.ProcessBuffer(offset.data(), 48000);
    EXPECT_LT(std::fabs(offset.back()), 1e-4f);
}

}  // namespace
}  // namespace fxtest
