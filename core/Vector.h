#pragma once
// The engine's vector value types: plain floats (x, y, z, w in that order) with value arithmetic.
// Vec3d is the double-precision vector of the orientation routines of Mtx33d.
#include <cmath>

namespace SD {

struct Vec2 {
    float x = 0.0f, y = 0.0f;

    Vec2() = default;
    Vec2(float x_, float y_) : x(x_), y(y_) {}
    static const char* TypeName() { return "Vec2"; }

    Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
    Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
    Vec2 operator-() const { return {-x, -y}; }
    Vec2 operator*(float s) const { return {x * s, y * s}; }
    Vec2& operator+=(const Vec2& o) { return *this = *this + o; }
    Vec2& operator-=(const Vec2& o) { return *this = *this - o; }
    Vec2& operator*=(float s) { return *this = *this * s; }
    bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Vec2& o) const { return !(*this == o); }

    float Dot(const Vec2& o) const { return x * o.x + y * o.y; }
    float LengthSq() const { return Dot(*this); }
    float Length() const { return std::sqrt(LengthSq()); }
    // A zero vector gives non-finite components.
    Vec2 GetNormalized() const { return *this * (1.0f / Length()); }
    void NormalizeThis() { *this = GetNormalized(); }
};

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    static const char* TypeName() { return "Vec3"; }

    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vec3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
    Vec3& operator-=(const Vec3& o) { return *this = *this - o; }
    Vec3& operator*=(float s) { return *this = *this * s; }
    bool operator==(const Vec3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vec3& o) const { return !(*this == o); }

    float Dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec3 Cross(const Vec3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    float LengthSq() const { return Dot(*this); }
    float Length() const { return std::sqrt(LengthSq()); }
    // A zero vector gives non-finite components.
    Vec3 GetNormalized() const { return *this * (1.0f / Length()); }
    void NormalizeThis() { *this = GetNormalized(); }
    // True when every component is within 0.0001 of zero.
    bool IsZero() const { return std::fabs(x) < 1e-4f && std::fabs(y) < 1e-4f && std::fabs(z) < 1e-4f; }

    // The angle in radians between two vectors: 0 when they point the same way, pi (as a float)
    // when they point opposite ways.
    static float AngleBetween(const Vec3& a, const Vec3& b);
};

inline Vec3 operator*(float s, const Vec3& v) { return v * s; }

struct Vec4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;

    Vec4() = default;
    Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Vec4(const Vec3& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}
    static const char* TypeName() { return "Vec4"; }
    static const Vec4& Zero();

    Vec3 XYZ() const { return {x, y, z}; }
    Vec4 operator+(const Vec4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    Vec4 operator-(const Vec4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    Vec4 operator-() const { return {-x, -y, -z, -w}; }
    Vec4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    Vec4& operator+=(const Vec4& o) { return *this = *this + o; }
    Vec4& operator-=(const Vec4& o) { return *this = *this - o; }
    Vec4& operator*=(float s) { return *this = *this * s; }
    bool operator==(const Vec4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Vec4& o) const { return !(*this == o); }

    float Dot(const Vec4& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    float LengthSq() const { return Dot(*this); }
    float Length() const { return std::sqrt(LengthSq()); }
    // A zero vector gives non-finite components.
    Vec4 GetNormalized() const { return *this * (1.0f / Length()); }
    void NormalizeThis() { *this = GetNormalized(); }
    // True when every component is within 0.0001 of zero.
    bool IsZero() const {
        return std::fabs(x) < 1e-4f && std::fabs(y) < 1e-4f && std::fabs(z) < 1e-4f && std::fabs(w) < 1e-4f;
    }
};

struct Vec3d {
    double x = 0.0, y = 0.0, z = 0.0;

    Vec3d() = default;
    Vec3d(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    explicit Vec3d(const Vec3& v) : x(v.x), y(v.y), z(v.z) {}

    Vec3d operator*(double s) const { return {x * s, y * s, z * s}; }
    double Dot(const Vec3d& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec3d Cross(const Vec3d& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    double Length() const { return std::sqrt(Dot(*this)); }
    Vec3d GetNormalized() const { return *this * (1.0 / Length()); }
};

}  // namespace SD
