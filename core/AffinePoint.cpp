#include "core/AffinePoint.h"

namespace SD {

Vec3 TransformPoint34(const float m[12], const Vec3& p) {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

}  // namespace SD
