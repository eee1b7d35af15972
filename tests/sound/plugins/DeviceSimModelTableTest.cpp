#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>

#include "sound/plugins/studio/DeviceSimModelTable.h"
#include "sound/plugins/studio/StudioFilterDesign.h"

using namespace SX;
using Kind = DeviceSimSectionKind;

namespace {

bool Stable(const BiquadDesign& d) {
    return std::isfinite(d.b0) && std::isfinite(d.b1) && std::isfinite(d.b2) && std::fabs(d.a2) < 1.0 &&
           std::fabs(d.a1) < 1.0 + d.a2;
}

TEST(DeviceSimModelTableTest, EveryModelHasTheShapeOfADevice) {
    std::map<Kind, int> first, last, all;
    int lowShelvesOutsideSecond = 0, highShelvesOutside = 0;
    for (uint32_t m = 0; m < kDeviceSimModelCount; ++m) {
        const DeviceSimModelSection* row = DeviceSimModelRow(m);
        ++first[row[0].kind];
        ++last[row[6].kind];
        for (uint32_t s = 0; s < kDeviceSimModelSections; ++s) {
            const DeviceSimModelSection& k = row[s];
            ++all[k.kind];
            if (k.kind == Kind::LowShelf && s != 1) ++lowShelvesOutsideSecond;
            if (k.kind == Kind::HighShelf && (s < 3 || s > 5)) ++highShelvesOutside;
            switch (k.kind) {
                case Kind::Peak:
                    EXPECT_GE(k.frequency, 42.1) << m;
                    EXPECT_LE(k.frequency, 16966.86) << m;
                    EXPECT_GE(k.shape, 0.4) << m;
                    EXPECT_LE(k.shape, 16.0) << m;
                    EXPECT_GE(k.gainDb, -19.0) << m;
                    EXPECT_LE(k.gainDb, 18.0) << m;
                    break;
                case Kind::HighPass1:
                case Kind::HighPass2:
                    EXPECT_GE(k.frequency, 20.0) << m;
                    EXPECT_LE(k.frequency, 7773.58) << m;
                    EXPECT_TRUE(s <= 2) << "high-passes open the cascade, model " << m;
                    break;
                case Kind::LowPass1:
                case Kind::LowPass2:
                    EXPECT_GE(k.frequency, 66.66) << m;
                    EXPECT_LE(k.frequency, 19542.95) << m;
                    EXPECT_TRUE(s >= 3) << "low-passes close it, model " << m;
                    break;
                case Kind::LowShelf:
                case Kind::HighShelf:
                    EXPECT_GE(k.shape, 0.025) << m;
                    EXPECT_LE(k.shape, 2.0) << m;
                    EXPECT_GE(k.gainDb, -18.0) << m;
                    EXPECT_LE(k.gainDb, 11.36) << m;
                    break;
            }
            if (k.kind == Kind::HighPass2 || k.kind == Kind::LowPass2) {
                EXPECT_GE(k.shape, 0.24) << m;
                EXPECT_LE(k.shape, 1.6) << m;
            }
        }
    }
    EXPECT_EQ(first[Kind::HighPass2], 102);
    EXPECT_EQ(first[Kind::HighPass1], 57);
    EXPECT_EQ(first[Kind::Peak], 5);
    EXPECT_EQ(last[Kind::LowPass2], 120);
    EXPECT_EQ(last[Kind::LowPass1], 44);
    EXPECT_EQ(all[Kind::Peak], 719);
    EXPECT_EQ(all[Kind::LowShelf], 21);
    EXPECT_EQ(all[Kind::HighShelf], 5);
    EXPECT_EQ(lowShelvesOutsideSecond, 0);
    EXPECT_EQ(highShelvesOutside, 0);
}

TEST(DeviceSimModelTableTest, EveryModelIsStableAtEveryRateAndScale) {
    StudioDesignContext context;
    for (int32_t rate : {24000, 44100, 48000, 96000}) {
        context.Get(rate);
        for (double scale : {0.0, 0.25, 1.0, 3.0}) {
            for (uint32_t m = 0; m < kDeviceSimModelCount; ++m) {
                BiquadDesign out[kDeviceSimModelSections];
                DeviceSimModelTable(context, m, scale, out);
                for (uint32_t s = 0; s < kDeviceSimModelSections; ++s)
                    EXPECT_TRUE(Stable(out[s]))
                        << "model " << m << " section " << s << " rate " << rate << " scale " << scale;
            }
        }
    }
}

TEST(DeviceSimModelTableTest, GivenRowsDesignAsListedAndTheScaleMovesOnlyMarkedFrequencies) {
    StudioDesignContext context;
    context.Get(48000);
    const double scale = 0.5;
    BiquadDesign out[kDeviceSimModelSections];
    DeviceSimModelTable(context, 59, scale, out);
    const BiquadDesign expected[kDeviceSimModelSections] = {
        DesignHighPass2(context, 307.56, 0.65),        DesignHighPass1(context, 307.56 * scale),
        DesignPeak(context, 4300 * scale, 16, 15),     DesignPeak(context, 5526.33 * scale, 16, -10.5),
        DesignPeak(context, 9941.65 * scale, 16, -18), DesignLowPass2(context, 7673.81 * scale, 0.98),
        DesignLowPass2(context, 7673.81, 0.98),
    };
    for (uint32_t s = 0; s < kDeviceSimModelSections; ++s) {
        EXPECT_DOUBLE_EQ(out[s].b0, expected[s].b0) << s;
        EXPECT_DOUBLE_EQ(out[s].a1, expected[s].a1) << s;
        EXPECT_DOUBLE_EQ(out[s].a2, expected[s].a2) << s;
    }
    DeviceSimModelTable(context, 0, 1.0, out);
    const BiquadDesign shelf = DesignLowShelf(context, 237, 0.75, 4.3), lowPass = DesignLowPass2(context, 6000, 1.4);
    EXPECT_DOUBLE_EQ(out[1].b1, shelf.b1);
    EXPECT_DOUBLE_EQ(out[6].a1, lowPass.a1);
    EXPECT_DOUBLE_EQ(out[5].b0, 1.0) << "the filler peak of 0 dB is unity";
    EXPECT_DOUBLE_EQ(out[5].b1, out[5].a1);
    DeviceSimModelTable(context, 21, 1.0, out);
    const BiquadDesign high = DesignHighShelf(context, 443.25, 1.0, -13.01);
    EXPECT_DOUBLE_EQ(out[5].b2, high.b2);
}

TEST(DeviceSimModelTableTest, GainsComeFromTheTableAndPastTheEndAreOne) {
    const struct {
        uint32_t model;
        double gain;
    } cases[] = {{0, -0.9},    {1, 1.0},  {21, 1.0},  {55, -17.3}, {99, -18},
                 {123, -18.2}, {159, -1}, {163, 1.0}, {164, 1.0},  {0xFFFFFFFFu, 1.0}};
    for (const auto& k : cases) EXPECT_EQ(DeviceSimModelGain(k.model), k.gain) << k.model;
    int ones = 0;
    for (uint32_t m = 0; m < kDeviceSimModelCount; ++m) {
        const double g = DeviceSimModelGain(m);
        EXPECT_TRUE(g == 1.0 || g < 0.0) << m;
        ones += g == 1.0;
    }
    EXPECT_EQ(ones, 21);
}

TEST(DeviceSimModelTableTest, AnIndexPastTheEndIsHeldAtTheLastModel) {
    EXPECT_EQ(DeviceSimModelRow(164), DeviceSimModelRow(163));
    EXPECT_EQ(DeviceSimModelRow(0xFFFFFFFFu), DeviceSimModelRow(163));
    StudioDesignContext context;
    BiquadDesign a[kDeviceSimModelSections], b[kDeviceSimModelSections];
    DeviceSimModelTable(context, 163, 1.0, a);
    DeviceSimModelTable(context, 100000, 1.0, b);
    for (uint32_t s = 0; s < kDeviceSimModelSections; ++s) EXPECT_EQ(a[s].b0, b[s].b0);
}

}  // namespace
