#pragma once
// Walks the editable vector and matrix fields of a component (the level editor's gizmos and
// property panels use it).
#include "core/Matrix.h"
#include "core/Vector.h"

namespace SD {

class IFieldVisitor {
public:
    virtual ~IFieldVisitor() = default;
    virtual void VisitVector(const char* name, Vec3& value) = 0;
    virtual void VisitMatrix(const char* name, Mtx33& value) = 0;
};

}  // namespace SD
