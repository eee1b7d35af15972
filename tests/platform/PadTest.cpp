#include <gtest/gtest.h>

#include "platform/pad/Pad.h"

namespace {

struct PadTest : ::testing::Test {
    void SetUp() override { platform::ResetPads(); }
    void TearDown() override { platform::ResetPads(); }
};

TEST_F(PadTest, OnlyConnectedSlotsAnswerAndRecordVibration) {
    platform::PadState state;
    EXPECT_EQ(platform::GetPadState(0, state), platform::PadResult::NotConnected);
    EXPECT_EQ(platform::GetPadState(4, state), platform::PadResult::BadIndex);
    EXPECT_EQ(platform::SetPadVibration(1, {1, 2}), platform::PadResult::NotConnected);
    EXPECT_EQ(platform::SetPadVibration(9, {1, 2}), platform::PadResult::BadIndex);

    platform::ConnectPad(1);
    platform::PadInput input;
    input.buttons = platform::padbutton::kA;
    input.thumbLX = -5;
    platform::SetPadInput(1, input);
    ASSERT_EQ(platform::GetPadState(1, state), platform::PadResult::Success);
    EXPECT_EQ(state.input.buttons, platform::padbutton::kA);
    EXPECT_EQ(state.input.thumbLX, -5);
    const uint32_t packet = state.packet;
    platform::SetPadInput(1, input);
    platform::GetPadState(1, state);
    EXPECT_NE(state.packet, packet);

    EXPECT_EQ(platform::SetPadVibration(1, {1, 2}), platform::PadResult::Success);
    EXPECT_EQ(platform::RecordedVibrations(1), (std::vector<platform::PadVibration>{{1, 2}}));
    EXPECT_TRUE(platform::RecordedVibrations(0).empty());
}

TEST_F(PadTest, UnplugForgetsTheInputAndResetForgetsEverything) {
    platform::ConnectPad(2);
    platform::PadInput input;
    input.buttons = platform::padbutton::kStart;
    platform::SetPadInput(2, input);
    platform::UnplugPad(2);
    platform::PadState state;
    EXPECT_EQ(platform::GetPadState(2, state), platform::PadResult::NotConnected);
    platform::ConnectPad(2);
    platform::GetPadState(2, state);
    EXPECT_EQ(state.input.buttons, 0);

    platform::SetPadVibration(2, {5, 5});
    platform::ResetPads();
    EXPECT_EQ(platform::GetPadState(2, state), platform::PadResult::NotConnected);
    EXPECT_TRUE(platform::RecordedVibrations(2).empty());
}

}  // namespace
