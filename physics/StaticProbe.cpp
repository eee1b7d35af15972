#include "physics/StaticProbe.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "physics/Collider.h"
#include "physics/FaceTree.h"
#include "physics/Geometry.h"
#include "physics/MeshData.h"
#include "physics/PairSupport.h"

namespace Gedankenexperiment {
namespace {

const SD::Vec3 kUp(0.0f, 1.0f, 0.0f);
// A point pushed out stands this much beyond the clearance, so that rounding never leaves it on
// the inside.
constexpr float kMargin = 1e-3f;
// Bisections that find where a marched segment enters a shape.
constexpr int kBisections = 12;

float Axis(const SD::Vec3& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }

// ---- Boxes: the axis-aligned box is an oriented box turned by the identity ----

struct Box {
    SD::Vec3 centre;
    SD::Vec3 half;
    SD::Mtx33 axes;  // columns: the box's axes
};

Box BoxOf(const Collider& collider) {
    const Shape& shape = *collider.GetShape();
    const bool oriented = shape.GetType() == kShapeOBB;
    return {collider.position + ScaledOffset(shape),
            oriented ? static_cast<const OrientedBox&>(shape).extents : static_cast<const AxisABox&>(shape).extents,
            oriented ? Orientation(shape) : SD::Mtx33::Identity()};
}

SD::Vec3 Local(const Box& box, const SD::Vec3& p) {
    const SD::Vec3 d = p - box.centre;
    return {d.Dot(box.axes.GetColumn(0)), d.Dot(box.axes.GetColumn(1)), d.Dot(box.axes.GetColumn(2))};
}

bool InsideBox(const Box& box, const SD::Vec3& p, float clearance) {
    const SD::Vec3 l = Local(box, p);
    for (int i = 0; i < 3; ++i)
        if (!(std::fabs(Axis(l, i)) < Axis(box.half, i) + clearance)) return false;
    return true;
}

// Out through the face the viewer stands beyond the most, from anywhere in the box's shadow.
SD::Vec3 OutOfBox(const Box& box, const SD::Vec3& p, float clearance, const SD::Vec3& viewer) {
    const SD::Vec3 l = Local(box, p), v = Local(box, viewer);
    int face = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(Axis(v, i)) - Axis(box.half, i) > std::fabs(Axis(v, face)) - Axis(box.half, face)) face = i;
    const float side = Axis(v, face) < 0.0f ? -1.0f : 1.0f;
    for (int i = 0; i < 3; ++i)
        if (i != face && !(std::fabs(Axis(l, i)) < Axis(box.half, i) + clearance)) return p;
    const float out = Axis(box.half, face) + clearance;
    if (!(Axis(l, face) * side < out)) return p;
    return p + box.axes.GetColumn(face) * (side * (out + kMargin) - Axis(l, face));
}

float ClearOfBox(const Box& box, const SD::Vec3& from, const SD::Vec3& to, float clearance) {
    const SD::Vec3 a = Local(box, from), b = Local(box, to);
    const SD::Vec3 d = b - a;
    const float length = d.Length();
    float t = 0.0f;
    const SD::Vec3 half = box.half + SD::Vec3(clearance, clearance, clearance);
    if (!(length > 0.0f) || !RayHitsBox(a, d * (1.0f / length), SD::Vec3(), half, &t)) return 1.0f;
    return std::min(t / length, 1.0f);
}

// ---- Spheres and cylinders: the distance to a point or to an axis ----

struct Round {
    SD::Vec3 p1, p2;  // the axis; one point for a sphere
    float radius;
};

Round RoundOf(const Collider& collider) {
    const Shape& shape = *collider.GetShape();
    if (shape.GetType() == kShapeSphere)
        return {collider.position, collider.position, static_cast<const Sphere&>(shape).radius};
    const auto& cylinder = static_cast<const Cylinder&>(shape);
    return {collider.position + cylinder.point1, collider.position + cylinder.point2, cylinder.radius};
}

bool InsideRound(const Round& round, const SD::Vec3& p, float clearance) {
    const float reach = round.radius + clearance;
    return (p - ClosestPointOnSegment(p, round.p1, round.p2)).LengthSq() < reach * reach;
}

SD::Vec3 OutOfRound(const Round& round, const SD::Vec3& p, float clearance) {
    const SD::Vec3 axis = ClosestPointOnSegment(p, round.p1, round.p2);
    return axis + UnitOr(p - axis, kUp) * (round.radius + clearance + kMargin);
}

// ---- Height maps: the surface of two triangles a cell, as the hover test lays it ----

// The height of the map's surface above or below the point, and its upward normal; false
// beyond the map's footprint.
bool SurfaceUnder(const Collider& collider, const SD::Vec3& p, float* height, SD::Vec3* normal) {
    HeightMapCell cell;
    if (!CellUnder(static_cast<const HeightMap&>(*collider.GetShape()), collider.position, p, &cell)) return false;
    const int i = cell.i, j = cell.j;
    const float fi = cell.fi, fj = cell.fj;
    auto corner = [&cell](int mi, int kj) { return cell.Corner(mi, kj); };
    // The cell's diagonal runs from its corner (i, j) to (i + 1, j + 1).
    const SD::Vec3 q = corner(i, j), c = corner(i + 1, j + 1);
    const SD::Vec3 side = fj - j > fi - i ? corner(i, j + 1) : corner(i + 1, j);
    SD::Vec3 n = UnitOr((c - q).Cross(side - q), kUp);
    if (n.y < 0.0f) n = -n;
    if (!(std::fabs(n.y) > 1e-6f)) return false;
    *height = q.y - (n.x * (p.x - q.x) + n.z * (p.z - q.z)) / n.y;
    *normal = n;
    return true;
}

bool InsideMap(const Collider& collider, const SD::Vec3& p, float clearance) {
    float height = 0.0f;
    SD::Vec3 normal;
    return SurfaceUnder(collider, p, &height, &normal) && p.y < height + clearance;
}

SD::Vec3 OutOfMap(const Collider& collider, const SD::Vec3& p, float clearance) {
    float height = 0.0f;
    SD::Vec3 normal;
    if (!SurfaceUnder(collider, p, &height, &normal) || !(p.y < height + clearance)) return p;
    return {p.x, height + clearance + kMargin, p.z};
}

// ---- Meshes: the buffer surface of each triangle, seen from its front ----

struct Face {
    SD::Vec3 corner[3];
    SD::Vec3 normal;
};

// How far from the collider's position any of its buffered faces can reach: every vertex lies
// within the mesh's extents, scaled, and the buffer moves it at most its thickness.
float MeshReach(const Collider& collider) {
    const auto& mesh = static_cast<const Mesh&>(*collider.GetShape());
    if (!mesh.data) return 0.0f;
    const SD::Vec3 scale = collider.GetScale();
    const SD::Vec3& e = mesh.data->extents;
    return SD::Vec3(e.x * std::fabs(scale.x), e.y * std::fabs(scale.y), e.z * std::fabs(scale.z)).Length() +
           std::fabs(mesh.bufferThickness);
}

// The mesh's triangles in the world, each moved out along its corners' normals by the buffer,
// taking only those whose boxes in the face tree `overlaps` accepts (given a box's centre and
// half extents in the world), in the order of the mesh's triangles: a test that keeps the first
// of equal answers sees the same faces in the same order as over the whole mesh.
template <class Overlaps, class Fn>
void ForEachFaceNear(const Collider& collider, Overlaps&& overlaps, Fn&& fn) {
    const auto& mesh = static_cast<const Mesh&>(*collider.GetShape());
    if (!mesh.data) return;
    const MeshData& data = *mesh.data;
    const SD::Mtx33 m = Orientation(mesh);
    const SD::Vec3 scale = collider.GetScale();
    std::vector<uint32_t> near;
    data.faces.Collect({m, collider.position, scale, mesh.bufferThickness}, overlaps, near);
    for (uint32_t index : near) {
        const MeshTriangle& tri = data.triangles[index];
        Face face;
        for (int k = 0; k < 3; ++k) {
            const MeshVertex& v = data.vertices[tri.index[k]];
            face.corner[k] = collider.position + m * (Multiply(v.position, scale) + v.normal * mesh.bufferThickness);
        }
        const SD::Vec3 cross = (face.corner[1] - face.corner[0]).Cross(face.corner[2] - face.corner[0]);
        if (!(cross.LengthSq() > 0.0f)) continue;  // a flat triangle has no face
        face.normal = cross.GetNormalized();
        fn(face);
    }
}

// The faces that come within `radius` of the point on every axis.
template <class Fn>
void ForEachFaceAround(const Collider& collider, const SD::Vec3& p, float radius, Fn&& fn) {
    const SD::Vec3 half(radius, radius, radius);
    ForEachFaceNear(
        collider,
        [&](const SD::Vec3& centre, const SD::Vec3& extents) { return BoxesOverlap(centre, extents, p, half); }, fn);
}

// Whether a line straight up from the point crosses the faces an odd number of times: under a
// terrain's surface, or within a closed island. The line stands a hair off the point, so that it
// never runs exactly along the edge two faces share.
bool UnderOddly(const Collider& collider, const SD::Vec3& p) {
    const float x = p.x + 7.07e-5f, z = p.z + 3.18e-5f;
    const SD::Vec3 foot(x, p.y, z);
    auto onLine = [&](const SD::Vec3& centre, const SD::Vec3& half) {
        return SegmentTouchesBox(foot, kUp, std::numeric_limits<float>::max(), centre, half);
    };
    int crossings = 0;
    ForEachFaceNear(collider, onLine, [&](const Face& face) {
        float edge[3];
        for (int k = 0; k < 3; ++k) {
            const SD::Vec3& a = face.corner[k];
            const SD::Vec3& b = face.corner[(k + 1) % 3];
            edge[k] = (b.x - a.x) * (z - a.z) - (b.z - a.z) * (x - a.x);
        }
        const bool within = (edge[0] > 0 && edge[1] > 0 && edge[2] > 0) || (edge[0] < 0 && edge[1] < 0 && edge[2] < 0);
        if (!within || !(std::fabs(face.normal.y) > 1e-6f)) return;
        const SD::Vec3& a = face.corner[0];
        const float y = a.y - (face.normal.x * (x - a.x) + face.normal.z * (z - a.z)) / face.normal.y;
        if (y > p.y) ++crossings;
    });
    return crossings % 2 == 1;
}

// The squared distance to the nearest of the faces `each` hands over, keeping the first of equal
// ones: how far the point stands in front of it (negative: behind) and its normal.
template <class Each>
float NearestOf(Each&& each, const SD::Vec3& p, float* side, SD::Vec3* normal) {
    float best = std::numeric_limits<float>::max();
    each([&](const Face& face) {
        const ClosestOnTriangle closest = ClosestPointOnTriangle(p, face.corner[0], face.corner[1], face.corner[2]);
        const float distanceSq = (p - closest.point).LengthSq();
        if (!(distanceSq < best)) return;
        best = distanceSq;
        *side = face.normal.Dot(p - closest.point);
        *normal = face.normal;
    });
    return best;
}

// The nearest face: how far the point stands from it, in front (negative: behind), and its
// normal. The faces around the point are searched in growing boxes: once one lies within the
// box, no face beyond it can be nearer.
float NearestFace(const Collider& collider, const SD::Vec3& p, float start, float* side, SD::Vec3* normal) {
    const float whole = (p - collider.position).Length() + MeshReach(collider);
    float radius = std::max(start, 1e-3f);
    for (;;) {
        auto around = [&](auto&& fn) { ForEachFaceAround(collider, p, radius, fn); };
        const float best = NearestOf(around, p, side, normal);
        if (best <= radius * radius || !(radius < whole)) return std::sqrt(best);
        radius *= 4.0f;
    }
}

// Whether a face comes nearer the point than the clearance.
bool FaceWithin(const Collider& collider, const SD::Vec3& p, float clearance) {
    float side = 0.0f;
    SD::Vec3 normal;
    auto around = [&](auto&& fn) { ForEachFaceAround(collider, p, clearance, fn); };
    return std::sqrt(NearestOf(around, p, &side, &normal)) < clearance;
}

bool InsideMesh(const Collider& collider, const SD::Vec3& p, float clearance) {
    // Most probes stand far from a given island: away from the column over and under its faces
    // no upward line crosses one, and beyond its reach no face is within the clearance.
    const float reach = MeshReach(collider);
    const SD::Vec3 d = p - collider.position;
    const bool inColumn = d.x * d.x + d.z * d.z <= reach * reach && d.y <= reach;
    if (inColumn && UnderOddly(collider, p)) return true;
    const bool withinReach = d.LengthSq() < (reach + clearance) * (reach + clearance);
    return clearance > 0.0f && withinReach && FaceWithin(collider, p, clearance);
}

SD::Vec3 OutOfMesh(const Collider& collider, const SD::Vec3& p, float clearance) {
    if (!InsideMesh(collider, p, clearance)) return p;
    float side = 0.0f;
    SD::Vec3 normal = kUp;
    NearestFace(collider, p, clearance, &side, &normal);
    // Behind the nearest face the way out is through it; in front, on out along it.
    return p + normal * (clearance - side + kMargin);
}

// How near, squared, a segment's point must come to a lifted face to count as crossing it.
constexpr float kCrossingNearSq = 1e-4f;

// The first crossing, from its front to its back, of a face moved out by the clearance.
float ClearOfMesh(const Collider& collider, const SD::Vec3& from, const SD::Vec3& to, float clearance) {
    const float reach = MeshReach(collider) + clearance;
    if (!((ClosestPointOnSegment(collider.position, from, to) - collider.position).LengthSq() <= reach * reach))
        return 1.0f;
    const SD::Vec3 d = to - from;
    // A crossing lies on the segment and near its face lifted by the clearance (a little more
    // than the square root of kCrossingNearSq).
    const float lifted = std::fabs(clearance) + 0.011f;
    auto onSegment = [&](const SD::Vec3& centre, const SD::Vec3& half) {
        return SegmentTouchesBox(from, d, 1.0f, centre, half + SD::Vec3(lifted, lifted, lifted));
    };
    float first = 1.0f;
    ForEachFaceNear(collider, onSegment, [&](const Face& face) {
        const SD::Vec3 lift = face.normal * clearance;
        const float start = face.normal.Dot(from - face.corner[0] - lift);
        const float end = face.normal.Dot(to - face.corner[0] - lift);
        if (!(start >= 0.0f && end < 0.0f)) return;
        const float t = start / (start - end);
        if (!(t < first)) return;
        const SD::Vec3 at = from + d * t;
        const ClosestOnTriangle on =
            ClosestPointOnTriangle(at, face.corner[0] + lift, face.corner[1] + lift, face.corner[2] + lift);
        if (on.region == TriangleRegion::kFace && (on.point - at).LengthSq() < kCrossingNearSq) first = t;
    });
    return first;
}

// ---- The marched segment, for the shapes without a closed form ----

float ClearByMarching(const Collider& collider, const SD::Vec3& from, const SD::Vec3& to, float clearance,
                      float spacing) {
    const float length = (to - from).Length();
    const int samples = std::clamp(static_cast<int>(length / std::max(spacing, 1e-3f)) + 1, 2, 512);
    float outside = 0.0f;
    for (int k = 1; k <= samples; ++k) {
        const float t = float(k) / float(samples);
        if (!PointInside(collider, from + (to - from) * t, clearance)) {
            outside = t;
            continue;
        }
        float inside = t;
        for (int b = 0; b < kBisections; ++b) {
            const float mid = 0.5f * (outside + inside);
            (PointInside(collider, from + (to - from) * mid, clearance) ? inside : outside) = mid;
        }
        return outside;
    }
    return 1.0f;
}

float MarchSpacing(const Collider& collider) {
    const Shape& shape = *collider.GetShape();
    if (shape.GetType() == kShapeHeightMap) {
        const auto& map = static_cast<const HeightMap&>(shape);
        if (map.IsUsable()) return 0.5f * std::min(map.sizeX / map.width, map.sizeZ / map.height);
    }
    return 0.25f;
}

}  // namespace

bool IsSolidStatic(const Collider& collider) {
    const Shape* shape = collider.GetShape();
    return shape && !collider.ghost && !collider.IsDynamic() && shape->GetType() != kShapeSphereFF;
}

bool PointInside(const Collider& collider, const SD::Vec3& point, float clearance) {
    if (!IsSolidStatic(collider)) return false;
    switch (collider.GetShape()->GetType()) {
        case kShapeAAB:
        case kShapeOBB:
            return InsideBox(BoxOf(collider), point, clearance);
        case kShapeSphere:
        case kShapeCylinder:
            return InsideRound(RoundOf(collider), point, clearance);
        case kShapeHeightMap:
            return InsideMap(collider, point, clearance);
        case kShapeMesh:
            return InsideMesh(collider, point, clearance);
        default:
            return false;
    }
}

SD::Vec3 PushOutside(const Collider& collider, const SD::Vec3& point, float clearance, const SD::Vec3& viewer) {
    if (!IsSolidStatic(collider)) return point;
    switch (collider.GetShape()->GetType()) {
        case kShapeAAB:
        case kShapeOBB:
            return OutOfBox(BoxOf(collider), point, clearance, viewer);
        case kShapeSphere:
        case kShapeCylinder:
            return InsideRound(RoundOf(collider), point, clearance) ? OutOfRound(RoundOf(collider), point, clearance)
                                                                    : point;
        case kShapeHeightMap:
            return OutOfMap(collider, point, clearance);
        case kShapeMesh:
            return OutOfMesh(collider, point, clearance);
        default:
            return point;
    }
}

float ClearPart(const Collider& collider, const SD::Vec3& from, const SD::Vec3& to, float clearance) {
    if (!IsSolidStatic(collider) || PointInside(collider, from, clearance)) return 1.0f;
    switch (collider.GetShape()->GetType()) {
        case kShapeAAB:
        case kShapeOBB:
            return ClearOfBox(BoxOf(collider), from, to, clearance);
        case kShapeMesh:
            return ClearOfMesh(collider, from, to, clearance);
        default:
            return ClearByMarching(collider, from, to, clearance, MarchSpacing(collider));
    }
}

}  // namespace Gedankenexperiment
