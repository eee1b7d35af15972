#pragma once
// The collision test of each ordered pair of shape kinds. A test that finds a contact takes the
// next record of the contact table and fills it; some tests also push the first collider's
// Body (the hover and force-field behaviours).
#include "core/Vector.h"
#include "physics/Contact.h"
#include "physics/Shapes.h"

namespace Gedankenexperiment {

// (first shape, its collider's position, second shape, its collider's position, table) ->
// whether a record was filled.
using PairTest = bool (*)(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);

// The test for (type of first, type of second); pairs the game never combines, and type
// numbers outside the kinds, get a test that finds no contact.
PairTest GetPairTest(int firstType, int secondType);

// Whether the pair has a test of its own (including the mirrored ones); false for the pairs
// that always report no contact.
bool PairHasTest(int firstType, int secondType);

// The tests, sphere or field first.
bool SphereSphere(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool SphereOBB(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool SphereAAB(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool AABAAB(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool SphereField(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool SphereCylinder(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool FieldCylinder(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool SphereHeightMap(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);
bool SphereMesh(Shape& first, const SD::Vec3& a, Shape& second, const SD::Vec3& b, ContactTable& contacts);

// Restitutions written by the tests that do not take the colliders' own.
constexpr float kSphereRestitution = 0.9f;
constexpr float kOBBRestitution = 0.01f;
constexpr float kBoxBoxRestitution = 0.4f;
// The field's centre above its position, and how strongly its shell pushes.
constexpr float kFieldLift = 15.0f;
constexpr float kFieldPush = 20.0f;
// The height a sphere hovers above a height map, and the spring that holds it there.
constexpr float kHoverHeight = 15.0f;
constexpr float kHoverSpring = 130.0f;
// The spring that holds a sphere on a mesh's buffer surface.
constexpr float kMeshSpring = 200.0f;

}  // namespace Gedankenexperiment
