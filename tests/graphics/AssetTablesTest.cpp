#include <gtest/gtest.h>

#include <filesystem>

#include "GraphicsTestSupport.h"
#include "core/FileUtil.h"
#include "graphics/NormalMaps.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Vertex.h"

namespace {

using Aperture::Graphics_;
using Aperture::Resource::Material;
using Aperture::Resource::Model;

void CopySampleAssets(qvtest::TempTree& tree) {
    for (const char* folder : {"Assets/Textures", "Assets/Materials", "Assets/Models"})
        std::filesystem::copy(
            qvtest::SourceDir() + "/" + folder, tree.Path(folder),
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

TEST(AssetNames, TableNamesAndFileNames) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"../Assets/Models/bin/Teapot.bin", "teapot"},
        {"../Assets/Textures/rock.png", "rock"},
        {"C:\\game\\Assets\\Textures\\wood.png", "wood"},
        {"../Graphics/shaders/simple.fx", "forward_phong_illum"},
        {"hud.fx", "ui"},
        {"noextension", "noextension"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Graphics_::GetAssetName(SD::FilePath(c.path)), c.name) << c.path;
    }
    // A name is looked up as it stands, else read as a path.
    EXPECT_EQ(Graphics_::ResolveAssetName("UnitCube.bin"), "cube");
    EXPECT_EQ(Graphics_::ResolveAssetName("../Assets/Models/bin/UnitCube.bin"), "UnitCube");
    EXPECT_EQ(Graphics_::ResolveAssetName("rock"), "rock");
}

TEST(AssetLoading, ManifestsFillTheTablesAndModelsBindTheirMaterials) {
    gfxtest::GraphicsFixture f;
    CopySampleAssets(f.tree);
    Graphics_& g = *f.graphics;
    ASSERT_TRUE(g.LoadManifests("../Assets/Textures/ArtManifest.man", "../Assets/Materials/MaterialManifest.man",
                                "../Assets/Models/ModelManifest.man"));
    for (const char* texture : {"bricks", "wood", "concrete"}) EXPECT_NE(g.FindTexture(texture), nullptr) << texture;
    Material* bricks = g.FindMaterial("bricks");
    ASSERT_NE(bricks, nullptr);
    for (const char* pass : {"Geometry", "Material", "Reflective", "Shadow"})
        EXPECT_TRUE(bricks->HasPass(pass)) << pass;
    EXPECT_EQ(bricks->GetEffect("Geometry"), g.FindEffect("geo_buffer"));
    EXPECT_EQ(bricks->GetEffect("Material"), g.FindEffect("lit_material"));
    EXPECT_EQ(bricks->GetEffect("Shadow"), g.FindEffect("shadow_depth_buffer"));
    EXPECT_NE(g.FindMaterial("transparent_blue")->GetEffect("Transparent"), nullptr);

    auto* cube = dynamic_cast<Model*>(g.FindModel("cube"));
    ASSERT_NE(cube, nullptr) << "UnitCube.bin is filed as cube";
    ASSERT_EQ(cube->GetMeshes().size(), 1u);
    EXPECT_EQ(cube->GetMeshes()[0]->GetMaterial(), g.FindMaterial("wood"));
    EXPECT_EQ(cube->GetMeshes()[0]->GetVertexCount(), 24u);
    EXPECT_EQ(cube->GetMeshes()[0]->GetBoundsMin(), (SD::Vec3{-0.5f, -0.5f, -0.5f}));
    ASSERT_NE(g.FindModel("teapot"), nullptr);

    EXPECT_EQ(g.LoadTextureFile("../Assets/Textures/wood.png"), Graphics_::kAlreadyLoaded);
    EXPECT_EQ(g.LoadModelFile("../Graphics/Models/Teapot.bin"), Graphics_::kAlreadyLoaded);
    EXPECT_EQ(g.LoadMaterialFile("../Assets/Materials/missing.mat"), Graphics_::kLoadFailed);
    EXPECT_FALSE(g.LoadManifests("../nowhere.man", "../nowhere.man", "../nowhere.man"));
}

TEST(AssetLoading, ALostDeviceLoadsNothing) {
    gfxtest::GraphicsFixture f;
    CopySampleAssets(f.tree);
    f.Device().LoseDevice(5);
    EXPECT_EQ(f.graphics->LoadTextureFile("../Assets/Textures/wood.png"), Graphics_::kDeviceLost);
    EXPECT_EQ(f.graphics->LoadModelFile("../Graphics/Models/UnitCube.bin"), Graphics_::kDeviceLost);
    EXPECT_EQ(f.graphics->LoadMaterialFile("../Assets/Materials/wood.mat"), Graphics_::kDeviceLost);
    EXPECT_EQ(f.graphics->FindTexture("wood"), nullptr);
    EXPECT_EQ(f.graphics->FindModel("cube"), nullptr);
}

TEST(AssetLoading, TexturesLoadOnceUnderTheirName) {
    gfxtest::GraphicsFixture f;
    CopySampleAssets(f.tree);
    EXPECT_EQ(f.graphics->LoadTextureFile("../Assets/Textures/wood.png"), Graphics_::kLoaded);
    EXPECT_EQ(f.graphics->LoadTextureFile("../Assets/Textures/wood.png"), Graphics_::kAlreadyLoaded);
}

TEST(BuiltInModels, EveryModelExistsWithItsMeshesAndASecondCallKeepsTheFirst) {
    gfxtest::GraphicsFixture f;
    CopySampleAssets(f.tree);
    Graphics_& g = *f.graphics;
    ASSERT_TRUE(g.LoadManifests("../Assets/Textures/ArtManifest.man", "../Assets/Materials/MaterialManifest.man",
                                "../Assets/Models/ModelManifest.man"));
    g.CreateBuiltInModels();
    struct Case {
        const char* model;
        size_t meshes;
        uint32_t vertices;
        const char* material;
    };
    const Case cases[] = {
        {"water", 1, 4, "water"},
        {"transparent_sphere", 1, 256, "transparent_test"},
        {"transparent_sphere_lit", 1, 256, "transparent_lit_test"},
        {"plane", 1, 4, "bricks"},
        {"sphere", 1, 6 * 11 * 11, "lightSource"},
        {"pointLightSmall", 1, 256, "lightSource"},
        {"firefly", 1, 256, "fireflyGradiant"},
        {"cone", 1, 34, "bricks"},
        {"balls", 2, 256, "solid"},
        {"grass", 1, 12, "solid"},
    };
    for (const Case& c : cases) {
        auto* model = dynamic_cast<Model*>(g.FindModel(c.model));
        ASSERT_NE(model, nullptr) << c.model;
        EXPECT_EQ(model->GetName(), c.model);
        ASSERT_EQ(model->GetMeshes().size(), c.meshes) << c.model;
        EXPECT_EQ(model->GetMeshes()[0]->GetVertexCount(), c.vertices) << c.model;
        EXPECT_EQ(model->GetMeshes()[0]->GetMaterial(), g.FindMaterial(c.material)) << c.model;
        EXPECT_NE(model->GetMeshes()[0]->GetMaterial(), nullptr) << c.model;
        EXPECT_TRUE(model->GetMeshes()[0]->IsLoaded()) << c.model;
    }
    EXPECT_EQ(dynamic_cast<Model*>(g.FindModel("balls"))->GetMeshes()[1]->GetMaterial(),
              g.FindMaterial("transparent_blue"));
    Aperture::Resource::iModel* first = g.FindModel("water");
    g.CreateBuiltInModels();
    EXPECT_EQ(g.FindModel("water"), first);
}

TEST(BuiltInModels, AMissingMaterialLeavesTheMeshWithout) {
    gfxtest::GraphicsFixture f;
    EXPECT_NE(Aperture::Resource::MeshVertex::GetDeclaration(), nullptr) << "start-up creates the declarations";
    EXPECT_NE(Aperture::Resource::LightVertex::GetDeclaration(), nullptr);
    f.graphics->CreateBuiltInModels();
    auto* water = dynamic_cast<Model*>(f.graphics->FindModel("water"));
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->GetMeshes()[0]->GetMaterial(), nullptr);
}

TEST(EffectTable, ASecondEffectUnderANameReplacesTheFirstAndRebindsItsMaterials) {
    gfxtest::GraphicsFixture f;
    CopySampleAssets(f.tree);
    Graphics_& g = *f.graphics;
    ASSERT_TRUE(g.LoadManifests("../Assets/Textures/ArtManifest.man", "../Assets/Materials/MaterialManifest.man",
                                "../Assets/Models/ModelManifest.man"));
    Aperture::Resource::Effect* old = g.FindEffect("lit_material");
    ASSERT_NE(old, nullptr);
    Aperture::Resource::ResourceManager* manager = g.GetDeviceLayer().GetResourceManager();
    const size_t effects = manager->GetEffects().size();
    Aperture::Resource::Effect* replacement =
        manager->CreateEffect(SD::FilePath("../Graphics/shaders/lit_material.fx"));
    g.AddEffect("lit_material", replacement);
    EXPECT_EQ(g.FindEffect("lit_material"), replacement);
    Aperture::Resource::Effect* shadow = g.FindEffect("shadow_depth_buffer");
    Aperture::Resource::Effect* newShadow =
        manager->CreateEffect(SD::FilePath("../Graphics/shaders/shadow_depth_buffer.fx"));
    ASSERT_EQ(g.GetRoleEffect(Graphics_::EffectRole::kShadowDepth), shadow);
    g.AddEffect("shadow_depth_buffer", newShadow);
    EXPECT_EQ(g.GetRoleEffect(Graphics_::EffectRole::kShadowDepth), newShadow) << "the role follows its name";
    EXPECT_EQ(manager->GetEffects().size(), effects) << "the first effect is deleted";
    EXPECT_EQ(g.FindMaterial("bricks")->GetEffect("Material"), replacement);
    EXPECT_TRUE(g.FindMaterial("bricks")->ApplyPass("Material"));
}

TEST(EffectTable, EveryRoleIsBoundFromTheSampleShadersAndAMissingOneStaysEmpty) {
    gfxtest::GraphicsFixture f;
    for (size_t i = 0; i < static_cast<size_t>(Graphics_::EffectRole::kCount); ++i) {
        const auto role = static_cast<Graphics_::EffectRole>(i);
        EXPECT_EQ(f.graphics->GetRoleEffect(role), f.graphics->FindEffect(Graphics_::EffectRoleName(role)));
        EXPECT_NE(f.graphics->GetRoleEffect(role), nullptr) << Graphics_::EffectRoleName(role);
    }
    gfxtest::GraphicsFixture without("", 1280, 800, false);
    std::filesystem::remove(without.tree.Path("Graphics/shaders/debug.fx"));
    without.graphics->Initialize();
    EXPECT_EQ(without.graphics->GetRoleEffect(Graphics_::EffectRole::kDebug), nullptr);
    EXPECT_NE(without.graphics->GetRoleEffect(Graphics_::EffectRole::kUserInterface), nullptr);
}

TEST(NormalMaps, GenerateMapsWritesANormalMapBesideEveryHeightMap) {
    gfxtest::GraphicsFixture f("generate_maps=true\n", 1280, 800, false);
    CopySampleAssets(f.tree);
    f.graphics->Initialize();
    ASSERT_TRUE(f.tree.Exists("Assets/Textures/NormalMaps/Rock_nrm.bmp"));
    std::vector<unsigned char> heights, normals, expected;
    ASSERT_TRUE(SD::ReadWholeFile(f.tree.Path("Assets/Textures/HeightMaps/Rock.bmp"), heights));
    ASSERT_TRUE(SD::ReadWholeFile(f.tree.Path("Assets/Textures/NormalMaps/Rock_nrm.bmp"), normals));
    std::string error;
    ASSERT_TRUE(Aperture::GenerateNormalMap(heights, expected, error));
    EXPECT_EQ(normals, expected);
}

TEST(NormalMaps, NoHeightMapsStopsStartUp) {
    gfxtest::GraphicsFixture f("generate_maps=true\n", 1280, 800, false);
    EXPECT_THROW(f.graphics->Initialize(), std::runtime_error);
}

}  // namespace
