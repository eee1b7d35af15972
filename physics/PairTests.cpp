#include "physics/PairTests.h"

#include <algorithm>
#include <cmath>

#include "engine/GameObject.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/Geometry.h"
#include "physics/PairSupport.h"

namespace Gedankenexperiment {

bool FillContact(ContactTable& contacts, Shape& first, Shape& second, const SD::Vec3& normal, float depth,
                 float restitution) {
    Contact* record = contacts.Add();
    if (!record) return false;
    record->first = first.GetCollider();
    record->second = second.GetCollider();
    record->normal = normal;
    record->depth = depth;
    record->restitution = restitution;
    return true;
}

SD::Vec3 ScaledOffset(const Shape& shape) {
    const Collider* c = shape.GetCollider();
    return c ? Multiply(c->GetScale(), c->positionOffset) : SD::Vec3();
}

SD::Mtx33 Orientation(const Shape& shape) {
    const Collider* c = shape.GetCollider();
    return c && c->GetTransform() ? c->GetTransform()->GetOrient() : SD::Mtx33();
}

bool CellUnder(const HeightMap& map, const SD::Vec3& mapPosition, const SD::Vec3& p, HeightMapCell* cell) {
    if (!map.IsUsable() || !(map.sizeX > 0.0f) || !(map.sizeZ > 0.0f)) return false;
    HeightMapCell& c = *cell;
    c.map = &map;
    c.cellX = map.sizeX / map.width;
    c.cellZ = map.sizeZ / map.height;
    const SD::Mtx33 m = Orientation(map);
    c.X = UnitOr(m.GetColumn(0), SD::Vec3(1, 0, 0));
    c.Z = UnitOr(m.GetColumn(2), SD::Vec3(0, 0, 1));
    c.origin = mapPosition - c.X * ((map.sizeX - 2 * c.cellX) * 0.5f) - c.Z * ((map.sizeZ - 2 * c.cellZ) * 0.5f);
    const SD::Vec3 local = m.GetInverse() * (p - c.origin);
    c.fi = local.x / c.cellX;
    c.fj = local.z / c.cellZ;
    if (!(c.fi > -1.0f && c.fj > -1.0f && c.fi < float(map.width - 1) && c.fj < float(map.height - 1))) return false;
    c.i = static_cast<int>(c.fi);
    c.j = static_cast<int>(c.fj);
    return true;
}

SD::Vec3 HeightMapCell::Corner(int mi, int kj) const {
    const float lift = map->pixels[3 * (size_t(kj) * map->width + mi)] * map->heightScale / 255.0f;
    return origin + X * (mi * cellX) + Z * (kj * cellZ) + SD::Vec3(0.0f, lift, 0.0f);
}

Body* BodyOf(const Shape& shape) { return shape.GetCollider() ? shape.GetCollider()->GetBody() : nullptr; }

float SmallerRestitution(const Shape& first, const Shape& second) {
    const Collider* a = first.GetCollider();
    const Collider* b = second.GetCollider();
    return std::min(a ? a->restitution : 0.0f, b ? b->restitution : 0.0f);
}

namespace {

const SD::Vec3 kUp(0.0f, 1.0f, 0.0f);

float Axis(const SD::Vec3& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }

SD::Vec3 AxisVector(int i, float sign) {
    SD::Vec3 v;
    (i == 0 ? v.x : i == 1 ? v.y : v.z) = sign;
    return v;
}

// A sphere of radius r at a against the segment of a cylinder of radius R: the nearest point of
// the axis, and a normal from it towards the sphere.
bool SphereAgainstAxis(Shape& first, const SD::Vec3& a, float r, Shape& second, const SD::Vec3& p1, const SD::Vec3& p2,
                       float R, ContactTable& contacts) {
    const SD::Vec3 k = a - ClosestPointOnSegment(a, p1, p2);
    const float reach = r + R;
    const float distSq = k.LengthSq();
    if (!(reach * reach > distSq)) return false;
    if (distSq == 0.0f) return FillContact(contacts, first, second, kUp, reach, kSphereRestitution);
    const float dist = std::sqrt(distSq);
    return FillContact(contacts, first, second, k * (1.0f / dist), reach - dist, kSphereRestitution);
}

bool NoContact(Shape&, const SD::Vec3&, Shape&, const SD::Vec3&, ContactTable&) { return false; }

template <PairTest Mirrored>
bool Swap(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    return Mirrored(second, b, first, a, contacts);
}

constexpr PairTest kNone = &NoContact;

// Row: the first shape's kind; column: the second's. Null marks the pairs the game never
// combines; they are answered with no contact as well.
const PairTest kPairTests[kShapeTypeCount][kShapeTypeCount] = {
    {&SphereSphere, &SphereOBB, &SphereAAB, &SphereHeightMap, &SphereField, &SphereCylinder, &SphereMesh},
    {&Swap<SphereOBB>, kNone, kNone, kNone, nullptr, kNone, kNone},
    {&Swap<SphereAAB>, kNone, &AABAAB, kNone, nullptr, kNone, kNone},
    {&Swap<SphereHeightMap>, kNone, kNone, nullptr, nullptr, kNone, nullptr},
    {&Swap<SphereField>, nullptr, nullptr, nullptr, nullptr, &FieldCylinder, nullptr},
    {&Swap<SphereCylinder>, kNone, kNone, kNone, &Swap<FieldCylinder>, kNone, kNone},
    {&Swap<SphereMesh>, kNone, kNone, nullptr, nullptr, kNone, nullptr},
};

}  // namespace

PairTest GetPairTest(int firstType, int secondType) {
    if (firstType < 0 || firstType >= kShapeTypeCount || secondType < 0 || secondType >= kShapeTypeCount) return kNone;
    PairTest test = kPairTests[firstType][secondType];
    return test ? test : kNone;
}

bool PairHasTest(int firstType, int secondType) { return GetPairTest(firstType, secondType) != kNone; }

bool SphereSphere(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const SD::Vec3 d = a - b;
    const float reach = static_cast<Sphere&>(first).radius + static_cast<Sphere&>(second).radius;
    const float distSq = d.LengthSq();
    if (!(reach * reach > distSq)) return false;
    if (distSq == 0.0f) return FillContact(contacts, first, second, kUp, reach, kSphereRestitution);
    const float dist = std::sqrt(distSq);
    return FillContact(contacts, first, second, d * (1.0f / dist), reach - dist, kSphereRestitution);
}

bool SphereAAB(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const float r = static_cast<Sphere&>(first).radius;
    const SD::Vec3& e = static_cast<AxisABox&>(second).extents;
    const SD::Vec3 c = b + ScaledOffset(second);
    const SD::Vec3 q(std::clamp(a.x, c.x - e.x, c.x + e.x), std::clamp(a.y, c.y - e.y, c.y + e.y),
                     std::clamp(a.z, c.z - e.z, c.z + e.z));
    const float distSq = (a - q).LengthSq();
    if (!(distSq <= r * r)) return false;
    // A sphere that moved farther this substep than from where it was to the box is let through.
    if (const Collider* sphere = first.GetCollider()) {
        if ((sphere->position - sphere->previousPosition).LengthSq() > (q - sphere->previousPosition).LengthSq())
            return false;
    }
    SD::Vec3 normal;
    bool outside = false;
    for (int i = 0; i < 3 && !outside; ++i) {
        const float ai = Axis(a, i), ci = Axis(c, i), ei = Axis(e, i);
        if (ai > ci + ei) {
            normal = AxisVector(i, 1.0f);
            outside = true;
        } else if (ai < ci - ei) {
            normal = AxisVector(i, -1.0f);
            outside = true;
        }
    }
    if (!outside) {
        // The centre is inside: out through the face it is nearest to.
        int best = 0;
        float least = 0.0f;
        for (int i = 0; i < 3; ++i) {
            const float penetration = Axis(e, i) - std::fabs(Axis(a, i) - Axis(c, i));
            if (i == 0 || penetration < least) {
                least = penetration;
                best = i;
            }
        }
        normal = AxisVector(best, Axis(a, best) >= Axis(c, best) ? 1.0f : -1.0f);
    }
    return FillContact(contacts, first, second, normal, r - std::sqrt(distSq), SmallerRestitution(first, second));
}

bool AABAAB(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const SD::Vec3 d = a - b;
    const SD::Vec3 sum = static_cast<AxisABox&>(first).extents + static_cast<AxisABox&>(second).extents;
    const float o[3] = {sum.x - std::fabs(d.x), sum.y - std::fabs(d.y), sum.z - std::fabs(d.z)};
    if (!(o[0] >= 0.0f && o[1] >= 0.0f && o[2] >= 0.0f)) return false;
    // Ties go to z, then y: x only when it is strictly the least.
    const int axis = (o[0] < o[1] && o[0] < o[2]) ? 0 : (o[1] < o[2] ? 1 : 2);
    const SD::Vec3 normal = AxisVector(axis, Axis(d, axis) >= 0.0f ? 1.0f : -1.0f);
    return FillContact(contacts, first, second, normal, o[axis], kBoxBoxRestitution);
}

bool SphereOBB(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const float r = static_cast<Sphere&>(first).radius;
    const SD::Vec3& e = static_cast<OrientedBox&>(second).extents;
    const SD::Vec3 c = b + ScaledOffset(second);
    const SD::Mtx33 m = Orientation(second);
    const SD::Vec3 rel = a - c;
    SD::Vec3 q = c;
    for (int i = 0; i < 3; ++i) {
        const SD::Vec3 axis = m.GetColumn(i);
        const float extent = Axis(e, i);
        q += axis * std::clamp(rel.Dot(axis), -extent, extent);
    }
    const float distSq = (a - q).LengthSq();
    if (!(distSq <= r * r)) return false;
    if (distSq < 1e-8f) return FillContact(contacts, first, second, UnitOr(rel, kUp), r, kOBBRestitution);
    const float dist = std::sqrt(distSq);
    return FillContact(contacts, first, second, (a - q) * (1.0f / dist), r - dist, kOBBRestitution);
}

bool SphereField(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const auto& field = static_cast<SphereFF&>(second);
    const SD::Vec3 d = a - (b + SD::Vec3(0.0f, kFieldLift, 0.0f));
    const float reach = static_cast<Sphere&>(first).radius + field.radius;
    const float shell = reach + field.fieldThickness;
    const float distSq = d.LengthSq();
    if (!(shell * shell > distSq)) return false;
    const float dist = std::sqrt(distSq);
    const SD::Vec3 away = UnitOr(d, kUp);
    if (Body* body = BodyOf(first)) {
        const SD::Vec3 push = away * ((shell - dist) * kFieldPush);
        body->AddForce(push.x, push.y, push.z);
    }
    if (!(reach * reach > distSq)) return false;
    return FillContact(contacts, first, second, away, reach - dist, kSphereRestitution);
}

bool SphereCylinder(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const auto& cylinder = static_cast<Cylinder&>(second);
    return SphereAgainstAxis(first, a, static_cast<Sphere&>(first).radius, second, b + cylinder.point1,
                             b + cylinder.point2, cylinder.radius, contacts);
}

bool FieldCylinder(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts) {
    const auto& cylinder = static_cast<Cylinder&>(second);
    return SphereAgainstAxis(first, a, static_cast<SphereFF&>(first).radius, second, b + cylinder.point1,
                             b + cylinder.point2, cylinder.radius, contacts);
}

}  // namespace Gedankenexperiment
