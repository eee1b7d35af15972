#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "SxTestMemory.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

std::vector<std::string> g_calls;

void FirstExtension(bool) { g_calls.push_back("ext1"); }
void SecondExtension(bool) { g_calls.push_back("ext2"); }
void SelfRemovingExtension(bool) {
    g_calls.push_back("self");
    SxBehavioralExtensions::Remove(SelfRemovingExtension);
}

class AudioFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        control::Reset();
        control::SetOpenFails(true);
        ASSERT_EQ(CSxLEngine::Init(SxPlatformInitSettings()), SX_Success);
        ASSERT_EQ(mgr.Init(SxInitSettings()), SX_Success);
        g_FrameHooks.processPaths = [](uint32_t f) { g_calls.push_back("paths " + std::to_string(f)); };
        g_FrameHooks.processLimiters = [] { g_calls.push_back("limiters"); };
        g_FrameHooks.processCommands = [] { g_calls.push_back("commands"); };
        g_FrameHooks.renderMotion = [] { g_calls.push_back("motion"); };
        mgr.SetHandler(SxMsg_SetPanningRule, [](const SxQueuedMsgHeader&) { g_calls.push_back("message"); });
    }
    void TearDown() override {
        mgr.Term();
        CSxLEngine::Term();
        SxBehavioralExtensions::Clear();
        g_FrameHooks = SxFrameHooks();
        control::Reset();
    }
    void PostMessage() {
        SxMsgSetPanningRule record;
        ASSERT_EQ(mgr.Enqueue(record.header, sizeof record), SX_Success);
        mgr.RenderAudio();
    }
    sxtest::TestMemory memory;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    CSxAudioMgr mgr;
};

TEST_F(AudioFrameTest, EachBufferRunsTheFrameInItsFixedOrder) {
    SxBehavioralExtensions::Add(FirstExtension);
    SxBehavioralExtensions::Add(SecondExtension);
    PostMessage();
    clock.Advance(0.043);  // two buffers due at 48000 Hz
    mgr.Perform();
    const std::vector<std::string> expected = {"message", "ext2", "ext1",    "paths 1",  "limiters", "commands",
                                               "ext2",    "ext1", "paths 2", "limiters", "commands", "motion"};
    EXPECT_EQ(g_calls, expected);
    EXPECT_EQ(mgr.FrameCounter(), 2u);
}

TEST_F(AudioFrameTest, AWakeWithNoBufferOnlyAppliesMessages) {
    PostMessage();
    mgr.Perform();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"message", "motion"}));
    EXPECT_EQ(mgr.FrameCounter(), 0u);
}

TEST_F(AudioFrameTest, AnExtensionMayRemoveItselfWhileCalled) {
    SxBehavioralExtensions::Add(FirstExtension);
    SxBehavioralExtensions::Add(SelfRemovingExtension);
    SxBehavioralExtensions::Add(SecondExtension);
    SxBehavioralExtensions::Call(false);
    SxBehavioralExtensions::Call(false);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"ext2", "self", "ext1", "ext2", "ext1"}));
    EXPECT_EQ(SxBehavioralExtensions::Remove(SelfRemovingExtension), SX_Fail);
}

}  // namespace
