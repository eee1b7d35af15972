#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "InputFixture.h"
#include "core/ConfigFile.h"
#include "support/TempTree.h"
#include "tests/platform/WindowProbe.h"

namespace {

using WindowProbe = platform::TestProbe<platform::Window>;

using qvtest::InputFixture;
using Input = InputFixture;

// One raw event: 'd'/'u' key a down/up; 'm' relative mouse with button flags a and data b;
// 'A' absolute mouse with button flags a.
struct Ev {
    char kind;
    uint32_t a;
    uint32_t b;
};

// Per frame: 'D' newly down, 'H' held, 'R' newly up, '.' up.
char Observe(const SD::Input_& in, uint32_t code) {
    if (in.GetKeyStateTriggered(code)) return 'D';
    if (in.GetKeyState(code)) return 'H';
    if (in.GetKeyStateReleased(code)) return 'R';
    return '.';
}

TEST_F(Input, SequencesOfRawEvents) {
    constexpr uint16_t kWheel = platform::rawmouse::kWheel;
    constexpr uint16_t kHWheel = platform::rawmouse::kHWheel;
    struct Case {
        const char* name;
        uint32_t code;
        std::vector<std::vector<Ev>> frames;
        const char* expected;
    };
    const Case cases[] = {
        {"tap within one frame is down for a frame", SD::key_A, {{{'d', 65, 0}, {'u', 65, 0}}, {}, {}}, "DR."},
        {"held across frames", SD::key_A, {{{'d', 65, 0}}, {}, {{'u', 65, 0}}, {}}, "DHR."},
        {"released and pressed again in one frame stays down",
         SD::key_A,
         {{{'d', 65, 0}}, {{'u', 65, 0}, {'d', 65, 0}}, {}},
         "DHH"},
        {"wheel up lasts one frame", SD::mouse_SCROLL_U, {{{'m', kWheel, 120}}, {}}, "D."},
        {"each notch is new", SD::mouse_SCROLL_U, {{{'m', kWheel, 120}}, {{'m', kWheel, 240}}}, "DD"},
        {"wheel down", SD::mouse_SCROLL_D, {{{'m', kWheel, 0xFF88}}, {}}, "D."},
        {"wheel down is not up", SD::mouse_SCROLL_U, {{{'m', kWheel, 0xFF88}}}, "."},
        {"wheel delta -32768 scrolls nowhere", SD::mouse_SCROLL_D, {{{'m', kWheel, 0x8000}}}, "."},
        {"horizontal wheel right", SD::mouse_SCROLL_R, {{{'m', kHWheel, 120}}}, "D"},
        {"horizontal wheel left", SD::mouse_SCROLL_L, {{{'m', kHWheel, 0xFF88}}}, "D"},
        {"left button", SD::mouse_BUTTON1, {{{'m', 0x001, 0}}, {}, {{'m', 0x002, 0}}}, "DHR"},
        {"right button", SD::mouse_BUTTON2, {{{'m', 0x004, 0}}, {{'m', 0x008, 0}}}, "DR"},
        {"fifth button", SD::mouse_BUTTON5, {{{'m', 0x100, 0}}, {{'m', 0x200, 0}}}, "DR"},
        {"click within one frame is down for a frame", SD::mouse_BUTTON1, {{{'m', 0x003, 0}}, {}}, "DR"},
        {"absolute record dropped with its buttons", SD::mouse_BUTTON1, {{{'A', 0x001, 0}}}, "."},
        {"highest key code", 254, {{{'d', 254, 0}}, {{'u', 254, 0}}}, "DR"},
        {"code 255 is kept", SD::key_LAST, {{{'d', 255, 0}}}, "D"},
        {"a key code of 256 is not the first mouse button", SD::mouse_BUTTON1, {{{'d', 256, 0}}}, "."},
        {"a huge key code is dropped", SD::mouse_BUTTON1, {{{'d', 0xFFFF, 0}}}, "."},
        {"left control holds control", SD::key_CONTROL, {{{'d', 162, 0}}, {}, {{'u', 162, 0}}, {}}, "DHR."},
        {"right control holds control", SD::key_CONTROL, {{{'d', 163, 0}}, {{'u', 163, 0}}}, "DR"},
        {"control tapped within one frame", SD::key_CONTROL, {{{'d', 162, 0}, {'u', 162, 0}}, {}}, "DR"},
        {"either shift holds shift",
         SD::key_SHIFT,
         {{{'d', 160, 0}}, {{'d', 161, 0}}, {{'u', 160, 0}}, {{'u', 161, 0}}},
         "DHHR"},
        {"both shifts let go in one frame",
         SD::key_SHIFT,
         {{{'d', 160, 0}, {'d', 161, 0}}, {{'u', 161, 0}, {'u', 160, 0}}},
         "DR"},
        {"right alt holds alt", SD::key_ALT, {{{'d', 165, 0}}, {}, {{'u', 165, 0}}}, "DHR"},
        {"the generic key's own record still counts", SD::key_CONTROL, {{{'d', 17, 0}}, {{'u', 17, 0}}}, "DR"},
        {"a left key is not its right twin", SD::key_RCONTROL, {{{'d', 162, 0}}}, "."},
        {"shift is not control", SD::key_CONTROL, {{{'d', 160, 0}}}, "."},
    };
    for (const Case& c : cases) {
        SD::Input_::WipeKeystateBuffers();
        std::string seen;
        for (const auto& frame : c.frames) {
            for (const Ev& e : frame) {
                if (e.kind == 'd' || e.kind == 'u') Key(e.a, e.kind == 'd');
                if (e.kind == 'm') Mouse(static_cast<uint16_t>(e.a), static_cast<uint16_t>(e.b));
                if (e.kind == 'A') Mouse(static_cast<uint16_t>(e.a), 0, 9, 9, platform::rawmouse::kMoveAbsolute);
            }
            Frame();
            seen += Observe(*input, c.code);
        }
        EXPECT_EQ(seen, c.expected) << c.name;
    }
}

TEST_F(Input, RecordsThatCannotBeReadOrPlacedAreDropped) {
    platform::RawInput key;
    key.type = platform::RawInputType::Keyboard;
    key.device = kDetached;
    key.keyboard.virtualKey = SD::key_B;
    Raw().PostRawInput(key);
    Raw().Post(platform::msg::kInput, 0, 12345);  // a handle with no record behind it
    Frame();
    EXPECT_FALSE(input->GetKeyState(SD::key_B));
    EXPECT_EQ(input->GetFirstPressedKey(), 0u);
}

TEST_F(Input, MouseMotionIsTheMotionSinceThePreviousUpdate) {
    Mouse(0, 0, 5, -2);
    Mouse(0, 0, 1, 1);
    Frame();
    EXPECT_EQ(input->GetMouseDeltaX(), 6);
    EXPECT_EQ(input->GetMouseDeltaY(), -1);
    Mouse(0, 0, 3, 0);
    Mouse(0, 0, 100, 100, platform::rawmouse::kMoveAbsolute);
    Frame();
    EXPECT_EQ(input->GetMouseDeltaX(), 3);
    EXPECT_EQ(input->GetMouseDeltaY(), 0);
    Frame();
    EXPECT_EQ(input->GetMouseDeltaX(), 0);
}

TEST_F(Input, SixAxisMouseReports) {
    struct Case {
        const char* name;
        uint32_t device;
        std::vector<uint8_t> report;
        uint32_t code;
        bool down;
    };
    const Case cases[] = {
        {"first button", kSixAxis, {3, 0x01, 0, 0, 0}, SD::mouse3d_F1, true},
        {"button bit 20", kSixAxis, {3, 0, 0, 0x10, 0}, SD::mouse3d_CONFIG, true},
        {"bit 21 is no button", kSixAxis, {3, 0, 0, 0x20, 0}, SD::mouse3d_ROT_X_P, false},
        {"another vendor's device", kOtherHid, {3, 0x01, 0, 0, 0}, SD::mouse3d_F1, false},
        {"a device that is gone", kDetached, {3, 0x01, 0, 0, 0}, SD::mouse3d_F1, false},
        {"short button report", kSixAxis, {3, 0x01}, SD::mouse3d_F1, false},
        {"translation x past the threshold", kSixAxis, {1, 200, 0, 0, 0, 0, 0}, SD::mouse3d_TRANS_X_P, true},
        {"translation at the threshold", kSixAxis, {1, 120, 0, 0, 0, 0, 0}, SD::mouse3d_TRANS_X_P, false},
        {"negative rotation y", kSixAxis, {2, 0, 0, 0x38, 0xFF, 0, 0}, SD::mouse3d_ROT_Y_N, true},
        {"rotation z", kSixAxis, {2, 0, 0, 0, 0, 0xE8, 0x03}, SD::mouse3d_ROT_Z_P, true},
        {"short axis report", kSixAxis, {1, 200, 0}, SD::mouse3d_TRANS_X_P, false},
        {"empty report", kSixAxis, {}, SD::mouse3d_F1, false},
        {"unknown report id", kSixAxis, {4, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, SD::mouse3d_F1, false},
    };
    for (const Case& c : cases) {
        Hid(c.device, c.report);
        Frame();
        EXPECT_EQ(input->GetKeyState(c.code), c.down) << c.name;
        // Reports of zero release everything again.
        Hid(kSixAxis, {1, 0, 0, 0, 0, 0, 0});
        Hid(kSixAxis, {2, 0, 0, 0, 0, 0, 0});
        Hid(kSixAxis, {3, 0, 0, 0, 0});
        Frame();
    }
    Hid(kSixAxis, {1, 200, 0, 0x38, 0xFF, 0, 0});
    Frame();
    EXPECT_FLOAT_EQ(input->GetSixAxisValue(SD::Input_::kTranslationX), 0.5f);
    EXPECT_FLOAT_EQ(input->GetSixAxisValue(SD::Input_::kTranslationY), -0.5f);
}

TEST_F(Input, SixAxisButtonStaysDownUntilAReportClearsIt) {
    Hid(kSixAxis, {3, 0x02, 0, 0, 0});
    std::string seen;
    for (int frame = 0; frame < 3; ++frame) {
        if (frame == 2) Hid(kSixAxis, {3, 0x00, 0, 0, 0});
        Frame();
        seen += Observe(*input, SD::mouse3d_F2);
    }
    EXPECT_EQ(seen, "DHR");
    EXPECT_EQ(input->GetSixAxisButtons(), 0u);
}

TEST_F(Input, DeveloperKeysGateOnlyTheKeyQueries) {
    input->SetDevKeysEnabled(false);
    input->BindDigital("Jump", SD::key_SPACE);
    Key(SD::key_SPACE, true);
    Frame();
    EXPECT_FALSE(input->GetKeyState(SD::key_SPACE));
    EXPECT_FALSE(input->GetKeyStateTriggered(SD::key_SPACE));
    EXPECT_EQ(input->GetFirstPressedKey(), static_cast<uint32_t>(SD::key_SPACE));
    EXPECT_EQ(input->GetFirstTriggeredKey(), static_cast<uint32_t>(SD::key_SPACE));
    EXPECT_TRUE(input->GetDigitalTriggered("Jump"));
    Key(SD::key_SPACE, false);
    Frame();
    EXPECT_FALSE(input->GetKeyStateReleased(SD::key_SPACE));
    EXPECT_EQ(input->GetFirstReleasedKey(), static_cast<uint32_t>(SD::key_SPACE));
    EXPECT_TRUE(input->GetDigitalReleased("Jump"));

    qvtest::TempTree tree;
    for (const auto& [ini, expected] : {std::pair{"[Dev]\nDevKeys=true\n", true},
                                        {"[Dev]\nDevKeys=false\n", false},
                                        {"[Input]\nDevKeys=true\n", false}}) {
        tree.Write("Assets/Config/config.ini", ini);
        SD::ConfigFile config;
        config.SetSection("Input");
        input->ReadConfig(config);
        EXPECT_EQ(input->GetDevKeysEnabled(), expected) << ini;
    }
}

TEST_F(Input, FirstKeyQueriesScanDevicesFirstAndSkipCodes0And255) {
    EXPECT_EQ(input->GetFirstPressedKey(), 0u);
    EXPECT_EQ(SD::GetKeyName(input->GetFirstPressedKey()), "No Key Pressed");
    Key(255, true);
    Key(0, true);
    Frame();
    EXPECT_EQ(input->GetFirstPressedKey(), 0u);
    Key(SD::key_A, true);
    Key(SD::key_Z, true);
    Mouse(0x001);
    Frame();
    EXPECT_EQ(input->GetFirstPressedKey(), static_cast<uint32_t>(SD::mouse_BUTTON1));
    Mouse(0x002);
    Frame();
    EXPECT_EQ(input->GetFirstPressedKey(), static_cast<uint32_t>(SD::key_Z));
    EXPECT_EQ(input->GetFirstReleasedKey(), static_cast<uint32_t>(SD::mouse_BUTTON1));
    SD::Input_::WipeKeystateBuffers();
    EXPECT_EQ(input->GetFirstPressedKey(), 0u);
}

TEST_F(Input, ScriptFacingQueriesRejectCodesAndPadsOutOfRange) {
    for (uint32_t code : {394u, 100000u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(input->GetKeyState(code));
        EXPECT_FALSE(input->GetKeyStateTriggered(code));
        EXPECT_FALSE(input->GetKeyStateReleased(code));
    }
    for (uint32_t pad : {4u, 0xFFFFFFFFu}) {
        EXPECT_EQ(input->GetXPadAxisLX(pad), 0.0f);
        EXPECT_EQ(input->GetXPadAxisRTrig(pad), 0.0f);
        input->SetXPadRumbleFine(1.0f, pad);
        input->SetXPadRumbleCoarse(1.0f, pad);
        input->PauseRumble(true, pad);
        EXPECT_FALSE(input->IsPadConnected(pad));
    }
}

TEST_F(Input, InjectorsFeedEachUpdateAndGoAtShutdown) {
    struct Holder : SD::IInputInjector {
        explicit Holder(int* alive) : alive(alive) { ++*alive; }
        ~Holder() override { --*alive; }
        void Inject(uint8_t* pressed, uint8_t*) override { pressed[SD::key_X] = 1; }
        int* alive;
    };
    int alive = 0;
    input->AddInjector(std::make_unique<Holder>(&alive));
    Frame();
    EXPECT_TRUE(input->GetKeyState(SD::key_X));
    input->Shutdown();
    EXPECT_EQ(alive, 0);
}

}  // namespace

namespace {

TEST_F(Input, InitializeRegistersTheThreeRawDevicesOrSaysItCouldNot) {
    std::vector<std::pair<int, int>> usages;
    for (const auto& r : WindowProbe::RawInputRegistrations(Raw())) usages.emplace_back(r.usagePage, r.usage);
    EXPECT_EQ(usages, (std::vector<std::pair<int, int>>{{1, 8}, {1, 2}, {1, 6}}));

    WindowProbe::SetRawInputRegistrationFails(Raw(), true);
    ::testing::internal::CaptureStdout();
    input->Initialize();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to register for Raw Input Devices!\n");
    window.reset();
    ::testing::internal::CaptureStdout();
    input->Initialize();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to register for Raw Input Devices!\n");
    input->OnRawInput(0, 1);  // a stray record with no window to read it from
    input->Update(0.016f);
}

}  // namespace
