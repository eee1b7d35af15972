#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "platform/gfx/EffectFile.h"
#include "platform/gfx/Types.h"
#include "support/TempTree.h"

namespace {

using namespace platform::gfx;

// How a pass writes its target: the light volumes add up on the cleared light buffer, and the
// bloom adds onto the scene; every other full-screen step replaces what the target held.
enum class Writes { kReplace, kAdd };
// Where a pass draws: everywhere whatever depth buffer is bound, or where a light volume's face
// lies at or behind the view's surface. None writes the depth.
enum class Covers { kAll, kSurfacesBeforeFace };

struct Case {
    const char* file;
    const char* technique;
    Writes writes;
    Covers covers = Covers::kAll;
};

// The project's light and post-processing effects: every pass has a program and states
// that let it draw whatever depth buffer is bound (the lights only over the view's surfaces they
// can reach), with both sides of its triangles (the light volumes pick their faces themselves),
// blending as its step needs.
TEST(LightAndPostEffectFiles, EveryPassHasAProgramAndTheStatesItsStepNeeds) {
    const Case cases[] = {
        {"light_prepass", "RenderLightBuffer", Writes::kAdd, Covers::kSurfacesBeforeFace},
        {"light_prepass_spot", "RenderLightBuffer", Writes::kAdd, Covers::kSurfacesBeforeFace},
        {"copy", "DownScaleQuarter", Writes::kReplace},
        {"copy", "CaptureGlow", Writes::kReplace},
        {"copy", "CaptureGlowAndSprites", Writes::kReplace},
        {"blur", "Blur", Writes::kReplace},
        {"blur", "BlurAdded", Writes::kReplace},
        {"blur", "BlurAddedAndSprites", Writes::kReplace},
        {"blend", "Additive", Writes::kAdd},
        {"DepthOfField", "LinearInterpolate", Writes::kReplace},
        {"motion_blur", "Blur", Writes::kReplace},
    };
    for (const Case& c : cases) {
        const std::string path = qvtest::SourceDir() + "/Graphics/shaders/" + c.file + ".fx";
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        EffectDescription d;
        std::string error;
        ASSERT_TRUE(ParseEffectDescription(text.str(), d, error)) << path << ": " << error;
        const TechniqueDescription* technique = nullptr;
        for (const TechniqueDescription& t : d.techniques)
            if (t.name == c.technique) technique = &t;
        ASSERT_NE(technique, nullptr) << c.file << " " << c.technique;
        ASSERT_EQ(technique->programs.size(), 1u) << c.file << " " << c.technique;
        const PassProgram& pass = technique->programs[0];
        EXPECT_TRUE(pass.HasProgram()) << c.file << " " << c.technique;
        std::map<uint32_t, uint32_t> stated;
        for (const PassState& s : pass.states) stated[s.state] = s.value;
        // A state the pass leaves out would keep whatever the step before set.
        auto state = [&stated](uint32_t s) { return stated.count(s) ? stated[s] : ~0u; };
        const std::string where = std::string(c.file) + " " + c.technique;
        if (c.covers != Covers::kAll) {
            EXPECT_EQ(state(kRsZEnable), 1u) << where;
            EXPECT_EQ(state(kRsZFunc), kCmpGreaterEqual) << where;
        } else {
            EXPECT_EQ(state(kRsZEnable), 0u) << where;
        }
        EXPECT_EQ(state(kRsZWriteEnable), 0u) << where;
        EXPECT_EQ(state(kRsCullMode), kCullNone) << where;
        EXPECT_EQ(state(kRsColorWriteEnable), 15u) << where;
        if (c.writes == Writes::kAdd) {
            EXPECT_EQ(state(kRsAlphaBlendEnable), 1u) << where;
            EXPECT_EQ(state(kRsSrcBlend), kBlendOne) << where;
            EXPECT_EQ(state(kRsDestBlend), kBlendOne) << where;
            EXPECT_EQ(state(kRsBlendOp), kBlendOpAdd) << where;
        } else {
            EXPECT_EQ(state(kRsAlphaBlendEnable), 0u) << where;
        }
    }
}

}  // namespace
