#include <gtest/gtest.h>

#include <cmath>

#include "InputFixture.h"

namespace {

using Pads = qvtest::InputFixture;

void Feed(uint32_t pad, const platform::PadInput& in) { platform::SetPadInput(pad, in); }

TEST_F(Pads, ButtonsMapToTheirCodesOfTheirPad) {
    const std::pair<uint16_t, int> cases[] = {
        {platform::padbutton::kDpadUp, SD::xpad1_KVAD_U},
        {platform::padbutton::kDpadDown, SD::xpad1_KVAD_D},
        {platform::padbutton::kDpadLeft, SD::xpad1_KVAD_L},
        {platform::padbutton::kDpadRight, SD::xpad1_KVAD_R},
        {platform::padbutton::kStart, SD::xpad1_START},
        {platform::padbutton::kBack, SD::xpad1_BACK},
        {platform::padbutton::kLeftThumb, SD::xpad1_LSTICK},
        {platform::padbutton::kRightThumb, SD::xpad1_RSTICK},
        {platform::padbutton::kLeftShoulder, SD::xpad1_LSHOULDER},
        {platform::padbutton::kRightShoulder, SD::xpad1_RSHOULDER},
        {platform::padbutton::kA, SD::xpad1_A},
        {platform::padbutton::kB, SD::xpad1_B},
        {platform::padbutton::kX, SD::xpad1_X},
        {platform::padbutton::kY, SD::xpad1_Y},
        {0x0C00, -1},  // bits 10 and 11 are no button
    };
    platform::ConnectPad(2);
    input->ScanPads();
    for (const auto& [bit, code] : cases) {
        platform::PadInput in;
        in.buttons = bit;
        Feed(2, in);
        Frame();
        const uint32_t expected = code < 0 ? 0u : static_cast<uint32_t>(code + 2 * SD::xpad_OFFSET);
        EXPECT_EQ(input->GetFirstPressedKey(), expected) << std::hex << bit;
    }
}

TEST_F(Pads, DeadZonesAndDigitalThresholds) {
    struct Case {
        int16_t stick;
        uint8_t trigger;
        float value, triggerValue;
        uint32_t code;  // the first code down, 0 for none
    };
    const int16_t kMin = -32768;
    const Case cases[] = {
        {0, 0, 0.0f, 0.0f, 0},
        {8331, 0, 0.0f, 0.0f, 0},
        {-8331, 0, 0.0f, 0.0f, 0},
        {8332, 0, 1.0f / 24436, 0.0f, 0},
        {10000, 75, (10000.0f - 8331) / 24436, 75 / 255.0f, 0},
        {10001, 76, (10001.0f - 8331) / 24436, 76 / 255.0f, SD::xpad1_TRIGGER_L},
        {32767, 255, 1.0f, 1.0f, SD::xpad1_TRIGGER_L},
        {kMin, 0, (kMin + 8331.0f) / 24436, 0.0f, SD::xpad1_AXIS_LX_N},
        {12000, 0, (12000.0f - 8331) / 24436, 0.0f, SD::xpad1_AXIS_LX_P},
    };
    platform::ConnectPad(0);
    input->ScanPads();
    for (const Case& c : cases) {
        platform::PadInput in;
        in.thumbLX = c.stick;
        in.leftTrigger = c.trigger;
        Feed(0, in);
        Frame();
        EXPECT_FLOAT_EQ(input->GetXPadAxisLX(0), c.value) << c.stick;
        EXPECT_FLOAT_EQ(input->GetXPadAxisLTrig(0), c.triggerValue) << int(c.trigger);
        EXPECT_EQ(input->GetFirstPressedKey(), c.code) << c.stick;
        if (c.stick == kMin) {
            EXPECT_LT(input->GetXPadAxisLX(0), -1.0f);
        }
    }
}

TEST_F(Pads, RumbleIsSentWhileConnectedAndStoppedAtTheEnd) {
    using V = platform::PadVibration;
    input->SetXPadRumbleFine(0.5f, 1);  // pad 1 is not connected yet
    Frame();
    EXPECT_TRUE(platform::RecordedVibrations(1).empty());

    platform::ConnectPad(1);
    Raw().Post(platform::msg::kDeviceChange, platform::devchange::kArrival, 0);
    Frame();
    EXPECT_TRUE(input->IsPadConnected(1));
    ASSERT_FALSE(platform::RecordedVibrations(1).empty());
    EXPECT_EQ(platform::RecordedVibrations(1).back(), (V{0, 32767}));

    const struct {
        void (SD::Input_::*set)(float, uint32_t);
        float strength;
        V expected;
    } steps[] = {
        {&SD::Input_::SetXPadRumbleCoarse, 1.0f, {65535, 32767}},
        {&SD::Input_::SetXPadRumbleFine, 2.0f, {65535, 65535}},
        {&SD::Input_::SetXPadRumbleCoarse, -1.0f, {0, 65535}},
        {&SD::Input_::SetXPadRumbleFine, NAN, {0, 0}},
    };
    for (const auto& step : steps) {
        (input.get()->*step.set)(step.strength, 1);
        Frame();
        EXPECT_EQ(platform::RecordedVibrations(1).back(), step.expected) << step.strength;
    }
    input->SetXPadRumbleCoarse(0.25f, 1);
    input->PauseRumble(true, 1);
    Frame();
    EXPECT_EQ(platform::RecordedVibrations(1).back(), (V{0, 0}));
    input->PauseRumble(false, 1);
    Frame();
    EXPECT_EQ(platform::RecordedVibrations(1).back(), (V{16383, 0}));

    input.reset();
    EXPECT_EQ(platform::RecordedVibrations(1).back(), (V{0, 0}));
    EXPECT_TRUE(platform::RecordedVibrations(0).empty());
}

TEST_F(Pads, RumbleSettersDoNothingBeforeInitialize) {
    input.reset();
    input = std::make_unique<SD::Input_>();
    platform::ConnectPad(0);
    input->SetXPadRumbleFine(1.0f, 0);
    input->Initialize();
    Frame();
    EXPECT_TRUE(platform::RecordedVibrations(0).empty());
}

TEST_F(Pads, UnplugDuringAPressReleasesItsCodesAndAxes) {
    platform::ConnectPad(3);
    input->ScanPads();
    platform::PadInput in;
    in.buttons = platform::padbutton::kA;
    in.thumbRY = 20000;
    in.rightTrigger = 200;
    Feed(3, in);
    Frame();
    const uint32_t a = SD::xpad1_A + 3 * SD::xpad_OFFSET;
    EXPECT_TRUE(input->GetKeyState(a));
    EXPECT_GT(input->GetXPadAxisRY(3), 0.0f);

    platform::UnplugPad(3);
    Frame();
    EXPECT_FALSE(input->IsPadConnected(3));
    EXPECT_FALSE(input->GetKeyState(a));
    EXPECT_TRUE(input->GetKeyStateReleased(a));
    EXPECT_EQ(input->GetXPadAxisRY(3), 0.0f);
    EXPECT_EQ(input->GetXPadAxisRTrig(3), 0.0f);
    EXPECT_EQ(input->GetFirstPressedKey(), 0u);

    // Plugged in again it is seen only after a device change rescans the pads.
    platform::ConnectPad(3);
    Feed(3, in);
    Frame();
    EXPECT_FALSE(input->GetKeyState(a));
    Raw().Post(platform::msg::kDeviceChange, platform::devchange::kArrival, 0);
    Frame();
    Frame();
    EXPECT_TRUE(input->GetKeyState(a));
}

}  // namespace
