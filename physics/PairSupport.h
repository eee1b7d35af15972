#pragma once
// What the pair tests share: filling a record and reaching a shape's collider, Body and
// object transform.
#include "core/Matrix.h"
#include "core/Vector.h"
#include "physics/Contact.h"
#include "physics/Shapes.h"

namespace Gedankenexperiment {

class Body;

// Takes the next record and fills it with the two shapes' colliders; false when the table
// handed out none.
bool FillContact(ContactTable& contacts, Shape& first, Shape& second, const SD::Vec3& normal, float depth,
                 float restitution);

// The shape's collider's position offset scaled by its object's scale.
SD::Vec3 ScaledOffset(const Shape& shape);
// The orientation of the shape's object (identity without one).
SD::Mtx33 Orientation(const Shape& shape);
// The Body of the shape's collider, or null.
Body* BodyOf(const Shape& shape);
// The smaller of the two colliders' restitutions.
float SmallerRestitution(const Shape& first, const Shape& second);

inline SD::Vec3 Multiply(const SD::Vec3& a, const SD::Vec3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

}  // namespace Gedankenexperiment
