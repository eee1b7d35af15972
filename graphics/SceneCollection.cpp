// Scene registration of geometry and the collection of render items per view.
#include "graphics/Graphics.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"

namespace Aperture {

void Graphics_::RegisterGeometry(Geometry* geometry) {
    Resource::iModel* model = FindModel(geometry->GetModelName());
    if (!model) model = FindModel("sphere");
    if (model) {
        geometry->SetModel(model);
        geometry->SetModelName(model->GetName());
    }
    geometryList.PushBack(geometry);
}

void Graphics_::UnregisterGeometry(Geometry* geometry) {
    grassTrees.erase(geometry);
    geometryList.Remove(geometry);
}

const GrassTree* Graphics_::FindGrassTree(const Geometry* geometry) const {
    auto it = grassTrees.find(geometry);
    return it == grassTrees.end() ? nullptr : it->second.get();
}

void Graphics_::CollectGeometry(const Frustum& frustum, Geometry& geometry, Scene& scene) {
    if (!geometry.GetModel() || geometry.IsCulled(frustum)) return;
    geometry.SetVisible(true);
    if (const GrassTree* tree = FindGrassTree(&geometry))
        tree->TraverseFromRoot(frustum.planes, [&scene](GrassTree::Node* node) { scene.AppendGrass(node); });
    for (Resource::Mesh* mesh : geometry.GetModel()->GetMeshes()) {
        const Resource::Material* material = mesh->GetMaterial();
        if (!material) continue;
        const RenderItem item(mesh, &geometry);
        if (material->HasPass("Transparent")) scene.transparent.push_back(item);
        if (material->HasPass("Reflective")) scene.reflective.push_back(item);
        if (material->HasPass("Geometry") || material->HasPass("Material")) scene.opaque.items.push_back(item);
        if (material->HasPass("Shadow")) scene.shadow.items.push_back(item);
    }
}

void Graphics_::CollectViewItems(const Frustum& view, const Frustum& reflected) {
    for (Geometry* geometry : geometryList) {
        CollectGeometry(view, *geometry, scenes[kMainScene]);
        CollectGeometry(reflected, *geometry, scenes[kReflectionScene]);
    }
    scenes[kMainScene].opaque.Build();
    scenes[kReflectionScene].opaque.Build();
}

}  // namespace Aperture
