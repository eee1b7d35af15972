#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "core/Matrix.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Texture.h"
#include "platform/gfx/ViewMath.h"

namespace {

using gfxtest::GraphicsFixture;

const platform::gfx::ParamValue* Value(Aperture::Graphics_& g, const char* effect, const char* parameter) {
    return g.GetEffect(effect)->GetEffect()->GetValue(parameter);
}

TEST(FrameConstants, SetOnceOnTheSharedEffectAndSeenByEveryEffect) {
    GraphicsFixture f("camera_far_distance=900\n");
    f.graphics->Update(0.25f);
    f.graphics->Update(0.25f);
    // The point lights' effect shares cFar with the scene effect through the pool.
    EXPECT_FLOAT_EQ(Value(*f.graphics, "light_prepass", "cFar")->floats[0], 900.0f);
    EXPECT_FLOAT_EQ(Value(*f.graphics, "forward_phong_illum", "time")->floats[0], 0.5f);
    EXPECT_EQ(Value(*f.graphics, "forward_phong_illum", "playerPos")->floats, (std::vector<float>{0, 0, 0, 1}));
    EXPECT_NEAR(Value(*f.graphics, "forward_phong_illum", "globalAmbient")->floats[1], 210.0f / 255.0f, 1e-6);
    // Each constant is set once per frame, on one effect.
    size_t timeSets = 0;
    for (const platform::gfx::Command& c : f.Frame())
        if (c.op == platform::gfx::Op::kSetParameter && c.name == "time") ++timeSets;
    EXPECT_EQ(timeSets, 1u);
}

TEST(FrameConstants, DefaultViewAndProjectionWithoutACamera) {
    GraphicsFixture f;
    f.graphics->Update(0.0f);
    // Looking from (0, 0, -10) at the origin moves the world 10 along +z; row vectors keep
    // the translation in row 3.
    const std::vector<float>& view = Value(*f.graphics, "forward_phong_illum", "view")->floats;
    EXPECT_EQ(view, (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1}));
    const std::vector<float>& p = Value(*f.graphics, "forward_phong_illum", "projection")->floats;
    const float yScale = 1.0f / std::tan(45.0f * 3.14159265f / 360.0f);
    EXPECT_NEAR(p[5], yScale, 1e-5);
    EXPECT_NEAR(p[0], yScale / (16.0f / 9.0f), 1e-5);
    EXPECT_NEAR(p[10], 20000.0f / 19999.0f, 1e-5);
    EXPECT_FLOAT_EQ(p[11], 1.0f);
}

TEST(FrameConstants, BindingATargetSetsHalfTexelOffset) {
    GraphicsFixture f("reflection_quality=no\n");
    f.graphics->BindTarget(f.graphics->GetGeometryBuffer(), f.graphics->GetEffect("light_prepass"));
    EXPECT_EQ(Value(*f.graphics, "light_prepass", "half_texel_offset")->floats,
              (std::vector<float>{0.5f / 1280.0f, 0.5f / 720.0f, 0, 0}));
    EXPECT_EQ(f.Device().BoundRenderTarget(0)->Width(), 1280u);
    f.graphics->GetGeometryBuffer()->Unbind();
}

TEST(FrameConstants, ClearPacksTruncatedChannels) {
    EXPECT_EQ(Aperture::Graphics_::PackColor(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF7F00u);
    EXPECT_EQ(Aperture::Graphics_::PackColor(0.0f, 0.0f, 1.0f, 0.0f), 0x000000FFu);
    GraphicsFixture f;
    f.Device().SetRenderTarget(0, f.Device().BackBuffer());
    f.graphics->Clear(false, 1.0f, 0.5f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(f.Device().BackBuffer()->ReadPixel(0, 0).g, 127.0f / 255.0f);
}

TEST(FrameConstants, WaterClipPlaneKeepsWhatIsAboveTheWater) {
    GraphicsFixture f;
    SD::Mtx44 view = f.graphics->GetDefaultView();
    f.graphics->SetWaterClipPlane(view);
    ASSERT_EQ(f.Device().GetRenderState(platform::gfx::kRsClipPlaneEnable), 1u);
    const platform::gfx::Command& set = f.Device().CurrentFrame().back();
    ASSERT_EQ(set.op, platform::gfx::Op::kSetClipPlane);
    platform::gfx::Matrix v, p;
    std::copy(view.m, view.m + 16, v.m);
    SD::Mtx44 projection = f.graphics->GetProjection();
    std::copy(projection.m, projection.m + 16, p.m);
    platform::gfx::Matrix vp = platform::gfx::MatrixMultiply(v, p);
    // A world point above y = -0.05 lands on the kept side in clip space, one below does not.
    for (float y : {1.0f, -1.0f}) {
        platform::gfx::Float4 clip = platform::gfx::Vec4Transform({0.5f, y, 3.0f, 1.0f}, vp);
        float side = set.v[0] * clip.x + set.v[1] * clip.y + set.v[2] * clip.z + set.v[3] * clip.w;
        EXPECT_EQ(side > 0, y > 0) << y;
    }
}

// An engine matrix acts on column vectors; handed to an effect it is transposed, after which
// the effect's row-vector product gives the same point.
TEST(FrameConstants, ObjectMatricesAreTransposedForEffects) {
    SD::Mtx44 world = SD::Mtx44::Translation(SD::Vec3(1, 2, 3)) * SD::Mtx44::RotationY(0.5f);
    SD::Vec4 engine = world * SD::Vec4(4, 5, 6, 1);
    platform::gfx::Matrix handed;
    SD::Mtx44 transposed = world.GetTransposed();
    std::copy(transposed.m, transposed.m + 16, handed.m);
    platform::gfx::Float4 effect = platform::gfx::Vec4Transform({4, 5, 6, 1}, handed);
    EXPECT_NEAR(effect.x, engine.x, 1e-5);
    EXPECT_NEAR(effect.y, engine.y, 1e-5);
    EXPECT_NEAR(effect.z, engine.z, 1e-5);
    EXPECT_FLOAT_EQ(handed.m[12], 1.0f) << "translation in row 3";
    EXPECT_FLOAT_EQ(platform::gfx::MatrixTranspose(handed).m[3], 1.0f);
}

}  // namespace
