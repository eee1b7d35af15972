#include <gtest/gtest.h>

#include <algorithm>

#include "GraphicsTestSupport.h"
#include "graphics/GraphicsMessages.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "runtime/WindowMessages.h"
#include "tests/platform/GfxDeviceProbe.h"

namespace {

using DeviceProbe = platform::TestProbe<platform::gfx::Device>;
using SurfaceProbe = platform::TestProbe<platform::gfx::Surface>;

using gfxtest::GraphicsFixture;
using platform::gfx::Command;
using platform::gfx::Op;

size_t CountOps(const std::vector<Command>& frame, Op op) {
    return static_cast<size_t>(
        std::count_if(frame.begin(), frame.end(), [op](const Command& c) { return c.op == op; }));
}

// The techniques begun in the frame, in order.
std::vector<std::string> EffectsBegun(const std::vector<Command>& frame) {
    std::vector<std::string> techniques;
    for (const Command& c : frame)
        if (c.op == Op::kBeginEffect) techniques.push_back(c.name);
    return techniques;
}

size_t EffectsBegun(const std::vector<Command>& frame, const std::string& technique) {
    const std::vector<std::string> techniques = EffectsBegun(frame);
    return static_cast<size_t>(std::count(techniques.begin(), techniques.end(), technique));
}

std::string LastEffectBegun(const std::vector<Command>& frame) {
    const std::vector<std::string> techniques = EffectsBegun(frame);
    return techniques.empty() ? std::string() : techniques.back();
}

// Whether every draw of the frame lies within an effect and every effect begun draws once.
::testing::AssertionResult EachEffectDrawsOnce(const std::vector<Command>& frame) {
    std::string technique;
    size_t draws = 0;
    for (const Command& c : frame) {
        if (c.op == Op::kBeginEffect) technique = c.name, draws = 0;
        if (c.IsDraw() && technique.empty()) return ::testing::AssertionFailure() << "a draw outside an effect";
        if (c.IsDraw()) ++draws;
        if (c.op != Op::kEndEffect) continue;
        if (draws != 1) return ::testing::AssertionFailure() << technique << " draws " << draws << " times";
        technique.clear();
    }
    return ::testing::AssertionSuccess();
}

TEST(GraphicsSettings, ConfigurationKeysAndTheirDefaults) {
    GraphicsFixture defaults("", 1280, 800, false);
    Aperture::Graphics_& g = *defaults.graphics;
    EXPECT_FALSE(g.GetPostProcess().IsOff());
    EXPECT_TRUE(g.GetRenderShadows());
    EXPECT_TRUE(g.GetPostProcess().GetBloom());
    EXPECT_TRUE(g.GetPostProcess().GetDepthOfField());
    EXPECT_EQ(g.GetWaterQuality(), 3);
    EXPECT_EQ(g.GetReloadTarget(), "no_target");
    EXPECT_FLOAT_EQ(g.GetCameraNear(), 1.0f);
    EXPECT_FLOAT_EQ(g.GetCameraFar(), 20000.0f);
    EXPECT_FALSE(g.GetVsync());
    EXPECT_FALSE(g.GetGenerateMaps());
    EXPECT_STREQ(g.GetTestCompile().fullPath, "");

    GraphicsFixture set(
        "no_post_process=TRUE\nrender_shadows=false\nrender_bloom=no\nrender_depth_of_field=0\n"
        "reflection_quality=low\nreload_target=tree\ncamera_near_distance=0.5\ncamera_far_distance=900\n"
        "wait_for_v_sync=true\ngenerate_maps=true\ntest_compile=../Graphics/shaders/blur.fx\n",
        1280, 800, false);
    Aperture::Graphics_& s = *set.graphics;
    EXPECT_TRUE(s.GetPostProcess().IsOff());
    EXPECT_FALSE(s.GetRenderShadows());
    EXPECT_FALSE(s.GetPostProcess().GetBloom());
    EXPECT_FALSE(s.GetPostProcess().GetDepthOfField());
    EXPECT_EQ(s.GetWaterQuality(), 1);
    EXPECT_EQ(s.GetReloadTarget(), "tree");
    EXPECT_FLOAT_EQ(s.GetCameraNear(), 0.5f);
    EXPECT_FLOAT_EQ(s.GetCameraFar(), 900.0f);
    EXPECT_TRUE(s.GetVsync());
    EXPECT_TRUE(s.GetGenerateMaps());
    EXPECT_STREQ(s.GetTestCompile().fileName, "blur");
    EXPECT_STREQ(s.GetTestCompile().extension, "fx");
}

TEST(GraphicsSettings, ReflectionQualityTexts) {
    struct Case {
        const char* text;
        int quality;
    };
    for (const Case& c :
         {Case{"high", 3}, Case{"medium", 2}, Case{"low", 1}, Case{"no", 0}, Case{"ultra", 3}, Case{"High", 3}}) {
        GraphicsFixture f(std::string("reflection_quality=") + c.text + "\n", 1280, 800, false);
        EXPECT_EQ(f.graphics->GetWaterQuality(), c.quality) << c.text;
        if (c.text == std::string("ultra")) {
            EXPECT_NE(std::string(f.logger.Buffer()).find("\"ultra\""), std::string::npos);
        }
    }
}

TEST(GraphicsFrame, HeadlessFramesAreLetterboxedAndPresented) {
    GraphicsFixture f;
    EXPECT_EQ(f.Device().BackBuffer()->Width(), 1280u);
    EXPECT_EQ(f.Device().BackBuffer()->Height(), 800u);
    EXPECT_EQ(f.graphics->GetRenderSize().x, 1280.0f);
    EXPECT_EQ(f.graphics->GetRenderSize().y, 720.0f);
    EXPECT_EQ(f.graphics->GetMainColor()->GetWidth(), 1280u);
    EXPECT_EQ(f.graphics->GetMainColor()->GetHeight(), 720u);
    for (int i = 0; i < 3; ++i) f.graphics->Update(0.016f);
    EXPECT_EQ(DeviceProbe::PresentedFrames(f.Device()), 3u);
    const auto& frame = f.Frame();
    EXPECT_EQ(frame.front().op, Op::kBeginScene);
    EXPECT_EQ(frame.back().op, Op::kPresent);
    // Nothing reflective is in view, so only the main view is drawn: it clears its geometry and
    // light buffers, and its sky is the one draw before the post-processing chain. Each effect
    // begun draws once (every pass of the chain writes its target with one quad), and the last,
    // the depth of field's mix, writes the finished scene into the back buffer: no copy follows.
    EXPECT_TRUE(EachEffectDrawsOnce(frame));
    EXPECT_EQ(EffectsBegun(frame, "draw_sky"), 1u);
    EXPECT_EQ(LastEffectBegun(frame), "LinearInterpolate");
    EXPECT_EQ(CountOps(frame, Op::kStretchRect), 0u);
    EXPECT_EQ(CountOps(frame, Op::kSetClipPlane), 0u);
    EXPECT_NEAR(f.graphics->GetTime(), 0.048f, 1e-6);
}

TEST(GraphicsFrame, NoReflectionDrawsOnlyTheMainView) {
    GraphicsFixture f("reflection_quality=no\n");
    f.graphics->Update(0.016f);
    EXPECT_TRUE(EachEffectDrawsOnce(f.Frame()));
    EXPECT_EQ(EffectsBegun(f.Frame(), "draw_sky"), 1u);
    EXPECT_EQ(CountOps(f.Frame(), Op::kSetClipPlane), 0u);
}

TEST(GraphicsFrame, GeometryBufferHoldsTheFarDistanceAndTheColourTargetTheBackground) {
    // Depth of field would replace the colour target with its mix, which shaders draw; the sky
    // would cover the background, which is then not cleared.
    GraphicsFixture f("camera_far_distance=900\nrender_depth_of_field=false\n");
    f.graphics->SetSkyEnabled(false);
    Aperture::BackgroundColorMessage blue(0.0f, 0.0f, 1.0f);
    SD::Message_System::GetInstance()->SendMessage(blue);
    f.graphics->Update(0.016f);
    // No surface in the geometry buffer: no normal, and the far distance over itself in alpha.
    const auto geometry = f.graphics->GetGeometryBuffer()->GetTexture()->Level(0)->ReadPixel(5, 5);
    EXPECT_EQ(std::vector<float>({geometry.r, geometry.g, geometry.b, geometry.a}), (std::vector<float>{0, 0, 0, 1}));
    auto px = f.graphics->GetMainColor()->GetTexture()->Level(0)->ReadPixel(5, 5);
    EXPECT_FLOAT_EQ(px.b, 1.0f);
    EXPECT_FLOAT_EQ(px.r, 0.0f);
    EXPECT_FLOAT_EQ(px.a, 0.0f);
    // The back buffer shows the colour target in the render area, between black bars.
    const platform::gfx::Surface* back = f.Device().BackBuffer();
    EXPECT_FLOAT_EQ(back->ReadPixel(640, 40).b, 1.0f);
    EXPECT_FLOAT_EQ(back->ReadPixel(1279, 759).b, 1.0f);
    EXPECT_FLOAT_EQ(back->ReadPixel(640, 39).b, 0.0f);
    EXPECT_FLOAT_EQ(back->ReadPixel(640, 760).b, 0.0f);
    // Nothing has read a target's memory yet: every clear and copy of the frame still waits,
    // no pixel was filled. Read back, the frame's bytes hold what its pixels read.
    for (const Aperture::Resource::RenderBuffer* target :
         {f.graphics->GetGeometryBuffer(), f.graphics->GetLightBuffer(), f.graphics->GetMainColor()})
        EXPECT_TRUE(SurfaceProbe::HasPendingFill(*target->GetTexture()->Level(0)));
    EXPECT_TRUE(SurfaceProbe::HasPendingFill(*back));
    const uint8_t* bytes = back->Bits();
    auto blueByte = [&](uint32_t x, uint32_t y) { return bytes[4 * (y * 1280 + x)]; };
    EXPECT_EQ(blueByte(640, 40), 255);
    EXPECT_EQ(blueByte(1279, 759), 255);
    EXPECT_EQ(blueByte(640, 39), 0);
    EXPECT_EQ(blueByte(640, 760), 0);
    EXPECT_FALSE(SurfaceProbe::HasPendingFill(*back));
}

TEST(GraphicsFrame, LostMidFrameResumesWithTheSameCommands) {
    GraphicsFixture f;
    f.graphics->Update(0.0f);
    f.graphics->Update(0.0f);
    const std::vector<Command> before = f.Frame();
    const uint64_t presented = DeviceProbe::PresentedFrames(f.Device());

    f.Device().LoseDeviceAfter(10);
    f.graphics->Update(0.0f);  // lost part-way: not presented
    EXPECT_EQ(DeviceProbe::PresentedFrames(f.Device()), presented);
    f.graphics->Update(0.0f);  // lost: the volatile resources are released, nothing drawn
    EXPECT_FALSE(f.graphics->GetMainColor()->IsCreated());
    EXPECT_EQ(f.Device().HeldDefaultPoolObjects(), 0u);
    f.graphics->Update(0.0f);  // not reset: reset and restore, still nothing drawn
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 1u);
    EXPECT_TRUE(f.graphics->GetMainColor()->IsCreated());
    EXPECT_EQ(DeviceProbe::PresentedFrames(f.Device()), presented);
    f.graphics->Update(0.0f);
    EXPECT_EQ(DeviceProbe::PresentedFrames(f.Device()), presented + 1);
    EXPECT_EQ(f.Frame(), before);
}

TEST(GraphicsFrame, FailedResetKeepsResourcesReleasedUntilOneSucceeds) {
    GraphicsFixture f;
    DeviceProbe::FailResets(f.Device(), 1, platform::gfx::kInvalidCall);
    f.graphics->SetVsync(true);
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 0u);
    EXPECT_FALSE(f.graphics->GetDeviceLayer().IsDeviceReady());
    EXPECT_FALSE(f.graphics->GetMainColor()->IsCreated()) << "nothing restored after a failed reset";
    EXPECT_EQ(f.graphics->GetDeviceLayer().GetBackBufferTarget()->GetSurface(), nullptr);
    f.graphics->Update(0.0f);  // tries again
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 1u);
    EXPECT_TRUE(f.graphics->GetMainColor()->IsCreated());
    EXPECT_EQ(f.Device().GetPresentParameters().presentationInterval, platform::gfx::kPresentIntervalOne);
    f.graphics->Update(0.0f);
    EXPECT_EQ(DeviceProbe::PresentedFrames(f.Device()), 1u);
}

TEST(GraphicsFrame, SettingsThatResetTheDevice) {
    GraphicsFixture f;
    f.graphics->SetVsync(false);  // unchanged: no reset
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 0u);
    f.graphics->SetVsync(true);
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 1u);
    f.graphics->SetFullscreen(true);
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 2u);
    EXPECT_FALSE(f.Device().GetPresentParameters().windowed);
    f.graphics->SetResolution(1920, 1200);
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 3u);
    EXPECT_EQ(f.Device().BackBuffer()->Width(), 1920u);
    EXPECT_EQ(f.graphics->GetMainColor()->GetWidth(), 1920u) << "relative buffers follow the render size";
    EXPECT_EQ(f.graphics->GetMainColor()->GetHeight(), 1080u);
    f.graphics->SetResolution(0, 0);
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 3u);
    // Water quality re-creates the reflection buffers without a reset.
    f.graphics->SetWaterQuality(1);
    EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), 3u);
    using Aperture::Resource::RenderBuffer;
    EXPECT_EQ(f.graphics->GetReflectionColor()->GetWidth(), RenderBuffer::ScaledSize(1920, 0.33333f));
    EXPECT_EQ(f.graphics->GetReflectionLight()->GetHeight(), RenderBuffer::ScaledSize(1080, 0.33333f));
    EXPECT_TRUE(f.graphics->GetReflectionGeometry()->IsCreated());
    f.graphics->SetWaterQuality(0);
    EXPECT_EQ(f.graphics->GetReflectionColor()->GetWidth(), RenderBuffer::ScaledSize(1920, 0.33333f))
        << "0 leaves the buffers alone";
}

TEST(GraphicsFrame, WindowMessages) {
    GraphicsFixture f;
    SD::Resize resize(1000, 400);
    SD::Message_System::GetInstance()->SendMessage(resize);
    EXPECT_EQ(f.graphics->GetRenderSize().x, 712.0f);
    EXPECT_EQ(f.graphics->GetRenderSize().y, 400.0f);
    SD::Resize minimised(0, 0);
    SD::Message_System::GetInstance()->SendMessage(minimised);
    EXPECT_EQ(f.graphics->GetWindowWidth(), 1000u);
    f.graphics->SetFullscreen(true);
    SD::Resize inFullScreen(640, 480);
    SD::Message_System::GetInstance()->SendMessage(inFullScreen);
    EXPECT_EQ(f.graphics->GetWindowWidth(), 1000u) << "no size changes in full screen";
    SD::ResolutionChange change(800, 600);
    SD::Message_System::GetInstance()->SendMessage(change);
    EXPECT_EQ(f.Device().BackBuffer()->Height(), 600u);
    f.graphics->Shutdown();
    SD::ResolutionChange ignored(320, 200);
    SD::Message_System::GetInstance()->SendMessage(ignored);
    EXPECT_EQ(f.Device().BackBuffer()->Height(), 600u) << "handlers go at shutdown";
}

}  // namespace
