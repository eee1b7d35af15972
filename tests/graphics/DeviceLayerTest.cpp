#include <gtest/gtest.h>

#include "graphics/DX9Abstract.h"
#include "platform/window/Window.h"
#include "tests/platform/GfxDeviceProbe.h"

namespace {

using DriverProbe = platform::TestProbe<platform::gfx::Driver>;

TEST(DeviceLayer, RenderAreaKeepsTheTargetAspectInsideTheWindow) {
    struct Case {
        uint32_t w, h, renderW, renderH;
    };
    const Case cases[] = {
        {1280, 800, 1280, 720}, {1280, 720, 1280, 720}, {1000, 400, 712, 400}, {1920, 1200, 1920, 1080}, {16, 9, 16, 9},
        {2, 1, 2, 1},           {1, 1, 1, 1},           {1, 1000, 1, 1},       {1000, 1, 2, 1},
    };
    platform::Window window("w", 0, 0, 10, 10);
    for (const Case& c : cases) {
        Aperture::DX9Abstract layer;
        layer.SetParameters(&window, false, c.w, c.h, 16.0f / 9.0f);
        EXPECT_EQ(layer.GetRenderWidth(), c.renderW) << c.w << "x" << c.h;
        EXPECT_EQ(layer.GetRenderHeight(), c.renderH) << c.w << "x" << c.h;
        // The letterbox margins never wrap below zero.
        EXPECT_LE(layer.GetRenderOffsetX(), c.w / 2);
        EXPECT_LE(layer.GetRenderOffsetY(), c.h / 2);
    }
}

TEST(DeviceLayer, ZeroSizesAreIgnored) {
    platform::Window window("w", 0, 0, 10, 10);
    Aperture::DX9Abstract layer;
    layer.SetParameters(&window, false, 1280, 800, 16.0f / 9.0f);
    for (auto size : {std::pair<uint32_t, uint32_t>{0, 0}, {0, 600}, {800, 0}}) {
        layer.SetBackBufferSize(size.first, size.second);
        layer.ComputeRenderArea(size.first, size.second);
        EXPECT_EQ(layer.GetBackBufferWidth(), 1280u);
        EXPECT_EQ(layer.GetBackBufferHeight(), 800u);
        EXPECT_EQ(layer.GetRenderHeight(), 720u);
    }
}

TEST(DeviceLayer, FailedCreationIsReported) {
    platform::Window window("w", 0, 0, 10, 10);
    Aperture::DX9Abstract layer;
    layer.SetParameters(&window, false, 640, 480, 16.0f / 9.0f);
    DriverProbe::FailNextCreate(layer.GetDriver());
    EXPECT_FALSE(layer.Create(false));
    EXPECT_EQ(layer.GetDevice(), nullptr);
    EXPECT_TRUE(layer.CheckDevice()) << "no device: nothing is drawn";
    ASSERT_TRUE(layer.Create(true));
    EXPECT_EQ(layer.GetPresentParameters().presentationInterval, platform::gfx::kPresentIntervalOne);
    EXPECT_EQ(layer.GetDevice()->GetRenderState(platform::gfx::kRsZEnable), 1u);
    EXPECT_EQ(layer.GetBackBufferTarget()->GetSurface(), layer.GetDevice()->BackBuffer());
}

}  // namespace
