// The project's light pre-pass and post-processing effects carried out by OpenGL (run by
// tools/window-check.sh under a virtual X server with the software renderer), read back from the
// back buffer: a wall facing the eye and grass blades, lit by the sun in their own effects and,
// through a geometry buffer holding the wall, by point and spot light volumes drawn instanced in
// the engine's light record; a flat picture passed through the post-processing steps unchanged;
// the sky sphere filling the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "SessionSuite.h"
#include "graphics/Graphics.h"
#include "graphics/GrassTree.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Vertex.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/Half.h"
#include "platform/gfx/ViewMath.h"
#include "platform/sdl/SdlSession.h"
#include "platform/window/Window.h"
#include "support/TempTree.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using namespace platform::gfx;

constexpr int kWidth = 96, kHeight = 54;
constexpr float kFar = 20000.0f;
// The wall's view depth.
constexpr float kWall = 100.0f;

struct Rgb {
    int r, g, b;
};

// One instance record as the light pre-pass writes it: the volume's orientation columns scaled,
// its position, the colour, the light's position, near and far attenuation, the cone's axis and
// the cosines of half its inner and outer angles.
std::vector<float> Record(const float columns[3][3], const float scale[3], const float position[3],
                          const float colour[3], const float at[3], float farDistance, const float axis[3],
                          float cosInner, float cosOuter) {
    std::vector<float> r(30, 0.0f);
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) r[a * 4 + k] = columns[a][k] * scale[a];
    for (int k = 0; k < 3; ++k) {
        r[12 + k] = position[k];
        r[16 + k] = colour[k];
        r[20 + k] = at[k];
        r[25 + k] = axis[k];
    }
    r[15] = 1.0f, r[19] = 1.0f, r[24] = farDistance, r[28] = cosInner, r[29] = cosOuter;
    return r;
}

class LightAndPostEffects : public displaytest::SessionSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_) << openError_;
        messagesBefore_ = SdlSessionProbe::Executor(*session_).Messages().size();
        window_ = std::make_unique<platform::Window>("light pre-pass", 0, 0, kWidth, kHeight);
        ASSERT_EQ(driver_.CreateDevice(WindowParameters(window_.get(), kWidth, kHeight), device_), kOk);
        pool_ = EffectPool::Create();
        const Matrix projection =
            MatrixPerspectiveFovLH(45.0f * 3.14159265f / 180.0f, float(kWidth) / kHeight, 1.0f, kFar);
        std::memcpy(projection_, projection.m, sizeof projection_);
        ASSERT_EQ(device_->CreateTexture(kWidth, kHeight, 1, 0, kFormatA16B16G16R16F, Pool::kManaged, &geometry_), kOk);
        LockedRect locked;
        ASSERT_EQ(geometry_->LockRect(0, locked), kOk);
        const uint16_t texel[4] = {ToHalf(0.0f), ToHalf(0.0f), ToHalf(-1.0f), ToHalf(kWall / kFar)};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 8, texel, 8);
        ASSERT_EQ(geometry_->UnlockRect(0), kOk);
    }
    void TearDown() override {
        for (DeviceObject* o : objects_) o->Release();
        for (Effect* e : effects_) e->Release();
        if (geometry_) geometry_->Release();
        if (pool_) pool_->Release();
        device_.reset();
        window_.reset();
    }

    Effect* Load(const std::string& name) {
        Effect* effect = nullptr;
        std::string errors;
        EXPECT_EQ(CreateEffectFromFile(device_.get(), qvtest::SourceDir() + "/Graphics/shaders/" + name + ".fx", pool_,
                                       &effect, &errors),
                  kOk)
            << errors;
        if (effect) effects_.push_back(effect);
        EXPECT_EQ(SdlSessionProbe::Executor(*session_).Messages().size(), messagesBefore_)
            << SdlSessionProbe::Executor(*session_).Messages().back();
        return effect;
    }
    template <class T>
    T* Buffer(const void* data, uint32_t size, T* buffer) {
        void* out = nullptr;
        EXPECT_EQ(buffer->Lock(0, size, &out), kOk);
        std::memcpy(out, data, size);
        EXPECT_EQ(buffer->Unlock(), kOk);
        objects_.push_back(buffer);
        return buffer;
    }
    VertexBuffer* Vertices(const void* data, uint32_t size) {
        VertexBuffer* b = nullptr;
        EXPECT_EQ(device_->CreateVertexBuffer(size, Pool::kManaged, &b), kOk);
        return Buffer(data, size, b);
    }
    IndexBuffer* Indices(const std::vector<uint16_t>& indices) {
        IndexBuffer* b = nullptr;
        const auto size = static_cast<uint32_t>(indices.size() * 2);
        EXPECT_EQ(device_->CreateIndexBuffer(size, kFormatIndex16, Pool::kManaged, &b), kOk);
        return Buffer(indices.data(), size, b);
    }
    VertexDeclaration* Declaration(const std::vector<VertexElement>& elements) {
        VertexDeclaration* d = nullptr;
        EXPECT_EQ(device_->CreateVertexDeclaration(elements, &d), kOk);
        if (d) objects_.push_back(d);
        return d;
    }
    void BeginFrame(uint32_t clear = 0xFF000000u, float depth = 1.0f) {
        ASSERT_EQ(device_->BeginScene(), kOk);
        ASSERT_EQ(device_->Clear(kClearTarget | kClearZBuffer, clear, depth, 0), kOk);
    }
    // The depth surface holds the wall, as the geometry pass leaves it: the sun lights only
    // where the depth is nearer than the far plane.
    void Begin(Effect* effect, const char* technique) {
        BeginFrame(0xFF000000u, projection_[10] + projection_[14] / kWall);
        ASSERT_EQ(effect->SetTechnique(technique), kOk);
        ASSERT_EQ(effect->SetTexture("geometry", geometry_), kOk);
        Matrix projection;
        std::memcpy(projection.m, projection_, sizeof projection_);
        ASSERT_EQ(effect->SetMatrix("projection", projection), kOk);
        ASSERT_EQ(effect->SetFloat("cFar", kFar), kOk);
    }
    // The draw, then the frame shown unless more is drawn in it.
    void Draw(Effect* effect, uint32_t vertices, uint32_t triangles, bool present = true) {
        ASSERT_EQ(effect->Begin(nullptr), kOk);
        ASSERT_EQ(effect->BeginPass(0), kOk);
        ASSERT_EQ(device_->DrawIndexedPrimitive(kTriangleList, 0, 0, vertices, 0, triangles), kOk);
        ASSERT_EQ(effect->EndPass(), kOk);
        ASSERT_EQ(effect->End(), kOk);
        if (!present) return;
        ASSERT_EQ(device_->EndScene(), kOk);
        ASSERT_EQ(device_->Present(), kOk);
    }
    // The engine's screen quad: corners in clip space, uv from the top-left.
    void DrawScreenQuad(Effect* effect, bool present = true) {
        const float quad[4][5] = {{-1, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {-1, -1, 0, 0, 1}, {1, -1, 0, 1, 1}};
        ASSERT_EQ(device_->SetVertexDeclaration(Declaration({{0, 0, 2, 0, 0, 0}, {0, 12, 1, 0, 5, 0}})), kOk);
        ASSERT_EQ(device_->SetStreamSource(0, Vertices(quad, sizeof quad), 0, 20), kOk);
        ASSERT_EQ(device_->SetIndices(Indices({0, 1, 2, 2, 1, 3})), kOk);
        Draw(effect, 4, 2, present);
    }
    Texture* Flat(uint32_t argb, int width = 8, int height = 8) { return Pattern(width, height, argb, 0); }
    // Texel i (row by row) is argb + i * step in each byte, wrapping.
    Texture* Pattern(int width, int height, uint32_t argb, uint32_t step) {
        Texture* t = nullptr;
        EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, kFormatA8R8G8B8, Pool::kManaged, &t), kOk);
        LockedRect locked;
        EXPECT_EQ(t->LockRect(0, locked), kOk);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t texel[4];
                for (int k = 0; k < 4; ++k)
                    texel[k] = static_cast<uint8_t>((argb >> (8 * k)) + (step >> (8 * k)) * uint32_t(y * width + x));
                std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, texel, 4);
            }
        EXPECT_EQ(t->UnlockRect(0), kOk);
        objects_.push_back(t);
        return t;
    }
    // Light volumes of a mesh, one per record, as the pre-pass draws them.
    void DrawVolumes(Effect* effect, const Aperture::Resource::MeshGeometry& mesh, const std::vector<float>& records) {
        ASSERT_EQ(effect->SetMatrix("view", Matrix::Identity()), kOk);
        const auto instances = static_cast<uint32_t>(records.size() / 30);
        ASSERT_EQ(device_->SetVertexDeclaration(Declaration(Aperture::Resource::LightVertex::Elements())), kOk);
        ASSERT_EQ(
            device_->SetStreamSource(0, Vertices(mesh.vertices.data(), uint32_t(mesh.vertices.size() * 56)), 0, 56),
            kOk);
        ASSERT_EQ(device_->SetStreamSource(1, Vertices(records.data(), uint32_t(records.size() * 4)), 0, 120), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(0, kStreamIndexedData | instances), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(1, kStreamInstanceData | 1u), kOk);
        ASSERT_EQ(device_->SetIndices(Indices(mesh.indices)), kOk);
        Draw(effect, uint32_t(mesh.vertices.size()), uint32_t(mesh.indices.size() / 3));
        ASSERT_EQ(device_->SetStreamSourceFreq(0, 1u), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(1, 1u), kOk);
    }
    // The depth of field's mix of a sharp picture in focus: the far field of the wall at the
    // focal distance takes no share of the picture (alpha 0) and holds only the bloom given.
    void MixInFocus(Effect* mix, Texture* picture, uint32_t bloom, float bloomAmount) {
        ASSERT_EQ(mix->SetTexture("image1", picture), kOk);
        ASSERT_EQ(mix->SetTexture("image2", Flat(bloomAmount > 0.0f ? bloom & 0x00FFFFFFu : 0u)), kOk);
    }
    // The mix in focus with a grey bloom that takes part of the picture past white, begun in a
    // new frame.
    void BeginMixInFocus(Effect* mix, const char* technique, Texture* picture) {
        BeginFrame();
        ASSERT_EQ(mix->SetTechnique(technique), kOk);
        MixInFocus(mix, picture, 0xFF707070u, 1.0f);
    }
    Rgb Pixel(int x, int y) const {
        const std::vector<uint8_t>& rgba = SdlSessionProbe::LastPresented(*session_);
        const size_t at = (static_cast<size_t>(y) * kWidth + x) * 4;
        if (at + 3 >= rgba.size()) return {-1, -1, -1};
        return {rgba[at], rgba[at + 1], rgba[at + 2]};
    }
    void SunOnTheWall(Effect* material, const float direction[3], const float colour[3], bool shadows,
                      float sunlit = 1.0f, const char* technique = "SingleInstance");
    struct CascadeMap {
        float from, to;     // the box's view x
        float left, right;  // the depth over each half of its map
    };
    void ShadowAtlas(Effect* effect, const CascadeMap (&cascades)[3]);
    void OccludeTheLeftHalf(Effect* effect);
    // The column of the wall point at view x on the middle row.
    int Column(float x) const { return int((x / kWall * projection_[0] * 0.5f + 0.5f) * kWidth); }

    size_t messagesBefore_ = 0;
    std::unique_ptr<platform::Window> window_;
    Driver driver_;
    std::unique_ptr<Device> device_;
    EffectPool* pool_ = nullptr;
    Texture* geometry_ = nullptr;
    float projection_[16] = {};
    std::vector<DeviceObject*> objects_;
    std::vector<Effect*> effects_;
};

void ExpectNear(const Rgb& got, const Rgb& want, const std::string& where) {
    EXPECT_TRUE(std::abs(got.r - want.r) <= 3 && std::abs(got.g - want.g) <= 3 && std::abs(got.b - want.b) <= 3)
        << where << ": got " << got.r << "," << got.g << "," << got.b << " want " << want.r << "," << want.g << ","
        << want.b;
}

// The material lit by the sun alone (the light buffer black, no ambient light), its sun coming
// from the direction and colour given; view and world are the identity.
void LightAndPostEffects::SunOnTheWall(Effect* material, const float direction[3], const float colour[3], bool shadows,
                                       float sunlit, const char* technique) {
    BeginFrame();
    ASSERT_EQ(material->SetTechnique(technique), kOk);
    Matrix projection;
    std::memcpy(projection.m, projection_, sizeof projection_);
    ASSERT_EQ(material->SetMatrix("projection", projection), kOk);
    for (const char* matrix : {"view", "local_world"}) ASSERT_EQ(material->SetMatrix(matrix, Matrix::Identity()), kOk);
    for (const char* white : {"color", "tint"}) ASSERT_EQ(material->SetVector(white, {1, 1, 1, 1}), kOk);
    ASSERT_EQ(material->SetVector("globalAmbient", {0, 0, 0, 0}), kOk);
    ASSERT_EQ(material->SetFloat("sunlit", sunlit), kOk);
    ASSERT_EQ(material->SetFloat("g_fog_near", 2 * kFar), kOk);
    ASSERT_EQ(material->SetFloat("g_fog_far", 3 * kFar), kOk);
    ASSERT_EQ(material->SetTexture("lightBuffer", Flat(0, kWidth, kHeight)), kOk);
    ASSERT_EQ(material->SetVector("sun_direction", {direction[0], direction[1], direction[2], 0}), kOk);
    ASSERT_EQ(material->SetVector("sun_color", {colour[0], colour[1], colour[2], 0}), kOk);
    ASSERT_EQ(material->SetFloat("sun_shadows", shadows ? 1.0f : 0.0f), kOk);
    // The wall facing the eye, wider than the view.
    Aperture::Resource::MeshGeometry wall;
    Aperture::Resource::GenerateGrid(wall, 1, 1, {-400, -400, kWall}, {800, 0, 0}, {0, 800, 0}, {0, 0, -1}, false);
    ASSERT_EQ(device_->SetVertexDeclaration(Declaration(Aperture::Resource::MeshVertex::Elements())), kOk);
    ASSERT_EQ(device_->SetStreamSource(0, Vertices(wall.vertices.data(), uint32_t(wall.vertices.size() * 56)), 0, 56),
              kOk);
    ASSERT_EQ(device_->SetIndices(Indices(wall.indices)), kOk);
    Draw(material, uint32_t(wall.vertices.size()), uint32_t(wall.indices.size() / 3));
}

// At the centre the eye looks along the wall's normal: the sun's diffuse light is its colour by
// the cosine of its angle to the normal, the highlight white by the half-way vector's cosine to
// the power 16, a quarter of the colour's brightness. A material that is not sunlit (a light's
// bulb) takes none of it.
TEST_F(LightAndPostEffects, TheSunLightsTheWallByTheAngleItMeetsIt) {
    Effect* material = Load("lit_material");
    ASSERT_NE(material, nullptr);
    const struct {
        float direction[3];
        float colour[3];
        float nDotL;
        float sunlit;
    } cases[] = {
        {{0.0f, std::sqrt(0.75f), -0.5f}, {0.8f, 0.4f, 1.0f}, 0.5f, 1.0f},
        {{std::sqrt(0.5f), 0.0f, -std::sqrt(0.5f)}, {1.0f, 1.0f, 1.0f}, std::sqrt(0.5f), 1.0f},
        {{0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}, 0.0f, 1.0f},  // behind the wall
        {{0.0f, std::sqrt(0.75f), -0.5f}, {0.8f, 0.4f, 1.0f}, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        SunOnTheWall(material, c.direction, c.colour, false, c.sunlit);
        const float nDotH = std::sqrt(0.5f + 0.5f * c.nDotL);
        const float brightness = 0.299f * c.colour[0] + 0.587f * c.colour[1] + 0.114f * c.colour[2];
        const float highlight = c.nDotL > 0.0f ? std::pow(nDotH, 16.0f) * 0.25f * brightness : 0.0f;
        auto channel = [&](int k) {
            return int(std::lround(255.0f * std::min(c.colour[k] * c.nDotL + highlight, 1.0f)));
        };
        ExpectNear(Pixel(kWidth / 2, kHeight / 2), {channel(0), channel(1), channel(2)},
                   "n.l " + std::to_string(c.nDotL));
    }
}

// The sun's view is the view itself. Each cascade's box spans view x from `from` to `to` (y from
// -200 to 200, depth 0 to 1000); its square of the atlas, the first on the left, holds the depth
// `left` over its left half and `right` over its right half.
void LightAndPostEffects::ShadowAtlas(Effect* effect, const CascadeMap (&cascades)[3]) {
    constexpr int kMap = 64;
    ASSERT_EQ(effect->SetMatrix("shadow_view", Matrix::Identity()), kOk);
    Texture* atlas = nullptr;
    ASSERT_EQ(device_->CreateTexture(3 * kMap, kMap, 1, 0, kFormatR32F, Pool::kManaged, &atlas), kOk);
    objects_.push_back(atlas);
    LockedRect locked;
    ASSERT_EQ(atlas->LockRect(0, locked), kOk);
    for (int y = 0; y < kMap; ++y)
        for (int x = 0; x < 3 * kMap; ++x) {
            const CascadeMap& c = cascades[x / kMap];
            const float depth = x % kMap < kMap / 2 ? c.left : c.right;
            std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, &depth, 4);
        }
    ASSERT_EQ(atlas->UnlockRect(0), kOk);
    ASSERT_EQ(effect->SetTexture("shadowDepth", atlas), kOk);
    const char* const projections[3] = {"shadow_projection", "shadow_projection2", "shadow_projection3"};
    for (int c = 0; c < 3; ++c)
        ASSERT_EQ(effect->SetMatrix(projections[c], MatrixOrthoOffCenterLH(cascades[c].from, cascades[c].to, -200.0f,
                                                                           200.0f, 0.0f, 1000.0f)),
                  kOk);
}

// Every cascade holds an occluder at depth 50 over the left half of the view (x < 0) and nothing
// over the right half.
void LightAndPostEffects::OccludeTheLeftHalf(Effect* effect) {
    const CascadeMap same{-200.0f, 200.0f, 0.05f, 1.0f};
    ShadowAtlas(effect, {same, same, same});
}

// The water's share of the reflection is mixed into the surface by its Reflective pass alone
// (the blended technique); an opaque Material pass shows the surface without it.
TEST_F(LightAndPostEffects, OnlyTheReflectivePassMixesInTheReflection) {
    Effect* material = Load("lit_material");
    ASSERT_NE(material, nullptr);
    const struct {
        const char* technique;
        Rgb expected;
    } cases[] = {
        {"SingleInstanceBlended", {77, 38, 115}},  // 0.6 of the reflection over the unlit black surface
        {"SingleInstance", {0, 0, 0}},
    };
    const float direction[3] = {0.0f, 0.0f, -1.0f}, black[3] = {0.0f, 0.0f, 0.0f};
    for (const auto& c : cases) {
        ASSERT_EQ(material->SetFloat("reflection", 0.6f), kOk);
        ASSERT_EQ(material->SetTexture("waterReflection", Flat(0xFF8040C0u)), kOk);
        ASSERT_EQ(material->SetVector("geometry_color", {1, 1, 1, 1}), kOk);
        SunOnTheWall(material, direction, black, false, 1.0f, c.technique);
        ExpectNear(Pixel(kWidth / 2, kHeight / 2), c.expected, c.technique);
    }
}

// The sun looking along the view's own z.
TEST_F(LightAndPostEffects, TheSunIsShadowedWhereTheCascadesHoldSomethingNearerToIt) {
    Effect* material = Load("lit_material");
    ASSERT_NE(material, nullptr);
    OccludeTheLeftHalf(material);
    const float towardsTheEye[3] = {0, 0, -1}, white[3] = {1, 1, 1};
    SunOnTheWall(material, towardsTheEye, white, true);
    ExpectNear(Pixel(kWidth / 4, kHeight / 2), {0, 0, 0}, "behind the occluder");
    ExpectNear(Pixel(3 * kWidth / 4, kHeight / 2), {255, 255, 255}, "in the open");
    // Without shadows the occluder is not looked up.
    SunOnTheWall(material, towardsTheEye, white, false);
    ExpectNear(Pixel(kWidth / 4, kHeight / 2), {255, 255, 255}, "shadows off");
}

// A point takes the first cascade whose box holds it, read from that cascade's square of the
// atlas, and none beyond all three: the first box all shadow, the second all open, the third
// open on its left half and shadow on its right.
TEST_F(LightAndPostEffects, EachPointIsShadowedByTheFirstCascadeThatHoldsIt) {
    Effect* material = Load("lit_material");
    ASSERT_NE(material, nullptr);
    ShadowAtlas(material, {{-80.0f, -20.0f, 0.05f, 0.05f}, {-80.0f, 20.0f, 1.0f, 1.0f}, {-60.0f, 60.0f, 1.0f, 0.05f}});
    const float towardsTheEye[3] = {0, 0, -1}, white[3] = {1, 1, 1};
    SunOnTheWall(material, towardsTheEye, white, true);
    const struct {
        float x;
        Rgb expected;
        const char* where;
    } probes[] = {
        {-50.0f, {0, 0, 0}, "in all three: the first's shadow"},
        {5.0f, {255, 255, 255}, "in the second and third: the second's open map"},
        {40.0f, {0, 0, 0}, "in the third alone: its right half"},
        {68.0f, {255, 255, 255}, "beyond all three"},
    };
    for (const auto& p : probes) ExpectNear(Pixel(Column(p.x), kHeight / 2), p.expected, p.where);
}

// Two white blades 40 tall standing on ground that faces the eye, one at x = -30 behind the
// occluder and one at x = 30 in the open, with the sun behind the eye and a fifth of white as
// ambient light: the sun at a blade's root lights the whole blade.
TEST_F(LightAndPostEffects, TheGrassTakesTheSunAndItsShadowAtTheRoot) {
    Effect* grass = Load("grass");
    ASSERT_NE(grass, nullptr);
    OccludeTheLeftHalf(grass);
    BeginFrame();
    ASSERT_EQ(grass->SetTechnique("InstancedGrass"), kOk);
    Matrix projection;
    std::memcpy(projection.m, projection_, sizeof projection_);
    ASSERT_EQ(grass->SetMatrix("projection", projection), kOk);
    ASSERT_EQ(grass->SetMatrix("view", Matrix::Identity()), kOk);
    ASSERT_EQ(grass->SetVector("globalAmbient", {0.2f, 0.2f, 0.2f, 0}), kOk);
    ASSERT_EQ(grass->SetFloat("g_fog_near", 2 * kFar), kOk);
    ASSERT_EQ(grass->SetFloat("g_fog_far", 3 * kFar), kOk);
    for (const char* one : {"grass_paint_scalar", "grass_blend_scalar", "grass_color_scalar"})
        ASSERT_EQ(grass->SetFloat(one, 1.0f), kOk);
    ASSERT_EQ(grass->SetTexture("texture_0", Flat(0xFFFFFFFFu)), kOk);
    ASSERT_EQ(grass->SetTexture("lightBuffer", Flat(0, kWidth, kHeight)), kOk);
    ASSERT_EQ(grass->SetVector("sun_direction", {0, 0, -1, 0}), kOk);
    ASSERT_EQ(grass->SetVector("sun_color", {1, 1, 1, 0}), kOk);
    ASSERT_EQ(grass->SetFloat("sun_shadows", 1.0f), kOk);
    Aperture::Resource::MeshGeometry blade;
    Aperture::Resource::GenerateGrid(blade, 1, 1, {-0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}, false);
    // Root, the ground's normal (0, 0, -1) as (n + 1) / 2, then no sway and a size of 40.
    Aperture::GrassInstance blades[2];
    for (int i = 0; i < 2; ++i) {
        blades[i].position = {i == 0 ? -30.0f : 30.0f, -20.0f, kWall};
        blades[i].color[0] = blades[i].color[1] = 128;
        blades[i].params[0] = 128;
        blades[i].params[2] = 40;
    }
    ASSERT_EQ(device_->SetVertexDeclaration(Declaration(Aperture::Resource::GrassVertex::Elements())), kOk);
    ASSERT_EQ(device_->SetStreamSource(0, Vertices(blade.vertices.data(), uint32_t(blade.vertices.size() * 56)), 0, 56),
              kOk);
    ASSERT_EQ(device_->SetStreamSource(1, Vertices(blades, sizeof blades), 0, sizeof(Aperture::GrassInstance)), kOk);
    ASSERT_EQ(device_->SetStreamSourceFreq(0, kStreamIndexedData | 2u), kOk);
    ASSERT_EQ(device_->SetStreamSourceFreq(1, kStreamInstanceData | 1u), kOk);
    ASSERT_EQ(device_->SetIndices(Indices(blade.indices)), kOk);
    Draw(grass, uint32_t(blade.vertices.size()), uint32_t(blade.indices.size() / 3));
    ASSERT_EQ(device_->SetStreamSourceFreq(0, 1u), kOk);
    ASSERT_EQ(device_->SetStreamSourceFreq(1, 1u), kOk);
    ExpectNear(Pixel(Column(-30.0f), kHeight / 2), {51, 51, 51}, "blade behind the occluder");
    ExpectNear(Pixel(Column(30.0f), kHeight / 2), {255, 255, 255}, "blade in the open");
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), {0, 0, 0}, "between the blades");
}

TEST_F(LightAndPostEffects, PointLightsAddOnceEachFadingToTheirFarDistance) {
    Effect* point = Load("light_prepass");
    ASSERT_NE(point, nullptr);
    const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, none[3] = {0, 0, 0}, red[3] = {1.0f, 0.5f, 0.25f};
    // One light whose volume holds the eye, 10 in front of the wall, reaching 50; one outside
    // any view of the eye's volume, 20 in front, reaching 25.
    const float inside[3] = {0, 0, 90}, outside[3] = {0, 0, 80};
    const float bigScale[3] = {100, 100, 100}, smallScale[3] = {50, 50, 50};
    std::vector<float> records = Record(axes, bigScale, inside, red, inside, 50, none, 0, 0);
    const std::vector<float> second = Record(axes, smallScale, outside, red, outside, 25, none, 0, 0);
    records.insert(records.end(), second.begin(), second.end());
    Begin(point, "RenderLightBuffer");
    DrawVolumes(point, Aperture::Resource::GenerateCubeSphere(4), records);
    // (50 - 10) / 50 + (25 - 20) / 25 of the colour at the centre; nothing where both are far.
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), {255, 128, 64}, "centre");
    ExpectNear(Pixel(Column(60.0f), kHeight / 2), {0, 0, 0}, "beyond both");
}

TEST_F(LightAndPostEffects, ASpotLightShinesDownItsConeOnly) {
    Effect* spot = Load("light_prepass_spot");
    ASSERT_NE(spot, nullptr);
    // Shining along +z from 50 before the wall: its axis (the orientation's second column) points back.
    const float orientation[3][3] = {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, white[3] = {1, 1, 1}, axis[3] = {0, 0, -1};
    const float position[3] = {0, 0, 50}, range = 100.0f;
    const float outer = 40.0f * 3.14159265f / 180.0f, inner = 20.0f * 3.14159265f / 180.0f;
    const float width = 2.0f * std::tan(outer / 2) * range, scale[3] = {width, range, width};
    Begin(spot, "RenderLightBuffer");
    DrawVolumes(
        spot, Aperture::Resource::GenerateCone(16, 1),
        Record(orientation, scale, position, white, position, range, axis, std::cos(inner / 2), std::cos(outer / 2)));
    ExpectNear(Pixel(kWidth / 2, kHeight / 2), {128, 128, 128}, "on the axis, 50 away of 100");
    // 30 degrees off the axis is outside the 40 degree cone.
    ExpectNear(Pixel(Column(std::tan(30.0f * 3.14159265f / 180.0f) * 50.0f), kHeight / 2), {0, 0, 0}, "off the cone");
}

// Each step on a flat picture within the displayable range: the blur, the downscale and the depth
// of field keep it, nothing in it glows, the blur adds the level it is given, the additive blend
// adds it to what the target holds, and the depth of field's mix adds the bloom it is given. The
// wide sprites waiting for the bloom (0x10 in each channel for the blur, 0xC0 for the capture) are
// added unblurred by the blur and glow where they take the picture over white in the capture.
TEST_F(LightAndPostEffects, AFlatPicturePassesThroughThePostProcessingSteps) {
    const uint32_t picture = 0xFF8040C0u;
    const Rgb shown{0x80, 0x40, 0xC0};
    // Three taps a direction whose weights sum to one, the outer ones between two texels.
    const float weights[3] = {0.3f, 0.4f, 0.3f};
    const Float4 offsets[3] = {{-1.4f / 8.0f, -1.4f / 8.0f, 0, 0}, {0, 0, 0, 0}, {1.4f / 8.0f, 1.4f / 8.0f, 0, 0}};
    struct Step {
        const char* effect;
        const char* technique;
        Rgb expected;
        float bloom;  // the depth of field's bloom amount, over a bloom of 0x10 in each channel
    };
    const Step steps[] = {
        {"blur", "Blur", shown, 0.0f},
        {"blur", "BlurAdded", {0x90, 0x50, 0xD0}, 0.0f},
        {"blur", "BlurAddedAndSprites", {0xA0, 0x60, 0xE0}, 0.0f},
        {"copy", "CaptureGlow", {0, 0, 0}, 0.0f},
        {"copy", "CaptureGlowAndSprites", {0x20, 0x00, 0x40}, 0.0f},
        {"copy", "DownScaleQuarter", shown, 0.0f},
        {"blend", "Additive", {0x90, 0x50, 0xD0}, 0.0f},
        {"DepthOfField", "LinearInterpolate", shown, 0.0f},
        {"DepthOfField", "LinearInterpolate", {0x90, 0x50, 0xD0}, 1.0f},
    };
    for (const Step& step : steps) {
        Effect* effect = Load(step.effect);
        ASSERT_NE(effect, nullptr) << step.effect;
        ASSERT_EQ(effect->SetTechnique(step.technique), kOk);
        Texture* source = Flat(picture);
        const std::string name = step.effect;
        const bool sprites = std::string(step.technique).find("AndSprites") != std::string::npos;
        if (sprites) {
            ASSERT_EQ(
                effect->SetTexture("particles", Flat(name == "blur" ? 0xFF101010u : 0xFFC0C0C0u, kWidth, kHeight)),
                kOk);
        }
        if (name == "blur") {
            ASSERT_EQ(effect->SetTexture("image", source), kOk);
            ASSERT_EQ(effect->SetTexture("added", Flat(0xFF101010u)), kOk);
            ASSERT_EQ(effect->SetFloatArray("weights", weights, 3), kOk);
            ASSERT_EQ(effect->SetVectorArray("offsets", offsets, 3), kOk);
        } else if (name == "copy") {
            ASSERT_EQ(effect->SetTexture("txtr", source), kOk);
            ASSERT_EQ(effect->SetFloat("glow_intensity", 1.0f), kOk);
            ASSERT_EQ(effect->SetFloat("halfPixW", 0.5f / kWidth), kOk);
            ASSERT_EQ(effect->SetFloat("halfPixH", 0.5f / kHeight), kOk);
        } else if (name == "blend") {
            ASSERT_EQ(effect->SetTexture("image", source), kOk);
        } else {
            MixInFocus(effect, source, 0xFF101010u, step.bloom);
        }
        BeginFrame(0xFF101010u);
        DrawScreenQuad(effect);
        const std::string where = name + " " + step.technique + (step.bloom > 0.0f ? " with bloom" : "");
        ExpectNear(Pixel(kWidth / 2, kHeight / 2), step.expected, where + " centre");
        ExpectNear(Pixel(1, kHeight - 2), step.expected, where + " bottom-left");
    }
}

// The depth of field's far field of a flat picture over the wall: the blur weighed by its share,
// which grows from 0 at the focal distance to 1 at the fog's far distance from it, with the bloom
// added when it runs; the mix then takes the picture by the rest of the share.
TEST_F(LightAndPostEffects, TheFarFieldWeighsTheBlurByDepthAndAddsTheBloom) {
    const Float4 offsets[3] = {{-1.4f / 8.0f, -1.4f / 8.0f, 0, 0}, {0, 0, 0, 0}, {1.4f / 8.0f, 1.4f / 8.0f, 0, 0}};
    const float weights[3] = {0.3f, 0.4f, 0.3f};
    const struct Case {
        float focal;
        float bloomAmount;
        Rgb farField, mixed;
    } cases[] = {
        {kWall, 1.0f, {0x10, 0x10, 0x10}, {0x90, 0x50, 0xD0}},
        {kWall + 1250.0f, 1.0f, {0x50, 0x30, 0x70}, {0x90, 0x50, 0xD0}},
        {kWall - 2500.0f, 1.0f, {0x90, 0x50, 0xD0}, {0x90, 0x50, 0xD0}},
        {kWall + 2500.0f, 0.0f, {0x80, 0x40, 0xC0}, {0x80, 0x40, 0xC0}},
    };
    Effect* blur = Load("blur");
    Effect* mix = Load("DepthOfField");
    ASSERT_NE(blur, nullptr);
    ASSERT_NE(mix, nullptr);
    for (const Case& c : cases) {
        const std::string where = "focal " + std::to_string(c.focal) + " bloom " + std::to_string(c.bloomAmount);
        Texture* picture = Flat(0xFF8040C0u, kWidth, kHeight);
        ASSERT_EQ(blur->SetTechnique("BlurFarField"), kOk);
        ASSERT_EQ(blur->SetTexture("image", picture), kOk);
        ASSERT_EQ(blur->SetFloatArray("weights", weights, 3), kOk);
        ASSERT_EQ(blur->SetVectorArray("offsets", offsets, 3), kOk);
        ASSERT_EQ(blur->SetTexture("depthImage", geometry_), kOk);
        ASSERT_EQ(blur->SetFloat("cFocal", c.focal), kOk);
        ASSERT_EQ(blur->SetFloat("cFar", kFar), kOk);
        ASSERT_EQ(blur->SetFloat("g_fog_far", 2500.0f), kOk);
        ASSERT_EQ(blur->SetTexture("bloom", Flat(0xFF101010u)), kOk);
        ASSERT_EQ(blur->SetFloat("bloomAmount", c.bloomAmount), kOk);
        BeginFrame(0xFF000000u);
        DrawScreenQuad(blur);
        ExpectNear(Pixel(kWidth / 2, kHeight / 2), c.farField, where + " far field");
        // The far field's share as the mix reads it: the picture by the rest.
        const float share = std::clamp(std::abs(kWall - c.focal) / 2500.0f, 0.0f, 1.0f);
        const auto far = static_cast<uint32_t>(c.farField.r) << 16 | static_cast<uint32_t>(c.farField.g) << 8 |
                         static_cast<uint32_t>(c.farField.b) | static_cast<uint32_t>(share * 255.0f + 0.5f) << 24;
        ASSERT_EQ(mix->SetTechnique("LinearInterpolate"), kOk);
        ASSERT_EQ(mix->SetTexture("image1", picture), kOk);
        ASSERT_EQ(mix->SetTexture("image2", Flat(far)), kOk);
        BeginFrame(0xFF000000u);
        DrawScreenQuad(mix);
        ExpectNear(Pixel(kWidth / 2, kHeight / 2), c.mixed, where + " mixed");
    }
}

// A sprite over the whole picture blended in by the depth of field's mix shows as the sprite pass
// draws it over the mix, which the 8-bit window clips at white: its texture placed by the place the graphics system gives its world
// matrix (here larger than the view, off its centre), filtered, tinted, faded and blended by its
// alpha, at every pixel.
TEST_F(LightAndPostEffects, TheMixBlendsASpriteOverThePictureAsTheSpritePassDoes) {
    Effect* mix = Load("DepthOfField");
    Effect* sprite = Load("sprite");
    ASSERT_TRUE(mix && sprite);
    Texture* picture = Pattern(kWidth, kHeight, 0xFF205080u, 0x00030507u);
    Texture* overlay = Pattern(4, 4, 0x10C04020u, 0x1F1D3B11u);
    const Float4 tint{0.9f, 0.6f, 1.0f, 0.7f};
    // Clip space for the area: 2 units across, y up.
    SD::Mtx44 world = SD::Mtx44::Identity();
    world(0, 0) = 2.6f, world(1, 1) = 2.3f, world(0, 3) = 0.2f, world(1, 3) = -0.1f;
    const std::vector<VertexElement> meshElements = Aperture::Resource::MeshVertex::Elements();
    Aperture::Resource::MeshGeometry quad;
    Aperture::Resource::GenerateGrid(quad, 1, 1, {-0.5f, -0.5f, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, false);

    auto frame = [&] { return SdlSessionProbe::LastPresented(*session_); };
    BeginMixInFocus(mix, "LinearInterpolate", picture);
    DrawScreenQuad(mix);
    const std::vector<uint8_t> plain = frame();
    BeginMixInFocus(mix, "LinearInterpolate", picture);
    DrawScreenQuad(mix, false);
    ASSERT_EQ(sprite->SetTechnique("SimpleDraw"), kOk);
    Matrix columns = Matrix::Identity();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) columns.m[4 * c + r] = world(r, c);
    ASSERT_EQ(sprite->SetMatrix("world", columns), kOk);
    for (const char* identity : {"view", "projection"}) ASSERT_EQ(sprite->SetMatrix(identity, Matrix::Identity()), kOk);
    ASSERT_EQ(sprite->SetVector("modColor", tint), kOk);
    ASSERT_EQ(sprite->SetTexture("txtr", overlay), kOk);
    ASSERT_EQ(device_->SetVertexDeclaration(Declaration(meshElements)), kOk);
    ASSERT_EQ(device_->SetStreamSource(0, Vertices(quad.vertices.data(), uint32_t(quad.vertices.size() * 56)), 0, 56),
              kOk);
    ASSERT_EQ(device_->SetIndices(Indices(quad.indices)), kOk);
    Draw(sprite, 4, 2);
    const std::vector<uint8_t> drawnOver = frame();
    BeginMixInFocus(mix, "LinearInterpolateOverlay", picture);
    const SD::Vec4 place = Aperture::Graphics_::SpritePlace(world, 2.0f, 2.0f);
    ASSERT_EQ(mix->SetTexture("overlay", overlay), kOk);
    ASSERT_EQ(mix->SetVector("overlayColor", tint), kOk);
    ASSERT_EQ(mix->SetVector("overlayPlace", {place.x, place.y, place.z, place.w}), kOk);
    DrawScreenQuad(mix);
    const std::vector<uint8_t> blendedIn = frame();

    ASSERT_EQ(blendedIn.size(), drawnOver.size());
    ASSERT_EQ(plain.size(), drawnOver.size());
    int worst = 0, shown = 0;
    for (size_t i = 0; i < drawnOver.size(); ++i) {
        if (i % 4 == 3) continue;  // the window's alpha is not shown
        worst = std::max(worst, std::abs(int(blendedIn[i]) - int(drawnOver[i])));
        shown = std::max(shown, std::abs(int(drawnOver[i]) - int(plain[i])));
    }
    EXPECT_LE(worst, 1) << "the mix's sprite against the sprite pass's";
    EXPECT_GE(shown, 40) << "the sprite hardly shows";
}

// The sky sphere around the eye, on the far plane, fills every pixel where the depth is still
// cleared, whichever way the view turns, with a season's one texture (the first look) or two mixed:
// the colour target under it needs no clear of its own.
TEST_F(LightAndPostEffects, TheSkyFillsEveryPixelWhereNoSurfaceIs) {
    Effect* sky = Load("sky");
    ASSERT_NE(sky, nullptr);
    // The sky sphere as the sky pass draws it: half a unit wide, scaled by 100, pushed by the near
    // distance.
    const Aperture::Resource::MeshGeometry sphere = Aperture::Resource::GenerateSphere(16, 16, {0, 0, 0}, 0.5f);
    Matrix world = Matrix::Identity();
    world.m[0] = world.m[5] = world.m[10] = 100.0f;
    Matrix translateView = Matrix::Identity();
    translateView.m[14] = 1.0f;
    Matrix projection;
    std::memcpy(projection.m, projection_, sizeof projection_);
    const Rgb skyColour{0x33, 0x66, 0xCC};
    const Float3 looks[] = {{0, 0, 1},           {0, 0, -1}, {1, 0, 0}, {0.3f, 0.95f, 0.1f}, {0.2f, -0.97f, -0.1f},
                            {-0.6f, 0.5f, 0.62f}};
    for (const Float3& look : looks) {
        // Half-way between two seasons' skies their mean; a season's sky its own texture.
        const bool transition = &look != &looks[0];
        BeginFrame(0xFFFF00FFu);
        ASSERT_EQ(sky->SetTechnique(transition ? "draw_transition_sky" : "draw_sky"), kOk);
        ASSERT_EQ(sky->SetMatrix("view", MatrixLookAtLH({0, 0, 0}, look, {0, 1, 0})), kOk);
        ASSERT_EQ(sky->SetMatrix("projection", projection), kOk);
        ASSERT_EQ(sky->SetMatrix("world", world), kOk);
        ASSERT_EQ(sky->SetMatrix("translate_view", translateView), kOk);
        ASSERT_EQ(sky->SetTexture("sky_from", Flat(transition ? 0xFF2255BBu : 0xFF3366CCu)), kOk);
        ASSERT_EQ(sky->SetTexture("sky_to", transition ? Flat(0xFF4477DDu) : nullptr), kOk);
        ASSERT_EQ(sky->SetFloat("sky_mix", 0.5f), kOk);
        ASSERT_EQ(device_->SetVertexDeclaration(Declaration(Aperture::Resource::MeshVertex::Elements())), kOk);
        ASSERT_EQ(
            device_->SetStreamSource(0, Vertices(sphere.vertices.data(), uint32_t(sphere.vertices.size() * 56)), 0, 56),
            kOk);
        ASSERT_EQ(device_->SetIndices(Indices(sphere.indices)), kOk);
        Draw(sky, uint32_t(sphere.vertices.size()), uint32_t(sphere.indices.size() / 3));
        int unfilled = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb p = Pixel(x, y);
                if (std::abs(p.r - skyColour.r) > 3 || std::abs(p.g - skyColour.g) > 3 ||
                    std::abs(p.b - skyColour.b) > 3)
                    ++unfilled;
            }
        EXPECT_EQ(unfilled, 0) << "looking along " << look.x << "," << look.y << "," << look.z;
    }
}

}  // namespace
