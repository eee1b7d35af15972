#pragma once
// Where a point or a segment stands against one solid static collider: what a camera asks so
// that it never shows the inside of the ground or of an island. Solid means a collider without a
// body that is not a ghost; its inside is that of its shape, grown by a clearance: the space
// under a height map's surface within its footprint, under a mesh's buffer surface (a line
// straight up crosses it an odd number of times: under a terrain, within a closed island), within
// a sphere, a box or a cylinder. A field sphere only pushes and is not solid.
#include "core/Vector.h"

namespace Gedankenexperiment {

class Collider;

// Whether the collider takes part: static, no ghost, a shape with an inside.
bool IsSolidStatic(const Collider& collider);
// Whether the point lies strictly within `clearance` of the inside of the shape.
bool PointInside(const Collider& collider, const SD::Vec3& point, float clearance);
// A point inside moved out to `clearance` from the shape, seen by a viewer at `viewer`: straight
// up out of a height map, along the nearest face out of a mesh, radially out of a sphere or a
// cylinder, and out of a box through its face towards the viewer, the box counting as reaching
// as deep as it likes away from the viewer (a point under a floor comes up above it, not out of
// its underside). Any other point as it is.
SD::Vec3 PushOutside(const Collider& collider, const SD::Vec3& point, float clearance, const SD::Vec3& viewer);
// The part of the way from `from` to `to` (0 to 1) before the segment comes within `clearance`
// of the shape; 1 when it never does, and also when `from` itself is already within it (the way
// out of a shape one stands in is for PushOutside to find).
float ClearPart(const Collider& collider, const SD::Vec3& from, const SD::Vec3& to, float clearance);

}  // namespace Gedankenexperiment
