// The sphere against the two terrain shapes: height maps, where it hovers on a spring above
// the ground, and meshes, where it rests on a buffer layer over the triangles.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/GameObject.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/FaceTree.h"
#include "physics/Geometry.h"
#include "physics/MeshData.h"
#include "physics/PairSupport.h"
#include "physics/PairTests.h"
#include "physics/StaticProbe.h"

namespace Gedankenexperiment {
namespace {

struct Plane {
    SD::Vec3 corners[3];
    SD::Vec3 normal;
};

void Push(Body* body, const SD::Vec3& force) {
    if (body) body->AddForce(force.x, force.y, force.z);
}

// A sphere whose centre ends a step within a closed mesh met no face it could rest on: it came
// through faster than its radius a step. It is pushed out through the nearest face to rest at its
// radius over the mesh, as on a face.
bool OutOfClosedMesh(Shape& first, const SD::Vec3& a, Shape& second, ContactTable& contacts) {
    const Collider* mesh = second.GetCollider();
    if (!mesh || !PointInside(*mesh, a, 0.0f)) return false;
    const float rest = static_cast<Sphere&>(first).radius - static_cast<Mesh&>(second).bufferThickness;
    const SD::Vec3 out = PushOutside(*mesh, a, rest, a);
    if (PointInside(*mesh, out, 0.0f)) return false;  // no way out known
    const SD::Vec3 way = out - a;
    const float depth = way.Length();
    if (!(depth > 0.0f)) return false;
    return FillContact(contacts, first, second, way * (1.0f / depth), depth, SmallerRestitution(first, second));
}

}  // namespace

bool SphereHeightMap(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const auto& map = static_cast<HeightMap&>(second);
    HeightMapCell cell;
    if (!CellUnder(map, b, a, &cell)) return false;
    const float r = static_cast<Sphere&>(first).radius;
    const int i = cell.i, j = cell.j;
    auto corner = [&cell](int mi, int kj) { return cell.Corner(mi, kj); };
    Plane planes[2];
    {
        const SD::Vec3 p = corner(i, j + 1), q = corner(i, j), c = corner(i + 1, j + 1);
        planes[0] = {{p, q, c}, UnitOr((c - p).Cross(q - p), SD::Vec3(0, 1, 0))};
    }
    {
        const SD::Vec3 p = corner(i + 1, j), q = corner(i, j), c = corner(i + 1, j + 1);
        planes[1] = {{p, q, c}, UnitOr((q - p).Cross(c - p), SD::Vec3(0, 1, 0))};
    }
    float side[2], distSq[2];
    for (int t = 0; t < 2; ++t) {
        const SD::Vec3 lift = planes[t].normal * kHoverHeight;
        const SD::Vec3 q = ClosestPointOnTriangle(a, planes[t].corners[0] + lift, planes[t].corners[1] + lift,
                                                  planes[t].corners[2] + lift)
                               .point;
        side[t] = planes[t].normal.Dot(a - q);
        distSq[t] = (a - q).LengthSq();
        if (side[t] > 0.0f) return false;  // above the hover height
    }
    const int use = distSq[0] < distSq[1] ? 0 : 1;
    const SD::Vec3& n = planes[use].normal;
    const float s = side[use];
    Push(BodyOf(first), n * (-s * kHoverSpring));
    if (!(-s >= kHoverHeight - r)) return false;
    return FillContact(contacts, first, second, n, r - (s + kHoverHeight), SmallerRestitution(first, second));
}

bool SphereMesh(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const Collider* sphere = first.GetCollider();
    if (sphere && sphere->GetOwner() && sphere->GetOwner()->GetComponent(SD::CID_Firefly)) return false;
    const auto& mesh = static_cast<Mesh&>(second);
    if (!mesh.data || mesh.data->triangles.empty()) return false;
    const MeshData& data = *mesh.data;
    const float r = static_cast<Sphere&>(first).radius;
    const float th = mesh.bufferThickness;
    const SD::Mtx33 m = Orientation(second);
    const SD::Mtx33 inverse = m.GetInverse();
    const SD::Vec3 scale = second.GetCollider() ? second.GetCollider()->GetScale() : SD::Vec3(1, 1, 1);
    const SD::Vec3 previous = sphere ? sphere->previousPosition : a;
    const SD::Vec3 cl = inverse * (a - b);
    const SD::Vec3 pl = inverse * (previous - b);
    const SD::Vec3 motion = cl - pl;
    const float len = motion.Length();
    const SD::Vec3 u = len > 0.0f ? motion * (1.0f / len) : SD::Vec3();

    float t = 0.0f;
    if (!RayHitsBox(pl, u, SD::Vec3(), Multiply(scale, data.extents), &t) || !(t <= r + len))
        return OutOfClosedMesh(first, a, second, contacts);

    const float hx = scale.x * data.extents.x * 0.5f, hz = scale.z * data.extents.z * 0.5f;
    const SD::Vec3 half(hx, scale.y * data.extents.y, hz);
    const SD::Vec3 centers[4] = {{-hx, 0, hz}, {hx, 0, hz}, {-hx, 0, -hz}, {hx, 0, -hz}};
    float d[4];
    for (int q = 0; q < 4; ++q)
        if (!RayHitsBox(pl, u, centers[q], half, &d[q])) d[q] = std::numeric_limits<float>::max();
    int quadrant;
    if (d[0] < d[1] && d[0] < d[2] && d[0] < d[3]) {
        quadrant = 0;
    } else if (d[1] < d[2] && d[1] < d[3]) {
        quadrant = 1;
    } else if (d[3] <= d[2]) {
        quadrant = 3;
    } else {
        quadrant = 2;
    }

    // A triangle acts only with its closest point on its face within this distance of the centre:
    // the spring needs it within the radius or the buffer, a contact needs the centre within the
    // radius in front of it and the previous centre not deeper than the buffer behind it.
    const float within = std::max({std::fabs(r), std::fabs(th) + 1e-5f, len + std::fabs(th)});
    const SD::Vec3 around(within, within, within);
    std::vector<uint32_t> near;
    data.faces.Collect(
        {SD::Mtx33::Identity(), SD::Vec3(), scale, th},
        [&](const SD::Vec3& centre, const SD::Vec3& half) { return BoxesOverlap(centre, half, cl, around); }, near);

    Body* body = BodyOf(first);
    // The quadrant's list, in its order, without the triangles out of reach.
    for (uint32_t index : near) {
        if (!(data.quadrantBits[index] & (1u << quadrant))) continue;
        const MeshTriangle& tri = data.triangles[index];
        SD::Vec3 c[3];
        for (int k = 0; k < 3; ++k) {
            const MeshVertex& v = data.vertices[tri.index[k]];
            c[k] = Multiply(v.position, scale) + v.normal * th;
        }
        const SD::Vec3 cross = (c[1] - c[0]).Cross(c[2] - c[0]);
        if (!(cross.LengthSq() > 0.0f)) continue;  // a flat triangle has no face to rest on
        const SD::Vec3 n = cross.GetNormalized();
        const ClosestOnTriangle closest = ClosestPointOnTriangle(cl, c[0], c[1], c[2]);
        const float s = n.Dot(cl - closest.point);
        if (closest.region != TriangleRegion::kFace || !(s <= r)) continue;
        if (-s <= th + 1e-5f) Push(body, m * (n * (-s * kMeshSpring)));
        if (s - r <= -th && n.Dot(pl - closest.point) > -th)
            return FillContact(contacts, first, second, m * n, r - (s + th), SmallerRestitution(first, second));
    }
    return OutOfClosedMesh(first, a, second, contacts);
}

}  // namespace Gedankenexperiment
