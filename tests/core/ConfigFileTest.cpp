#include <gtest/gtest.h>

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "support/TempTree.h"

namespace {

class ConfigFileTest : public ::testing::Test {
protected:
    qvtest::TempTree tree;
    SD::ConfigFile config;  // ../Assets/Config/config.ini from <tmp>/bin
};

TEST_F(ConfigFileTest, MissingFileGivesEveryDefault) {
    config.SetSection("Window");
    EXPECT_EQ(config.GetString("Name", "Quorvanta"), "Quorvanta");
    EXPECT_EQ(config.GetInt("Width", 1280), 1280);
    EXPECT_FLOAT_EQ(config.GetFloat("fps", 62.0f), 62.0f);
    EXPECT_TRUE(config.GetBool("b", true));
    EXPECT_FALSE(config.GetBool("b", false));
}

TEST_F(ConfigFileTest, TypedReadsFollowTheCRunTimeConversions) {
    tree.Write("Assets/Config/config.ini",
               "[S]\nT1=TRUE\nT2=True\nF1=yes\nF2=1\nNum=2.5\nBad=abc\nInt=12x\n[Other]\nT1=false\n");
    config.SetSection("S");
    struct BoolCase {
        const char* key;
        bool dflt;
        bool expected;
    };
    const BoolCase bools[] = {
        {"T1", false, true}, {"T2", false, true}, {"F1", true, false}, {"F2", true, false}, {"Missing", true, true},
    };
    for (const BoolCase& c : bools) EXPECT_EQ(config.GetBool(c.key, c.dflt), c.expected) << c.key;
    EXPECT_FLOAT_EQ(config.GetFloat("Num", 0.0f), 2.5f);
    EXPECT_FLOAT_EQ(config.GetFloat("Bad", 7.0f), 0.0f);  // not a number reads as 0
    EXPECT_EQ(config.GetInt("Int", 0), 12);
    config.SetSection("Other");
    EXPECT_FALSE(config.GetBool("T1", true));
}

TEST_F(ConfigFileTest, AnOverlongValueIsCutWithAWarning) {
    tree.Write("Assets/Config/config.ini", "[Global]\nLuaFilePath=" + std::string(400, 'p') + "\n");
    Debug::GlobalLogger logger;
    qvtest::StderrCapture err;
    config.SetSection("Global");
    EXPECT_EQ(config.GetString("LuaFilePath", "LuaScripts"), std::string(254, 'p'));
    std::string text = err.Text();
    EXPECT_NE(text.find("[Global] LuaFilePath"), std::string::npos) << text;
}

}  // namespace
