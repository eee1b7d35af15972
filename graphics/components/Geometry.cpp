#include "graphics/components/Geometry.h"

#include <algorithm>
#include <cmath>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"

namespace Aperture {

void Geometry::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(modelName, "Model Name", "String");
    SD::SerializeFloat4(stream, color, "color", "Color");
}

void Geometry::VRegister() { Graphics_::GetInstance()->RegisterGeometry(this); }

void Geometry::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->UnregisterGeometry(this);
}

void Geometry::RegisterFunctions() {
    RTTI_GETTER(&Geometry::GetColorR);
    RTTI_SETTER(&Geometry::SetColorR);
    RTTI_GETTER(&Geometry::GetColorG);
    RTTI_SETTER(&Geometry::SetColorG);
    RTTI_GETTER(&Geometry::GetColorB);
    RTTI_SETTER(&Geometry::SetColorB);
    RTTI_GETTER(&Geometry::GetColorA);
    RTTI_SETTER(&Geometry::SetColorA);
}

const SD::Mtx44& Geometry::GetRenderWorld() const {
    if (!GetOwner()) return SD::Mtx44::Identity();
    const SD::Mtx44& world = GetOwner()->GetTransform().GetGlobalMatrix();
    if (windStrength == 0.0f || windDirection.LengthSq() == 0.0f) return world;
    // A shear of the model's space: x and z move with the height y.
    const float lean = std::min(std::fabs(windStrength) * kWindLeanPerStrength, kMaxWindLean);
    const SD::Vec3 along = windDirection.GetNormalized() * (windStrength < 0.0f ? -lean : lean);
    SD::Mtx44 shear = SD::Mtx44::Identity();
    shear.m[1] = along.x;
    shear.m[9] = along.z;
    leanedWorld = world * shear;
    return leanedWorld;
}

namespace {

// The object's global matrix and its ancestors', the root's first: each takes its parent's.
void UpdateFromRoot(SD::GameObject* object) {
    if (!object) return;
    UpdateFromRoot(object->GetParent());
    object->GetTransform().UpdateGlobalMatrix();
}

}  // namespace

void Geometry::ComputeBounds(AABB& box) {
    box = AABB();
    if (!GetOwner()) return;
    UpdateFromRoot(GetOwner());
    if (!model) return;
    const SD::Mtx44& world = GetOwner()->GetTransform().GetGlobalMatrix();
    for (const Resource::Mesh* mesh : model->GetMeshes()) {
        AABB local;
        AABB::FromCorners(mesh->GetBoundsMax(), mesh->GetBoundsMin(), local);
        for (unsigned corner = 0; corner < 8; ++corner)
            AABB::Merge(box, world.TransformPoint(AABB::GetCorner(local, corner)));
    }
}

bool Geometry::IsCulled(const Frustum& frustum) {
    AABB box;
    ComputeBounds(box);
    cullData[0] = box.min.x;
    cullData[1] = box.min.y;
    cullData[2] = box.min.z;
    cullData[3] = box.max.x;
    cullData[4] = box.max.y;
    cullData[5] = box.max.z;
    return IsBoxCulled(box, frustum);
}

}  // namespace Aperture
