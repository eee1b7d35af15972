#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GraphicsTestSupport.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "graphics/GraphicsStartup.h"
#include "runtime/Registration.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/photon/QuadParticleSystem.h"
#include "graphics/resources/VolumeTexture.h"

namespace {

using Aperture::Photon::FloatToByte;
using Aperture::Photon::PackParticle;
using Aperture::Photon::Particle;
using Aperture::Photon::ParticleSystem;
using Aperture::Photon::ParticleVertexRecord;
using Aperture::Photon::QuadParticleSystem;
using Aperture::Photon::QuadParticleVertexRecord;

// The four bytes of a point record, for the fields that pack.
TEST(ParticlePacking, SliceRotationAndSizePackIntoFourBytes) {
    struct Case {
        float slice, rotation, size;
        uint8_t packedSlice, packedRotation, whole, fraction;
    } cases[] = {
        {1.0f, 0.0f, 2.5f, 1, 0, 2, 127},
        {0.5f, 359.0f, 1.0f, 0, 255, 1, 0},
        {5.9f, 180.0f, 3.5f, 5, 127, 3, 127},
        // Out of the byte's range: the low eight bits of the integer.
        {300.0f, 0.0f, 1024.0f, 44, 0, 0, 0},
        {-1.0f, 0.0f, 0.0f, 255, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Particle p{};
        p.position = SD::Vec3(1, 2, 3);
        p.color = SD::Vec4(0.1f, 0.2f, 0.3f, 0.4f);
        p.slice = c.slice;
        p.rotation = c.rotation;
        p.size = c.size;
        const ParticleVertexRecord r = PackParticle(p);
        EXPECT_EQ(r.slice, c.packedSlice) << c.slice;
        EXPECT_EQ(r.rotation, c.packedRotation) << c.rotation;
        EXPECT_EQ(r.sizeWhole, c.whole) << c.size;
        EXPECT_EQ(r.sizeFraction, c.fraction) << c.size;
        EXPECT_EQ(r.position[2], 3.0f);
        EXPECT_EQ(r.color[3], 0.4f);
    }
    EXPECT_EQ(FloatToByte(1e20f), 0);
    EXPECT_EQ(FloatToByte(-1e20f), 0);
    EXPECT_EQ(FloatToByte(511.0f), 255);
}

struct Points : ParticleSystem {
    explicit Points(uint32_t n) { particleCount = n; }
    void Start() override { ++starts; }
    int starts = 0;
};

TEST(ParticleSystem, WritesItsLeadingParticlesOnlyWhileActive) {
    Points points(10);
    for (uint32_t i = 0; i < 10; ++i) points.GetParticle(i).position.x = static_cast<float>(i);
    std::vector<ParticleVertexRecord> out(16);
    EXPECT_EQ(points.WriteVertices(out.data(), 16), 0u) << "inactive";
    points.SetActiveFlag(true);
    EXPECT_EQ(points.WriteVertices(out.data(), 4), 4u) << "the limit";
    EXPECT_EQ(out[3].position[0], 3.0f);
    EXPECT_EQ(points.WriteVertices(out.data(), 16), 10u);
    EXPECT_EQ(out[9].position[0], 9.0f);
}

// The world matrix's rows are the orientation's columns, scaled, then the position.
TEST(QuadParticleSystem, QuadRecordsCarryTheOrientationColumnsAsRows) {
    Aperture::Photon::QuadBody body{};
    body.position = SD::Vec3(7, 8, 9);
    body.scaleX = 2.0f;
    body.scaleY = 3.0f;
    const float m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int i = 0; i < 9; ++i) body.orientation[i] = m[i];
    Aperture::Photon::QuadAppearance look{};
    look.color = SD::Vec4(0.5f, 0.6f, 0.7f, 0.8f);
    look.w = 0.25f;
    const QuadParticleVertexRecord r = Aperture::Photon::PackQuad(body, look);
    const float expected[16] = {2, 8, 14, 0, 6, 15, 24, 0, 3, 6, 9, 0, 7, 8, 9, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(r.world[i], expected[i]) << i;
    EXPECT_EQ(r.color[3], 0.8f);
    EXPECT_EQ(r.w, 0.25f);
}

// Registering starts the effect once and joins the list; registering again after leaving
// starts it again.
TEST(ParticleSystem, RegistrationStartsTheEffectAndJoinsTheList) {
    gfxtest::GraphicsFixture f;
    auto points = std::make_unique<Points>(3);
    points->VRegister();
    EXPECT_TRUE(points->IsActive());
    EXPECT_EQ(points->starts, 1);
    EXPECT_EQ(f.graphics->GetSceneLists().PointParticles().Size(), 1u);
    points->VUnregister();
    EXPECT_EQ(f.graphics->GetSceneLists().PointParticles().Size(), 0u);
    EXPECT_TRUE(points->IsActive()) << "leaving does not change Active";
    points->VRegister();
    EXPECT_EQ(points->starts, 2);
    points.reset();
    EXPECT_EQ(f.graphics->GetSceneLists().PointParticles().Size(), 0u) << "a destroyed system leaves the list";
}

TEST(QuadParticleSystem, DefaultSliceIsSliceTwoOfTheParticleTexture) {
    QuadParticleSystem orphan;
    orphan.SetDefaultSlice(0);
    EXPECT_FLOAT_EQ(orphan.GetAppearance(0).w, 2.5f / 16.0f) << "no graphics system";
    gfxtest::GraphicsFixture f;
    Aperture::Resource::VolumeTexture* texture = f.graphics->GetParticleManager()->GetParticleTexture();
    ASSERT_NE(texture, nullptr);
    ASSERT_GT(texture->GetDepth(), 0u);
    QuadParticleSystem quads;
    quads.SetDefaultSlice(5);
    EXPECT_FLOAT_EQ(quads.GetAppearance(5).w, 2.5f / static_cast<float>(texture->GetDepth()));
}

// Every particle class under its registered name and number; the factory files a name under
// its part after the last ':'.
TEST(ParticleSystem, EffectsRegisterWithTheFactoryUnderTheirNamesAndNumbers) {
    SD::Registrations registrations;
    Aperture::InstallGraphics(registrations);
    SD::ComponentManager_ components;
    SD::Factory_ factory(16);
    registrations.RegisterComponents(factory);
    const std::pair<const char*, unsigned> expected[] = {
        {"ParticleSystem", 26}, {"QuadParticleSystem", 90},
        {"VineTrail", 97},      {"ParticleTester", 96},
        {"CircleEffect", 39},   {"DirtParticles", 73},
        {"MoonGlow", 92},       {"BubbleEffect", 103},
        {"GrassDust", 110},     {"FireflyCollectionSparkles", 108},
        {"RainSystem", 87},     {"FallingLeaves", 91},
        {"FlowerPollen", 32},   {"WindStreamer", 86},
    };
    for (const auto& [name, number] : expected) {
        SD::ComponentID id;
        ASSERT_TRUE(factory.FindComponentID(name, &id)) << name;
        EXPECT_EQ(static_cast<unsigned>(id), number) << name;
        SD::Component* made = factory.CreateComponent(id);
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(static_cast<unsigned>(made->VGetID()), number) << name;
        factory.DestroyComponent(made);
    }
    factory.Shutdown();
}

}  // namespace
