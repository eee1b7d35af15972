// The sizes the resolution menu may offer: the common sizes that fit on the screen, with the
// display's own modes; headless on the headless screen, else as the window system says.
#include <gtest/gtest.h>

#include <vector>

#include "platform/window/DisplayModes.h"
#include "platform/window/Screen.h"

namespace {

using Modes = std::vector<platform::DisplayMode>;

TEST(DisplayModes, TheCommonSizesThatFitWithTheDisplaysOwnSortedOnce) {
    struct Case {
        const char* what;
        int width, height;
        Modes own;
        Modes expected;
    } cases[] = {
        {"a small screen", 1024, 768, {}, {{640, 480}, {800, 600}, {1024, 768}}},
        {"a wide screen too low for 1024x768", 1280, 720, {}, {{640, 480}, {800, 600}, {1280, 720}}},
        {"own modes join, repeats and empty sizes go",
         800,
         600,
         {{800, 600}, {720, 400}, {0, 600}, {720, 400}},
         {{640, 480}, {720, 400}, {800, 600}}},
        {"no screen size known: only the own modes", 0, 0, {{1280, 800}}, {{1280, 800}}},
        {"a screen smaller than every common size", 320, 240, {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::DisplayModesFitting(c.width, c.height, c.own), c.expected) << c.what;

    const Modes& common = platform::CommonDisplayModes();
    EXPECT_EQ(platform::DisplayModesFitting(100000, 100000), common) << "every common size fits a huge screen";
}

TEST(DisplayModes, HeadlessTheyFollowTheHeadlessScreen) {
    const Modes modes = platform::DisplayModes();
    EXPECT_EQ(modes, platform::DisplayModesFitting(platform::kDefaultScreenWidth, platform::kDefaultScreenHeight));
    EXPECT_EQ(modes.back(), (platform::DisplayMode{1920, 1080}));
    platform::SetScreenSize(1024, 768);
    EXPECT_EQ(platform::DisplayModes().back(), (platform::DisplayMode{1024, 768}));
    platform::ResetScreen();
}

}  // namespace
