#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>

#include "ResourceTestSupport.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Font.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/VolumeTexture.h"
#include "platform/gfx/ImageFile.h"
#include "platform/os/Clock.h"
#include "tests/platform/GfxDeviceProbe.h"

namespace {

using DeviceProbe = platform::TestProbe<platform::gfx::Device>;

using namespace Aperture::Resource;
using gfxtest::ResourceFixture;

std::string RawImage(uint32_t w, uint32_t h) {
    platform::gfx::Image image;
    image.width = w;
    image.height = h;
    image.pixels.assign(size_t{w} * h * 4, 0x40);
    std::vector<uint8_t> bytes = platform::gfx::EncodeRawImage(image);
    return std::string(bytes.begin(), bytes.end());
}

size_t OpenFiles() {
    size_t count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

TEST(TextureResource, LoadsFromItsFileAndKeepsNoFileOpen) {
    ResourceFixture f;
    SD::FilePath path = f.File("Assets/Textures/rock.png", RawImage(6, 3));
    size_t open = OpenFiles();
    std::vector<Texture*> textures;
    for (int i = 0; i < 10; ++i) textures.push_back(f.manager->CreateTexture(path));
    EXPECT_EQ(OpenFiles(), open);
    EXPECT_TRUE(textures[0]->IsCreated());
    EXPECT_EQ(textures[0]->GetWidth(), 6u);
    EXPECT_EQ(textures[0]->GetHeight(), 3u);
    EXPECT_GT(textures[0]->GetLastWriteTime(), 116444736000000000LL) << "after 1970 in file-time units";
    EXPECT_TRUE(textures[0]->IsFileBacked());
}

TEST(TextureResource, AFailedLoadIsLoggedAndRetriedAtTheNextReset) {
    ResourceFixture f;
    SD::FilePath path(f.tree.Path("Assets/Textures/late.png").c_str());
    Texture* texture = f.manager->CreateTexture(path);
    EXPECT_FALSE(texture->IsLoaded());
    EXPECT_FALSE(texture->IsCreated());
    EXPECT_EQ(texture->GetLastWriteTime(), 0);
    EXPECT_NE(std::string(f.logger.Buffer()).find("late.png"), std::string::npos);
    f.File("Assets/Textures/late.png", "garbage");
    ASSERT_TRUE(f.LoseAndReset());
    EXPECT_FALSE(texture->IsCreated());
    EXPECT_NE(std::string(f.logger.Buffer()).find("not a PNG or raw image"), std::string::npos);
    f.File("Assets/Textures/late.png", RawImage(2, 2));
    ASSERT_TRUE(f.LoseAndReset());
    EXPECT_TRUE(texture->IsCreated());
    EXPECT_EQ(texture->GetWidth(), 2u);
}

TEST(RenderBufferResource, SizesFollowTheRenderSize) {
    struct Case {
        uint32_t size;
        float scale;
        uint32_t expected;
    };
    for (const Case& c : {Case{1280, 0.5f, 640}, Case{1280, 0.3f, 384}, Case{1366, 0.3f, 409}, Case{720, 1.0f, 720},
                          Case{1, 0.01f, 1}, Case{0, 0.5f, 1}})
        EXPECT_EQ(RenderBuffer::ScaledSize(c.size, c.scale), c.expected) << c.size << " x " << c.scale;

    ResourceFixture f(1280, 720);
    RenderBuffer* half = f.manager->CreateScaledRenderBuffer(0.5f, 0.5f);
    RenderBuffer* fixed = f.manager->CreateRenderBuffer(512, 256, platform::gfx::kFormatR32F);
    EXPECT_EQ(half->GetWidth(), 640u);
    EXPECT_EQ(half->GetHeight(), 360u);
    EXPECT_EQ(half->GetFormat(), platform::gfx::kFormatA16B16G16R16F);
    EXPECT_EQ(fixed->GetWidth(), 512u);
    EXPECT_EQ(fixed->GetHeight(), 256u);
    EXPECT_EQ(fixed->GetFormat(), platform::gfx::kFormatR32F);
    f.layer.Resize(1920, 1080);
    ASSERT_TRUE(f.layer.IsDeviceReady());
    EXPECT_EQ(half->GetWidth(), 960u);
    EXPECT_EQ(half->GetHeight(), 540u);
    EXPECT_EQ(half->GetTexture()->Width(), 960u);
    EXPECT_EQ(fixed->GetWidth(), 512u);
}

TEST(RenderBufferResource, AFailedCreationIsReportedAndRetried) {
    ResourceFixture f;
    DeviceProbe::FailCreations(f.Device(), 1);
    RenderBuffer* buffer = f.manager->CreateRenderBuffer();
    EXPECT_FALSE(buffer->IsCreated());
    EXPECT_FALSE(buffer->IsLoaded());
    EXPECT_EQ(buffer->GetTexture(), nullptr);
    EXPECT_NE(std::string(f.logger.Buffer()).find("Render buffer of 512x512"), std::string::npos);
    buffer->Bind();
    EXPECT_EQ(f.Device().BoundRenderTarget(0), f.Device().BackBuffer()) << "nothing to bind";
    ASSERT_TRUE(f.LoseAndReset());
    EXPECT_TRUE(buffer->IsCreated());
}

// A buffer wider than the back buffer draws against a depth surface of its own size, bound with
// it and replaced by the one before as it is unbound; it is let go with the device (or the reset
// would fail) and made again after.
TEST(RenderBufferResource, ADepthSurfaceOfItsOwnBindsWithItAndComesBackAfterAReset) {
    ResourceFixture f(64, 36);
    RenderBuffer* atlas = f.manager->CreateRenderBuffer(96, 32, platform::gfx::kFormatR32F, true);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const platform::gfx::Surface* swap = f.Device().DepthStencil();
        atlas->Bind();
        const platform::gfx::Surface* own = f.Device().DepthStencil();
        ASSERT_NE(own, nullptr);
        EXPECT_NE(own, swap);
        EXPECT_EQ(own->Width(), 96u);
        EXPECT_EQ(own->Height(), 32u);
        atlas->Bind();  // binding again keeps the depth surface it replaced
        atlas->Unbind();
        EXPECT_EQ(f.Device().DepthStencil(), swap);
        ASSERT_TRUE(f.LoseAndReset());
    }
}

TEST(RenderBufferResource, BindAndCopy) {
    ResourceFixture f(64, 36);
    RenderBuffer* a = f.manager->CreateScaledRenderBuffer(1.0f, 1.0f);
    RenderBuffer* b = f.manager->CreateScaledRenderBuffer(0.5f, 0.5f);
    a->Bind();
    a->Bind();  // binding again takes no second reference
    EXPECT_EQ(f.Device().BoundRenderTarget(0), a->GetSurface());
    f.Device().Clear(platform::gfx::kClearTarget, 0xFF00FF00u, 1.0f, 0);
    a->Unbind();
    EXPECT_EQ(a->GetSurface(), nullptr);
    b->CopyFrom(a, nullptr);
    EXPECT_FLOAT_EQ(b->GetTexture()->Level(0)->ReadPixel(31, 17).g, 1.0f);
    EXPECT_EQ(a->GetTexture()->RefCount(), 1u);
}

TEST(ResourceManager, LossAndResetReleaseAndRecreateEveryVolatileResource) {
    ResourceFixture f;
    Effect* effect = f.manager->CreateEffect(f.File("Graphics/shaders/e.fx", gfxtest::kGoodEffect));
    Texture* texture = f.manager->CreateTexture(f.File("Assets/t.png", RawImage(4, 4)));
    RenderBuffer* buffer = f.manager->CreateScaledRenderBuffer(1.0f, 1.0f);
    Font* font = f.manager->CreateFont("Arial", 0, 16);
    VolumeTexture* volume = f.manager->CreateVolumeTexture();
    platform::gfx::Font* deviceFont = font->GetFont();
    platform::gfx::VolumeTexture* deviceVolume = volume->GetTexture();

    f.layer.ReleaseForReset();
    EXPECT_FALSE(effect->IsCreated() || texture->IsCreated() || buffer->IsCreated() || font->IsCreated());
    EXPECT_EQ(f.Device().HeldDefaultPoolObjects(), 0u);
    f.manager->ReleaseDeviceResources();  // twice: nothing more happens
    EXPECT_FALSE(font->IsCreated());
    ASSERT_TRUE(f.layer.Reset());
    f.layer.RestoreAfterReset();
    f.manager->RestoreDeviceResources();  // twice: nothing more happens
    EXPECT_TRUE(effect->IsCreated() && texture->IsCreated() && buffer->IsCreated() && font->IsCreated());
    EXPECT_EQ(font->GetFont(), deviceFont) << "a font keeps its device font";
    EXPECT_EQ(volume->GetTexture(), deviceVolume) << "the volume texture is never released";
    EXPECT_EQ(Font::DrawText(4, 8, font, "ok", 0xFFFFFFFFu), 16);
    EXPECT_EQ(f.Device().CurrentFrame().back().name, "ok");
}

TEST(ResourceManager, ResourcesLeftLoadedAtTheEndAreUnloadedAndDeleted) {
    auto f = std::make_unique<ResourceFixture>();
    f->manager->CreateEffect(f->File("Graphics/shaders/e.fx", gfxtest::kGoodEffect));
    f->manager->CreateScaledRenderBuffer(1.0f, 1.0f);
    f->manager->CreateFont("Arial", 0, 16);
    f->manager->CreateVolumeTexture();
    f.reset();  // the sanitizers report anything left behind
    EXPECT_EQ(Effect::GetPool(), nullptr);
    EXPECT_EQ(ResourceManager::GetInstance(), nullptr);
}

TEST(FontResource, AFaceThatCannotBeHadLeavesTheFontUnloaded) {
    ResourceFixture f;
    Font* font = f.manager->CreateFont("", 0, 16);
    EXPECT_FALSE(font->IsLoaded());
    EXPECT_FALSE(font->IsCreated());
    EXPECT_EQ(Font::DrawText(0, 0, font, "x", 0), 0);
    EXPECT_TRUE(f.LoseAndReset());
    EXPECT_FALSE(font->IsCreated());
}

TEST(VolumeTextureResource, LoadsTheParticleVolumeAndWaitsASecondOnReload) {
    ResourceFixture f;
    VolumeTexture* volume = f.manager->CreateVolumeTexture();
    ASSERT_TRUE(volume->IsLoaded());
    EXPECT_EQ(volume->GetDepth(), 16u);
    EXPECT_EQ(volume->GetTexture()->GetPool(), platform::gfx::Pool::kManaged);
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    volume->Reload();
    EXPECT_EQ(clock.Sleeps(), std::vector<uint32_t>{1000});
    EXPECT_TRUE(volume->IsLoaded());

    std::remove(f.tree.Path("Graphics/ParticleAssets/volume_test.dds").c_str());
    VolumeTexture* missing = f.manager->CreateVolumeTexture();
    EXPECT_FALSE(missing->IsLoaded());
    EXPECT_NE(std::string(f.logger.Buffer()).find("volume_test.dds"), std::string::npos);
}

}  // namespace
