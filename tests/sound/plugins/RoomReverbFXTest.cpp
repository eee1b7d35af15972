// Room reverb: its tables and derived delays, early-reflection timing, decay time, send mode,
// layouts and malformed parameter blocks.
#include <limits>

#include "sound/plugins/effects/CSxRoomReverbFX.h"
#include "sound/plugins/effects/SxRoomReverbPatterns.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using RoomRig = Rig<CSxRoomReverbFX, CSxRoomReverbFXParams>;

// The default block with some fields changed through their parameter IDs' offsets.
struct RoomBlock : Block {
    RoomBlock() {
        for (float v : {1.2f, 2.25f,    100.0f, 180.0f, 0.0f, 100.0f, 1.0f,   0.0f, 1000.0f, 1.0f,
                        0.0f, 10000.0f, 1.0f,   0.0f,   0.0f, 0.0f,   -96.0f, 0.0f, -20.0f,  -20.0f})
            F32(v);
        U8(1).U32(23).F32(25).F32(0).F32(40).F32(80).F32(100).U32(8).U8(0);
        U32(3).U32(0).U32(3).U32(1).U32(3).U32(2).F32(0).F32(-96);
        for (float v : {8.0f, 50.0f, 2.0f, 0.1f, 0.8f, 66.0f, 15.0f, 5.0f, 40.0f, 0.5f, 50.0f}) F32(v);
    }
    RoomBlock& SetF32(uint32_t offset, float v) {
        std::memcpy(&bytes[offset], &v, 4);
        return *this;
    }
    RoomBlock& SetU32(uint32_t offset, uint32_t v) {
        std::memcpy(&bytes[offset], &v, 4);
        return *this;
    }
    RoomBlock& SetU8(uint32_t offset, uint8_t v) {
        bytes[offset] = v;
        return *this;
    }
};

TEST(RoomReverbFX, PatternTableRows) {
    const char16_t* names[] = {u"Bright Chamber",
                               u"Dark Chamber",
                               u"Concrete Venue 1",
                               u"Concrete Venue 2",
                               u"Night Club",
                               u"Warehouse",
                               u"Small Church",
                               u"Medium Church",
                               u"Large Church",
                               u"Cathedral",
                               u"Short Dark Hall",
                               u"Long Dark Hall",
                               u"Bright Hall",
                               u"Small Hall",
                               u"Medium Hall",
                               u"Large Hall",
                               u"Lecture Hall",
                               u"Recital Hall",
                               u"Small Plate",
                               u"Medium Plate",
                               u"Large Plate",
                               u"Vocal Plate",
                               u"Small Room",
                               u"Large Room",
                               u"Bathroom",
                               u"Bedroom",
                               u"Tiled Room",
                               u"Phone Booth",
                               u"Pool",
                               u"Gym",
                               u"Garage"};
    const uint32_t counts[][2] = {{63, 63}, {31, 31}, {47, 50}, {47, 48}, {64, 64}, {44, 47}, {63, 64}, {59, 61},
                                  {48, 50}, {8, 9},   {64, 64}, {39, 38}, {38, 37}, {44, 49}, {64, 64}, {32, 34},
                                  {38, 38}, {34, 38}, {64, 64}, {64, 64}, {64, 64}, {56, 59}, {64, 64}, {63, 63},
                                  {59, 57}, {47, 49}, {64, 64}, {64, 64}, {61, 61}, {61, 61}, {64, 64}};
    for (uint32_t p = 0; p < SxRoomPatternCount; ++p) {
        const SxRoomPattern& row = SxGetRoomPattern(p);
        EXPECT_EQ(std::u16string(row.name), std::u16string(names[p])) << p;
        EXPECT_EQ(row.leftCount, counts[p][0]) << p;
        EXPECT_EQ(row.rightCount, counts[p][1]) << p;
        for (const auto& [taps, count] :
             {std::make_pair(row.left, row.leftCount), std::make_pair(row.right, row.rightCount)}) {
            for (uint32_t i = 1; i < count; ++i) ASSERT_GT(taps[i].time, taps[i - 1].time) << p << " " << i;
            for (uint32_t i = 0; i < count; ++i) ASSERT_LT(std::fabs(taps[i].gain), 1.0f);
            EXPECT_LT(taps[count - 1].time, 1000.0f);
        }
    }
    struct Given {
        uint32_t pattern;
        SxRoomTap taps[3];
    };
    const Given given[] = {{0, {{0.021f, -0.137f}, {1.271f, -0.182f}, {2.521f, 0.063f}}},
                           {23, {{17.271f, 0.269f}, {17.292f, 0.058f}, {17.312f, 0.041f}}},
                           {9, {{63.188f, 0.401f}, {64.688f, 0.454f}, {66.188f, -0.256f}}}};
    for (const Given& g : given)
        for (uint32_t i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(SxGetRoomPattern(g.pattern).left[i].time, g.taps[i].time);
            EXPECT_FLOAT_EQ(SxGetRoomPattern(g.pattern).left[i].gain, g.taps[i].gain);
        }
    EXPECT_EQ(&SxGetRoomPattern(31), &SxGetRoomPattern(30));
}

TEST(RoomReverbFX, DefaultsGiveTheDerivedDelaysAndLevels) {
    RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    EXPECT_FLOAT_EQ(qvtest::RoomReverbProbe::UnitNormalisation(*rig.effect), 1.0f / std::sqrt(8.0f));
    EXPECT_NEAR(ToDb(rig.params->ramped.reverbLevel), -23.0, 1e-4);
    const double stageMs[] = {15.0, 9.9, 6.534, 4.312};
    for (uint32_t i = 0; i < 4; ++i) {
        const double samples = qvtest::RoomReverbProbe::DiffusionLength(*rig.effect, i);
        EXPECT_GE(samples, stageMs[i] * 48.0 - 1) << i;
        EXPECT_LE(samples, stageMs[i] * 1.05 * 48.0 + 12) << i;
        EXPECT_FLOAT_EQ(qvtest::RoomReverbProbe::DiffusionCoef(*rig.effect, i), 0.61803f);
    }
    uint32_t lowest = UINT32_MAX, highest = 0;
    for (uint32_t u = 0; u < 8; ++u)
        for (uint32_t l = 0; l < 4; ++l) {
            lowest = std::min(lowest, qvtest::RoomReverbProbe::UnitLineLength(*rig.effect, u, l));
            highest = std::max(highest, qvtest::RoomReverbProbe::UnitLineLength(*rig.effect, u, l));
        }
    EXPECT_GE(lowest, uint32_t(33.28 * 48));
    EXPECT_LE(lowest, uint32_t(33.28 * 1.02 * 48) + 12);
    EXPECT_GE(highest, uint32_t(49.92 * 48));
    EXPECT_LE(highest, uint32_t(49.92 * 1.02 * 48) + 12);
    EXPECT_NEAR(qvtest::RoomReverbProbe::TailLength(*rig.effect), (0.025 + 1.2) * 48000, 1.0);
}

TEST(RoomReverbFX, DiffusionSaturatesTheStagesOneAfterAnother) {
    struct Case {
        float diffusion;
        float want[4];
    };
    const Case cases[] = {{0, {0, 0, 0, 0}},
                          {25, {0, 0, 0, 0.61803f}},
                          {50, {0, 0, 0.61803f, 0.61803f}},
                          {75, {0, 0.61803f, 0.61803f, 0.61803f}},
                          {100, {0.61803f, 0.61803f, 0.61803f, 0.61803f}}};
    for (const Case& c : cases) {
        RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
        RoomBlock block;
        block.SetF32(8, c.diffusion);
        ASSERT_EQ(rig.Start(48000, 0x3, &block), SX_Success);
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_NEAR(qvtest::RoomReverbProbe::DiffusionCoef(*rig.effect, i), c.want[i], 1e-5) << c.diffusion;
    }
}

TEST(RoomReverbFX, EarlyReflectionsArriveAtTheirTapTimes) {
    RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
    RoomBlock block;
    block.SetU32(81, 9).SetF32(68, -200.0f).SetF32(72, 0.0f).SetF32(76, -200.0f);  // Cathedral, early only
    ASSERT_EQ(rig.Start(48000, 0x3, &block), SX_Success);
    std::vector<float> left;
    for (int i = 0; i < 4; ++i) {
        Buffer b(0x3);
        if (i == 0) b.Channel(0)[0] = 1.0f;
        rig.effect->Execute(&b.buffer);
        left.insert(left.end(), b.Channel(0), b.Channel(0) + 1024);
    }
    size_t first = 0;
    while (first < left.size() && std::fabs(left[first]) < 1e-6f) ++first;
    EXPECT_EQ(first, size_t(63.188 * 48));
    EXPECT_NEAR(left[first], 0.401f * std::sqrt(0.5f), 1e-4f);  // the stereo downmix weighs each side 1/sqrt(2)
    EXPECT_NEAR(left[first + 72], 0.454f * std::sqrt(0.5f), 1e-4f) << "1.5 ms later";
}

// Seconds to fall by 60 dB from a line fitted to the energy per 1024 frames.
double DecayTime(RoomRig& rig, uint32_t mask, int windows) {
    std::vector<double> db;
    for (int w = 0; w < windows; ++w) {
        Buffer b(mask);
        if (w == 0) b.Channel(0)[0] = 1.0f;
        rig.effect->Execute(&b.buffer);
        double sum = 0.0;
        for (uint32_t c = 0; c < b.buffer.Channels(); ++c) sum += std::pow(Rms(b.Channel(c), 1024), 2);
        db.push_back(10.0 * std::log10(sum));
    }
    std::vector<double> x, y;
    for (size_t w = 4; w < db.size() && db[w] > db[4] - 40.0; ++w) {
        x.push_back(w * 1024.0 / 48000.0);
        y.push_back(db[w]);
    }
    double mx = 0, my = 0, sxy = 0, sxx = 0;
    for (size_t i = 0; i < x.size(); ++i) mx += x[i] / x.size(), my += y[i] / y.size();
    for (size_t i = 0; i < x.size(); ++i) sxy += (x[i] - mx) * (y[i] - my), sxx += (x[i] - mx) * (x[i] - mx);
    return -60.0 / (sxy / sxx);
}

TEST(RoomReverbFX, DecayTimeFollowsTheParameter) {
    struct Case {
        float decay;
        uint32_t units;
        uint32_t mask;
    };
    for (const Case& c : {Case{0.8f, 8, 0x3u}, Case{1.5f, 4, 0x4u}, Case{2.0f, 12, SxChannelMask51}}) {
        RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
        RoomBlock block;
        block.SetF32(0, c.decay).SetF32(4, 1.0f).SetU32(105, c.units).SetF32(68, -200.0f).SetU8(80, 0);
        ASSERT_EQ(rig.Start(48000, c.mask, &block), SX_Success);
        EXPECT_NEAR(DecayTime(rig, c.mask, int(c.decay * 48000 / 1024) + 10), c.decay, 0.15 * c.decay) << c.units;
    }
}

TEST(RoomReverbFX, TailCoversTheReverbDelayAndDecayTime) {
    RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    Buffer b(0x3);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    const int buffers = rig.RunTail(0x3, 200);
    EXPECT_EQ(buffers, 58);  // 58800 frames: 25 ms and 1.2 s
}

TEST(RoomReverbFX, SendModeDropsTheDryAndUnlistedLayoutsPass) {
    RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3, nullptr, true), SX_Success);
    EXPECT_EQ(rig.params->ramped.dryLevel, 0.0f);
    Buffer b(0x3);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(b.Channel(0)[0], 0.0f);

    RoomRig quad(CreateRoomReverbFX, CreateRoomReverbFXParams);
    ASSERT_EQ(quad.Start(48000, 0x33 | 0x100), SX_Success);
    Buffer odd(0x133);
    odd.Fill(0.5f);
    quad.effect->Execute(&odd.buffer);
    EXPECT_EQ(odd.Channel(2)[100], 0.5f);
}

TEST(RoomReverbFX, FiltersFollowTheEqualiserAndEarlyReflections) {
    struct Case {
        bool eq, er;
        uint32_t positions[3];
        uint32_t want;
    };
    const Case cases[] = {{false, true, {1, 2, 3}, 0},
                          {true, true, {1, 2, 3}, 4},
                          {true, false, {1, 2, 3}, 2},
                          {true, true, {0, 0, 0}, 0},
                          {true, true, {1, 1, 0}, 4}};
    for (const Case& c : cases) {
        RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
        RoomBlock block;
        block.SetU8(109, c.eq)
            .SetU8(80, c.er)
            .SetU32(110, c.positions[0])
            .SetU32(118, c.positions[1])
            .SetU32(126, c.positions[2]);
        ASSERT_EQ(rig.Start(48000, 0x3, &block), SX_Success);
        EXPECT_EQ(qvtest::RoomReverbProbe::FilterCount(*rig.effect), c.want);
        Buffer b(0x3);
        b.Fill(0.25f);
        rig.effect->Execute(&b.buffer);
        EXPECT_TRUE(SxBufferIsFinite(b.buffer));
    }
}

TEST(RoomReverbFX, MalformedBlocksPatternsUnitsAndRates) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    RoomBlock shortBlock;
    shortBlock.bytes.pop_back();
    RoomBlock noUnits;
    noUnits.SetU32(105, 0);
    for (const Block* block : {static_cast<const Block*>(&shortBlock), static_cast<const Block*>(&noUnits)}) {
        RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
        EXPECT_EQ(rig.params->Init(&rig.allocator, block->Data(), block->Size()), SX_InvalidParameter);
        EXPECT_EQ(rig.params->structural.unitCount, 8u);
    }
    RoomBlock pastTable;
    pastTable.SetU32(81, 1000);
    RoomBlock bad;
    for (uint32_t offset = 0; offset < 80; offset += 4) bad.SetF32(offset, offset % 8 ? nan : inf);
    for (uint32_t offset : {85u, 89u, 93u, 97u, 101u}) bad.SetF32(offset, -inf);
    for (uint32_t offset = 142; offset < 186; offset += 4) bad.SetF32(offset, nan);
    bad.SetU32(105, 100000).SetU8(109, 1);
    for (const RoomBlock* block : {&pastTable, &bad}) {
        RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
        ASSERT_EQ(rig.Start(48000, SxChannelMask51, block), SX_Success);
        EXPECT_LE(rig.params->structural.pattern, 30u);
        EXPECT_LE(rig.params->structural.unitCount, SxRoomReverbMaxUnits);
        for (int i = 0; i < 3; ++i) {
            Buffer b(SxChannelMask51);
            b.Fill(0.5f);
            rig.effect->Execute(&b.buffer);
            ASSERT_TRUE(SxBufferIsFinite(b.buffer));
        }
    }
    RoomRig rig(CreateRoomReverbFX, CreateRoomReverbFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    const uint32_t zero = 0, many = 5000;
    EXPECT_EQ(rig.params->SetParam(14, &zero, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(14, &many, 4), SX_Success);
    EXPECT_EQ(rig.params->structural.unitCount, SxRoomReverbMaxUnits);
    EXPECT_EQ(rig.params->SetParam(0, &many, 4), SX_Success);
    EXPECT_EQ(rig.params->structural.pattern, 30u);
    EXPECT_EQ(rig.params->SetParam(99, &many, 4), SX_Success) << "unknown IDs are ignored";
    EXPECT_EQ(rig.params->SetParam(10, nullptr, 4), SX_InvalidParameter);

    // A rate at which a pattern's span no longer fits the tap buffer: refused, nothing run.
    RoomRig fast(CreateRoomReverbFX, CreateRoomReverbFXParams);
    RoomBlock warehouse;
    warehouse.SetU32(81, 5);
    EXPECT_EQ(fast.Start(384000, 0x3, &warehouse), SX_Fail);
    Buffer b(0x3);
    b.Fill(0.5f);
    fast.effect->Execute(&b.buffer);
    EXPECT_EQ(b.Channel(0)[5], 0.5f);
    RoomRig high(CreateRoomReverbFX, CreateRoomReverbFXParams);
    EXPECT_EQ(high.Start(192000, 0x3, &warehouse), SX_Success);
}

}  // namespace
}  // namespace fxtest
