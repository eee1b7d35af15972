#include "platform/gfx/ViewMath.h"

#include <cmath>

namespace platform::gfx {
namespace {

Float3 Sub(const Float3& a, const Float3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(const Float3& a, const Float3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Float3 Cross(const Float3& a, const Float3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Float3 Normalize(const Float3& v) {
    float length = std::sqrt(Dot(v, v));
    if (length == 0.0f) return v;
    return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

Matrix Matrix::Identity() {
    Matrix r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

bool Matrix::operator==(const Matrix& o) const {
    for (int i = 0; i < 16; ++i)
        if (m[i] != o.m[i]) return false;
    return true;
}

Matrix MatrixLookAtLH(const Float3& eye, const Float3& at, const Float3& up) {
    Float3 z = Normalize(Sub(at, eye));
    Float3 x = Normalize(Cross(up, z));
    Float3 y = Cross(z, x);
    Matrix r;
    r(0, 0) = x.x;
    r(0, 1) = y.x;
    r(0, 2) = z.x;
    r(1, 0) = x.y;
    r(1, 1) = y.y;
    r(1, 2) = z.y;
    r(2, 0) = x.z;
    r(2, 1) = y.z;
    r(2, 2) = z.z;
    r(3, 0) = -Dot(x, eye);
    r(3, 1) = -Dot(y, eye);
    r(3, 2) = -Dot(z, eye);
    r(3, 3) = 1.0f;
    return r;
}

Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    float yScale = 1.0f / std::tan(fovY / 2.0f);
    float depth = zFar / (zFar - zNear);
    Matrix r;
    r(0, 0) = yScale / aspect;
    r(1, 1) = yScale;
    r(2, 2) = depth;
    r(2, 3) = 1.0f;
    r(3, 2) = -zNear * depth;
    return r;
}

Matrix MatrixOrthoOffCenterLH(float left, float right, float bottom, float top, float zNear, float zFar) {
    Matrix r;
    r(0, 0) = 2.0f / (right - left);
    r(1, 1) = 2.0f / (top - bottom);
    r(2, 2) = 1.0f / (zFar - zNear);
    r(3, 0) = (left + right) / (left - right);
    r(3, 1) = (top + bottom) / (bottom - top);
    r(3, 2) = zNear / (zNear - zFar);
    r(3, 3) = 1.0f;
    return r;
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a(i, k) * b(k, j);
            r(i, j) = sum;
        }
    return r;
}

// Cofactor expansion in double precision.
bool MatrixInverse(const Matrix& in, Matrix& out, float* determinant) {
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = in.m[i];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] + a[8] * a[1] * a[6] -
              a[8] * a[2] * a[5];
    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant) *determinant = static_cast<float>(det);
    if (det == 0.0) return false;
    for (int i = 0; i < 16; ++i) out.m[i] = static_cast<float>(inv[i] / det);
    return true;
}

Matrix MatrixTranspose(const Matrix& in) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r(i, j) = in(j, i);
    return r;
}

Plane PlaneFromPointNormal(const Float3& point, const Float3& normal) {
    return {normal.x, normal.y, normal.z, -Dot(point, normal)};
}

Plane PlaneNormalize(const Plane& p) {
    float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
    if (length == 0.0f) return p;
    return {p.a / length, p.b / length, p.c / length, p.d / length};
}

Plane PlaneTransform(const Plane& p, const Matrix& m) {
    Float4 r = Vec4Transform({p.a, p.b, p.c, p.d}, m);
    return {r.x, r.y, r.z, r.w};
}

Float4 Vec4Transform(const Float4& v, const Matrix& m) {
    return {v.x * m(0, 0) + v.y * m(1, 0) + v.z * m(2, 0) + v.w * m(3, 0),
            v.x * m(0, 1) + v.y * m(1, 1) + v.z * m(2, 1) + v.w * m(3, 1),
            v.x * m(0, 2) + v.y * m(1, 2) + v.z * m(2, 2) + v.w * m(3, 2),
            v.x * m(0, 3) + v.y * m(1, 3) + v.z * m(2, 3) + v.w * m(3, 3)};
}

}  // namespace platform::gfx
