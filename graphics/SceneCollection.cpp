// Scene registration of geometry and the collection of render items per view.
#include <cstring>

#include "core/Logger.h"
#include "engine/DataFileScope.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/GrassScatter.h"
#include "graphics/photon/GrassDust.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "platform/gfx/ViewMath.h"

namespace Aperture {
namespace {

platform::gfx::Matrix ToDeviceMatrix(const SD::Mtx44& m) {
    platform::gfx::Matrix out;
    std::memcpy(out.m, m.m, sizeof(out.m));
    return out;
}

}  // namespace

void Graphics_::RegisterGeometry(Geometry* geometry) {
    Resource::iModel* model = FindModel(geometry->GetModelName());
    if (!model) model = FindModel("sphere");
    if (model) {
        geometry->SetModel(model);
        geometry->SetModelName(model->GetName());
    }
    sceneLists.Geometries().PushBack(geometry);
    if (model && IsGrassIsland(model->GetName())) PlantGrass(*geometry, *model);
}

void Graphics_::PlantGrass(const Geometry& geometry, const Resource::iModel& model) {
    SD::GameObject* owner = geometry.GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    transform.UpdateGlobalMatrix();
    ScatteredGrass grass = ScatterGrass(model, transform.GetGlobalMatrix());
    if (grass.refused)
        SD_WARNING(Debug::kLogData,
                   "Grass island of %s: its placement or scale is not a finite number; it has no grass",
                   SD::DescribeOwner(geometry).c_str());
    else if (grass.asked > double(kMaxBladesPerIsland))
        SD_WARNING(Debug::kLogData, "Grass island of %s: its size asks for %.0f blades; %zu are spread over it",
                   SD::DescribeOwner(geometry).c_str(), grass.asked, grass.blades.size());
    if (auto* dust = static_cast<Photon::GrassDust*>(owner->GetComponent(SD::kGrassDustID)))
        for (const SD::Vec3& point : grass.dustPoints) dust->AddSpawnPoint(point);
    grassField.SetGrass(&geometry, grass.blades);
}

void Graphics_::UnregisterGeometry(Geometry* geometry) {
    grassField.RemoveGrass(geometry);
    sceneLists.Geometries().Remove(geometry);
}

void Graphics_::CollectGeometry(const Frustum& frustum, Geometry& geometry, Scene& scene) {
    if (!geometry.GetModel() || geometry.IsCulled(frustum)) return;
    geometry.SetVisible(true);
    if (const GrassTree* tree = grassField.FindTree(&geometry)) {
        scene.grassOwners.push_back(&geometry);
        tree->TraverseFromRoot(frustum.planes, [&scene](GrassTree::Node* node) { scene.AppendGrass(node); });
    }
    for (Resource::Mesh* mesh : geometry.GetModel()->GetMeshes()) {
        const Resource::Material* material = mesh->GetMaterial();
        if (!material) continue;
        const RenderItem item(mesh, &geometry);
        const uint32_t passes = material->ScenePasses();
        if (passes & Resource::Material::kTransparentPass) scene.transparent.push_back(item);
        if (passes & Resource::Material::kReflectivePass) scene.reflective.push_back(item);
        if (passes & (Resource::Material::kGeometryPass | Resource::Material::kMaterialPass))
            scene.opaque.items.push_back(item);
        if (passes & Resource::Material::kShadowPass) scene.shadow.items.push_back(item);
    }
}

void Graphics_::CollectViewItems() {
    Camera* camera = GetActiveCamera();
    if (!camera) return;
    for (Geometry* geometry : sceneLists.Geometries()) {
        CollectGeometry(camera->GetFrustum(), *geometry, scenes[kMainScene]);
        CollectGeometry(camera->GetReflectedFrustum(), *geometry, scenes[kReflectionScene]);
    }
    scenes[kMainScene].opaque.Build();
    scenes[kReflectionScene].opaque.Build();
}

void Graphics_::SetCascadeMatrices(int cascade, const SD::Mtx44& view, const SD::Mtx44& cascadeProjection) {
    if (cascade < 0 || cascade >= kCascadeCount) return;
    const platform::gfx::Matrix product =
        platform::gfx::MatrixMultiply(ToDeviceMatrix(view), ToDeviceMatrix(cascadeProjection));
    SD::Mtx44 m;
    std::memcpy(m.m, product.m, sizeof(m.m));
    Frustum::Build(m, cascadeFrusta[cascade]);
    cascadesSet[cascade] = true;
}

void Graphics_::CollectShadowCasters() {
    for (Geometry* geometry : sceneLists.Geometries())
        for (int c = 0; c < kCascadeCount; ++c)
            if (cascadesSet[c]) CollectGeometry(cascadeFrusta[c], *geometry, scenes[kCascadeScene1 + c]);
    for (int c = 0; c < kCascadeCount; ++c) scenes[kCascadeScene1 + c].shadow.Build();
}

void Graphics_::PrepareScene(float dt) {
    for (Scene& scene : scenes) scene.Clear();
    for (Geometry* geometry : sceneLists.Geometries()) geometry->SetVisible(false);
    // Without a render area there is no projection to build the views from.
    if (renderWidth == 0 || renderHeight == 0) return;
    sceneLists.Cameras().ForEach([dt](Camera* camera) { camera->VUpdate(dt); });
    const SD::Mtx44 viewProjection = BuildProjection();
    for (Camera* camera : sceneLists.Cameras()) {
        camera->UpdateViewMatrix();
        camera->UpdateFrusta(viewProjection);
    }
    if (!GetActiveCamera()) return;
    CollectViewItems();
    CullLights();
    CullParticleSystems();
    if (renderShadows) {
        FitShadowCascades();
        CollectShadowCasters();
    }
}

}  // namespace Aperture
