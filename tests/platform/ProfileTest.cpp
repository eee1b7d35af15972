#include <gtest/gtest.h>

#include "platform/os/Profile.h"
#include "support/TempTree.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    qvtest::TempTree tree;
    std::string ini = tree.Path("Assets/Config/config.ini");
    void SetUp() override {
        tree.Write("Assets/Config/config.ini",
                   "; a comment\r\n"
                   "[Window]\r\n"
                   "Name =  Spaced Title  \r\n"
                   "Width=1024\r\n"
                   "Quoted=\"  keep inner  \"\r\n"
                   "Neg=-42abc\r\n"
                   "Junk=abc\r\n"
                   "Width=9999\r\n"
                   "[window]\r\n"
                   "Height=1\r\n"
                   "[Other]\r\n"
                   "Height=600\r\n");
    }
};

TEST_F(ProfileTest, ReadsStringsWithTheProfileRules) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
        bool found;
    };
    const Case cases[] = {
        {"Window", "Name", "Spaced Title", true},
        {"WINDOW", "name", "Spaced Title", true},      // names match without case
        {"Window", "Quoted", "  keep inner  ", true},  // quotes protect white space
        {"Window", "Width", "1024", true},             // the first duplicate key wins
        {"Window", "Height", "dflt", false},           // a later section of the same name is ignored
        {"Missing", "Name", "dflt", false},
        {"Window", "Missing", "dflt", false},
    };
    for (const Case& c : cases) {
        platform::ProfileString s = platform::GetProfileString(c.section, c.key, "dflt", 255, ini);
        EXPECT_EQ(s.value, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(s.found, c.found) << c.section << "/" << c.key;
        EXPECT_FALSE(s.truncated);
    }
}

TEST_F(ProfileTest, MissingFileGivesDefaults) {
    EXPECT_EQ(platform::GetProfileString("Window", "Name", "d", 255, ini + ".none").value, "d");
    EXPECT_EQ(platform::GetProfileInt("Window", "Width", 7, ini + ".none"), 7);
}

TEST_F(ProfileTest, IntegersTakeTheLeadingNumber) {
    EXPECT_EQ(platform::GetProfileInt("Window", "Width", 0, ini), 1024);
    EXPECT_EQ(platform::GetProfileInt("Window", "Neg", 0, ini), -42);
    EXPECT_EQ(platform::GetProfileInt("Window", "Junk", 5, ini), 0);
    EXPECT_EQ(platform::GetProfileInt("Other", "Height", 5, ini), 600);
    EXPECT_EQ(platform::GetProfileInt("Other", "Nothing", 5, ini), 5);
}

TEST_F(ProfileTest, LongValuesAreCutToTheBufferAndSaySo) {
    tree.Write("Assets/Config/long.ini", "[S]\nK=" + std::string(300, 'x') + "\n");
    platform::ProfileString s = platform::GetProfileString("S", "K", "", 255, tree.Path("Assets/Config/long.ini"));
    EXPECT_EQ(s.value.size(), 254u);
    EXPECT_TRUE(s.truncated);
}

}  // namespace
