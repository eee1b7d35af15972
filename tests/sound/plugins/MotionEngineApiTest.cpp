// The motion calls of the API on a running engine: a pad added for a player through the queue,
// a motion mix of the audio thread's frames reaching the pad at the player's volume, and the
// pad removed again with its motors at rest.
#include <chrono>
#include <thread>

#include "platform/pad/Pad.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/plugins/motion/RumbleMixBus.h"
#include "sound/plugins/motion/SxMotionPluginsRegistry.h"
#include "SxFxTestSupport.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxMotionProbe.h"

namespace fxtest {
namespace {

// Polls (1 ms real sleeps) until done() or two seconds passed.
template <typename Done>
bool WaitFor(Done done) {
    for (int i = 0; i < 2000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

class MotionEngineApi : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::ResetPads();
        platform::ConnectPad(2);
        SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
        ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
        ASSERT_EQ(RegisterMotionPlugins(), SX_Success);
    }
    void TearDown() override {
        SoundEngine::Term();
        MemoryMgr::Term();
        platform::audio::control::Reset();
        platform::ResetPads();
    }
    static uint32_t Devices(uint8_t player) {
        platform::Lock lock(g_csMain);
        CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active();
        return motion ? qvtest::MotionProbe::DeviceCount(*motion, player) : 0;
    }
};

TEST_F(MotionEngineApi, APadAddedThroughTheQueueRumblesWithTheFramesAndRestsWhenRemoved) {
    ASSERT_EQ(MotionEngine::AddPlayerMotionDevice(2, 0, kRumbleDeviceID, nullptr), SX_Success);
    ASSERT_EQ(MotionEngine::SetPlayerVolume(2, -12.0412f), SX_Success);
    EXPECT_EQ(Devices(2), 0u) << "not before RenderAudio";
    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([] { return Devices(2) == 1; }));

    const float gain = SxMotionPlayerGain(-12.0412f, 0.0f, 0.0f);
    {
        platform::Lock lock(g_csMain);
        CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active();
        ASSERT_EQ(motion->PlayerVolumeDb(2), -12.0412f);
        Buffer voice(0x3, 8);
        std::fill(voice.Channel(0), voice.Channel(0) + 8, 0.8f);
        std::fill(voice.Channel(1), voice.Channel(1) + 8, 0.4f);
        const float gains[4] = {0.0f, 0.0f, gain, 0.0f};
        motion->MixVoice(voice.buffer, true, motion->PlayersReached(0xFF, 0xFF), gains);
    }
    const platform::PadVibration expected{SxRumbleControllerPad::LeftSpeed(0.8f * gain),
                                          SxRumbleControllerPad::RightSpeed(0.4f * gain)};
    ASSERT_TRUE(WaitFor([] { return !platform::RecordedVibrations(2).empty(); }));
    EXPECT_EQ(platform::RecordedVibrations(2).front(), expected);
    // The next frames without data bring the motors to rest.
    ASSERT_TRUE(WaitFor([] { return platform::RecordedVibrations(2).back() == platform::PadVibration{}; }));

    ASSERT_EQ(MotionEngine::RemovePlayerMotionDevice(2, 0, kRumbleDeviceID), SX_Success);
    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([] { return Devices(2) == 0; }));
}

}  // namespace
}  // namespace fxtest
