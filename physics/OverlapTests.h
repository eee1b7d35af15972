#pragma once
// Whether two shapes touch, without a contact record or a push: the box-overlap tests by which
// the broad phase sorts and finds static colliders, in one table over the pairs of shape kinds.
// Every test but the sphere's works on the shapes' boxes: an oriented box turned onto the world
// axes, a height map's and a mesh's bounding boxes.
#include "core/Matrix.h"
#include "core/Vector.h"
#include "physics/Shapes.h"

namespace SD {
class GameObject;
}

namespace Gedankenexperiment {

// (first shape, its collider's position, second shape, its collider's position) -> touch.
using OverlapTest = bool (*)(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b);

// The test of (type of first, type of second); null for a pair that is never tested (every
// pair but those with an axis-aligned box on one side) and for numbers outside the kinds.
OverlapTest GetOverlapTest(int firstType, int secondType);

// Touching faces count on every axis.
bool BoxesTouch(const SD::Vec3& c1, const SD::Vec3& e1, const SD::Vec3& c2, const SD::Vec3& e2);
// The nearest point of the box is at most r from p.
bool SphereTouchesBox(const SD::Vec3& p, float r, const SD::Vec3& c, const SD::Vec3& e);
// Strictly closer than the sum of the radii.
bool SpheresTouch(const SD::Vec3& c1, float r1, const SD::Vec3& c2, float r2);
// A sphere against a box with half sizes e along the columns of R around c.
bool SphereTouchesOrientedBox(const SD::Vec3& p, float r, const SD::Vec3& c, const SD::Vec3& e, const SD::Mtx33& R);
// Half sizes on the world axes of a box with half sizes e along the axes of R.
SD::Vec3 WorldHalfSizes(const SD::Mtx33& R, const SD::Vec3& e);

// The box a shape is tested by at its collider's position p; false for the sphere, the field
// sphere and the cylinder, which have none. A mesh computes its box on first use and keeps it.
bool ShapeBox(Shape& shape, const SD::Vec3& p, SD::Vec3* centre, SD::Vec3* halfSizes);

// Where an object that plays an entrance comes to rest, for the box its mesh is kept in while
// it is still hidden elsewhere. The game installs it; until then no object has one.
class IRestingPositionQuery {
public:
    // False for an object without an entrance.
    virtual bool RestingPosition(SD::GameObject* object, SD::Vec3* position) const = 0;

protected:
    ~IRestingPositionQuery() = default;
};
// The first query installed is asked; returns whether `query` is the one asked. Null restores
// the default.
bool SetRestingPositionQuery(IRestingPositionQuery* query);

}  // namespace Gedankenexperiment
