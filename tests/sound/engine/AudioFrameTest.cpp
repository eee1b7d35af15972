// The audio frame's steps in their order, observed on the running engine through what each
// step does: a message applied, the behavioral extensions called, a path moved to the frame's
// position, a voice started and rendered, its instance ended, and the motion device's result
// sent once the frames are done.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "SxTestPlugins.h"
#include "SxVoiceFixture.h"
#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/plugin/ISxMotionMixBus.h"
#include "tests/sound/engine/SxAudioMgrProbe.h"

using namespace sxtest;

namespace {

constexpr uint16_t kMotionDevice = 31;
constexpr uint32_t kPanningRule = 1;
constexpr SxUniqueID kSecondSound = 101, kSecondEvent = 1100;

std::vector<std::string> g_calls;
bool g_messageSeen = false;

// What became visible since the last look: the panning rule message applied.
void Look() {
    if (!g_messageSeen && CSxLEngine::PanningRule() == kPanningRule) {
        g_messageSeen = true;
        g_calls.push_back("message");
    }
}

void OnVoice(SxCallbackType type, SxCallbackInfo*) {
    Look();
    if (type == SxCallback_Duration) g_calls.push_back("limiters");
    if (type == SxCallback_EndOfEvent) g_calls.push_back("commands");
}

void FirstExtension(bool) {
    Look();
    g_calls.push_back("ext1");
}
void SecondExtension(bool) {
    Look();
    g_calls.push_back("ext2");
}
void SelfRemovingExtension(bool) {
    g_calls.push_back("self");
    SxBehavioralExtensions::Remove(SelfRemovingExtension);
}

// A path user whose x is the number of frames its path has run.
struct PathUser : ISxPathUser {
    void SetPathPosition(const SxVector& position) override {
        Look();
        g_calls.push_back("paths " + std::to_string(std::lround(position.x)));
    }
};

class TestMotionDevice final : public ISxMotionMixBus {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override { return Destroy(this, allocator); }
    SXRESULT Reset() override { return SX_Success; }
    SXRESULT GetPluginInfo(SxPluginInfo& info) override {
        info.type = SxPluginType_MotionDevice;
        return SX_Success;
    }
    SXRESULT Init(ISxPluginMemAlloc*, const SxPlatformInitSettings*, int32_t, void*) override { return SX_Success; }
    SXRESULT MixAudio(SxAudioBuffer*) override { return SX_Success; }
    SXRESULT MixMotion(SxAudioBuffer*) override { return SX_Success; }
    SXRESULT EndFrame() override { return SX_Success; }
    SXRESULT SendNextPair() override {
        Look();
        g_calls.push_back("motion");
        return SX_Success;
    }
    void Stop() override {}
    float TakePeak() override { return 0.0f; }
    bool IsActive() override { return true; }
    uint32_t GetChannelMask() override { return 0x3; }
    void SetVolume(float) override {}
};

ISxPlugin* CreateMotionDevice(ISxPluginMemAlloc* allocator) { return Make<TestMotionDevice>(allocator); }

class AudioFrame : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        g_calls.clear();
        g_messageSeen = false;
        ASSERT_EQ(MotionEngine::RegisterMotionDevice(kTestCompany, kMotionDevice, CreateMotionDevice), SX_Success);
        ASSERT_EQ(MotionEngine::AddPlayerMotionDevice(0, kTestCompany, kMotionDevice, nullptr), SX_Success);
        // Half a frame of tone: each sound starts and ends in one frame.
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 512, 48000, 0x4), QV::media::Encoding::Pcm16);
        g_mediaByID[kMedia + 1] = g_media;
        LoadSound({});
        // The second sound's play waits a little more than one frame.
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia + 1;
        source.size = static_cast<uint32_t>(g_media.size());
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Sound, bw::SoundBody(kSecondSound, source, bw::NodeBase())),
            bw::Record(SxHirc_Action, bw::ActionBody(kSecondEvent + 1, 0x0403, kSecondSound,
                                                     {bw::PropI(SxProp_DelayTime, 22)}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kSecondEvent, {kSecondEvent + 1})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RenderAudio();
        g_pAudioMgr->Perform();
        ASSERT_NE(CSxMotionDeviceMgr::Active(), nullptr);
        // A path of ten frames from x 0 to x 10.
        static const SxPathVertex vertices[] = {{0, 0, 0, 210}, {10, 0, 0, 210}};
        static const SxPathListItem list[] = {{vertices, 2, 0, 0}};
        platform::Lock lock(g_csMain);
        path = g_pPathMgr->AddPathToList();
        ASSERT_NE(path, nullptr);
        g_pPathMgr->AddPathUser(path);
        ASSERT_EQ(g_pPathMgr->AddPBI(path, &user), SX_Success);
        ASSERT_EQ(g_pPathMgr->SetPathsList(path, list, 1, 0, false, nullptr), SX_Success);
        ASSERT_EQ(g_pPathMgr->Start(path, nullptr), SX_Success);
        g_calls.clear();
    }
    void TearDown() override {
        if (path) {
            platform::Lock lock(g_csMain);
            g_pPathMgr->RemovePBI(path, &user);
            g_pPathMgr->RemovePathUser(path);
        }
        SxBehavioralExtensions::Clear();
        VoiceFixture::TearDown();
    }
    static void PostPanningRule() {
        ASSERT_EQ(SoundEngine::SetPanningRule(kPanningRule), SX_Success);
        SoundEngine::RenderAudio();
    }
    PathUser user;
    CSxPath* path = nullptr;
};

TEST_F(AudioFrame, EachBufferRunsTheFrameInItsFixedOrder) {
    SxBehavioralExtensions::Add(FirstExtension);
    SxBehavioralExtensions::Add(SecondExtension);
    const uint32_t flags = SxCallback_Duration | SxCallback_EndOfEvent;
    SoundEngine::PostEvent(kEvent, kGameObject, flags, OnVoice);
    SoundEngine::PostEvent(kSecondEvent, kGameObject, flags, OnVoice);
    PostPanningRule();
    const uint32_t frames = qvtest::AudioMgrProbe::FrameCounter();
    clock.Advance(0.043);  // two buffers due at 48000 Hz
    g_pAudioMgr->Perform();
    const std::vector<std::string> expected = {"message", "ext2", "ext1",    "paths 1",  "limiters", "commands",
                                               "ext2",    "ext1", "paths 2", "limiters", "commands", "motion"};
    EXPECT_EQ(g_calls, expected);
    EXPECT_EQ(qvtest::AudioMgrProbe::FrameCounter() - frames, 2u);
}

TEST_F(AudioFrame, AWakeWithNoBufferOnlyAppliesMessages) {
    PostPanningRule();
    const uint32_t frames = qvtest::AudioMgrProbe::FrameCounter();
    g_pAudioMgr->Perform();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"message", "motion"}));
    EXPECT_EQ(qvtest::AudioMgrProbe::FrameCounter() - frames, 0u);
}

TEST_F(AudioFrame, AnExtensionMayRemoveItselfWhileCalled) {
    SxBehavioralExtensions::Add(FirstExtension);
    SxBehavioralExtensions::Add(SelfRemovingExtension);
    SxBehavioralExtensions::Add(SecondExtension);
    SxBehavioralExtensions::Call(false);
    SxBehavioralExtensions::Call(false);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"ext2", "self", "ext1", "ext2", "ext1"}));
    EXPECT_EQ(SxBehavioralExtensions::Remove(SelfRemovingExtension), SX_Fail);
}

}  // namespace
