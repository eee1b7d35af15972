#include <gtest/gtest.h>

#include <map>

#include "runtime/InputCodes.h"

namespace {

TEST(InputCodes, ConstantsCoverTheTableWithTheirAliases) {
    const auto& constants = SD::InputKeyConstants();
    EXPECT_EQ(constants.size(), 306u);
    std::map<std::string, int> byName;
    for (const auto& c : constants) EXPECT_TRUE(byName.emplace(c.name, c.value).second) << c.name;

    const std::pair<const char*, int> cases[] = {
        {"key_HANGUL", 21},
        {"key_KANA", 21},
        {"key_HANJA", 25},
        {"key_KANJI", 25},
        {"key_FINAL", 24},
        {"xpad_OFFSET", 24},
        {"key_9", 57},
        {"key_Z", 90},
        {"key_NUMPAD9", 105},
        {"key_F24", 135},
        {"key_LAST", 255},
        {"mouse_BUTTON1", 256},
        {"mouse_LAST", 264},
        {"xpad1_KVAD_U", 265},
        {"xpad1_LAST", 288},
        {"xpad2_KVAD_U", 289},
        {"xpad3_A", 323},
        {"xpad4_TRIGGER_R", 360},
        {"xpad4_LAST", 360},
        {"mouse3d_F1", 361},
        {"mouse3d_CONFIG", 381},
        {"mouse3d_ROT_X_P", 382},
        {"mouse3d_TRANS_Z_N", 393},
        {"INPUT_KEY_BUFFER_SIZE", 394},
    };
    for (const auto& [name, value] : cases) EXPECT_EQ(byName.at(name), value) << name;
    EXPECT_EQ(SD::xpad2_TRIGGER_L - SD::xpad1_TRIGGER_L, SD::xpad_OFFSET);
}

TEST(InputCodes, KeyNames) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "No Key Pressed"},
        {7, "0x07"},
        {10, "0x0A"},
        {21, "key_KANA"},
        {25, "key_KANJI"},
        {30, "key_ACCEPT"},
        {65, "key_A"},
        {160, "key_LSHIFT"},
        {229, "key_PROCESSKEY"},
        {230, "0xE6"},
        {255, "0xFF"},
        {256, "mouse_BUTTON1"},
        {260, "mouse_BUTTON5"},
        {261, "mouse_SCROLL_UP"},
        {264, "mouse_SCROLL_RIGHT"},
        {288, "xpad1_TRIGGER_R"},
        {289, "xpad2_KVAD_U"},
        {360, "xpad4_TRIGGER_R"},
        {380, "mouse3d_3DLOCK"},
        {393, "mouse3d_TRANS_Z_N"},
        {394, ""},
        {0xFFFFFFFFu, ""},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(SD::GetKeyName(code), name) << code;
}

}  // namespace
