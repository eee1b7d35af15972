#pragma once
// A point through a 3x4 affine matrix of twelve floats in rows of four (the last column is
// the translation), by the column-vector rule: p' = M p.

namespace SD {

void TransformPoint34(const float matrix[12], const float point[3], float result[3]);

}  // namespace SD
