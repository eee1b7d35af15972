#include <gtest/gtest.h>

#include "InputFixture.h"
#include "runtime/InputBindingSet.h"

namespace {

using Bindings = qvtest::InputFixture;

TEST_F(Bindings, DigitalBindingOverTwoCodes) {
    input->BindDigital("Fire", SD::key_A);
    input->BindDigital("Fire", SD::mouse_BUTTON1);
    struct Step {
        std::vector<std::pair<uint32_t, bool>> keys;
        bool held, triggered, released;
    };
    const Step steps[] = {
        {{{SD::key_A, true}}, true, true, false},           {{}, true, false, false},
        {{{SD::mouse_BUTTON1, true}}, true, true, false},  // newly pressed while the other is held
        {{{SD::key_A, false}}, true, false, true},         // one let go while the other is held
        {{{SD::mouse_BUTTON1, false}}, false, false, true}, {{}, false, false, false},
    };
    int at = 0;
    for (const Step& s : steps) {
        for (const auto& [code, down] : s.keys) {
            if (code == SD::mouse_BUTTON1)
                Mouse(down ? 0x1 : 0x2);
            else
                Key(code, down);
        }
        Frame();
        EXPECT_EQ(input->GetDigital("Fire"), s.held) << at;
        EXPECT_EQ(input->GetDigitalTriggered("Fire"), s.triggered) << at;
        EXPECT_EQ(input->GetDigitalReleased("Fire"), s.released) << at;
        ++at;
    }
}

TEST_F(Bindings, AnalogStrongestEntryWinsAndTheEarlierOnATie) {
    platform::ConnectPad(0);
    input->ScanPads();
    // Stick at scale 1, then the A/D pair at 0.5, then the arrow pair at 0.5.
    input->BindAnalog("Steer", SD::xpad1_AXIS_LX_N, SD::xpad1_AXIS_LX_P, 1.0f);
    input->BindAnalog("Steer", SD::key_A, SD::key_D, 0.5f);
    input->BindAnalog("Steer", SD::key_LEFT, SD::key_RIGHT, 0.5f);
    const int16_t kHalf = 8331 + 12218;  // reads 0.5
    const int16_t kThird = 8331 + 8145;  // reads about 0.333
    struct Case {
        int16_t stick;
        std::vector<uint32_t> keys;
        float expected;
    };
    const Case cases[] = {
        {0, {}, 0.0f},
        {kThird, {}, 8145.0f / 24436},
        {kThird, {SD::key_A}, -0.5f},
        {static_cast<int16_t>(-kThird), {SD::key_D}, 0.5f},
        {kHalf, {SD::key_A}, 0.5f},              // a tie keeps the earlier stick
        {0, {SD::key_A, SD::key_RIGHT}, -0.5f},  // a tie keeps the earlier pair
        {0, {SD::key_A, SD::key_D}, 0.0f},       // both keys of a pair: nothing
        {0, {SD::key_A, SD::key_D, SD::key_RIGHT}, 0.5f},
        {32767, {SD::key_LEFT}, 1.0f},
    };
    for (const Case& c : cases) {
        platform::PadInput in;
        in.thumbLX = c.stick;
        platform::SetPadInput(0, in);
        for (uint32_t k : c.keys) Key(k, true);
        Frame();
        EXPECT_FLOAT_EQ(input->GetAnalog("Steer"), c.expected) << c.stick << " " << c.keys.size();
        for (uint32_t k : c.keys) Key(k, false);
        Frame();
    }
}

TEST_F(Bindings, AnalogSourcesFollowTheNegativeCode) {
    platform::ConnectPad(1);
    input->ScanPads();
    const int pad2 = SD::xpad_OFFSET;
    input->BindAnalog("X", SD::xpad1_AXIS_LX_P + pad2, SD::key_NOTAKEY, 1.0f);  // either direction names the axis
    input->BindAnalog("Gas", SD::xpad1_TRIGGER_R + pad2, SD::xpad1_TRIGGER_R + pad2, 2.0f);
    input->BindAnalog("Roll", SD::mouse3d_ROT_Z_N, SD::mouse3d_ROT_Z_P, -1.0f);
    input->BindAnalog("Pad1", SD::xpad1_AXIS_LX_N, SD::xpad1_AXIS_LX_P, 1.0f);
    platform::PadInput in;
    in.thumbLX = -32767;
    in.rightTrigger = 255;
    platform::SetPadInput(1, in);
    Hid(kSixAxis, {2, 0, 0, 0, 0, 0x90, 0x01});  // rotation z = 400 * 0.0025
    Frame();
    EXPECT_FLOAT_EQ(input->GetAnalog("X"), -1.0f);
    EXPECT_FLOAT_EQ(input->GetAnalog("Gas"), 2.0f);
    EXPECT_FLOAT_EQ(input->GetAnalog("Roll"), -1.0f);
    EXPECT_FLOAT_EQ(input->GetAnalog("Pad1"), 0.0f);
}

TEST_F(Bindings, NamesCodesAndClearing) {
    EXPECT_FALSE(input->GetDigital("Never"));
    EXPECT_TRUE(input->Bindings().HasDigital("Never"));  // reading made it
    input->BindDigital("Never", SD::key_Q);
    EXPECT_EQ(input->Bindings().DigitalEntryCount("Never"), 1u);

    input->BindDigital("A", SD::key_Q);
    input->BindDigital("A", SD::key_Q);
    input->BindDigital("A", SD::key_W);
    input->BindDigital("A", 394);  // outside the table: not bound
    input->BindDigital("A", 0xFFFFFFFFu);
    input->BindAnalog("M", SD::key_Q, SD::key_E, 1.0f);
    input->BindAnalog("M", SD::key_E, SD::key_Q, 1.0f);
    input->BindAnalog("M", SD::key_R, 100000, 1.0f);
    EXPECT_EQ(input->Bindings().DigitalEntryCount("A"), 3u);
    EXPECT_EQ(input->Bindings().AnalogEntryCount("M"), 2u);
    Key(SD::key_Q, true);
    Frame();
    EXPECT_TRUE(input->GetDigital("A"));

    input->ClearDigitalKey(SD::key_Q);
    EXPECT_TRUE(input->Bindings().HasDigital("Never"));
    EXPECT_EQ(input->Bindings().DigitalEntryCount("Never"), 0u);
    EXPECT_EQ(input->Bindings().DigitalEntryCount("A"), 1u);
    Frame();
    EXPECT_FALSE(input->GetDigital("A"));

    input->ClearAnalogKey(SD::key_E);
    EXPECT_EQ(input->Bindings().AnalogEntryCount("M"), 0u);
    input->ClearDigital("A");
    input->ClearAnalog("M");
    input->ClearDigital("absent");
    EXPECT_FALSE(input->Bindings().HasDigital("A"));
    EXPECT_FALSE(input->Bindings().HasAnalog("M"));
}

TEST_F(Bindings, BindingSetRemovesItsBindingsAsAUnit) {
    input->BindDigital("Other", SD::key_O);
    {
        SD::InputBindingSet set;
        set.BindDigital("Jump", SD::key_SPACE);
        set.BindDigital("Jump", SD::xpad1_A);
        set.BindAnalog("Walk", SD::key_S, SD::key_W);
        EXPECT_EQ(input->Bindings().DigitalEntryCount("Jump"), 2u);
        EXPECT_EQ(set.DigitalNames(), (std::vector<std::string>{"Jump", "Jump"}));
        set.UnbindAll();
        EXPECT_FALSE(input->Bindings().HasDigital("Jump"));
        EXPECT_FALSE(input->Bindings().HasAnalog("Walk"));
        EXPECT_EQ(set.AnalogNames().size(), 1u);
        input->BindDigital("Jump", SD::key_J);
    }
    EXPECT_FALSE(input->Bindings().HasDigital("Jump"));  // the destructor unbinds by name
    EXPECT_TRUE(input->Bindings().HasDigital("Other"));

    auto late = std::make_unique<SD::InputBindingSet>();
    late->BindDigital("Late", SD::key_L);
    input.reset();
    late.reset();  // the input system is gone: nothing to remove, nothing touched
    SD::InputBindingSet orphan;
    orphan.BindDigital("Nowhere", SD::key_N);
    EXPECT_EQ(orphan.DigitalNames().size(), 1u);
}

}  // namespace
