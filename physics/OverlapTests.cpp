#include "physics/OverlapTests.h"

#include <algorithm>
#include <cmath>

#include "physics/Collider.h"
#include "physics/MeshData.h"
#include "physics/PairSupport.h"
#include "platform/Seam.h"

namespace Gedankenexperiment {
namespace {

platform::Seam<IRestingPositionQuery> g_restingPosition{"Gedankenexperiment::IRestingPositionQuery"};

bool BoxBox(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b) {
    SD::Vec3 c1, e1, c2, e2;
    return ShapeBox(first, a, &c1, &e1) && ShapeBox(second, b, &c2, &e2) && BoxesTouch(c1, e1, c2, e2);
}

bool SphereBox(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b) {
    SD::Vec3 c, e;
    return ShapeBox(second, b, &c, &e) && SphereTouchesBox(a, static_cast<Sphere&>(first).radius, c, e);
}

bool BoxSphere(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b) {
    return SphereBox(second, b, first, a);
}

using Row = OverlapTest[kShapeTypeCount];
// Rows: the first shape's kind; columns: the second's (Sphere, OBB, AAB, HM, SphereFF,
// Cylinder, Mesh). A box-box entry reads each shape's own box, so it serves the oriented box,
// the height map and the mesh alike.
const Row kTable[kShapeTypeCount] = {
    {nullptr, nullptr, &SphereBox, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, &BoxBox, nullptr, nullptr, nullptr, nullptr},
    {&BoxSphere, &BoxBox, &BoxBox, &BoxBox, nullptr, nullptr, &BoxBox},
    {nullptr, nullptr, &BoxBox, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, &BoxBox, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

OverlapTest GetOverlapTest(int firstType, int secondType) {
    if (firstType < 0 || firstType >= kShapeTypeCount || secondType < 0 || secondType >= kShapeTypeCount)
        return nullptr;
    return kTable[firstType][secondType];
}

bool BoxesTouch(const SD::Vec3& c1, const SD::Vec3& e1, const SD::Vec3& c2, const SD::Vec3& e2) {
    return (e1.x + e2.x) - std::fabs(c1.x - c2.x) >= 0.0f && (e1.y + e2.y) - std::fabs(c1.y - c2.y) >= 0.0f &&
           (e1.z + e2.z) - std::fabs(c1.z - c2.z) >= 0.0f;
}

bool SphereTouchesBox(const SD::Vec3& p, float r, const SD::Vec3& c, const SD::Vec3& e) {
    const SD::Vec3 q(std::clamp(p.x, c.x - e.x, c.x + e.x), std::clamp(p.y, c.y - e.y, c.y + e.y),
                     std::clamp(p.z, c.z - e.z, c.z + e.z));
    return !(r * r < (p - q).LengthSq());
}

bool SpheresTouch(const SD::Vec3& c1, float r1, const SD::Vec3& c2, float r2) {
    return (c1 - c2).LengthSq() < (r1 + r2) * (r1 + r2);
}

bool SphereTouchesOrientedBox(const SD::Vec3& p, float r, const SD::Vec3& c, const SD::Vec3& e, const SD::Mtx33& R) {
    const float half[3] = {e.x, e.y, e.z};
    SD::Vec3 q = c;
    for (int i = 0; i < 3; ++i) {
        const SD::Vec3 axis = R.GetColumn(i);
        const float d = std::clamp(axis.Dot(p - c), -half[i], half[i]);
        q = q + axis * d;
    }
    return (p - q).LengthSq() <= r * r;
}

SD::Vec3 WorldHalfSizes(const SD::Mtx33& R, const SD::Vec3& e) {
    const SD::Mtx33 a = R.GetAbs();
    return {a(0, 0) * e.x + a(0, 1) * e.y + a(0, 2) * e.z, a(1, 0) * e.x + a(1, 1) * e.y + a(1, 2) * e.z,
            a(2, 0) * e.x + a(2, 1) * e.y + a(2, 2) * e.z};
}

bool ShapeBox(Shape& shape, const SD::Vec3& p, SD::Vec3* centre, SD::Vec3* halfSizes) {
    switch (shape.GetType()) {
        case kShapeAAB:
            *centre = p;
            *halfSizes = static_cast<AxisABox&>(shape).extents;
            return true;
        case kShapeOBB:
            *centre = p;
            *halfSizes = WorldHalfSizes(Orientation(shape), static_cast<OrientedBox&>(shape).extents);
            return true;
        case kShapeHeightMap: {
            const auto& map = static_cast<const HeightMap&>(shape);
            *centre = p + SD::Vec3(0.0f, map.heightScale * 0.5f, 0.0f);
            *halfSizes = SD::Vec3(map.sizeX, map.heightScale, map.sizeZ);
            return true;
        }
        case kShapeMesh: {
            auto& mesh = static_cast<Mesh&>(shape);
            if (!mesh.hasBounds) {
                mesh.hasBounds = true;
                const Collider* collider = mesh.GetCollider();
                const SD::Vec3 scale = collider ? collider->GetScale() : SD::Vec3(1.0f, 1.0f, 1.0f);
                const SD::Vec3 extents = mesh.data ? mesh.data->extents : SD::Vec3();
                mesh.bounds = WorldHalfSizes(Orientation(mesh), Multiply(scale, extents));
                SD::GameObject* owner = collider ? collider->GetOwner() : nullptr;
                const IRestingPositionQuery* query = g_restingPosition.Installed();
                mesh.hasRestingCentre = owner && query && query->RestingPosition(owner, &mesh.restingCentre);
            }
            *centre = mesh.hasRestingCentre ? mesh.restingCentre : p;
            *halfSizes = mesh.bounds;
            return true;
        }
        default:
            return false;
    }
}

bool SetRestingPositionQuery(IRestingPositionQuery* query) { return g_restingPosition.Install(query); }

}  // namespace Gedankenexperiment
