#pragma once
// View geometry of the graphics device: left-handed coordinates and row vectors (v' = v M),
// so a transform keeps its translation in row 3 and A * B applies A first.
namespace platform::gfx {

struct Float3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct Float4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    bool operator==(const Float4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
};

// a x + b y + c z + d = 0.
struct Plane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
};

// Row-major: element (r, c) at m[4 r + c].
struct Matrix {
    float m[16] = {};
    static Matrix Identity();
    float operator()(int r, int c) const { return m[4 * r + c]; }
    float& operator()(int r, int c) { return m[4 * r + c]; }
    bool operator==(const Matrix& o) const;
};

// The camera at eye looking towards at, +Y as close to up as possible; eye maps to the origin
// and the viewing direction to +Z.
Matrix MatrixLookAtLH(const Float3& eye, const Float3& at, const Float3& up);
// Vertical field of view in radians; depth maps near to 0 and far to 1, w = view z.
Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// The view volume from left to right and bottom to top; depth near to 0, far to 1.
Matrix MatrixOrthoOffCenterLH(float left, float right, float bottom, float top, float zNear, float zFar);
// a then b.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
// False, and out untouched, for a matrix whose determinant is 0.
bool MatrixInverse(const Matrix& in, Matrix& out, float* determinant = nullptr);
Matrix MatrixTranspose(const Matrix& in);
Plane PlaneFromPointNormal(const Float3& point, const Float3& normal);
// Scaled so that (a, b, c) has length 1; a plane with no normal is returned unchanged.
Plane PlaneNormalize(const Plane& p);
// The plane as a row vector times the matrix. To move a plane by a transform T, pass the
// inverse transpose of T.
Plane PlaneTransform(const Plane& p, const Matrix& m);
Float4 Vec4Transform(const Float4& v, const Matrix& m);

}  // namespace platform::gfx
