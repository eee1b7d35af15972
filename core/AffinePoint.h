#pragma once
// A point through a 3x4 affine matrix of twelve floats in rows of four (the last column is
// the translation), by the column-vector rule: p' = M p.
#include "core/Vector.h"

namespace SD {

Vec3 TransformPoint34(const float matrix[12], const Vec3& point);

}  // namespace SD
