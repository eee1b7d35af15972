// The editor's bars keep inside the window and off its rows of words (the mode and its note at
// the top, the name at the bottom, up to 40 letters in from the left), and its two lists stay
// clear of each other and of the bar being edited, from a 320 x 200 window up. A wide window
// keeps the lists at the right edge from the top down. Words written beside the mode (the hint
// that Tab shows hidden menus) stay in the window, off the mode's words and where no bar goes.
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
        const int letters = 19;
        const layout::TextPlace beside = layout::BesideTheMode(window.width, letters);
        const int right = beside.x + letters * layout::kLetterWidth;
        EXPECT_LE(right, window.width);
        if (beside.y == layout::kTitleRow) {
            EXPECT_GE(beside.x, layout::kMargin + layout::kModeLetters * layout::kLetterWidth) << "over the mode";
            EXPECT_LE(right, layout::kWordsRight) << "where a bar may go";
        } else {
            EXPECT_EQ(beside.y, layout::kNoteRow);
        }
        EXPECT_FALSE(Overlap(templates, objects));
        for (const layout::BarPlace& list : {templates, objects}) {
            EXPECT_FALSE(Overlap(list, edited));
            EXPECT_FALSE(Overlap(list, mode));
        }
    }
    EXPECT_EQ(layout::TemplatesBar(1280, 800).y, 10);
    EXPECT_EQ(layout::TemplatesBar(1280, 800).x, 1070);
    EXPECT_EQ(layout::BesideTheMode(640, 19).y, layout::kTitleRow);
    EXPECT_EQ(layout::BesideTheMode(320, 19).y, layout::kNoteRow);
}

}  // namespace
