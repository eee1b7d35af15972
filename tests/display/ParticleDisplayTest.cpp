// The point-sprite particle effect carried out by OpenGL (run by tools/window-check.sh under a
// virtual X server with the software renderer): particles packed as the engine packs them, drawn
// instanced on the unit quad with the project's volume texture, read back from the back buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "SessionSuite.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/resources/Vertex.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/ImageFile.h"
#include "platform/gfx/ViewMath.h"
#include "platform/sdl/SdlSession.h"
#include "platform/window/Window.h"
#include "support/TempTree.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using namespace platform::gfx;
using Aperture::Photon::Particle;

constexpr int kWidth = 160, kHeight = 100;

class ParticleDisplay : public displaytest::SessionSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_) << openError_;
        window_ = std::make_unique<platform::Window>("particles", 0, 0, kWidth, kHeight);
        ASSERT_EQ(driver_.CreateDevice(WindowParameters(window_.get(), kWidth, kHeight), device_), kOk);
        pool_ = EffectPool::Create();
        std::string errors;
        ASSERT_EQ(CreateEffectFromFile(device_.get(), qvtest::SourceDir() + "/Graphics/shaders/particle_test.fx", pool_,
                                       &effect_, &errors),
                  kOk)
            << errors;
        ASSERT_EQ(
            CreateVolumeTextureFromFile(device_.get(), qvtest::SourceDir() + "/Graphics/ParticleAssets/volume_test.dds",
                                        Pool::kManaged, &texture_, &errors),
            kOk)
            << errors;
        projection_ = MatrixPerspectiveFovLH(45.0f * 3.14159265f / 180.0f, float(kWidth) / kHeight, 1.0f, 1000.0f);
    }
    void TearDown() override {
        for (DeviceObject* o : objects_) o->Release();
        if (texture_) texture_->Release();
        if (effect_) effect_->Release();
        if (pool_) pool_->Release();
        device_.reset();
        window_.reset();
    }

    VertexBuffer* Vertices(const void* data, uint32_t size) {
        VertexBuffer* b = nullptr;
        EXPECT_EQ(device_->CreateVertexBuffer(size, Pool::kManaged, &b), kOk);
        void* out = nullptr;
        EXPECT_EQ(b->Lock(0, size, &out), kOk);
        std::memcpy(out, data, size);
        EXPECT_EQ(b->Unlock(), kOk);
        objects_.push_back(b);
        return b;
    }
    // The particles as the manager draws them: the unit quad indexed, one record per instance,
    // the view at the origin looking down +z; `band` picks the sprites by their width in pixels
    // (from x up to y, no upper end while y is 0).
    void Draw(const std::vector<Particle>& particles, Float4 band = Float4{}) {
        Aperture::Resource::MeshVertexData quad[6] = {};
        const float corners[6][4] = {{-0.5f, 0.5f, 0, 0}, {0.5f, 0.5f, 1, 0},   {0.5f, -0.5f, 1, 1},
                                     {0.5f, -0.5f, 1, 1}, {-0.5f, -0.5f, 0, 1}, {-0.5f, 0.5f, 0, 0}};
        for (int i = 0; i < 6; ++i) {
            quad[i].position = SD::Vec3(corners[i][0], corners[i][1], 0.0f);
            quad[i].u = corners[i][2];
            quad[i].v = corners[i][3];
        }
        std::vector<Aperture::Photon::ParticleVertexRecord> records;
        for (const Particle& p : particles) records.push_back(Aperture::Photon::PackParticle(p));
        IndexBuffer* indices = nullptr;
        ASSERT_EQ(device_->CreateIndexBuffer(12, kFormatIndex16, Pool::kManaged, &indices), kOk);
        objects_.push_back(indices);
        void* out = nullptr;
        ASSERT_EQ(indices->Lock(0, 12, &out), kOk);
        const uint16_t order[6] = {0, 1, 2, 3, 4, 5};
        std::memcpy(out, order, 12);
        ASSERT_EQ(indices->Unlock(), kOk);
        VertexDeclaration* declaration = nullptr;
        ASSERT_EQ(device_->CreateVertexDeclaration(Aperture::Resource::ParticleVertex::Elements(), &declaration), kOk);
        objects_.push_back(declaration);

        ASSERT_EQ(device_->BeginScene(), kOk);
        ASSERT_EQ(device_->Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f, 0), kOk);
        ASSERT_EQ(effect_->SetMatrix("view", Matrix::Identity()), kOk);
        ASSERT_EQ(effect_->SetMatrix("projection", projection_), kOk);
        ASSERT_EQ(effect_->SetTexture("particle_texture", texture_), kOk);
        ASSERT_EQ(effect_->SetFloat("viewport_width", float(kWidth)), kOk);
        ASSERT_EQ(effect_->SetVector("size_band", band), kOk);
        ASSERT_EQ(device_->SetVertexDeclaration(declaration), kOk);
        ASSERT_EQ(device_->SetStreamSource(0, Vertices(quad, sizeof quad), 0, 56), kOk);
        ASSERT_EQ(device_->SetStreamSource(1, Vertices(records.data(), uint32_t(records.size() * 32)), 0, 32), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(0, kStreamIndexedData | uint32_t(records.size())), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(1, kStreamInstanceData | 1u), kOk);
        ASSERT_EQ(device_->SetIndices(indices), kOk);
        ASSERT_EQ(effect_->Begin(nullptr), kOk);
        ASSERT_EQ(effect_->BeginPass(0), kOk);
        ASSERT_EQ(device_->DrawIndexedPrimitive(kTriangleList, 0, 0, 6, 0, 2), kOk);
        ASSERT_EQ(effect_->EndPass(), kOk);
        ASSERT_EQ(effect_->End(), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(0, 1u), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(1, 1u), kOk);
        ASSERT_EQ(device_->EndScene(), kOk);
        ASSERT_EQ(device_->Present(), kOk);
    }
    int Red(int x, int y) const {
        const std::vector<uint8_t>& rgba = SdlSessionProbe::LastPresented(*session_);
        const size_t at = (static_cast<size_t>(y) * kWidth + x) * 4;
        return at + 3 < rgba.size() ? rgba[at] : -1;
    }
    // The columns of the middle row that the particle lit.
    int LitColumns() const {
        int lit = 0;
        for (int x = 0; x < kWidth; ++x) lit += Red(x, kHeight / 2) > 8;
        return lit;
    }

    std::unique_ptr<platform::Window> window_;
    Driver driver_;
    std::unique_ptr<Device> device_;
    EffectPool* pool_ = nullptr;
    Effect* effect_ = nullptr;
    VolumeTexture* texture_ = nullptr;
    Matrix projection_;
    std::vector<DeviceObject*> objects_;
};

Particle Glow(float depth, float size) {
    Particle p{};
    p.position = SD::Vec3(0.0f, 0.0f, depth);
    p.color = SD::Vec4(1.0f, 1.0f, 1.0f, 1.0f);
    p.slice = 1.0f;
    p.size = size;
    return p;
}

// Away from the eye a sprite is as wide as its size in world units at its depth: a soft round
// glow, brightest in its middle, dark at its corners.
TEST_F(ParticleDisplay, AFarSpriteIsASoftGlowAsWideAsItsSizeAtItsDepth) {
    const float depth = 50.0f, size = 6.0f;
    Draw({Glow(depth, size)});
    const int expected = int(size * projection_.m[0] * 0.5f * kWidth / depth);
    EXPECT_NEAR(LitColumns(), expected, 3) << "of " << expected;
    const int half = expected / 2;
    EXPECT_GT(Red(kWidth / 2, kHeight / 2), 200) << "the middle of the glow";
    EXPECT_LT(Red(kWidth / 2 - half + 1, kHeight / 2 - half + 1), 16) << "a corner of its quad";
    EXPECT_EQ(Red(2, 2), 0) << "nothing beyond it";
}

// Near the eye a light stays a point of light: no sprite is wider than a tenth of the view,
// however large or near, and past that width it fades the nearer it comes; many big puffs blend
// rather than cover the picture.
TEST_F(ParticleDisplay, ANearOrHugeSpriteNeverCoversTheView) {
    // The same light coming nearer: a point at 20 units, held at the widest and fainter at 8, and
    // fainter again by the eye.
    int middle = 256;
    for (float depth : {20.0f, 8.0f, 2.0f}) {
        Draw({Glow(depth, 2.0f)});
        EXPECT_LE(LitColumns(), kWidth / 10 + 2) << "at " << depth;
        if (depth > 2.0f) {
            EXPECT_GT(LitColumns(), kWidth / 40) << "at " << depth;
        }
        EXPECT_LT(Red(kWidth / 2, kHeight / 2), middle) << "nearer is fainter, at " << depth;
        middle = Red(kWidth / 2, kHeight / 2);
    }
    EXPECT_LT(middle, 64) << "a light by the eye is faint";
    Draw({Glow(30.0f, 255.0f)});
    EXPECT_LE(LitColumns(), kWidth / 10 + 2) << "a huge puff";
    std::vector<Particle> fog;
    for (int i = 0; i < 64; ++i) {
        Particle p = Glow(3.0f + 0.5f * float(i), 200.0f);
        p.color = SD::Vec4(0.3f, 0.3f, 0.3f, 0.3f);
        p.position.x = float(i % 8 - 4) * 0.3f * p.position.z;
        fog.push_back(p);
    }
    Draw(fog);
    int white = 0;
    for (int y = 0; y < kHeight; y += 5)
        for (int x = 0; x < kWidth; x += 5) white += Red(x, y) > 250;
    EXPECT_EQ(white, 0) << "a bank of grey puffs round the eye leaves the view grey";
}

// The frame draws the narrow sprites at full size and the wide ones into a smaller target: each
// draw keeps the sprites of its band of widths only, judged before the cap on the width, so that
// every sprite lands in exactly one of the two draws.
TEST_F(ParticleDisplay, ADrawKeepsOnlyTheSpritesOfItsBandOfWidths) {
    const float depth = 50.0f;
    const float perUnit = projection_.m[0] * 0.5f * kWidth / depth;  // pixels per unit of size
    struct Case {
        float pixels, from, below;
        bool drawn;
    } cases[] = {
        {12.0f, 0.0f, 0.0f, true}, {12.0f, 8.0f, 0.0f, true},  {12.0f, 0.0f, 8.0f, false}, {4.0f, 8.0f, 0.0f, false},
        {4.0f, 0.0f, 8.0f, true},  {12.0f, 8.0f, 16.0f, true}, {40.0f, 8.0f, 0.0f, true},  {40.0f, 0.0f, 8.0f, false},
    };
    for (const Case& c : cases) {
        Draw({Glow(depth, c.pixels / perUnit)}, Float4{c.from, c.below, 0.0f, 0.0f});
        EXPECT_EQ(LitColumns() > 0, c.drawn) << c.pixels << " pixels in [" << c.from << ", " << c.below << ")";
    }
}

}  // namespace
