#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "SceneTestSupport.h"
#include "core/Season.h"
#include "graphics/Graphics.h"
#include "graphics/components/Terrain.h"
#include "platform/gfx/ImageFile.h"

namespace {

using platform::gfx::Command;
using platform::gfx::Op;

using Size = std::pair<uint32_t, uint32_t>;

// The width and height of every texture set on the effect parameter in the frame, in order; 0x0
// for a setting to nothing.
std::vector<Size> BoundSizes(const std::vector<Command>& frame, const std::string& parameter) {
    std::vector<Size> sizes;
    for (const Command& c : frame)
        if (c.op == Op::kSetParameter && c.name == parameter) sizes.emplace_back(c.a[1], c.a[2]);
    return sizes;
}

bool Has(const std::vector<Size>& sizes, Size size) {
    return std::find(sizes.begin(), sizes.end(), size) != sizes.end();
}

// The sample art as the loading screen hands it over: the three manifests, then the built-in
// models.
void LoadSampleArt(gfxtest::SceneFixture& f) {
    for (const char* folder : {"Assets/Textures", "Assets/Materials", "Assets/Models"})
        std::filesystem::copy(
            qvtest::SourceDir() + "/" + folder, f.tree.Path(folder),
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(f.graphics->LoadManifests("../Assets/Textures/ArtManifest.man",
                                          "../Assets/Materials/MaterialManifest.man",
                                          "../Assets/Models/ModelManifest.man"));
    f.graphics->CreateBuiltInModels();
}

// A frame of the hill and the world's terrain before the camera binds the season's sky texture
// and the hill's and the terrain's material textures, with nothing reported missing.
TEST(SampleArtFrame, TheSkyTheHillAndTheTerrainDrawWithTheirSampleTextures) {
    gfxtest::SceneFixture f;
    LoadSampleArt(f);
    f.Place("SampleHill", {0, 0, 30});
    Aperture::Terrain terrain;
    terrain.SetMaterialName("concrete");
    terrain.VRegister();
    f.LookFrom({0, 0, 0});
    f.graphics->Update(0.016f);
    terrain.VUnregister();

    const std::vector<Command>& frame = f.Frame();
    const std::vector<Size> sky = BoundSizes(frame, "sky_from");
    ASSERT_FALSE(sky.empty());
    EXPECT_EQ(sky.back(), (Size{4, 4}));
    // The hill's material draws its 128x128 turf, the terrain's the 8x8 concrete.
    const std::vector<Size> diffuse = BoundSizes(frame, "diffuse");
    EXPECT_TRUE(Has(diffuse, {128, 128}));
    EXPECT_TRUE(Has(diffuse, {8, 8}));
    const std::string log = f.logger.Buffer();
    for (const char* fault : {"not loaded", "not created", "names no loaded material"})
        EXPECT_EQ(log.find(fault), std::string::npos) << fault << "\n" << log;
}

// The sky reads two seasons' textures only while a transition between them is under way; in a
// season, before its transition starts or once it is complete, it reads that season's alone.
TEST(SampleArtFrame, TheSkyReadsASecondTextureOnlyWhileATransitionIsUnderWay) {
    const struct Case {
        SD::Season season;
        float transition;
        const char* technique;
        Size second;  // what the sky's second texture is bound to at the end of the frame
    } cases[] = {
        {SD::Season::kSpring, 0.0f, "draw_sky", {0, 0}},
        {SD::Season::kSummer, 0.5f, "draw_transition_sky", {4, 4}},
        {SD::Season::kSummer, 1.0f, "draw_sky", {0, 0}},
    };
    for (const Case& c : cases) {
        gfxtest::SceneFixture f;
        LoadSampleArt(f);
        f.LookFrom({0, 0, 0});
        SD::WorldSeason::Get().Set(c.season, c.transition);
        f.graphics->Update(0.016f);
        SD::WorldSeason::Get().Reset();
        std::vector<std::string> techniques;
        for (const Command& command : f.Frame())
            if (command.op == Op::kBeginEffect) techniques.push_back(command.name);
        EXPECT_TRUE(std::find(techniques.begin(), techniques.end(), c.technique) != techniques.end())
            << SD::SeasonName(c.season) << " " << c.transition;
        const std::vector<Size> second = BoundSizes(f.Frame(), "sky_to");
        ASSERT_FALSE(second.empty());
        EXPECT_EQ(second.back(), c.second) << SD::SeasonName(c.season) << " " << c.transition;
        const std::string log = f.logger.Buffer();
        EXPECT_EQ(log.find("not loaded"), std::string::npos) << log;
    }
}

std::string SourceText(const std::string& file) {
    std::ifstream in(qvtest::SourceDir() + "/" + file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The world's vignette is drawn over the whole picture: clear in the middle, so the view shows
// through untouched, and black towards the corners, so the edges only darken.
TEST(SampleArtFrame, TheVignetteOnlyDarkensTheEdgesOfThePicture) {
    const std::string samples = SourceText("Assets/Objects/World/WorldSamples.xml");
    const size_t blueprint = samples.find("<GameObjectBlueprint name=\"Hud/Vignette\">");
    ASSERT_NE(blueprint, std::string::npos);
    EXPECT_EQ(samples.find("<String name=\"Texture\">Vignette</String>", blueprint),
              samples.find("<String name=\"Texture\">", blueprint));
    const std::string manifest = SourceText("Assets/Textures/ArtManifest.man");
    EXPECT_LT(manifest.find("PATH=\"../Assets/Textures/Hud/\""), manifest.find("\"Vignette.png\""));
    EXPECT_NE(manifest.find("\"Vignette.png\""), std::string::npos);

    platform::gfx::Image image;
    std::string error;
    ASSERT_TRUE(platform::gfx::ReadImageFile(qvtest::SourceDir() + "/Assets/Textures/Hud/Vignette.png", image, error))
        << error;
    ASSERT_GE(image.width, 8u);
    ASSERT_GE(image.height, 8u);
    auto alpha = [&](uint32_t x, uint32_t y) { return image.pixels[(y * image.width + x) * 4 + 3]; };
    for (size_t i = 0; i < image.pixels.size(); i += 4)
        EXPECT_EQ(image.pixels[i] | image.pixels[i + 1] | image.pixels[i + 2], 0)
            << "pixel " << i / 4 << " is not black";
    const uint32_t w = image.width, h = image.height;
    EXPECT_EQ(int(alpha(w / 2, h / 2)), 0) << "the middle";
    EXPECT_EQ(int(alpha(w / 4, h / 2)), 0) << "halfway to the side";
    for (auto [x, y] : {std::pair<uint32_t, uint32_t>{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_GT(int(alpha(x, y)), 200) << "corner " << x << "," << y;
}

// Every image of the particle texture is a shape on a clear ground, clear all along its border: a
// sprite shows as its shape, never as the square of its quad. The first image is the one of particles that name none (the
// snow's flakes): a round flake, solid in its middle.
TEST(SampleArtFrame, EveryParticleImageIsAShapeOnAClearGround) {
    platform::gfx::Image volume;
    std::string error;
    ASSERT_TRUE(
        platform::gfx::ReadImageFile(qvtest::SourceDir() + "/Graphics/ParticleAssets/volume_test.dds", volume, error))
        << error;
    const uint32_t w = volume.width, h = volume.height;
    ASSERT_GE(w, 8u);
    ASSERT_GE(h, 8u);
    ASSERT_EQ(volume.pixels.size(), size_t{w} * h * volume.depth * 4);
    auto alpha = [&](uint32_t slice, uint32_t x, uint32_t y) {
        return volume.pixels[((slice * h + y) * w + x) * 4 + 3];
    };
    // The whole border, not only the corners: a sprite drawn large, additive and brighter than
    // white shows any alpha left on its border as a straight edge.
    for (uint32_t slice = 0; slice < volume.depth; ++slice) {
        int border = 0;
        for (uint32_t i = 0; i < w; ++i)
            border = std::max({border, int(alpha(slice, i, 0)), int(alpha(slice, i, h - 1))});
        for (uint32_t i = 0; i < h; ++i)
            border = std::max({border, int(alpha(slice, 0, i)), int(alpha(slice, w - 1, i))});
        EXPECT_LE(border, 1) << "slice " << slice;
    }
    EXPECT_EQ(int(alpha(0, w / 2, h / 2)), 255) << "the flake's middle";
    EXPECT_EQ(int(alpha(0, w / 2, h / 4)), 255) << "halfway to its rim";
}

// The floats that follow a named element of the text, from a starting point.
std::vector<float> FloatsAfter(const std::string& text, size_t from, const std::string& element, int count) {
    std::vector<float> values;
    size_t at = text.find(element, from);
    for (int i = 0; i < count && at != std::string::npos; ++i) {
        at = text.find("<Float value=\"", at);
        if (at == std::string::npos) break;
        at += 14;
        values.push_back(std::stof(text.substr(at)));
    }
    return values;
}

// The world's data bar, placed as the level places it and scaled by its half-full value, is a
// thin bar that starts near the left edge and lies wholly on the screen.
TEST(SampleArtFrame, TheDataBarIsAThinBarOnTheScreen) {
    const std::string samples = SourceText("Assets/Objects/World/WorldSamples.xml");
    const std::string level = SourceText("Assets/Levels/World_v6/objects.xml");
    const size_t blueprint = samples.find("<GameObjectBlueprint name=\"Hud/DataBar\">");
    const size_t placed = level.find("<GameObject blueprint=\"Hud/DataBar\"");
    ASSERT_NE(blueprint, std::string::npos);
    ASSERT_NE(placed, std::string::npos);
    const std::vector<float> anchor = FloatsAfter(samples, blueprint, "<Vector2 name=\"Anchor Point\">", 2);
    const std::vector<float> position = FloatsAfter(level, placed, "<Vector3 name=\"position\"", 2);
    const std::vector<float> scale = FloatsAfter(level, placed, "<Vector3 name=\"scale\"", 2);
    const std::string valueKey = "name=\"working bar value\" value=\"";
    const size_t value = samples.find(valueKey, blueprint);
    ASSERT_EQ(anchor.size(), 2u);
    ASSERT_EQ(position.size(), 2u);
    ASSERT_EQ(scale.size(), 2u);
    ASSERT_NE(value, std::string::npos);
    const float working = std::stof(samples.substr(value + valueKey.size()));

    const float w = 640.0f, h = 360.0f;
    const SD::Mtx44 world = Aperture::Graphics_::SpriteWorld({position[0], position[1], 0.0f}, 0.0f, working * scale[0],
                                                             scale[1], {anchor[0], anchor[1]}, 8.0f, 1.0f, w, h);
    // The unit quad's corners at +-0.5, in screen pixels from the top-left.
    const float left = world(0, 3) - 0.5f * world(0, 0) + w / 2, right = world(0, 3) + 0.5f * world(0, 0) + w / 2;
    const float top = h / 2 - (world(1, 3) + 0.5f * world(1, 1)), bottom = h / 2 - (world(1, 3) - 0.5f * world(1, 1));
    EXPECT_GE(left, 0.0f);
    EXPECT_LE(left, 0.1f * w) << "it starts near the left edge";
    EXPECT_LE(right, w);
    EXPECT_GT(right - left, 0.1f * w);
    EXPECT_GE(top, 0.0f);
    EXPECT_LE(bottom, h);
    EXPECT_LT(bottom - top, 0.05f * h) << "a thin bar";
}

}  // namespace
