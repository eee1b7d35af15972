#pragma once
// The engine's matrices. Storage is row-major (element (r, c) at index r * columns + c) and
// matrices act on column vectors: v' = M v, so A * B applied to a vector applies B first.
// A 4x4 transform keeps its translation in elements 3, 7 and 11. Rotations are right-handed,
// angles in radians, their sine and cosine taken in double precision.
#include "core/Vector.h"

namespace SD {

struct Mtx44;

struct Mtx33 {
    float m[9];

    // The identity: a fresh orientation.
    Mtx33();
    Mtx33(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22);
    // The upper-left 3x3 block.
    explicit Mtx33(const Mtx44& o);
    static const char* TypeName() { return "Mtx33"; }

    static const Mtx33& Identity();
    static const Mtx33& Zero();
    void SetIdentity() { *this = Identity(); }
    void SetZero() { *this = Zero(); }

    float& operator()(int r, int c) { return m[3 * r + c]; }
    float operator()(int r, int c) const { return m[3 * r + c]; }
    Vec3 GetRow(int r) const { return {m[3 * r], m[3 * r + 1], m[3 * r + 2]}; }
    void SetRow(int r, const Vec3& v);
    Vec3 GetColumn(int c) const { return {m[c], m[3 + c], m[6 + c]}; }
    void SetColumn(int c, const Vec3& v);
    static Mtx33 FromColumns(const Vec3& c0, const Vec3& c1, const Vec3& c2);

    Mtx33 operator*(float s) const;
    Mtx33& operator*=(float s) { return *this = *this * s; }
    Mtx33 operator+(const Mtx33& o) const;
    Mtx33 operator-(const Mtx33& o) const;
    Mtx33& operator+=(const Mtx33& o) { return *this = *this + o; }
    Mtx33& operator-=(const Mtx33& o) { return *this = *this - o; }
    Mtx33 operator*(const Mtx33& o) const;
    Mtx33& operator*=(const Mtx33& o) { return *this = *this * o; }
    Vec3 operator*(const Vec3& v) const;
    bool operator==(const Mtx33& o) const;
    bool operator!=(const Mtx33& o) const { return !(*this == o); }

    // Row r multiplied by component r of the scale.
    void ScaleRows(const Vec3& s);
    Mtx33 GetAbs() const;
    void AbsThis() { *this = GetAbs(); }
    Mtx33 GetTransposed() const;
    float GetDeterminant() const;
    // The zero matrix when the determinant is exactly 0; no tolerance is applied.
    Mtx33 GetInverse() const;
    // Keeps the direction of column 2 and rebuilds a right-handed orthonormal basis around it.
    void Orthonormalize();
    // Normalises each column on its own, without re-crossing.
    void NormalizeColumns();

    static Mtx33 Diagonal(float x, float y, float z);
    static Mtx33 RotationX(float angle);
    static Mtx33 RotationY(float angle);
    static Mtx33 RotationZ(float angle);
    // The axis must have length 1.
    static Mtx33 RotationAxisAngle(float angle, const Vec3& axis);
    // Angle = the vector's length, axis = its direction; a zero vector is no rotation.
    static Mtx33 RotationVector(const Vec3& v);
    // The cross-product matrix: Skew(a) * b == a.Cross(b).
    static Mtx33 Skew(const Vec3& v);
    // Columns side, up, direction: local +Z along the direction, +Y as close to up as possible.
    // A direction parallel to up gives non-finite elements.
    static Mtx33 LookAt(const Vec3& direction, const Vec3& up);

    // M = M * R: the new rotation is applied to vectors before the old transform.
    void PreRotateX(float angle) { *this = *this * RotationX(angle); }
    void PreRotateY(float angle) { *this = *this * RotationY(angle); }
    void PreRotateZ(float angle) { *this = *this * RotationZ(angle); }
    // M = R * M: the new rotation is applied after the old transform.
    void PostRotateX(float angle) { *this = RotationX(angle) * *this; }
    void PostRotateY(float angle) { *this = RotationY(angle) * *this; }
    void PostRotateZ(float angle) { *this = RotationZ(angle) * *this; }
    void SetRotationAxisAngle(float angle, const Vec3& axis) { *this = RotationAxisAngle(angle, axis) * *this; }
    void SetRotationAxisAngle(float angle, float x, float y, float z) { SetRotationAxisAngle(angle, Vec3(x, y, z)); }
    void RotateByVector(const Vec3& v) { *this = RotationVector(v) * *this; }

    // Each element as "%8f " on standard output, a newline after every row.
    void Print() const;
};

struct Mtx44 {
    float m[16];

    // All zero, the state of a world or view matrix before it is first built.
    Mtx44();
    Mtx44(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20, float m21,
          float m22, float m23, float m30, float m31, float m32, float m33);
    // The 3x3 block in the upper left, zeros elsewhere and 1 at element 15.
    explicit Mtx44(const Mtx33& o);
    static const char* TypeName() { return "Mtx44"; }

    static const Mtx44& Identity();
    static const Mtx44& Zero();
    void SetIdentity() { *this = Identity(); }
    void SetZero() { *this = Zero(); }

    float& operator()(int r, int c) { return m[4 * r + c]; }
    float operator()(int r, int c) const { return m[4 * r + c]; }
    Vec4 GetRow(int r) const { return {m[4 * r], m[4 * r + 1], m[4 * r + 2], m[4 * r + 3]}; }
    void SetRow(int r, const Vec4& v);
    Vec4 GetColumn(int c) const { return {m[c], m[4 + c], m[8 + c], m[12 + c]}; }
    void SetColumn(int c, const Vec4& v);
    // Rows 0 to 2 of the column only.
    Vec3 GetColumn3(int c) const { return {m[c], m[4 + c], m[8 + c]}; }
    void SetColumn(int c, const Vec3& v);
    static Mtx44 FromColumns(const Vec4& c0, const Vec4& c1, const Vec4& c2, const Vec4& c3);

    Mtx44 operator*(float s) const;
    Mtx44& operator*=(float s) { return *this = *this * s; }
    Mtx44 operator+(const Mtx44& o) const;
    Mtx44 operator-(const Mtx44& o) const;
    Mtx44& operator+=(const Mtx44& o) { return *this = *this + o; }
    Mtx44& operator-=(const Mtx44& o) { return *this = *this - o; }
    Mtx44 operator*(const Mtx44& o) const;
    Mtx44& operator*=(const Mtx44& o) { return *this = *this * o; }
    Vec4 operator*(const Vec4& v) const;
    bool operator==(const Mtx44& o) const;
    bool operator!=(const Mtx44& o) const { return !(*this == o); }

    // The 3x3 block times the vector: a direction, untouched by the translation.
    Vec3 TransformDirection(const Vec3& v) const;
    // The vector as a point (w = 1): the translation is added.
    Vec3 TransformPoint(const Vec3& p) const;
    // The first three components as a point; the fourth is kept as it was.
    Vec4 TransformPoint(const Vec4& p) const;

    // Row r (0 to 2) multiplied by component r of the scale.
    void ScaleRows(const Vec3& s);
    Mtx44 GetTransposed() const;
    void Transpose() { *this = GetTransposed(); }
    float GetDeterminant() const;
    // The zero matrix when the determinant is exactly 0; no tolerance is applied.
    Mtx44 GetInverse() const;

    static Mtx44 Diagonal(float x, float y, float z);
    static Mtx44 Translation(const Vec3& t);
    static Mtx44 ScaleTranslation(const Vec3& scale, const Vec3& t);
    static Mtx44 RotationX(float angle) { return Mtx44(Mtx33::RotationX(angle)); }
    static Mtx44 RotationY(float angle) { return Mtx44(Mtx33::RotationY(angle)); }
    static Mtx44 RotationZ(float angle) { return Mtx44(Mtx33::RotationZ(angle)); }
    static Mtx44 RotationAxisAngle(float angle, const Vec3& axis) {
        return Mtx44(Mtx33::RotationAxisAngle(angle, axis));
    }
    // The camera at eye looking at target along its local -Z axis, +Y towards up.
    static Mtx44 View(const Vec3& eye, const Vec3& target, const Vec3& up);
    static Mtx44 View(float ex, float ey, float ez, float tx, float ty, float tz, float ux, float uy, float uz) {
        return View(Vec3(ex, ey, ez), Vec3(tx, ty, tz), Vec3(ux, uy, uz));
    }

    // M = T * M.
    void Translate(const Vec3& t) { *this = Translation(t) * *this; }
    // M = M * R.
    void PreRotateX(float angle) { *this = *this * RotationX(angle); }
    void PreRotateY(float angle) { *this = *this * RotationY(angle); }
    void PreRotateZ(float angle) { *this = *this * RotationZ(angle); }
    // M = R * M.
    void PostRotateX(float angle) { *this = RotationX(angle) * *this; }
    void PostRotateY(float angle) { *this = RotationY(angle) * *this; }
    void PostRotateZ(float angle) { *this = RotationZ(angle) * *this; }
    void SetRotationAxisAngle(float angle, const Vec3& axis) { *this = RotationAxisAngle(angle, axis) * *this; }
    void SetRotationAxisAngle(float angle, float x, float y, float z) { SetRotationAxisAngle(angle, Vec3(x, y, z)); }

    void Print() const;
};

// The double-precision 3x3 matrix of the orientation routines; same layout as Mtx33.
struct Mtx33d {
    double m[9];

    // The identity.
    Mtx33d();
    Mtx33d(double m00, double m01, double m02, double m10, double m11, double m12, double m20, double m21, double m22);

    double& operator()(int r, int c) { return m[3 * r + c]; }
    double operator()(int r, int c) const { return m[3 * r + c]; }
    Vec3d GetColumn(int c) const { return {m[c], m[3 + c], m[6 + c]}; }
    void SetColumn(int c, const Vec3d& v);

    Mtx33d operator*(double s) const;
    Mtx33d& operator*=(double s) { return *this = *this * s; }
    Mtx33d operator+(const Mtx33d& o) const;
    Mtx33d operator-(const Mtx33d& o) const;
    Mtx33d& operator+=(const Mtx33d& o) { return *this = *this + o; }
    Mtx33d& operator-=(const Mtx33d& o) { return *this = *this - o; }
    Vec3d operator*(const Vec3d& v) const;

    void Orthonormalize();
    void NormalizeColumns();
    static Mtx33d AxisAngle(double angle, const Vec3d& axis);
    static Mtx33d LookAt(const Vec3d& direction, const Vec3d& up);
};

}  // namespace SD
