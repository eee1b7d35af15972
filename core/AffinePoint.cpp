#include "core/AffinePoint.h"

namespace SD {

void TransformPoint34(const float m[12], const float p[3], float result[3]) {
    const float x = p[0], y = p[1], z = p[2];  // result may be the point itself
    result[0] = m[0] * x + m[1] * y + m[2] * z + m[3];
    result[1] = m[4] * x + m[5] * y + m[6] * z + m[7];
    result[2] = m[8] * x + m[9] * y + m[10] * z + m[11];
}

}  // namespace SD
