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

// The cell of a usable height map that a point stands over, found in the map's own frame: the
// map's grid of two triangles a cell is laid out from `origin` along the object's X and Z.
struct HeightMapCell {
    const HeightMap* map;
    SD::Vec3 origin, X, Z;
    float cellX, cellZ;  // a cell's size
    int i, j;            // the cell, numbered by truncation towards zero
    float fi, fj;        // the point's place in cells
    // The grid corner (mi, kj) lifted to its height sample.
    SD::Vec3 Corner(int mi, int kj) const;
};
// False when the map is not usable or the point lies beyond its cells (the cell and its far
// corner must be on the map).
bool CellUnder(const HeightMap& map, const SD::Vec3& mapPosition, const SD::Vec3& p, HeightMapCell* cell);

inline SD::Vec3 Multiply(const SD::Vec3& a, const SD::Vec3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

}  // namespace Gedankenexperiment
