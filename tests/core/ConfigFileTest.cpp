#include <gtest/gtest.h>

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "support/CapturedLog.h"
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

// After the reads, a damaged file is told on one line naming it and its first bad line: garbage,
// an empty file, one cut short, a flipped bit in a name or its '='. A sound file says nothing.
TEST_F(ConfigFileTest, ADamagedFileIsToldOnceByNameAfterTheReads) {
    Debug::GlobalLogger logger;
    const std::string path = "../Assets/Config/config.ini";
    struct Case {
        std::string text;
        const char* said;  // null: nothing
    };
    const Case cases[] = {
        {"; sizes\n[Window]\nWidth=1280\r\nHeight = 800\n\n", nullptr},
        {"", " holds no settings: every setting takes its default"},
        {"; only a comment\n", " holds no settings"},
        {"\x7f\x01\x02\xfe\xff\n[Window]\nWidth=1280\n",
         " is damaged: line 1 holds bytes no setting has (1 line in all)"},
        {"[Window]\nWidth=1280\nHei", " is damaged: line 3 ends the file in the middle of a line (1 line in all)"},
        {"[Wi&dow]\nWidth=1280\n", " is damaged: line 1 names a section nothing reads"},
        {"[Window]\nWidtx=1280\nHeight=800\n", " is damaged: line 2 names a setting nothing reads"},
        {"[Window]\nWidth}1280\nHeight\n", " is damaged: line 2 is not a setting, a section or a comment (2 lines"},
        {"Width=1280\n[Window]\n", " is damaged: line 1 comes before any section"},
        {"[Window\nWidth=1280\n", " is damaged: line 1 is not a section name in brackets"},
    };
    for (const Case& c : cases) {
        tree.Write("Assets/Config/config.ini", c.text);
        SD::ConfigFile fresh;
        fresh.SetSection("Window");
        fresh.GetInt("Width", 1280);
        fresh.GetInt("Height", 800);
        qvtest::CapturedLog log;
        EXPECT_EQ(fresh.ReportDamage(), c.said != nullptr) << c.text;
        if (!c.said) {
            EXPECT_EQ(log.Text(), "") << c.text;
            continue;
        }
        EXPECT_EQ(qvtest::Occurrences(log.Text(), path + c.said), 1u) << c.text << "\n" << log.Text();
        EXPECT_EQ(qvtest::Occurrences(log.Text(), "\n"), 1u) << log.Text();
    }
}

// A value that does not read as its type is told once, with what is taken instead.
TEST_F(ConfigFileTest, AValueOfTheWrongKindIsToldOnce) {
    tree.Write("Assets/Config/config.ini", "[S]\nWidth=12x0\nfps=6r.5\nOn=yes\nOk=2\nFine=2.5e1\nB=FALSE\n");
    Debug::GlobalLogger logger;
    qvtest::CapturedLog log;
    config.SetSection("S");
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(config.GetInt("Width", 1280), 12);
        EXPECT_FLOAT_EQ(config.GetFloat("fps", 62.0f), 6.0f);
        EXPECT_FALSE(config.GetBool("On", true));
        EXPECT_EQ(config.GetInt("Ok", 0), 2);
        EXPECT_FLOAT_EQ(config.GetFloat("Fine", 0.0f), 25.0f);
        EXPECT_FALSE(config.GetBool("B", true));
    }
    const std::string file = "../Assets/Config/config.ini: [S] ";
    for (const std::string said :
         {"Width=12x0 is not a whole number; 12 is used", "fps=6r.5 is not a number; 6.000000 is used",
          "On=yes is not true or false; false is used"})
        EXPECT_EQ(qvtest::Occurrences(log.Text(), file + said), 1u) << log.Text();
    EXPECT_EQ(qvtest::Occurrences(log.Text(), "\n"), 3u) << log.Text();
}

}  // namespace
