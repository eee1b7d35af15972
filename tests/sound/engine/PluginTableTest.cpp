#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "SxTestMemory.h"
#include "SxTestPlugins.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginTable.h"

using namespace SX;

namespace {

class PluginTableTest : public ::testing::Test {
protected:
    void SetUp() override { SxPluginTable::Clear(); }
    void TearDown() override { SxPluginTable::Clear(); }
    sxtest::TestMemory memory;
    SxFXMemAlloc allocator{g_DefaultPoolId};
};

SxCreateParamCallback NoParams() { return nullptr; }

TEST_F(PluginTableTest, KeysCombinePluginCompanyAndType) {
    EXPECT_EQ(SxPluginKey(3, 0, 106), ((106u << 12) + 0) * 16 + 3);
    EXPECT_EQ(SxPluginKey(3, 256, 103), ((103u << 12) + 256) * 16 + 3);
    EXPECT_EQ(SxPluginKey(18, 0, 1), SxPluginKey(2, 0, 1)) << "only the low four bits of the type";
}

TEST_F(PluginTableTest, RegistrationRefusesDuplicatesAndNullCreators) {
    using sxtest::CreateGainFX;
    using sxtest::CreateGainFXParams;
    EXPECT_EQ(SxPluginTable::RegisterPlugin(SxPluginType_Effect, 0, 1, CreateGainFX, CreateGainFXParams), SX_Success);
    EXPECT_EQ(SxPluginTable::RegisterPlugin(SxPluginType_Effect, 0, 1, sxtest::CreateNothing, CreateGainFXParams),
              SX_Fail);
    EXPECT_EQ(SxPluginTable::RegisterPlugin(SxPluginType_Effect, 0, 2, nullptr, CreateGainFXParams),
              SX_InvalidParameter);
    EXPECT_EQ(SxPluginTable::RegisterPlugin(SxPluginType_Effect, 0, 3, CreateGainFX, NoParams()), SX_InvalidParameter);
    EXPECT_EQ(SxPluginTable::RegisterPlugin(SxPluginType_Source, 0, 1, CreateGainFX, CreateGainFXParams), SX_Success)
        << "the same ID as another type is another key";
    ISxPlugin* plugin = nullptr;
    for (uint32_t refused : {2u, 3u})
        EXPECT_EQ(SxPluginTable::CreatePlugin(SxPluginKey(SxPluginType_Effect, 0, refused), &allocator, plugin),
                  SX_Fail)
            << "a refused registration leaves no entry";

    ASSERT_EQ(SxPluginTable::CreatePlugin(SxPluginKey(SxPluginType_Effect, 0, 1), &allocator, plugin), SX_Success)
        << "the first registration stays";
    plugin->Term(&allocator);
}

TEST_F(PluginTableTest, CreationFailsForUnknownKeysAndNullCreations) {
    sxtest::RegisterTestPlugins();
    ISxPlugin* plugin = reinterpret_cast<ISxPlugin*>(1);
    EXPECT_EQ(SxPluginTable::CreatePlugin(12345, &allocator, plugin), SX_Fail);
    EXPECT_EQ(plugin, nullptr);
    EXPECT_EQ(SxPluginTable::CreatePlugin(sxtest::kFailingKey, &allocator, plugin), SX_Fail);
    ISxPluginParam* params = nullptr;
    EXPECT_EQ(SxPluginTable::CreateParam(12345, &allocator, params), SX_Fail);
    ASSERT_EQ(SxPluginTable::CreateParam(sxtest::kGainKey, &allocator, params), SX_Success);
    params->Term(&allocator);
}

TEST_F(PluginTableTest, ParameterObjectsTakeDefaultsBlocksAndGameParameters) {
    sxtest::RegisterTestPlugins();
    ISxPluginParam* params = nullptr;
    ASSERT_EQ(SxPluginTable::CreateParam(sxtest::kGainKey, &allocator, params), SX_Success);
    auto* gain = static_cast<sxtest::TestGainParams*>(params);
    EXPECT_EQ(params->Init(&allocator, nullptr, 0), SX_Success);
    EXPECT_EQ(gain->gain, 1.0f);
    const float minus6 = -6.0f;
    EXPECT_EQ(params->Init(&allocator, &minus6, sizeof minus6), SX_Success);
    EXPECT_NEAR(gain->gain, 0.501187f, 1e-6);
    const uint8_t wrong[3] = {1, 2, 3};
    EXPECT_EQ(params->SetParamsBlock(wrong, sizeof wrong), SX_InvalidParameter);
    EXPECT_EQ(gain->gain, 1.0f) << "a block of the wrong size leaves the defaults";
    EXPECT_EQ(params->SetParam(9, &minus6, 4), SX_InvalidParameter);
    EXPECT_EQ(gain->gain, 1.0f);
    params->SetRTPCValue(0, -20.0f, nullptr);
    EXPECT_NEAR(gain->gain, 0.1f, 1e-6) << "game-parameter values reach SetParam";
    ISxPluginParam* clone = params->Clone(&allocator);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(static_cast<sxtest::TestGainParams*>(clone)->gain, gain->gain);
    clone->Term(&allocator);
    params->Term(&allocator);
}

TEST_F(PluginTableTest, RegistrationAndCreationMayRunOnTwoThreads) {
    sxtest::RegisterTestPlugins();
    std::thread registrar([] {
        for (uint32_t id = 100; id < 300; ++id)
            SxPluginTable::RegisterPlugin(SxPluginType_Effect, 1, id, sxtest::CreateGainFX, sxtest::CreateGainFXParams);
    });
    for (int i = 0; i < 200; ++i) {
        ISxPluginParam* params = nullptr;
        ASSERT_EQ(SxPluginTable::CreateParam(sxtest::kGainKey, &allocator, params), SX_Success);
        params->Term(&allocator);
    }
    registrar.join();
    for (uint32_t id = 100; id < 300; ++id) {
        ISxPluginParam* params = nullptr;
        ASSERT_EQ(SxPluginTable::CreateParam(SxPluginKey(SxPluginType_Effect, 1, id), &allocator, params), SX_Success)
            << "every registration from the other thread is kept: " << id;
        params->Term(&allocator);
    }
}

TEST_F(PluginTableTest, CodecsRegisterOnceUnderTheirOwnKey) {
    auto creator = [](CSxPBI*) -> CSxVPLSrcNode* { return nullptr; };
    EXPECT_EQ(SxPluginTable::RegisterCodec(0, 4, creator, creator), SX_Success);
    EXPECT_EQ(SxPluginTable::RegisterCodec(0, 4, creator, creator), SX_Fail);
    EXPECT_EQ(SxPluginTable::RegisterCodec(0, 5, nullptr, creator), SX_InvalidParameter);
    SxCodecCreators found;
    EXPECT_TRUE(SxPluginTable::FindCodec(((4u << 12) + 0) * 16 + 1, found));
    EXPECT_FALSE(SxPluginTable::FindCodec(SxPluginKey(SxPluginType_Codec, 0, 5), found));
}

TEST(PluginDspTest, GainOfOneLeavesSamplesBitIdentical) {
    std::vector<float> samples = {0.1f, -0.3f, 1e-30f, 7.0f, -0.0f, 0.25f};
    const std::vector<float> before = samples;
    ApplyGain(samples.data(), static_cast<uint32_t>(samples.size()), 1.0f);
    EXPECT_EQ(std::memcmp(samples.data(), before.data(), samples.size() * 4), 0);
    ApplyGain(samples.data(), static_cast<uint32_t>(samples.size()), 2.0f);
    EXPECT_EQ(samples[5], 0.5f) << "the tail past the groups of four is scaled too";
}

TEST(PluginDspTest, RampReachesItsEndOnlyAtTheNextBuffer) {
    std::vector<float> samples(7, 1.0f);
    ApplyGainRamp(samples.data(), 7, 0.0f, 1.0f);
    for (uint32_t k = 0; k < 7; ++k) EXPECT_NEAR(samples[k], k / 7.0f, 1e-6) << k;
}

TEST(PluginDspTest, OutputGainLeavesTheLfeUnlessAsked) {
    std::vector<float> data(6 * 8, 1.0f);
    SxAudioBuffer buffer{data.data(), SxChannelMask51, SX_DataReady, 8, 8};
    ApplyOutputGain(buffer, 0.5f, 0.5f, false);
    EXPECT_EQ(buffer.Channel(4)[7], 0.5f);
    EXPECT_EQ(buffer.Channel(5)[0], 1.0f) << "LFE, the last planar channel, keeps its level";
    ApplyOutputGain(buffer, 0.5f, 0.5f, true);
    EXPECT_EQ(buffer.Channel(5)[0], 0.5f);
}

TEST(PluginDspTest, DecibelParametersStayFinite) {
    struct Case {
        float db, expected;
    } cases[] = {
        {0.0f, 1.0f},
        {-6.0f, 0.501187f},
        {std::numeric_limits<float>::quiet_NaN(), 1.0f},
        {-std::numeric_limits<float>::infinity(), 1e-10f},
        {std::numeric_limits<float>::infinity(), 63095.73f},
        {1e30f, 63095.73f},
    };
    for (const Case& c : cases) {
        const float gain = SxParamDbToLinear(c.db);
        EXPECT_TRUE(std::isfinite(gain)) << c.db;
        EXPECT_NEAR(gain, c.expected, c.expected * 1e-4) << c.db;
    }
    EXPECT_EQ(SxSanitizeParam(std::numeric_limits<float>::quiet_NaN(), 0, 1, 0.5f), 0.5f);
    EXPECT_EQ(SxSanitizeParam(-std::numeric_limits<float>::infinity(), 0, 1, 0.5f), 0.0f);
    EXPECT_EQ(SxSanitizeParam(3.0f, 0, 1, 0.5f), 1.0f);
}

// An effect's output is checked before it reaches the mix: only an infinity or a value that is
// not a number among the valid frames fails it; the largest and the smallest numbers pass.
TEST(PluginDspTest, BufferIsFiniteFindsAnyBadSampleOfTheValidFrames) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        uint32_t channel, frame;
        float value;
        bool finite;
    } cases[] = {
        {"largest number", 0, 5, std::numeric_limits<float>::max(), true},
        {"smallest subnormal", 1, 5, -std::numeric_limits<float>::denorm_min(), true},
        {"not a number, first frame", 0, 0, nan, false},
        {"infinity, second channel, last valid frame", 1, 99, inf, false},
        {"minus infinity, middle", 1, 50, -inf, false},
        {"infinity past the valid frames", 1, 100, inf, true},
    };
    for (const Case& c : cases) {
        std::vector<float> data(2 * 128, 0.25f);
        SxAudioBuffer buffer{data.data(), SxChannelMaskStereo, SX_DataReady, 128, 100};
        buffer.Channel(c.channel)[c.frame] = c.value;
        EXPECT_EQ(SxBufferIsFinite(buffer), c.finite) << c.what;
    }
}

TEST(PluginDspTest, TailRunsOnSilenceForItsLengthThenLetsTheVoiceEnd) {
    std::vector<float> data(2 * 1024, 1.0f);
    SxAudioBuffer buffer{data.data(), SxChannelMaskStereo, SX_NoMoreData, 1024, 100};
    SxFXTailHandler tail;
    tail.HandleTail(buffer, 1500);
    EXPECT_EQ(buffer.validFrames, 1024);
    EXPECT_EQ(buffer.state, SX_DataReady) << "the effect keeps running";
    EXPECT_EQ(buffer.Channel(1)[100], 0.0f);
    EXPECT_EQ(buffer.Channel(1)[99], 1.0f);
    EXPECT_EQ(tail.Remaining(), 1500u - 924u);
    buffer.state = SX_NoMoreData;
    buffer.validFrames = 0;
    tail.HandleTail(buffer, 1500);
    EXPECT_EQ(tail.Remaining(), 0u);
    EXPECT_EQ(buffer.state, SX_NoMoreData) << "the tail is over";

    SxFXTailHandler none;
    buffer.validFrames = 10;
    none.HandleTail(buffer, 0);
    EXPECT_EQ(buffer.state, SX_NoMoreData) << "no tail: the input's end is the effect's";
    buffer.state = SX_DataReady;
    none.HandleTail(buffer, 0);
    EXPECT_EQ(none.Remaining(), SxFXTailHandler::kNoTail) << "new input resets the tail";
}

}  // namespace

namespace {

TEST(ParamsBlockReaderTest, ReadsPackedFieldsAndRefusesBlocksOfAnotherSize) {
    uint8_t block[9];
    const float gain = -3.5f;
    const uint32_t mode = 0x01020304;
    std::memcpy(block, &gain, 4);
    std::memcpy(block + 4, &mode, 4);
    block[8] = 1;
    struct Case {
        const char* what;
        const void* data;
        uint32_t size, expected;
        bool valid;
    } cases[] = {
        {"exact", block, 9, 9, true},   {"short", block, 8, 9, false}, {"long", block, 9, 5, false},
        {"null", nullptr, 9, 9, false}, {"empty", block, 0, 9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SxParamsBlockReader reader(c.data, c.size, c.expected);
        EXPECT_EQ(reader.Result(), c.valid ? SX_Success : SX_InvalidParameter);
        const float readGain = reader.ReadF32(1.0f);
        const uint32_t readMode = reader.ReadU32(7);
        const uint8_t flag = reader.ReadU8(9);
        if (c.valid) {
            EXPECT_EQ(readGain, gain);
            EXPECT_EQ(readMode, mode);
            EXPECT_EQ(flag, 1);
            EXPECT_EQ(reader.ReadU8(5), 5) << "nothing past the end";
        } else {
            EXPECT_EQ(readGain, 1.0f) << "defaults, not bytes of a refused block";
            EXPECT_EQ(readMode, 7u);
            EXPECT_EQ(flag, 9);
        }
    }
}

}  // namespace
