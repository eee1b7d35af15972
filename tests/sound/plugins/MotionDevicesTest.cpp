// Motion devices of the players: pads added and removed, motion and audio voices mixed per
// player with its volume, the frame handed to the rumble bus and the pad's recorded levels.
#include "platform/pad/Pad.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "sound/plugins/motion/RumbleMixBus.h"
#include "sound/plugins/motion/SxMotionPluginsRegistry.h"
#include "sound/plugins/synth/SxSourcePluginsRegistry.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/engine/SxMotionProbe.h"

namespace fxtest {
namespace {

class MotionDevices : public ::testing::Test {
protected:
    void SetUp() override {
        g_LEngineFxAllocator.SetPool(g_DefaultPoolId);
        SxPluginTable::Clear();
        ASSERT_EQ(RegisterMotionPlugins(), SX_Success);
        platform::ResetPads();
        for (uint32_t p = 0; p < 4; ++p) platform::ConnectPad(p);
        mgr = CSxMotionDeviceMgr::Get();
        ASSERT_NE(mgr, nullptr);
    }
    void TearDown() override {
        CSxMotionDeviceMgr::Destroy();
        SxPluginTable::Clear();
        g_LEngineFxAllocator.SetPool(SxInvalidPoolId);
        platform::ResetPads();
    }
    // One audio frame: the voice (motion or audio) mixed for the players it reaches with their
    // volumes, the frame closed, the levels sent.
    void Frame(const SxAudioBuffer& voice, bool motion, uint32_t players) {
        float gains[4];
        for (uint8_t p = 0; p < 4; ++p) gains[p] = SxMotionPlayerGain(mgr->PlayerVolumeDb(p), 0.0f, 0.0f);
        mgr->MixVoice(voice, motion, players, gains);
        mgr->ProcessFrame();
        mgr->RenderData();
    }
    sxtest::TestMemory memory;
    CSxMotionDeviceMgr* mgr = nullptr;
};

TEST(MotionPlayerGain, LevelsAboveAndBelowZero) {
    struct Case {
        float player, a, b, gain;
    } cases[] = {{0, 0, 0, 1.0f},   {-6.0206f, 0, 0, 0.5f}, {6.0206f, 0, 0, 2.0f}, {0, 3, 3, 1.0f},
                 {-3, -3, 0, 0.5f}, {200, 0, 0, 65535.0f},  {-200, 0, 0, 0.0f}};
    for (const Case& c : cases) EXPECT_NEAR(SxMotionPlayerGain(c.player, c.a, c.b), c.gain, c.gain * 5e-3f) << c.player;
}

TEST_F(MotionDevices, AddingAndRemovingPadsPerPlayer) {
    EXPECT_EQ(CSxMotionDeviceMgr::Active(), nullptr);
    EXPECT_EQ(mgr->AddPlayerMotionDevice(2, 0, kRumbleDeviceID, nullptr), SX_Success);
    EXPECT_EQ(CSxMotionDeviceMgr::Active(), mgr);
    EXPECT_EQ(mgr->AddPlayerMotionDevice(2, 0, kRumbleDeviceID, nullptr), SX_Success);  // the one there stays
    EXPECT_EQ(qvtest::MotionProbe::DeviceCount(*mgr, 2), 1u);
    EXPECT_EQ(qvtest::MotionProbe::PlayerMask(*mgr), 0x4);
    EXPECT_EQ(qvtest::MotionProbe::PlayerCount(*mgr), 3);
    EXPECT_TRUE(mgr->IsPlayerUsingDevice(0, kRumbleDeviceID));
    EXPECT_EQ(mgr->AddPlayerMotionDevice(0, 0, 999, nullptr), SX_Fail);  // not registered
    EXPECT_EQ(mgr->AddPlayerMotionDevice(4, 0, kRumbleDeviceID, nullptr), SX_InvalidParameter);
    EXPECT_EQ(qvtest::MotionProbe::DeviceCount(*mgr, 0), 0u);
    EXPECT_EQ(qvtest::MotionProbe::PlayerMask(*mgr), 0x4);

    platform::UnplugPad(2);
    EXPECT_FALSE(mgr->IsPlayerUsingDevice(0, kRumbleDeviceID));
    platform::ConnectPad(2);
    EXPECT_TRUE(mgr->IsPlayerUsingDevice(0, kRumbleDeviceID));

    EXPECT_EQ(mgr->RemovePlayerMotionDevice(2, 0, kRumbleDeviceID), SX_Success);
    EXPECT_EQ(mgr->RemovePlayerMotionDevice(2, 0, kRumbleDeviceID), SX_Fail);
    EXPECT_FALSE(mgr->IsDeviceActive());
    EXPECT_EQ(qvtest::MotionProbe::PlayerCount(*mgr), 0);
}

TEST_F(MotionDevices, PlayersReachedFollowTheirListeners) {
    for (uint8_t p : {0, 1, 3}) ASSERT_EQ(mgr->AddPlayerMotionDevice(p, 0, kRumbleDeviceID, nullptr), SX_Success);
    ASSERT_EQ(mgr->SetPlayerListener(1, 5), SX_Success);
    EXPECT_EQ(mgr->SetPlayerListener(1, 8), SX_InvalidParameter);
    struct Case {
        uint32_t objectMask, motionMask, players;
    } cases[] = {{0xFF, 0xFF, 0xB}, {0x01, 0xFF, 0x1}, {0x20, 0xFF, 0x2}, {0xFF, 0x09, 0x9}, {0x04, 0xFF, 0x0}};
    for (const Case& c : cases) EXPECT_EQ(mgr->PlayersReached(c.objectMask, c.motionMask), c.players) << c.objectMask;
}

// A motion event for player 0 at -12 dB: its pad records the curve at a quarter, the pad of
// player 1 (with a device, not reached) and of player 2 (no device) get nothing; a pad
// unplugged and plugged in again during play gets the event again.
TEST_F(MotionDevices, AMotionEventReachesOnlyItsPlayersPadAtThePlayersVolume) {
    ASSERT_EQ(mgr->AddPlayerMotionDevice(0, 0, kRumbleDeviceID, nullptr), SX_Success);
    ASSERT_EQ(mgr->AddPlayerMotionDevice(1, 0, kRumbleDeviceID, nullptr), SX_Success);
    ASSERT_EQ(mgr->SetPlayerVolume(0, -12.0412f), SX_Success);
    platform::ResetPads();
    for (uint32_t p = 0; p < 4; ++p) platform::ConnectPad(p);

    CountingAllocator allocator;
    CSxMotionGeneratorParams params(&allocator);
    Block b;  // steady 0.8 on the left, 0.4 on the right, for two seconds
    b.F32(1).F32(1).F32(2).F32(0).F32(0).F32(0).F32(0).F32(0).U16(1).U16(2);
    b.U16(1).F32(0).F32(0.8f).U32(SxCurve_Linear);
    b.U16(1).F32(0).F32(0.4f).U32(SxCurve_Linear);
    ASSERT_EQ(params.Init(&allocator, b.Data(), b.Size()), SX_Success);
    auto* generator = static_cast<CSxMotionGenerator*>(CreateMotionGenerator(&allocator));
    TestSourceContext context(1);
    SxAudioFormat format = Format(375, 0x3);
    ASSERT_EQ(generator->Init(&allocator, &context, &params, format), SX_Success);
    Buffer motion(0x3, uint16_t(CSxMotionDeviceMgr::MotionFrames(48000)));
    uint32_t frame = 0;
    for (bool playing = true; playing; ++frame) {
        if (frame == 20) platform::UnplugPad(0);
        if (frame == 40) platform::ConnectPad(0);
        generator->Execute(&motion.buffer);
        playing = motion.buffer.state == SX_DataReady;
        Frame(motion.buffer, true, mgr->PlayersReached(0x1, 0xFF));
    }
    generator->Term(&allocator);
    for (int k = 0; k < 20; ++k) {
        mgr->ProcessFrame();
        mgr->RenderData();
    }
    const float g = SxMotionPlayerGain(-12.0412f, 0.0f, 0.0f);  // about a quarter
    const platform::PadVibration quarter{SxRumbleControllerPad::LeftSpeed(0.8f * g),
                                         SxRumbleControllerPad::RightSpeed(0.4f * g)};
    const std::vector<platform::PadVibration> expected{quarter, quarter, {}};  // before, after the unplug, at rest
    EXPECT_EQ(platform::RecordedVibrations(0), expected);
    EXPECT_TRUE(platform::RecordedVibrations(1).empty());
    EXPECT_TRUE(platform::RecordedVibrations(2).empty());
}

TEST_F(MotionDevices, AnAudioVoiceDrivesBothMotorsOfEveryReachedPlayer) {
    for (uint8_t p : {0, 3}) ASSERT_EQ(mgr->AddPlayerMotionDevice(p, 0, kRumbleDeviceID, nullptr), SX_Success);
    platform::ResetPads();
    for (uint32_t p = 0; p < 4; ++p) platform::ConnectPad(p);
    Buffer mono(0x4, 1024);
    mono.Fill(0.5f);
    Frame(mono.buffer, false, 0x9);
    const std::vector<platform::PadVibration> expected{
        {SxRumbleControllerPad::LeftSpeed(0.5f), SxRumbleControllerPad::RightSpeed(0.5f)}};
    EXPECT_EQ(platform::RecordedVibrations(0), expected);
    EXPECT_EQ(platform::RecordedVibrations(3), expected);
    // The mixes were cleared with the frame: the next frame without voices brings the pads to rest.
    for (int k = 0; k < 4; ++k) {
        mgr->ProcessFrame();
        mgr->RenderData();
    }
    EXPECT_EQ(platform::RecordedVibrations(0).back(), platform::PadVibration{});
}

TEST_F(MotionDevices, RegistrationOfSourcesAndDevices) {
    EXPECT_EQ(RegisterMotionPlugins(), SX_Fail);  // the first registration stays
    EXPECT_EQ(RegisterSourcePlugins(), SX_Success);
    EXPECT_EQ(RegisterSourcePlugins(), SX_Fail);
    CountingAllocator allocator;
    struct Case {
        SxPluginType type;
        uint32_t id;
        uint32_t infoType;
    } cases[] = {{SxPluginType_MotionSource, kMotionGeneratorPluginID, SxPluginType_MotionSource},
                 {SxPluginType_Source, 102, SxPluginType_Source},
                 {SxPluginType_Source, 119, SxPluginType_Source},
                 {SxPluginType_Source, 120, SxPluginType_Source}};
    for (const Case& c : cases) {
        ISxPlugin* plugin = nullptr;
        ISxPluginParam* params = nullptr;
        ASSERT_EQ(SxPluginTable::CreatePlugin(SxPluginKey(c.type, 0, c.id), &allocator, plugin), SX_Success) << c.id;
        ASSERT_EQ(SxPluginTable::CreateParam(SxPluginKey(c.type, 0, c.id), &allocator, params), SX_Success) << c.id;
        SxPluginInfo info;
        plugin->GetPluginInfo(info);
        EXPECT_EQ(info.type, c.infoType);
        plugin->Term(&allocator);
        params->Term(&allocator);
    }
    EXPECT_EQ(allocator.live, 0);
    EXPECT_EQ(MotionEngine::RegisterMotionDevice(0, 77, nullptr), SX_InvalidParameter);
}

}  // namespace
}  // namespace fxtest
