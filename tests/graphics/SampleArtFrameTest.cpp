#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "SceneTestSupport.h"
#include "graphics/components/Terrain.h"

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

bool Has(const std::vector<Size>& sizes, Size size) { return std::find(sizes.begin(), sizes.end(), size) != sizes.end(); }

// The sample art as the loading screen hands it over: the three manifests, then the built-in
// models; a frame of the hill and the world's terrain before the camera then binds the sky's
// four season textures and the hill's and the terrain's material textures, with nothing reported
// missing.
TEST(SampleArtFrame, TheSkyTheHillAndTheTerrainDrawWithTheirSampleTextures) {
    gfxtest::SceneFixture f;
    for (const char* folder : {"Assets/Textures", "Assets/Materials", "Assets/Models"})
        std::filesystem::copy(qvtest::SourceDir() + "/" + folder, f.tree.Path(folder),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(f.graphics->LoadManifests("../Assets/Textures/ArtManifest.man", "../Assets/Materials/MaterialManifest.man",
                                          "../Assets/Models/ModelManifest.man"));
    f.graphics->CreateBuiltInModels();
    f.Place("SampleHill", {0, 0, 30});
    Aperture::Terrain terrain;
    terrain.SetMaterialName("concrete");
    terrain.VRegister();
    f.LookFrom({0, 0, 0});
    f.graphics->Update(0.016f);
    terrain.VUnregister();

    const std::vector<Command>& frame = f.Frame();
    for (const char* season : {"texture0", "texture1", "texture2", "texture3"}) {
        const std::vector<Size> sizes = BoundSizes(frame, season);
        ASSERT_FALSE(sizes.empty()) << season;
        EXPECT_EQ(sizes.back(), (Size{4, 4})) << season;
    }
    // The hill's material draws the 8x1 gradient, the terrain's the 8x8 concrete.
    const std::vector<Size> diffuse = BoundSizes(frame, "diffuse");
    EXPECT_TRUE(Has(diffuse, {8, 1}));
    EXPECT_TRUE(Has(diffuse, {8, 8}));
    const std::string log = f.logger.Buffer();
    for (const char* fault : {"not loaded", "not created", "names no loaded material"})
        EXPECT_EQ(log.find(fault), std::string::npos) << fault << "\n" << log;
}

}  // namespace
