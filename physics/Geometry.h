#pragma once
// Closest points and ray casts shared by the pair tests.
#include "core/Vector.h"

namespace Gedankenexperiment {

// Where the point of a triangle nearest to another point lies.
enum class TriangleRegion { kFace, kEdge, kCorner };

struct ClosestOnTriangle {
    SD::Vec3 point;
    TriangleRegion region;
};

// The point of triangle (a, b, c) nearest to p, by the triangle's Voronoi regions.
ClosestOnTriangle ClosestPointOnTriangle(const SD::Vec3& p, const SD::Vec3& a, const SD::Vec3& b, const SD::Vec3& c);

// The point of segment (a, b) nearest to p; a segment of length 0 gives a.
SD::Vec3 ClosestPointOnSegment(const SD::Vec3& p, const SD::Vec3& a, const SD::Vec3& b);

// Slab test of the ray (origin, unit direction) against the box (centre, half sizes). On a
// hit, *t is the entry distance (0 when the origin is inside). A direction component below
// 1e-6 in size counts as parallel to that slab; a zero direction hits only from inside.
bool RayHitsBox(const SD::Vec3& origin, const SD::Vec3& direction, const SD::Vec3& center, const SD::Vec3& half,
                float* t);

// The length-1 vector along v, or `fallback` when v has no length.
SD::Vec3 UnitOr(const SD::Vec3& v, const SD::Vec3& fallback);

}  // namespace Gedankenexperiment
