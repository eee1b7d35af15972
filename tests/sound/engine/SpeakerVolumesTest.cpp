#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "SxTestMemory.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/listener/SxMath3D.h"
#include "sound/engine/listener/SxPanning.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/registry/CSxRegisteredObj.h"

using namespace SX;

namespace {

constexpr float kH = 0.70710678f;                 // -3 dB
const float kMinus3 = SxMath::DbToLinear(-3.0f);  // the table's -3 dB
const float kMinus6 = SxMath::DbToLinear(-6.0f);

class SpeakerVolumesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSxLEngine::SetPanningRule(0);
        CSxLEngine::InitListeners();
        // Full volume to 100 units, silence from 200 on.
        const SxCurvePoint points[] = {{0, 0, SxCurve_Linear}, {100, 0, SxCurve_Linear}, {200, -200, SxCurve_Linear}};
        ASSERT_EQ(dryCurve.Set(points, 3, SxCurveScaling_None), SX_Success);
        attenuation.dryVolume = &dryCurve;
    }
    void TearDown() override { CSxLEngine::SetPanningRule(0); }

    SxVoiceVolumes Compute(uint32_t mask, const SxVector& emitter, SxVector orientation = {0, 0, 1}) {
        const SxSoundPosition position{emitter, orientation};
        EXPECT_EQ(object.SetPositions(&position, 1, 0, 0), SX_Success);
        SxVoiceVolumeParams params;
        params.channelMask = mask;
        params.positioned = true;
        params.positioningType = 3;
        params.attenuation = &attenuation;
        params.gameObject = &object;
        SxVoiceVolumes volumes;
        SxComputeSpeakerVolumes(params, volumes);
        return volumes;
    }

    sxtest::TestMemory memory;
    CSxConversionTable dryCurve;
    SxAttenuationParams attenuation;
    CSxRegisteredObj object{1};
};

std::string Describe(const float* v) {
    std::string s;
    for (int i = 0; i < 6; ++i) s += std::to_string(v[i]) + " ";
    return s;
}

TEST_F(SpeakerVolumesTest, EmittersAroundTheListenerForEachChannelConfigurationAndRule) {
    struct Case {
        const char* where;
        SxVector emitter;
        uint32_t rule;
        float speakers[6];  // L, R, C, SL, SR, LFE for a mono source
    } cases[] = {
        {"front", {0, 0, 10}, 0, {kH, kH, 0, 0, 0, 0}},
        {"right", {10, 0, 0}, 0, {0, kH, 0, 0, kH, 0}},
        {"left", {-10, 0, 0}, 0, {kH, 0, 0, kH, 0, 0}},
        {"behind", {0, 0, -10}, 0, {0, 0, 0, kH, kH, 0}},
        {"above", {0, 10, 0}, 0, {kMinus6, kMinus6, 0, kMinus6, kMinus6, 0}},
        {"at the listener", {0, 0, 0}, 0, {kMinus6, kMinus6, 0, kMinus6, kMinus6, 0}},
        {"far past the attenuation", {0, 0, 500}, 0, {0, 0, 0, 0, 0, 0}},
        {"front", {0, 0, 10}, 1, {kH, kH, 0, 0, 0, 0}},
        {"right", {10, 0, 0}, 1, {0, 1, 0, 0, 0, 0}},
        {"left", {-10, 0, 0}, 1, {1, 0, 0, 0, 0, 0}},
        {"behind", {0, 0, -10}, 1, {kH, kH, 0, 0, 0, 0}},
        {"above", {0, 10, 0}, 1, {kMinus3, kMinus3, 0, 0, 0, 0}},
        {"at the listener", {0, 0, 0}, 1, {kMinus3, kMinus3, 0, 0, 0, 0}},
        {"far past the attenuation", {0, 0, 500}, 1, {0, 0, 0, 0, 0, 0}},
    };
    struct Config {
        const char* name;
        uint32_t mask;
        uint32_t inputs;
    } configs[] = {{"mono", 4, 1}, {"stereo", 3, 2}, {"5.1", 63, 5}};
    for (const Case& c : cases) {
        CSxLEngine::SetPanningRule(c.rule);
        for (const Config& config : configs) {
            SCOPED_TRACE(std::string(c.where) + ", rule " + std::to_string(c.rule) + ", " + config.name);
            const SxVoiceVolumes v = Compute(config.mask, c.emitter);
            // Without spread every input shares the direction and one input's share of the power.
            const float share = 1.0f / std::sqrt(static_cast<float>(config.inputs));
            ASSERT_EQ(v.channels, config.mask == 63 ? 6u : config.inputs);
            for (uint32_t ch = 0; ch < config.inputs; ++ch)
                for (int s = 0; s < 6; ++s)
                    EXPECT_NEAR(v.dry[ch][s], c.speakers[s] * share, 0.01f)
                        << "input " << ch << ": " << Describe(v.dry[ch]);
            const bool silent = c.emitter.z == 500;
            if (config.mask == 63) {
                EXPECT_EQ(v.dry[5][5], silent ? 0.0f : 1.0f) << "the LFE input feeds the LFE speaker alone, attenuated";
                EXPECT_EQ(v.dry[5][0], 0.0f);
            }
            EXPECT_EQ(v.inaudible, silent);
        }
    }
}

float Power(const SxVoiceVolumes& v) {
    float sum = 0.0f;
    for (uint32_t c = 0; c < v.channels; ++c)
        for (int s = 0; s < 5; ++s) sum += v.dry[c][s] * v.dry[c][s];
    return sum;
}

TEST_F(SpeakerVolumesTest, SpreadAndCentreKeepTheSumOfPowers) {
    const SxCurvePoint spreadPoints[] = {{0, 0, SxCurve_Linear}, {100, 100, SxCurve_Linear}};
    CSxConversionTable spreadCurve;
    ASSERT_EQ(spreadCurve.Set(spreadPoints, 2, SxCurveScaling_None), SX_Success);
    attenuation.spread = &spreadCurve;
    struct Case {
        uint32_t mask, rule;
        SxVector emitter;
    } cases[] = {
        {4, 0, {0, 0, 100}}, {4, 0, {30, 0, 40}},    {4, 1, {0, 0, 100}},   {4, 0, {-10, 0, -20}}, {3, 0, {0, 0, 50}},
        {3, 1, {20, 0, 30}}, {0x37, 0, {0, 0, 100}}, {0x33, 0, {5, 0, 60}}, {7, 0, {-40, 0, 10}},
    };
    for (const Case& c : cases) {
        CSxLEngine::SetPanningRule(c.rule);
        SCOPED_TRACE("mask " + std::to_string(c.mask) + " rule " + std::to_string(c.rule) + " at " +
                     std::to_string(c.emitter.x) + "," + std::to_string(c.emitter.z));
        EXPECT_NEAR(Power(Compute(c.mask, c.emitter)), 1.0f, 0.03f);
    }
    CSxLEngine::SetPanningRule(0);
    const SxVoiceVolumes full = Compute(4, {0, 0, 100});
    for (int s : {0, 1, 3, 4}) EXPECT_GT(full.dry[0][s], 0.1f) << "a full spread reaches every corner " << s;
}

TEST_F(SpeakerVolumesTest, CentreShareOfAFrontSourceKeepsItsPower) {
    float db[8];
    SxPanning::SingleDirection(kH, kH, 0.5f, 0, db);
    float power = 0.0f;
    for (int s = 0; s < 6; ++s) power += std::pow(10.0f, db[s] / 10.0f);
    EXPECT_NEAR(power, 1.0f, 0.01f);
    EXPECT_NEAR(std::pow(10.0f, db[2] / 10.0f), 0.5f, 0.01f) << "straight ahead the centre takes its share";
}

TEST_F(SpeakerVolumesTest, ListenerOrientationScalingAndSpatializationApply) {
    ASSERT_EQ(CSxLEngine::SetListenerPosition(0, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}), SX_Success);
    SxVoiceVolumes v = Compute(4, {10, 0, 0});
    EXPECT_NEAR(v.dry[0][0], kH, 0.01f) << "the listener faces the emitter";
    EXPECT_NEAR(v.dry[0][1], kH, 0.01f);

    CSxLEngine::InitListeners();
    EXPECT_GT(Compute(4, {0, 0, 110}).dry[0][0], 0.001f);
    ASSERT_EQ(CSxLEngine::SetListenerScalingFactor(0, 0.5f), SX_Success);
    EXPECT_TRUE(Compute(4, {0, 0, 110}).inaudible) << "a smaller scale puts the emitter twice as far";

    CSxLEngine::InitListeners();
    const float fixed[6] = {0, -96.3f, -96.3f, -96.3f, -96.3f, -96.3f};
    ASSERT_EQ(CSxLEngine::SetListenerSpatialization(0, false, fixed), SX_Success);
    v = Compute(4, {10, 0, 0});
    EXPECT_EQ(v.dry[0][0], 1.0f) << "fixed volumes in place of panning";
    EXPECT_EQ(v.dry[0][1], 0.0f);

    CSxLEngine::InitListeners();
    object.SetActiveListeners(0);
    EXPECT_TRUE(Compute(4, {0, 0, 10}).inaudible) << "no listener hears it";
    object.SetActiveListeners(1);
    ASSERT_EQ(CSxLEngine::SetListenerPipeline(0, false, true), SX_Success);
    EXPECT_TRUE(Compute(4, {0, 0, 10}).inaudible) << "listener 0 takes no audio";
    EXPECT_EQ(CSxLEngine::MotionListenerMask(), 1u);
}

TEST_F(SpeakerVolumesTest, TheLoudestListenerWins) {
    object.SetActiveListeners(3);
    ASSERT_EQ(CSxLEngine::SetListenerPosition(1, {0, 0, 1}, {0, 1, 0}, {10, 0, -10}), SX_Success);
    const SxVoiceVolumes v = Compute(4, {10, 0, 0});
    EXPECT_NEAR(v.dry[0][4], kH, 0.01f) << "listener 0 hears it at its right";
    EXPECT_NEAR(v.dry[0][0], kH, 0.01f) << "listener 1 hears it in front";
    EXPECT_NEAR(v.dry[0][1], kH, 0.01f);
}

// A sound on a position path is heard where the path has taken it, not at its game object; a
// path that keeps to the first listener is heard there even when its object listens elsewhere.
TEST_F(SpeakerVolumesTest, ASoundOnAPathIsHeardWhereThePathTookIt) {
    const SxSoundPosition atRight{{10, 0, 0}, {0, 0, 1}};
    ASSERT_EQ(object.SetPositions(&atRight, 1, 0, 0), SX_Success);
    SxVoiceVolumeParams params;
    params.channelMask = 3;
    params.positioned = true;
    params.positioningType = 2;
    params.attenuation = &attenuation;
    params.gameObject = &object;
    params.onPath = true;
    params.pathPosition.position = {-10, 0, 0};
    SxVoiceVolumes onPath;
    SxComputeSpeakerVolumes(params, onPath);
    // Left and surround left carry it; nothing reaches the right.
    EXPECT_GT(onPath.dry[0][0], 0.4f) << "the path took it to the left: " << Describe(onPath.dry[0]);
    EXPECT_LT(onPath.dry[0][1] + onPath.dry[0][4], 0.01f) << Describe(onPath.dry[0]);

    // Listener 1 stands beyond the curve's silence; the object listens there alone.
    ASSERT_EQ(CSxLEngine::SetListenerPosition(1, {0, 0, 1}, {0, 1, 0}, {1000, 0, 0}), SX_Success);
    object.SetActiveListeners(2);
    SxVoiceVolumes objectsListener;
    SxComputeSpeakerVolumes(params, objectsListener);
    EXPECT_TRUE(objectsListener.inaudible);
    params.positioningFlags = 0x10;
    SxVoiceVolumes firstListener;
    SxComputeSpeakerVolumes(params, firstListener);
    EXPECT_FALSE(firstListener.inaudible);
    EXPECT_GT(firstListener.dry[0][0], 0.4f);
}

TEST_F(SpeakerVolumesTest, ConeAttenuatesBehindTheEmitter) {
    attenuation.coneEnabled = true;
    attenuation.coneInside = SxMath::AngleToRadians(90.0f);
    attenuation.coneOutside = SxMath::AngleToRadians(180.0f);
    attenuation.coneOutsideVolume = -12.0f;
    const SxVoiceVolumes facing = Compute(4, {0, 0, 10}, {0, 0, -1});
    EXPECT_NEAR(facing.dry[0][0], kH, 0.01f);
    EXPECT_EQ(facing.coneLowPass, 0.0f);
    const SxVoiceVolumes away = Compute(4, {0, 0, 10}, {0, 0, 1});
    EXPECT_NEAR(away.dry[0][0], kH * SxMath::DbToLinear(-12.0f), 0.01f);
    EXPECT_EQ(away.coneLowPass, 1.0f);
}

TEST_F(SpeakerVolumesTest, DegenerateListenerVectorsKeepAPanningPlane) {
    EXPECT_EQ(CSxLEngine::SetListenerPosition(8, {0, 0, 1}, {0, 1, 0}, {}), SX_InvalidParameter);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(CSxLEngine::SetListenerPosition(0, {nan, 0, 1}, {0, 1, 0}, {}), SX_InvalidParameter);
    ASSERT_EQ(CSxLEngine::SetListenerPosition(0, {0, 0, 0}, {0, 0, 0}, {}), SX_Success);
    SxVoiceVolumes v = Compute(4, {0, 0, 10});
    EXPECT_NEAR(v.dry[0][0], kH, 0.01f) << "a zero front looks ahead";
    ASSERT_EQ(CSxLEngine::SetListenerPosition(0, {0, 0, 2}, {0, 0, 5}, {}), SX_Success);
    v = Compute(4, {10, 0, 0});
    EXPECT_NEAR(v.dry[0][1], kH, 0.01f) << "a top along the front is made upright";
    EXPECT_NEAR(v.dry[0][4], kH, 0.01f);
    for (int s = 0; s < 6; ++s) EXPECT_FALSE(std::isnan(v.dry[0][s]));
}

TEST_F(SpeakerVolumesTest, EmittersAtNoNumberOrInfinityGiveFiniteGains) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    attenuation.coneEnabled = true;
    attenuation.coneOutside = 3.0f;
    attenuation.coneOutsideVolume = -12.0f;
    for (const SxVector& emitter : {SxVector{nan, 0, 1}, SxVector{inf, 0, 0}, SxVector{0, -inf, nan}}) {
        for (uint32_t rule : {0u, 1u}) {
            CSxLEngine::SetPanningRule(rule);
            const SxVoiceVolumes v = Compute(63, emitter, {nan, 0, 1});
            for (uint32_t c = 0; c < v.channels; ++c)
                for (int s = 0; s < 8; ++s) {
                    EXPECT_TRUE(std::isfinite(v.dry[c][s])) << c << " " << s;
                    EXPECT_LE(v.dry[c][s], 1.0f);
                }
        }
    }
}

TEST_F(SpeakerVolumesTest, ObstructionLowersTheDryPathAndOcclusionBothPaths) {
    CSxEnvironmentsMgr environments;
    ASSERT_EQ(environments.Init(), SX_Success);
    const SxCurvePoint obstruction[] = {{0, 0, SxCurve_Linear}, {100, -12, SxCurve_Linear}};
    const SxCurvePoint occlusion[] = {{0, 0, SxCurve_Linear}, {100, -6, SxCurve_Linear}};
    ASSERT_EQ(environments.SetObsOccCurve(SxCurve_Obstruction, SxCurveTarget_Volume, 0, obstruction, 2), SX_Success);
    ASSERT_EQ(environments.SetObsOccCurve(SxCurve_Occlusion, SxCurveTarget_Volume, 0, occlusion, 2), SX_Success);
    environments.SetCurveEnabled(SxCurve_Obstruction, SxCurveTarget_Volume, true);
    environments.SetCurveEnabled(SxCurve_Occlusion, SxCurveTarget_Volume, true);
    g_pEnvironmentsMgr = &environments;
    ASSERT_EQ(object.SetObstructionAndOcclusion(0, 1.0f, 1.0f), SX_Success);
    object.SetDryLevel(0.5f);
    const SxSoundPosition front{{0, 0, 10}, {0, 0, 1}};
    ASSERT_EQ(object.SetPositions(&front, 1, 0, 0), SX_Success);
    SxVoiceVolumeParams params;
    params.positioned = true;
    params.positioningType = 3;
    params.attenuation = &attenuation;
    params.gameObject = &object;
    params.feedsEnvironmental = true;
    SxVoiceVolumes v;
    SxComputeSpeakerVolumes(params, v);
    g_pEnvironmentsMgr = nullptr;
    EXPECT_NEAR(v.dry[0][0], SxMath::DbToLinear(-3.0f - 12.0f - 6.0f) * 0.5f, 0.002f) << "and the dry level";
    EXPECT_NEAR(v.wet[0][0], SxMath::DbToLinear(-3.0f - 6.0f), 0.005f);
    EXPECT_EQ(v.wet[0][3], 0.0f);
}

TEST_F(SpeakerVolumesTest, UnpositionedVoicesFollowTheirPan) {
    struct Case {
        uint32_t mask, rule;
        bool panning;
        float pan, frontRear;
        uint32_t channel;
        float speakers[6];
    } cases[] = {
        {4, 0, true, 0.5f, 1.0f, 0, {kH, kH, 0, 0, 0, 0}},     {4, 0, true, 0.0f, 1.0f, 0, {1, 0, 0, 0, 0, 0}},
        {4, 0, true, 1.0f, 0.0f, 0, {0, 0, 0, 0, 1, 0}},       {4, 0, false, 0.0f, 0.0f, 0, {kH, kH, 0, 0, 0, 0}},
        {4, 1, true, 1.0f, 1.0f, 0, {0, 1, 0, 0, 0, 0}},       {3, 0, false, 0.0f, 0.0f, 1, {0, 1, 0, 0, 0, 0}},
        {3, 0, true, 0.0f, 1.0f, 0, {1, 0, 0, 0, 0, 0}},       {3, 0, true, 0.0f, 1.0f, 1, {0, 0, 0, 0, 0, 0}},
        {0x33, 1, false, 0.5f, 1.0f, 2, {kH, 0, 0, 0, 0, 0}},  {0x37, 0, false, 0.5f, 1.0f, 2, {0, 0, 1, 0, 0, 0}},
        {0x37, 1, false, 0.5f, 1.0f, 2, {kH, kH, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mask " + std::to_string(c.mask) + " rule " + std::to_string(c.rule) + " pan " +
                     std::to_string(c.pan) + " channel " + std::to_string(c.channel));
        CSxLEngine::SetPanningRule(c.rule);
        SxVoiceVolumeParams params;
        params.channelMask = c.mask;
        params.panningEnabled = c.panning;
        params.pan = c.pan;
        params.frontRear = c.frontRear;
        SxVoiceVolumes v;
        SxComputeSpeakerVolumes(params, v);
        for (int s = 0; s < 6; ++s) EXPECT_NEAR(v.dry[c.channel][s], c.speakers[s], 0.01f) << s;
    }
    SxVoiceVolumeParams quiet;
    quiet.volumeDb = -96.3f;
    SxVoiceVolumes v;
    SxComputeSpeakerVolumes(quiet, v);
    EXPECT_TRUE(v.inaudible);
    quiet.volumeDb = std::numeric_limits<float>::quiet_NaN();
    SxComputeSpeakerVolumes(quiet, v);
    EXPECT_TRUE(v.inaudible) << "a volume that is not a number is silence";
    EXPECT_EQ(v.dry[0][0], 0.0f);
}

TEST(SxMathTest, DecibelsLogarithmsAndAngles) {
    EXPECT_EQ(SxMath::DbToLinear(-96.3f), 0.0f);
    EXPECT_EQ(SxMath::DbToLinear(-200.0f), 0.0f);
    EXPECT_NEAR(SxMath::DbToLinear(-6.02f), 0.5f, 0.002f);
    EXPECT_NEAR(SxMath::DbToLinear(-6.0f), std::pow(10.0f, -6.0f / 20.0f), 1e-6f);
    EXPECT_EQ(SxMath::DbToLinear(0.0f), 1.0f);
    EXPECT_EQ(SxMath::DbToLinear(-1e-6f), 1.0f) << "just under 0 dB reads the last table entry";
    EXPECT_EQ(SxMath::DbToLinear(std::numeric_limits<float>::infinity()), 1.0f);
    EXPECT_EQ(SxMath::DbToLinear(-std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(SxMath::DbToLinear(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    for (float x : {1.0f, 0.5f, 0.1f, 0.001f, 0.7071f}) EXPECT_NEAR(SxMath::FastLog10(x), std::log10(x), 0.001f) << x;
    EXPECT_LT(SxMath::FastLog10(0.0f), -30.0f);
    EXPECT_NEAR(SxMath::AngleToRadians(90.0f), 1.5707963f, 1e-5f);
    EXPECT_NEAR(SxMath::AngleToRadians(361.0f), 360.0f * 0.017453292f, 1e-3f) << "the whole turn counts as 1";
    EXPECT_EQ(SxMath::Interpolate(1, 10, 3, 20, 0), 10.0f);
    EXPECT_EQ(SxMath::Interpolate(1, 10, 3, 20, 2), 15.0f);
    EXPECT_EQ(SxMath::Interpolate(1, 10, 3, 20, 9), 20.0f);
}

}  // namespace
