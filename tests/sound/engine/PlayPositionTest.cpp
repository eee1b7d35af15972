// The play position of a sound posted with position tracking follows its output frame by
// frame: through a seek, still while paused, on again once resumed, and between frames by the
// clock; it is gone once the sound ended, and never kept for a sound posted without asking.
#include <cmath>
#include <functional>
#include <map>

#include "SxVoiceFixture.h"

using namespace sxtest;

namespace {

class PlayPosition : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 96000, 48000, 0x4), QV::media::Encoding::Pcm16);
        LoadSound({});
    }
    // After each call: the position (-1 while there is none), the output written so far in ms,
    // and how far the position moves with 10 ms more of clock. Call 0 is the post's.
    struct Step {
        int32_t position, extrapolated;
        double outputMs;
    };
    std::vector<Step> Run(uint32_t flags, int calls, const std::map<int, std::function<void()>>& at) {
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, flags | SxCallback_EndOfEvent, OnEvent);
        std::vector<Step> steps;
        for (int call = 0; call < calls; ++call) {
            const auto action = at.find(call);
            if (action != at.end()) action->second();
            Frame();
            Step step{-1, -1, control::Captured().size() / 4 / 48.0};
            if (SoundEngine::GetSourcePlayPosition(id, &step.position, false) != SX_Success) {
                EXPECT_EQ(step.position, 0) << call;
                step.position = -1;
            } else {
                // Between frames the position moves on with the clock, at the sound's rate.
                clock.Advance(0.010);
                SoundEngine::GetSourcePlayPosition(id, &step.extrapolated, true);
                step.extrapolated -= step.position;
            }
            steps.push_back(step);
        }
        control::StopCapture();
        return steps;
    }
    // The position moved as far as the output did since the step before (within a ms).
    static ::testing::AssertionResult MovedWithOutput(const std::vector<Step>& s, size_t i) {
        const double moved = s[i].position - s[i - 1].position, output = s[i].outputMs - s[i - 1].outputMs;
        if (output > 0 && std::fabs(moved - output) <= 1.0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "moved " << moved << " ms while the output moved " << output << " ms";
    }
};

TEST_F(PlayPosition, FollowsTheOutputThroughASeekAndAPause) {
    const std::vector<Step> s = Run(SxCallbackFlag_EnableGetSourcePlayPosition, 100,
                                    {{10, [] { SoundEngine::SeekOnEvent(kEvent, kGameObject, int32_t(600)); }},
                                     {20, [] { SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Pause); }},
                                     {30, [] { SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Resume); }}});
    ASSERT_EQ(s.size(), 100u);
    ASSERT_GE(s[0].position, 0) << "known from the sound's first frame";
    EXPECT_LT(s[0].position, 22);
    for (size_t i = 1; i < 10; ++i) EXPECT_TRUE(MovedWithOutput(s, i)) << i;
    EXPECT_GE(s[10].position, 600) << "the seek moves it at once";
    EXPECT_LT(s[10].position, 600 + s[10].outputMs - s[9].outputMs);
    for (size_t i = 11; i < 20; ++i) EXPECT_TRUE(MovedWithOutput(s, i)) << i;
    for (size_t i = 21; i < 30; ++i) EXPECT_EQ(s[i].position, s[20].position) << i << ": held while paused";
    for (size_t i = 31; i < 60; ++i) EXPECT_TRUE(MovedWithOutput(s, i)) << i;
    for (size_t i : {0, 1, 5, 15, 32}) EXPECT_NEAR(s[i].extrapolated, 10, 1) << i;
    for (size_t i : {22, 28}) EXPECT_EQ(s[i].extrapolated, 0) << i << ": paused";
    // The two-second sound ends about 1.2 s after its resume: its position goes with it.
    EXPECT_EQ(g_ended.size(), 1u);
    EXPECT_EQ(s.back().position, -1);
}

TEST_F(PlayPosition, IsKeptOnlyForSoundsPostedAskingForIt) {
    for (const Step& step : Run(0, 20, {})) EXPECT_EQ(step.position, -1);
}

}  // namespace
