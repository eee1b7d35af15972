// The graphics system's asset tables: asset names, the loaders that fill the tables from files
// and manifests, the built-in models, and normal-map generation.
#include <cmath>
#include <stdexcept>
#include <unordered_map>

#include "core/ErrorReport.h"
#include "core/FileUtil.h"
#include "core/Logger.h"
#include "core/Manifest.h"
#include "graphics/Graphics.h"
#include "graphics/NormalMaps.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/Vertex.h"

namespace Aperture {
namespace {

const std::unordered_map<std::string, std::string>& AssetNameTable() {
    static const std::unordered_map<std::string, std::string> table = {
        {"bricks.png", "bricks"},
        {"wood.png", "wood"},
        {"concrete.png", "concrete"},
        {"Teapot.bin", "teapot"},
        {"UnitCube.bin", "cube"},
        {"simple.fx", "forward_phong_illum"},
        {"color_wireFrame.fx", "wire_frame"},
        {"hud.fx", "ui"},
    };
    return table;
}

std::string FilePart(const std::string& path) {
    size_t cut = path.rfind('/');
    if (cut == std::string::npos) cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithoutExtension(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

// A path whose folders are separated by backslashes only keeps them in its file name.
SD::FilePath PathOf(const std::string& file) {
    std::string slashed = file;
    for (char& c : slashed)
        if (c == '\\') c = '/';
    return SD::FilePath(slashed.c_str());
}

// Three upright unit quads crossing at the origin, 60 degrees apart.
Resource::MeshGeometry GrassQuads() {
    Resource::MeshGeometry g;
    for (int q = 0; q < 3; ++q) {
        const float angle = static_cast<float>(q) * 3.1415927f / 3.0f;
        const SD::Vec3 across{std::cos(angle), 0.0f, std::sin(angle)};
        Resource::GenerateGrid(g, 1, 1, across * -0.5f + SD::Vec3{0.0f, 1.0f, 0.0f}, across, {0.0f, -1.0f, 0.0f},
                               across.Cross({0.0f, -1.0f, 0.0f}), false);
    }
    return g;
}

}  // namespace

std::string Graphics_::GetAssetName(const SD::FilePath& path) {
    const std::string file = FilePart(path.fullPath);
    auto found = AssetNameTable().find(file);
    if (found != AssetNameTable().end()) return found->second;
    return WithoutExtension(file);
}

std::string Graphics_::EffectFile(const std::string& effectName) {
    for (const auto& entry : AssetNameTable())
        if (entry.second == effectName && WithoutExtension(entry.first) + ".fx" == entry.first)
            return kShaderFolder + entry.first;
    return kShaderFolder + effectName + ".fx";
}

std::string Graphics_::ResolveAssetName(const std::string& name) {
    auto found = AssetNameTable().find(name);
    if (found != AssetNameTable().end()) return found->second;
    return WithoutExtension(FilePart(name));
}

bool Graphics_::DeviceLost() {
    platform::gfx::Device* d = device.GetDevice();
    return !d || !device.GetResourceManager() || d->IsLost() || !device.IsDeviceReady();
}

int Graphics_::LoadTexture(const SD::FilePath& path) {
    if (DeviceLost()) return kDeviceLost;
    const std::string name = GetAssetName(path);
    if (textures.count(name)) return kAlreadyLoaded;
    AddTexture(name, device.GetResourceManager()->CreateTexture(path));
    return kLoaded;
}

int Graphics_::LoadTextureFile(const std::string& file) { return LoadTexture(PathOf(file)); }

int Graphics_::LoadModel(const SD::FilePath& path) {
    if (DeviceLost()) return kDeviceLost;
    const std::string name = GetAssetName(path);
    if (models.count(name)) return kAlreadyLoaded;
    Resource::Model* model = device.GetResourceManager()->CreateModel(
        path, [this](const std::string& material) { return FindMaterial(material); });
    model->SetName(name);
    AddModel(name, model);
    return kLoaded;
}

int Graphics_::LoadModelFile(const std::string& file) { return LoadModel(PathOf(file)); }

// Filed under the name the file declares: that is the name meshes ask for.
int Graphics_::LoadMaterial(const SD::FilePath& path) {
    if (DeviceLost()) return kDeviceLost;
    Resource::Material* material = device.GetResourceManager()->CreateMaterial(path);
    if (!material->IsCreated()) return kLoadFailed;
    if (material->GetName().empty()) material->SetName(GetAssetName(path));
    materials[material->GetName()] = material;
    return kLoaded;
}

int Graphics_::LoadMaterialFile(const std::string& file) { return LoadMaterial(PathOf(file)); }

bool Graphics_::LoadManifests(const std::string& textureManifest, const std::string& materialManifest,
                              const std::string& modelManifest) {
    bool ok = true;
    auto each = [&](const std::string& manifest, int (Graphics_::*load)(const std::string&)) {
        std::vector<std::string> files;
        if (!SD::ReadManifest(manifest, files)) {
            SD_WARNING(Debug::kLogError, "Manifest \"%s\" could not be read", manifest.c_str());
            ok = false;
            return;
        }
        for (const std::string& file : files) (this->*load)(file);
    };
    each(textureManifest, &Graphics_::LoadTextureFile);
    each(materialManifest, &Graphics_::LoadMaterialFile);
    each(modelManifest, &Graphics_::LoadModelFile);
    return ok;
}

void Graphics_::AddEffect(const std::string& name, Resource::Effect* effect) {
    postProcess.BindEffect(name, effect);
    auto found = effects.find(name);
    if (found == effects.end()) {
        effects[name] = effect;
        return;
    }
    Resource::Effect* old = found->second;
    if (old == effect) return;
    Resource::ResourceManager* manager = device.GetResourceManager();
    manager->RemoveEffect(old);
    found->second = effect;
    if (sharedEffect == old) sharedEffect = effect;
    for (Resource::Effect*& bound : roleEffects)
        if (bound == old) bound = effect;
    manager->ReloadMaterialsUsing(old);
}

void Graphics_::AddTexture(const std::string& name, Resource::iTexture* texture) { textures.emplace(name, texture); }

void Graphics_::AddModel(const std::string& name, Resource::iModel* model) { models.emplace(name, model); }

Resource::iTexture* Graphics_::FindTexture(const std::string& name) const {
    auto found = textures.find(name);
    return found == textures.end() ? nullptr : found->second;
}

Resource::Material* Graphics_::FindMaterial(const std::string& name) const {
    auto found = materials.find(name);
    if (found == materials.end() || !found->second) {
        SD_WARNING(Debug::kLogData, "Material \"%s\" is not loaded", name.c_str());
        return nullptr;
    }
    return found->second;
}

Resource::iModel* Graphics_::FindModel(const std::string& name) const {
    auto found = models.find(name);
    return found == models.end() ? nullptr : found->second;
}

void Graphics_::CreateVertexFormats() {
    Resource::ResourceManager* manager = device.GetResourceManager();
    manager->CreateVertexFormat<Resource::MeshVertex>();
    manager->CreateVertexFormat<Resource::MeshVertexInst>();
    manager->CreateVertexFormat<Resource::GrassVertex>();
    manager->CreateVertexFormat<Resource::DefaultVertex>();
    manager->CreateVertexFormat<Resource::DebugVertex>();
    manager->CreateVertexFormat<Resource::LightVertex>();
}

void Graphics_::CreateBuiltInModels() {
    Resource::ResourceManager* manager = device.GetResourceManager();
    if (!manager) return;
    // A name not in the table gains an empty entry, as a level may load it later.
    auto material = [this](const std::string& name) {
        auto found = materials.find(name);
        if (found == materials.end()) found = materials.emplace(name, nullptr).first;
        return found->second;
    };
    auto model = [&](const std::string& name, std::initializer_list<std::pair<Resource::Mesh*, std::string>> meshes) {
        Resource::Model* m = manager->CreateModel();
        for (const auto& entry : meshes) {
            entry.first->SetMaterial(material(entry.second));
            m->AddMesh(entry.first);
        }
        m->SetName(name);
        AddModel(name, m);
    };
    const SD::Vec3 origin{0.0f, 0.0f, 0.0f};
    const SD::Vec3 unitX{1.0f, 0.0f, 0.0f}, unitZ{0.0f, 0.0f, 1.0f};
    auto plane = [&] { return manager->CreatePlane(1, 1, {-0.5f, 0.0f, -0.5f}, unitX, unitZ, origin); };
    auto sphere = [&](const SD::Vec3& centre) { return manager->CreateSphere(15, 15, centre, 0.5f); };
    model("water", {{plane(), "water"}});
    model("transparent_sphere", {{sphere(origin), "transparent_test"}});
    model("transparent_sphere_lit", {{sphere(origin), "transparent_lit_test"}});
    model("plane", {{plane(), "bricks"}});
    model("sphere", {{manager->CreateCubeSphere(10), "lightSource"}});
    model("pointLightSmall", {{sphere(origin), "lightSource"}});
    model("firefly", {{sphere(origin), "fireflyGradiant"}});
    model("cone", {{manager->CreateCone(16), "bricks"}});
    model("balls", {{sphere({-0.75f, 0.0f, 0.0f}), "solid"}, {sphere({0.75f, 0.0f, 0.0f}), "transparent_blue"}});

    Resource::Mesh* grass = manager->CreateMesh();
    Resource::MeshGeometry quads = GrassQuads();
    grass->BuildBuffers(static_cast<uint32_t>(quads.indices.size()), static_cast<uint32_t>(quads.vertices.size()),
                        quads.vertices.data(), quads.indices.data());
    auto solid = materials.find("solid");
    if (solid != materials.end()) grass->SetMaterial(solid->second);
    Resource::Model* grassModel = manager->CreateModel();
    grassModel->AddMesh(grass);
    grassModel->SetName("grass");
    AddModel("grass", grassModel);
}

void Graphics_::GenerateNormalMaps() {
    std::vector<SD::FilePath> files;
    if (!SD::ListFilesRecursive(kHeightMapFolder, "*.bmp", files)) {
        Debug::ShowErrorBox("Graphics", 5174, "Could not find texture files");
        throw std::runtime_error(std::string("no height maps in ") + kHeightMapFolder);
    }
    SD::MakeDirectory(kNormalMapFolder);
    for (const SD::FilePath& file : files) {
        std::vector<unsigned char> heights, normals;
        std::string error;
        if (!SD::ReadWholeFile(file.fullPath, heights)) continue;
        if (!GenerateNormalMap(heights, normals, error)) {
            SD_WARNING(Debug::kLogError, "Height map \"%s\" skipped: %s", file.fullPath, error.c_str());
            continue;
        }
        const std::string target = std::string(kNormalMapFolder) + NormalMapName(FilePart(file.fullPath));
        if (!SD::WriteWholeFile(target, normals.data(), normals.size(), nullptr, 0))
            SD_WARNING(Debug::kLogError, "Normal map \"%s\" could not be written", target.c_str());
    }
}

}  // namespace Aperture
