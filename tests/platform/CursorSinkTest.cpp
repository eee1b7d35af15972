// The cursor's show counter reaching a real window's pointer through its sink.
#include <gtest/gtest.h>

#include <vector>

#include "platform/os/Dialogs.h"

namespace {

struct Pointer : platform::ICursorSink {
    void CursorShown(bool shown) override { heard.push_back(shown); }
    std::vector<bool> heard;
};

TEST(CursorSink, HearsWhetherTheCursorShowsAtOnceAndAfterEveryShowOrHideUntilRemoved) {
    // Other code may have moved the process-wide counter: bring it to 0 and back afterwards.
    int start = platform::ShowCursor(true) - 1;
    platform::ShowCursor(false);
    for (int count = start; count > 0; --count) platform::ShowCursor(false);
    for (int count = start; count < 0; ++count) platform::ShowCursor(true);

    Pointer pointer;
    std::vector<bool>& heard = pointer.heard;
    ASSERT_TRUE(platform::SetCursorSink(&pointer));
    EXPECT_EQ(heard, std::vector<bool>{true});
    // The cursor shows while the counter is at least 0.
    const struct {
        bool show;
        int count;
        bool shown;
    } steps[] = {{false, -1, false}, {false, -2, false}, {true, -1, false},
                 {true, 0, true},    {true, 1, true},    {false, 0, true}};
    for (const auto& step : steps) {
        heard.clear();
        EXPECT_EQ(platform::ShowCursor(step.show), step.count);
        EXPECT_EQ(heard, std::vector<bool>{step.shown}) << "at count " << step.count;
    }
    platform::ShowCursor(false);
    Pointer second;
    EXPECT_FALSE(platform::SetCursorSink(&second)) << "the first sink installed stays";
    platform::SetCursorSink(nullptr);
    ASSERT_TRUE(platform::SetCursorSink(&second));
    EXPECT_EQ(second.heard.back(), false) << "a new sink hears the hidden cursor at once";

    platform::SetCursorSink(nullptr);
    heard.clear();
    platform::ShowCursor(true);
    EXPECT_TRUE(heard.empty());
    for (int count = 0; count < start; ++count) platform::ShowCursor(true);
    for (int count = 0; count > start; --count) platform::ShowCursor(false);
}

}  // namespace
