// The editor's bars keep inside the window and off its rows of words (the mode and its note at
// the top, the name at the bottom, up to 40 letters in from the left), and its two lists stay
// clear of each other and of the bar being edited, from a 320 x 200 window up. A wide window
// keeps the lists at the right edge from the top down.
#include <gtest/gtest.h>

#include "game/editor/EditorLayout.h"

namespace {

namespace layout = QV::editorlayout;

bool Overlap(const layout::BarPlace& a, const layout::BarPlace& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(EditorLayout, BarsStayInTheWindowOffTheWordsAndApart) {
    const struct { int width, height; } windows[] = {{320, 200}, {640, 480}, {800, 600}, {1280, 800}, {1920, 1200}};
    for (const auto& window : windows) {
        SCOPED_TRACE(testing::Message() << window.width << " x " << window.height);
        const layout::BarPlace templates = layout::TemplatesBar(window.width, window.height);
        const layout::BarPlace objects = layout::ObjectsBar(window.width, window.height);
        const layout::BarPlace mode = layout::ModeBar(window.width, window.height);
        const layout::BarPlace edited = layout::EditedObjectBar(window.width, window.height);
        const layout::BarPlace words[] = {
            {0, layout::kTitleRow, layout::kWordsRight, layout::kNoteRow + layout::kRowHeight - layout::kTitleRow},
            {0, layout::FootRow(window.height), layout::kWordsRight, layout::kRowHeight}};
        for (const layout::BarPlace& bar : {templates, objects, mode, edited}) {
            EXPECT_GE(bar.x, 0);
            EXPECT_GE(bar.y, 0);
            EXPECT_LE(bar.x + bar.width, window.width);
            EXPECT_LE(bar.y + bar.height, window.height);
            EXPECT_GE(bar.height, 40) << "no room for a line under the title";
            for (const layout::BarPlace& row : words) EXPECT_FALSE(Overlap(bar, row)) << "a bar over words";
        }
        EXPECT_FALSE(Overlap(templates, objects));
        for (const layout::BarPlace& list : {templates, objects}) {
            EXPECT_FALSE(Overlap(list, edited));
            EXPECT_FALSE(Overlap(list, mode));
        }
    }
    EXPECT_EQ(layout::TemplatesBar(1280, 800).y, 10);
    EXPECT_EQ(layout::TemplatesBar(1280, 800).x, 1070);
}

}  // namespace
