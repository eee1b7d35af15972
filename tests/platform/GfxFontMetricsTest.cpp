// Recorded text carries the font's metrics, so that a real device can draw it in the cells
// the font measures with.
#include <gtest/gtest.h>

#include "GfxTestSupport.h"
#include "platform/gfx/Font.h"

namespace {

using namespace platform::gfx;

TEST(GfxFontMetrics, RecordedTextCarriesTheCellWidthAndLineHeight) {
    const struct {
        int height;
        uint32_t width;
        float cellWidth;
    } cases[] = {{16, 0, 8}, {15, 0, 8}, {20, 7, 7}};
    for (const auto& c : cases) {
        gfxtest::DeviceFixture f;
        Font* font = nullptr;
        ASSERT_EQ(CreateFont(f.device.get(), c.height, c.width, 400, "Arial", &font), kOk);
        Rect measured{3, 4, 0, 0};
        font->DrawText("ab\nc", -1, &measured, kTextCalcRect, 0);
        Rect r = measured;
        font->DrawText("ab\nc", -1, &r, kTextTopLeft, 0x80FF0000u);
        font->Release();
        ASSERT_EQ(f.device->CurrentFrame().size(), 1u);
        const Command& text = f.device->CurrentFrame()[0];
        EXPECT_EQ(text.v[0], c.cellWidth) << c.height << "x" << c.width;
        EXPECT_EQ(text.v[1], static_cast<float>(c.height));
        // The rectangle it was measured into holds the text in those cells.
        EXPECT_EQ(static_cast<int32_t>(text.a[2]) - static_cast<int32_t>(text.a[0]), 2 * c.cellWidth);
        EXPECT_EQ(static_cast<int32_t>(text.a[3]) - static_cast<int32_t>(text.a[1]), 2 * c.height);
        EXPECT_EQ(text.a[4], 0x80FF0000u);
    }
}

}  // namespace
