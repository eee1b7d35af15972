#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SceneTestSupport.h"

namespace {

using platform::gfx::Command;
using platform::gfx::Op;

// The width and height of the last texture set on the effect parameter in the frame; 0x0 when
// it was never set or set to nothing.
std::pair<uint32_t, uint32_t> BoundSize(const std::vector<Command>& frame, const std::string& parameter) {
    std::pair<uint32_t, uint32_t> size{0, 0};
    for (const Command& c : frame)
        if (c.op == Op::kSetParameter && c.name == parameter) size = {c.a[1], c.a[2]};
    return size;
}

// The sample art as the loading screen hands it over: the three manifests, then the built-in
// models; a frame of the hill before the camera then binds the sky's four season textures and
// the hill material's texture, with nothing reported missing.
TEST(SampleArtFrame, TheSkyAndTheHillDrawWithTheirSampleTextures) {
    gfxtest::SceneFixture f;
    for (const char* folder : {"Assets/Textures", "Assets/Materials", "Assets/Models"})
        std::filesystem::copy(qvtest::SourceDir() + "/" + folder, f.tree.Path(folder),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(f.graphics->LoadManifests("../Assets/Textures/ArtManifest.man", "../Assets/Materials/MaterialManifest.man",
                                          "../Assets/Models/ModelManifest.man"));
    f.graphics->CreateBuiltInModels();
    f.Place("SampleHill", {0, 0, 30});
    f.LookFrom({0, 0, 0});
    f.graphics->Update(0.016f);

    const std::vector<Command>& frame = f.Frame();
    for (const char* season : {"texture0", "texture1", "texture2", "texture3"})
        EXPECT_EQ(BoundSize(frame, season), (std::pair<uint32_t, uint32_t>{4, 4})) << season;
    // The hill's material draws the 8x1 gradient.
    EXPECT_EQ(BoundSize(frame, "diffuse"), (std::pair<uint32_t, uint32_t>{8, 1}));
    const std::string log = f.logger.Buffer();
    for (const char* fault : {"not loaded", "not created", "names no loaded material"})
        EXPECT_EQ(log.find(fault), std::string::npos) << fault << "\n" << log;
}

}  // namespace
