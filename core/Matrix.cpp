#include "core/Matrix.h"

#include <cmath>
#include <cstdio>

namespace SD {
namespace {

// Rotation rows about a principal axis, from the double-precision sine and cosine.
Mtx33 Rotation(int axis, float angle) {
    float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    switch (axis) {
        case 0:
            return {1, 0, 0, 0, c, -s, 0, s, c};
        case 1:
            return {c, 0, s, 0, 1, 0, -s, 0, c};
        default:
            return {c, -s, 0, s, c, 0, 0, 0, 1};
    }
}

template <typename T>
void AxisAngleRows(T* out, double angle, double x, double y, double z) {
    double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    const double rows[9] = {x * x * t + c,     x * y * t - z * s, x * z * t + y * s, x * y * t + z * s, y * y * t + c,
                            y * z * t - x * s, x * z * t - y * s, y * z * t + x * s, z * z * t + c};
    for (int i = 0; i < 9; ++i) out[i] = static_cast<T>(rows[i]);
}

// Column 2 keeps its direction; columns 1 and 0 are rebuilt by cross products. The scale
// factors are taken in double precision for both matrix kinds.
template <typename M>
void OrthonormalizeColumns(M& mtx) {
    auto z = mtx.GetColumn(2);
    z = z * (1.0 / std::sqrt(static_cast<double>(z.Dot(z))));
    auto y = z.Cross(mtx.GetColumn(0));
    y = y * (1.0 / std::sqrt(static_cast<double>(y.Dot(y))));
    mtx.SetColumn(2, z);
    mtx.SetColumn(1, y);
    mtx.SetColumn(0, y.Cross(z));
}

void PrintElements(const float* m, int n) {
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) std::printf("%8f ", static_cast<double>(m[n * r + c]));
        std::printf("\n");
    }
}

}  // namespace

// ---- Mtx33 ----

Mtx33::Mtx33() : Mtx33(1, 0, 0, 0, 1, 0, 0, 0, 1) {}

Mtx33::Mtx33(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22)
    : m{m00, m01, m02, m10, m11, m12, m20, m21, m22} {}

Mtx33::Mtx33(const Mtx44& o) : Mtx33(o.m[0], o.m[1], o.m[2], o.m[4], o.m[5], o.m[6], o.m[8], o.m[9], o.m[10]) {}

const Mtx33& Mtx33::Identity() {
    static const Mtx33 identity;
    return identity;
}

const Mtx33& Mtx33::Zero() {
    static const Mtx33 zero(0, 0, 0, 0, 0, 0, 0, 0, 0);
    return zero;
}

void Mtx33::SetRow(int r, const Vec3& v) {
    m[3 * r] = v.x;
    m[3 * r + 1] = v.y;
    m[3 * r + 2] = v.z;
}

void Mtx33::SetColumn(int c, const Vec3& v) {
    m[c] = v.x;
    m[3 + c] = v.y;
    m[6 + c] = v.z;
}

Mtx33 Mtx33::FromColumns(const Vec3& c0, const Vec3& c1, const Vec3& c2) {
    return {c0.x, c1.x, c2.x, c0.y, c1.y, c2.y, c0.z, c1.z, c2.z};
}

Mtx33 Mtx33::operator*(float s) const {
    Mtx33 r;
    for (int i = 0; i < 9; ++i) r.m[i] = m[i] * s;
    return r;
}

Mtx33 Mtx33::operator+(const Mtx33& o) const {
    Mtx33 r;
    for (int i = 0; i < 9; ++i) r.m[i] = m[i] + o.m[i];
    return r;
}

Mtx33 Mtx33::operator-(const Mtx33& o) const {
    Mtx33 r;
    for (int i = 0; i < 9; ++i) r.m[i] = m[i] - o.m[i];
    return r;
}

Mtx33 Mtx33::operator*(const Mtx33& o) const {
    Mtx33 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[3 * i + j] = m[3 * i] * o.m[j] + m[3 * i + 1] * o.m[3 + j] + m[3 * i + 2] * o.m[6 + j];
    return r;
}

Vec3 Mtx33::operator*(const Vec3& v) const {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
}

bool Mtx33::operator==(const Mtx33& o) const {
    for (int i = 0; i < 9; ++i)
        if (m[i] != o.m[i]) return false;
    return true;
}

void Mtx33::ScaleRows(const Vec3& s) {
    const float f[3] = {s.x, s.y, s.z};
    for (int i = 0; i < 9; ++i) m[i] *= f[i / 3];
}

Mtx33 Mtx33::GetAbs() const {
    Mtx33 r;
    for (int i = 0; i < 9; ++i) r.m[i] = std::fabs(m[i]);
    return r;
}

Mtx33 Mtx33::GetTransposed() const { return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}; }

float Mtx33::GetDeterminant() const {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
}

Mtx33 Mtx33::GetInverse() const {
    float det = GetDeterminant();
    if (det == 0.0f) return Zero();
    float inv = 1.0f / det;
    return Mtx33(m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
                 m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
                 m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]) *
           inv;
}

void Mtx33::Orthonormalize() { OrthonormalizeColumns(*this); }

void Mtx33::NormalizeColumns() {
    for (int c = 0; c < 3; ++c) {
        Vec3 v = GetColumn(c);
        SetColumn(c, v * static_cast<float>(1.0 / std::sqrt(static_cast<double>(v.LengthSq()))));
    }
}

Mtx33 Mtx33::Diagonal(float x, float y, float z) { return {x, 0, 0, 0, y, 0, 0, 0, z}; }
Mtx33 Mtx33::RotationX(float angle) { return Rotation(0, angle); }
Mtx33 Mtx33::RotationY(float angle) { return Rotation(1, angle); }
Mtx33 Mtx33::RotationZ(float angle) { return Rotation(2, angle); }

Mtx33 Mtx33::RotationAxisAngle(float angle, const Vec3& axis) {
    Mtx33 r;
    AxisAngleRows(r.m, angle, axis.x, axis.y, axis.z);
    return r;
}

Mtx33 Mtx33::RotationVector(const Vec3& v) {
    float angle = v.Length();
    // A zero rotation vector has no axis; dividing by its length would fill the matrix with NaN.
    if (angle == 0.0f) return Identity();
    return RotationAxisAngle(angle, v / angle);
}

Mtx33 Mtx33::Skew(const Vec3& v) { return {0, -v.z, v.y, v.z, 0, -v.x, -v.y, v.x, 0}; }

Mtx33 Mtx33::LookAt(const Vec3& direction, const Vec3& up) {
    Vec3 d = direction.GetNormalized();
    Vec3 x = up.Cross(d).GetNormalized();
    return FromColumns(x, d.Cross(x), d);
}

void Mtx33::Print() const { PrintElements(m, 3); }

// ---- Mtx44 ----

Mtx44::Mtx44() : m{} {}

Mtx44::Mtx44(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
             float m21, float m22, float m23, float m30, float m31, float m32, float m33)
    : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33} {}

Mtx44::Mtx44(const Mtx33& o)
    : Mtx44(o.m[0], o.m[1], o.m[2], 0, o.m[3], o.m[4], o.m[5], 0, o.m[6], o.m[7], o.m[8], 0, 0, 0, 0, 1) {}

const Mtx44& Mtx44::Identity() {
    static const Mtx44 identity(Mtx33::Identity());
    return identity;
}

const Mtx44& Mtx44::Zero() {
    static const Mtx44 zero;
    return zero;
}

void Mtx44::SetRow(int r, const Vec4& v) {
    m[4 * r] = v.x;
    m[4 * r + 1] = v.y;
    m[4 * r + 2] = v.z;
    m[4 * r + 3] = v.w;
}

void Mtx44::SetColumn(int c, const Vec4& v) {
    SetColumn(c, v.XYZ());
    m[12 + c] = v.w;
}

void Mtx44::SetColumn(int c, const Vec3& v) {
    m[c] = v.x;
    m[4 + c] = v.y;
    m[8 + c] = v.z;
}

Mtx44 Mtx44::FromColumns(const Vec4& c0, const Vec4& c1, const Vec4& c2, const Vec4& c3) {
    Mtx44 r;
    r.SetColumn(0, c0);
    r.SetColumn(1, c1);
    r.SetColumn(2, c2);
    r.SetColumn(3, c3);
    return r;
}

Mtx44 Mtx44::operator*(float s) const {
    Mtx44 r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i] * s;
    return r;
}

Mtx44 Mtx44::operator+(const Mtx44& o) const {
    Mtx44 r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i] + o.m[i];
    return r;
}

Mtx44 Mtx44::operator-(const Mtx44& o) const {
    Mtx44 r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i] - o.m[i];
    return r;
}

Mtx44 Mtx44::operator*(const Mtx44& o) const {
    Mtx44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[4 * i + j] =
                m[4 * i] * o.m[j] + m[4 * i + 1] * o.m[4 + j] + m[4 * i + 2] * o.m[8 + j] + m[4 * i + 3] * o.m[12 + j];
    return r;
}

Vec4 Mtx44::operator*(const Vec4& v) const {
    return {GetRow(0).Dot(v), GetRow(1).Dot(v), GetRow(2).Dot(v), GetRow(3).Dot(v)};
}

bool Mtx44::operator==(const Mtx44& o) const {
    for (int i = 0; i < 16; ++i)
        if (m[i] != o.m[i]) return false;
    return true;
}

Vec3 Mtx44::TransformDirection(const Vec3& v) const { return Mtx33(*this) * v; }

Vec3 Mtx44::TransformPoint(const Vec3& p) const { return TransformDirection(p) + GetColumn3(3); }

Vec4 Mtx44::TransformPoint(const Vec4& p) const { return Vec4(TransformPoint(p.XYZ()), p.w); }

void Mtx44::ScaleRows(const Vec3& s) {
    const float f[3] = {s.x, s.y, s.z};
    for (int i = 0; i < 12; ++i) m[i] *= f[i / 4];
}

Mtx44 Mtx44::GetTransposed() const {
    Mtx44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[4 * j + i] = m[4 * i + j];
    return r;
}

namespace {

// The 2x2 minors of rows 0-1 and rows 2-3, shared by the determinant and the adjugate.
struct Minors44 {
    float s[6], c[6];
    explicit Minors44(const float* m) {
        s[0] = m[0] * m[5] - m[4] * m[1];
        s[1] = m[0] * m[6] - m[4] * m[2];
        s[2] = m[0] * m[7] - m[4] * m[3];
        s[3] = m[1] * m[6] - m[5] * m[2];
        s[4] = m[1] * m[7] - m[5] * m[3];
        s[5] = m[2] * m[7] - m[6] * m[3];
        c[5] = m[10] * m[15] - m[14] * m[11];
        c[4] = m[9] * m[15] - m[13] * m[11];
        c[3] = m[9] * m[14] - m[13] * m[10];
        c[2] = m[8] * m[15] - m[12] * m[11];
        c[1] = m[8] * m[14] - m[12] * m[10];
        c[0] = m[8] * m[13] - m[12] * m[9];
    }
    float Determinant() const {
        return s[0] * c[5] - s[1] * c[4] + s[2] * c[3] + s[3] * c[2] - s[4] * c[1] + s[5] * c[0];
    }
};

}  // namespace

float Mtx44::GetDeterminant() const { return Minors44(m).Determinant(); }

Mtx44 Mtx44::GetInverse() const {
    Minors44 k(m);
    float det = k.Determinant();
    if (det == 0.0f) return Zero();
    const float* s = k.s;
    const float* c = k.c;
    Mtx44 adj(m[5] * c[5] - m[6] * c[4] + m[7] * c[3], -m[1] * c[5] + m[2] * c[4] - m[3] * c[3],
              m[13] * s[5] - m[14] * s[4] + m[15] * s[3], -m[9] * s[5] + m[10] * s[4] - m[11] * s[3],
              -m[4] * c[5] + m[6] * c[2] - m[7] * c[1], m[0] * c[5] - m[2] * c[2] + m[3] * c[1],
              -m[12] * s[5] + m[14] * s[2] - m[15] * s[1], m[8] * s[5] - m[10] * s[2] + m[11] * s[1],
              m[4] * c[4] - m[5] * c[2] + m[7] * c[0], -m[0] * c[4] + m[1] * c[2] - m[3] * c[0],
              m[12] * s[4] - m[13] * s[2] + m[15] * s[0], -m[8] * s[4] + m[9] * s[2] - m[11] * s[0],
              -m[4] * c[3] + m[5] * c[1] - m[6] * c[0], m[0] * c[3] - m[1] * c[1] + m[2] * c[0],
              -m[12] * s[3] + m[13] * s[1] - m[14] * s[0], m[8] * s[3] - m[9] * s[1] + m[10] * s[0]);
    return adj * (1.0f / det);
}

Mtx44 Mtx44::Diagonal(float x, float y, float z) { return Mtx44(Mtx33::Diagonal(x, y, z)); }

Mtx44 Mtx44::Translation(const Vec3& t) {
    Mtx44 r = Identity();
    r.SetColumn(3, t);
    return r;
}

Mtx44 Mtx44::ScaleTranslation(const Vec3& scale, const Vec3& t) {
    Mtx44 r = Diagonal(scale.x, scale.y, scale.z);
    r.SetColumn(3, t);
    return r;
}

Mtx44 Mtx44::View(const Vec3& eye, const Vec3& target, const Vec3& up) {
    Vec3 f = (eye - target).GetNormalized();
    Vec3 s = up.Cross(f).GetNormalized();
    Vec3 u = f.Cross(s);
    Mtx44 r;
    r.SetRow(0, Vec4(s, -s.Dot(eye)));
    r.SetRow(1, Vec4(u, -u.Dot(eye)));
    r.SetRow(2, Vec4(f, -f.Dot(eye)));
    r.SetRow(3, Vec4(0, 0, 0, 1));
    return r;
}

void Mtx44::Print() const { PrintElements(m, 4); }

// ---- Mtx33d ----

Mtx33d::Mtx33d() : Mtx33d(1, 0, 0, 0, 1, 0, 0, 0, 1) {}

Mtx33d::Mtx33d(double m00, double m01, double m02, double m10, double m11, double m12, double m20, double m21,
               double m22)
    : m{m00, m01, m02, m10, m11, m12, m20, m21, m22} {}

void Mtx33d::SetColumn(int c, const Vec3d& v) {
    m[c] = v.x;
    m[3 + c] = v.y;
    m[6 + c] = v.z;
}

Mtx33d Mtx33d::operator*(double s) const {
    Mtx33d r;
    for (int i = 0; i < 9; ++i) r.m[i] = m[i] * s;
    return r;
}

Mtx33d Mtx33d::operator+(const Mtx33d& o) const {
    Mtx33d r;
    for (int i = 0; i < 9; ++i) r.m[i] = m[i] + o.m[i];
    return r;
}

Mtx33d Mtx33d::operator-(const Mtx33d& o) const {
    Mtx33d r;
    for (int i = 0; i < 9; ++i) r.m[i] = m[i] - o.m[i];
    return r;
}

Vec3d Mtx33d::operator*(const Vec3d& v) const {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
}

void Mtx33d::Orthonormalize() { OrthonormalizeColumns(*this); }

void Mtx33d::NormalizeColumns() {
    for (int c = 0; c < 3; ++c) SetColumn(c, GetColumn(c).GetNormalized());
}

Mtx33d Mtx33d::AxisAngle(double angle, const Vec3d& axis) {
    Mtx33d r;
    AxisAngleRows(r.m, angle, axis.x, axis.y, axis.z);
    return r;
}

Mtx33d Mtx33d::LookAt(const Vec3d& direction, const Vec3d& up) {
    Vec3d d = direction.GetNormalized();
    Vec3d x = up.Cross(d).GetNormalized();
    Vec3d y = d.Cross(x);
    Mtx33d r;
    r.SetColumn(0, x);
    r.SetColumn(1, y);
    r.SetColumn(2, d);
    return r;
}

}  // namespace SD
