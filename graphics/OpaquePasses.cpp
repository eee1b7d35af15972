// The opaque passes: batches of render items, terrains and reflective items, each through the
// material pass of its name.
#include <algorithm>
#include <cstring>

#include "core/Logger.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Vertex.h"

namespace Aperture {
namespace {

void SetDeclaration(platform::gfx::VertexDeclaration* declaration) {
    if (platform::gfx::Device* d = DX9Abstract::GetCurrentDevice()) d->SetVertexDeclaration(declaration);
}

// The instance record: the transposed world matrix, then the colour.
constexpr uint32_t kInstanceFloats = 20;

}  // namespace

void Graphics_::DrawBatches(const std::string& pass, RenderBatchList& list) {
    for (const RenderBatch& batch : list.batches) {
        auto first = list.GetBatchBegin(batch);
        Resource::Mesh* mesh = first->mesh;
        Resource::Material* material = mesh ? mesh->GetMaterial() : nullptr;
        if (!material || !material->HasPass(pass)) continue;
        if (batch.count < kSingleDrawLimit) {
            SetDeclaration(Resource::MeshVertex::GetDeclaration());
            Resource::Effect* effect = material->GetEffect(pass);
            if (!effect) continue;
            material->ApplyPass(pass);
            effect->SetTechnique("SingleInstance");
            const unsigned passes = effect->Begin();
            for (auto item = first; item != list.GetBatchEnd(batch); ++item) {
                effect->SetVector4("color", item->color.x, item->color.y, item->color.z, item->color.w);
                effect->SetMatrix("local_world", item->world.GetTransposed());
                DrawMesh(mesh, effect, passes);
            }
            effect->End();
            continue;
        }
        // The instance buffer holds kInstancesPerDraw records: a larger batch is drawn in runs.
        SetDeclaration(Resource::MeshVertexInst::GetDeclaration());
        for (uint32_t done = 0; done < batch.count; done += kInstancesPerDraw)
            DrawInstanced(pass, mesh, material, first + done, std::min(kInstancesPerDraw, batch.count - done));
    }
}

void Graphics_::DrawInstanced(const std::string& pass, Resource::Mesh* mesh, Resource::Material* material,
                              RenderBatchList::ItemIterator first, uint32_t count) {
    Resource::Effect* effect = material->GetEffect(pass);
    if (!effect || !meshInstances) return;
    auto* records = static_cast<float*>(meshInstances->Lock(count));
    if (!records) return;
    for (uint32_t i = 0; i < count; ++i) {
        const RenderItem& item = first[i];
        const SD::Mtx44 transposed = item.world.GetTransposed();
        float* record = records + i * kInstanceFloats;
        std::memcpy(record, transposed.m, sizeof(transposed.m));
        record[16] = item.color.x;
        record[17] = item.color.y;
        record[18] = item.color.z;
        record[19] = item.color.w;
    }
    meshInstances->Unlock();
    effect->SetTechnique("MultiInstance");
    material->ApplyPass(pass);
    const unsigned passes = effect->Begin();
    Resource::DrawInstancedBuffers(mesh->GetVertexBuffer(), effect, passes, mesh->GetIndexBuffer(),
                                   meshInstances->View(0, count), meshInstances->RecordSize());
    effect->End();
}

void Graphics_::DrawTerrain(const std::string& pass) {
    SetDeclaration(Resource::MeshVertex::GetDeclaration());
    for (Terrain* terrain : sceneLists.Terrains()) {
        Resource::Material* material = terrain->GetMaterial();
        Resource::Effect* effect = material ? material->GetEffect(pass) : nullptr;
        if (!effect) continue;
        effect->SetTechnique("SingleInstance");
        material->ApplyPass(pass);
        const SD::Mtx44 world =
            terrain->GetOwner() ? terrain->GetOwner()->GetTransform().GetGlobalMatrix() : SD::Mtx44::Identity();
        effect->SetMatrix("local_world", world.GetTransposed());
        effect->SetVector4("color", 1.0f, 1.0f, 1.0f, 1.0f);
        const unsigned passes = effect->Begin();
        DrawMesh(terrainPlane, effect, passes);
        effect->End();
    }
}

void Graphics_::DrawReflective(const std::string& pass, std::vector<RenderItem>& items) {
    SetDeclaration(Resource::MeshVertex::GetDeclaration());
    for (RenderItem& item : items) {
        Resource::Material* material = item.mesh ? item.mesh->GetMaterial() : nullptr;
        Resource::Effect* effect = material ? material->GetEffect(pass) : nullptr;
        if (!effect) continue;
        // The single-draw declaration is bound: a technique left instanced by a batch would
        // read instance records that are not there. An effect whose opaque draws do not blend
        // names a blended single-draw technique for its reflective surfaces.
        if (!effect->SetTechnique("SingleInstanceBlended")) effect->SetTechnique("SingleInstance");
        material->ApplyPass(pass);
        const SD::Mtx44& world = item.geometry ? item.geometry->GetRenderWorld() : item.world;
        const SD::Vec4 color = item.geometry ? item.geometry->GetRenderColor() : item.color;
        effect->SetMatrix("local_world", world.GetTransposed());
        effect->SetVector4("geometry_color", color.x, color.y, color.z, color.w);
        const unsigned passes = effect->Begin();
        DrawMesh(item.mesh, effect, passes);
        effect->End();
    }
}

// Every item begins and ends its own effect, so effects of different materials never overlap.
void Graphics_::DrawTransparent(std::vector<RenderItem>& items) {
    SetDeclaration(Resource::MeshVertex::GetDeclaration());
    Camera* camera = GetActiveCamera();
    if (!camera) return;
    const SD::Mtx44 view = camera->GetView();
    for (RenderItem& item : items) {
        const SD::Vec3 c = item.mesh ? item.mesh->GetCentroid() : SD::Vec3(0.0f, 0.0f, 0.0f);
        const SD::Mtx44& w = item.geometry ? item.geometry->GetRenderWorld() : item.world;
        float world[4];
        for (int r = 0; r < 4; ++r) world[r] = w(r, 0) * c.x + w(r, 1) * c.y + w(r, 2) * c.z + w(r, 3);
        // The whole view, its translation (the eye) included, so the key is the true depth.
        const SD::Vec3 e = ViewTransform(view, SD::Vec3(world[0], world[1], world[2]), world[3]);
        item.sortData[0] = e.x, item.sortData[1] = e.y, item.sortData[2] = e.z;
    }
    std::sort(items.begin(), items.end(),
              [](const RenderItem& a, const RenderItem& b) { return a.sortData[2] < b.sortData[2]; });
    for (RenderItem& item : items) {
        Resource::Material* material = item.mesh ? item.mesh->GetMaterial() : nullptr;
        Resource::Effect* effect = material ? material->GetEffect("Transparent") : nullptr;
        if (!effect) continue;
        effect->SetTechnique("SingleInstance");
        material->ApplyPass("Transparent");
        const SD::Mtx44& world = item.geometry ? item.geometry->GetRenderWorld() : item.world;
        const SD::Vec4 color = item.geometry ? item.geometry->GetRenderColor() : item.color;
        effect->SetVector4("geometry_color", color.x, color.y, color.z, color.w);
        effect->SetMatrix("local_world", world.GetTransposed());
        const unsigned passes = effect->Begin();
        DrawMesh(item.mesh, effect, passes);
        effect->End();
    }
}

}  // namespace Aperture
