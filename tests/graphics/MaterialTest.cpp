#include <gtest/gtest.h>

#include "ResourceTestSupport.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "platform/gfx/ImageFile.h"

namespace {

using Aperture::Resource::Effect;
using Aperture::Resource::iTexture;
using Aperture::Resource::Material;

constexpr const char* kMaterialEffect =
    "param float shininess\nparam int layers\nparam float4 tint\nparam texture diffuse\n"
    "technique SingleInstance\npass p0\ntechnique MultiInstance\npass p0\n";

// Effects "lit" and "shadow" and the texture "bricks" filed by name for the materials.
struct MaterialFixture : gfxtest::ResourceFixture {
    MaterialFixture() {
        lit = manager->CreateEffect(File("Graphics/shaders/lit.fx", kMaterialEffect));
        shadow = manager->CreateEffect(File("Graphics/shaders/shadow.fx", kMaterialEffect));
        platform::gfx::Image image;
        image.width = image.height = 2;
        image.pixels.assign(16, 0x80);
        const std::vector<uint8_t> raw = platform::gfx::EncodeRawImage(image);
        bricks = manager->CreateTexture(File("Assets/Textures/bricks.png", std::string(raw.begin(), raw.end())));
        Material::SetLookups(
            [this](const std::string& name) { return name == "lit"      ? lit
                                                     : name == "shadow" ? shadow
                                                                        : nullptr; },
            [this](const std::string& name) -> iTexture* { return name == "bricks" ? bricks : nullptr; });
    }
    ~MaterialFixture() { Material::SetLookups(nullptr, nullptr); }
    Material* Read(const std::string& name, const std::string& text) {
        return manager->CreateMaterial(File("Assets/Materials/" + name + ".mat", text));
    }
    const platform::gfx::ParamValue* Value(Effect* e, const char* name) { return e->GetEffect()->GetValue(name); }

    Effect* lit = nullptr;
    Effect* shadow = nullptr;
    iTexture* bricks = nullptr;
};

TEST(Material, PassesBindTheirEffectAndApplyTheirBlockOnlyWhenDrawn) {
    MaterialFixture f;
    Material* m = f.Read("wall", R"(wall
pass_begin_params Geometry
effect lit
float shininess 8.5
int layers 3
float4 tint 0.1 0.2 0.3 0.4
texture diffuse bricks
pass_end_params x
pass_begin_empty Shadow
effect shadow
pass_end_empty x
)");
    ASSERT_TRUE(m->IsCreated());
    EXPECT_EQ(m->GetName(), "wall");
    EXPECT_TRUE(m->HasPass("Geometry"));
    EXPECT_TRUE(m->HasPass("Shadow"));
    EXPECT_FALSE(m->HasPass("Transparent"));
    EXPECT_EQ(m->GetEffect("Geometry"), f.lit);
    EXPECT_EQ(m->GetEffect("Shadow"), f.shadow);
    EXPECT_EQ(m->GetEffect("Reflective"), nullptr);
    EXPECT_NE(m->FindPass("Geometry")->parameterBlock, 0u);
    EXPECT_EQ(m->FindPass("Shadow")->parameterBlock, 0u);

    EXPECT_EQ(f.Value(f.lit, "shininess")->floats[0], 0.0f) << "recorded into the block, not set";
    EXPECT_TRUE(m->ApplyPass("Geometry"));
    EXPECT_EQ(f.Value(f.lit, "shininess")->floats[0], 8.5f);
    EXPECT_EQ(f.Value(f.lit, "layers")->floats[0], 3.0f);
    EXPECT_EQ(f.Value(f.lit, "tint")->floats, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f})) << "x y z w in file order";
    EXPECT_EQ(f.Value(f.lit, "diffuse")->texture, f.bricks->GetTexture());
    EXPECT_TRUE(m->ApplyPass("Shadow"));
    EXPECT_FALSE(m->ApplyPass("Transparent"));
}

TEST(Material, IdsFollowCreationOrderAndAReadAfterResetKeepsItsId) {
    MaterialFixture f;
    Material* a = f.Read("a", "a\n");
    Material* b = f.Read("b", "b\npass_begin_params Geometry\neffect lit\nfloat shininess 1\npass_end_params x\n");
    EXPECT_EQ(b->GetMaterialId(), a->GetMaterialId() + 1);
    EXPECT_EQ(a->PassCount(), 0u);
    EXPECT_FALSE(a->ApplyPass("Geometry"));
    const uint32_t id = b->GetMaterialId();
    ASSERT_TRUE(f.LoseAndReset());
    EXPECT_TRUE(b->IsCreated());
    EXPECT_EQ(b->GetMaterialId(), id);
    EXPECT_EQ(b->GetEffect("Geometry"), f.lit) << "passes rebuilt from the file";
    EXPECT_TRUE(b->ApplyPass("Geometry"));
}

TEST(Material, ASecondPassOfOneNameReplacesTheFirst) {
    MaterialFixture f;
    Material* m = f.Read("twice",
                         "twice\npass_begin_empty Geometry\neffect lit\npass_end_empty x\n"
                         "pass_begin_empty Geometry\neffect shadow\npass_end_empty x\n");
    EXPECT_EQ(m->PassCount(), 1u);
    EXPECT_EQ(m->GetEffect("Geometry"), f.shadow);
}

TEST(Material, MalformedFilesAreLoggedAndKeepWhatIsGood) {
    struct Case {
        const char* name;
        std::string text;
        const char* logged;
        bool geometryApplies;
    };
    const std::string good = "pass_begin_params Geometry\neffect lit\nfloat shininess 2\npass_end_params x\n";
    const Case cases[] = {
        {"unclosed", "m\n" + std::string("pass_begin_params Geometry\neffect lit\nfloat shininess 2\n"),
         "still open at the end", true},
        {"unknown_keyword", "m\n" + good + "sparkle Geometry 3\n", "unknown keyword \"sparkle\"", true},
        {"value_before_effect", "m\npass_begin_params Geometry\nfloat shininess 2\neffect lit\npass_end_params x\n",
         "outside a pass with a loaded effect", true},
        {"missing_effect", "m\n" + good + "pass_begin_params Shadow\neffect nowhere\npass_end_params x\n",
         "effect \"nowhere\" is not loaded", true},
        {"missing_texture",
         "m\n" + good + "pass_begin_params Shadow\neffect shadow\ntexture diffuse gone\npass_end_params x\n",
         "texture \"gone\" is not loaded", true},
        {"long_word", "m\n" + good + "float " + std::string(3000, 'w') + " 1\n", "over-long", true},
        {"missing_value", "m\n" + good + "pass_begin_params Shadow\neffect shadow\nfloat4 tint 1 2\n",
         "fewer than four values", true},
    };
    for (const Case& c : cases) {
        MaterialFixture f;
        qvtest::StderrCapture capture;
        Material* m = f.Read(c.name, c.text);
        EXPECT_TRUE(m->IsCreated()) << c.name;
        const std::string log = capture.Text();
        EXPECT_EQ(log.find("\"1\""), std::string::npos) << c.name << ": values of a skipped entry are not entries";
        EXPECT_EQ(log.find("\"3\""), std::string::npos) << c.name << ": " << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name << ": " << log;
        EXPECT_EQ(m->ApplyPass("Geometry"), c.geometryApplies) << c.name;
        EXPECT_FALSE(f.lit->GetEffect()->InParameterBlock()) << c.name << ": every block is closed";
        EXPECT_FALSE(f.shadow->GetEffect()->InParameterBlock()) << c.name;
    }
}

// A missing effect is told once for the pass; the values meant for it are not told again, one
// line each.
TEST(Material, TheValuesOfAPassWhoseEffectIsMissingGoWithItSilently) {
    MaterialFixture f;
    qvtest::StderrCapture capture;
    f.Read("lost", "lost\npass_begin_params Shadow\neffect nowhere\nfloat shininess 2\nint use 1\npass_end_params x\n");
    const std::string log = capture.Text();
    EXPECT_NE(log.find("effect \"nowhere\" is not loaded"), std::string::npos) << log;
    EXPECT_EQ(log.find("outside a pass"), std::string::npos) << log;
}

TEST(Material, AnOverLongNameIsCutAndTheEntriesAreRead) {
    MaterialFixture f;
    qvtest::StderrCapture capture;
    Material* m =
        f.Read("long", std::string(2000, 'n') + "\npass_begin_empty Geometry\neffect lit\npass_end_empty x\n");
    EXPECT_NE(capture.Text().find("BUFFER OVERWRITE"), std::string::npos);
    EXPECT_EQ(m->GetName(), std::string(1023, 'n'));
    EXPECT_EQ(m->PassCount(), 1u);
    EXPECT_EQ(m->GetEffect("Geometry"), f.lit);
}

TEST(Material, AFileThatCannotBeOpenedIsAFailure) {
    MaterialFixture f;
    Material* m = f.manager->CreateMaterial(SD::FilePath(f.tree.Path("Assets/Materials/none.mat").c_str()));
    EXPECT_FALSE(m->IsCreated());
    EXPECT_FALSE(m->IsLoaded());
    EXPECT_NE(std::string(f.logger.Buffer()).find("could not be opened"), std::string::npos);
}

}  // namespace
