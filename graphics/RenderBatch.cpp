#include "graphics/RenderBatch.h"

#include <algorithm>

#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"

namespace Aperture {

RenderItem::RenderItem(Resource::Mesh* m, const RenderItemSource* g)
    : mesh(m), material(m ? m->GetMaterial() : nullptr), geometry(g) {}

void RenderItem::Refresh() {
    if (!geometry) return;
    world = geometry->GetRenderWorld();
    color = geometry->GetRenderColor();
}

namespace {

uint32_t MaterialKey(const RenderItem& item) {
    const Resource::Material* m = item.mesh ? item.mesh->GetMaterial() : nullptr;
    return m ? m->GetMaterialId() : 0;
}

uint32_t MeshKey(const RenderItem& item) { return item.mesh ? item.mesh->GetId() : 0; }

// Appends one batch per run of items for which sameRun(previous, current) holds.
template <class SameRun>
void CutRuns(std::vector<RenderItem>& items, std::vector<RenderBatch>& batches, SameRun sameRun) {
    uint32_t first = 0;
    for (uint32_t i = 0; i < items.size(); ++i) {
        items[i].Refresh();
        if (i > 0 && !sameRun(items[i - 1], items[i])) {
            batches.push_back({first, i - first});
            first = i;
        }
    }
    batches.push_back({first, static_cast<uint32_t>(items.size()) - first});
}

}  // namespace

void RenderBatchList::Build() {
    batches.clear();
    std::sort(items.begin(), items.end(),
              [](const RenderItem& a, const RenderItem& b) { return MaterialKey(a) < MaterialKey(b); });
    if (items.empty()) return;
    CutRuns(items, batches, [](const RenderItem& a, const RenderItem& b) { return a.material == b.material; });
    for (const RenderBatch& run : batches)
        std::sort(GetBatchBegin(run), GetBatchEnd(run),
                  [](const RenderItem& a, const RenderItem& b) { return MeshKey(a) < MeshKey(b); });
    batches.clear();
    CutRuns(items, batches, [](const RenderItem& a, const RenderItem& b) { return a.mesh == b.mesh; });
}

void RenderBatchList::Clear() {
    batches.clear();
    items.clear();
}

}  // namespace Aperture
