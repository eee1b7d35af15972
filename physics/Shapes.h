#pragma once
// The collision shapes a collider can hold. Each kind has a type number shared by the
// pair-test and node-test tables, a text by which data names it, and its own fields.
#include <memory>
#include <string>
#include <vector>

#include "core/Vector.h"

namespace SD {
class IStream;
}

namespace Gedankenexperiment {

class Collider;
struct MeshData;

enum ShapeType : int {
    kShapeSphere = 0,
    kShapeOBB = 1,
    kShapeAAB = 2,
    kShapeHeightMap = 3,
    kShapeSphereFF = 4,
    kShapeCylinder = 5,
    kShapeMesh = 6,
    kShapeTypeCount = 7,
};

class Shape {
public:
    explicit Shape(ShapeType type) : type_(type) {}
    virtual ~Shape() = default;
    Shape(const Shape&) = delete;
    Shape& operator=(const Shape&) = delete;

    ShapeType GetType() const { return type_; }
    Collider* GetCollider() const { return collider_; }
    void SetCollider(Collider* collider) { collider_ = collider; }
    // Visits the kind's own fields after "Shape Type".
    virtual void SerializeFields(SD::IStream& stream) = 0;

private:
    ShapeType type_;
    Collider* collider_ = nullptr;
};

// The text data uses for a kind ("Sphere", "OBB", ...); null for a number outside the kinds.
const char* ShapeTypeText(int type);
// The kind a text names; false when it names none.
bool ShapeTypeFromText(const std::string& text, ShapeType* type);
// A new shape of the kind with zero fields.
std::unique_ptr<Shape> CreateShape(ShapeType type);

class Sphere : public Shape {
public:
    Sphere() : Shape(kShapeSphere) {}
    void SerializeFields(SD::IStream& stream) override;
    float radius = 0.0f;
};

class OrientedBox : public Shape {
public:
    OrientedBox() : Shape(kShapeOBB) {}
    void SerializeFields(SD::IStream& stream) override;
    SD::Vec3 extents;  // half sizes along the object's own axes
};

class AxisABox : public Shape {
public:
    AxisABox() : Shape(kShapeAAB) {}
    void SerializeFields(SD::IStream& stream) override;
    SD::Vec3 extents;  // half sizes
};

// A grid of heights read from a 24-bit bitmap: the first byte of each pixel is the height
// sample. The world sizes and height scale come from the object's scale at initialisation.
class HeightMap : public Shape {
public:
    HeightMap() : Shape(kShapeHeightMap) {}
    void SerializeFields(SD::IStream& stream) override;
    // Reads "../Assets/textures/HeightMaps/<name>.bmp"; a file that is missing, refused or
    // smaller than 2 x 2 pixels is logged and leaves the map empty (no contact).
    void Load(const std::string& name);
    bool IsUsable() const { return width >= 2 && height >= 2; }

    std::string filename;
    std::vector<unsigned char> pixels;  // three bytes per pixel, row k at 3 * k * width
    int width = 0;
    int height = 0;
    float sizeX = 0.0f;
    float sizeZ = 0.0f;
    float heightScale = 0.0f;
};

// A sphere that pushes spheres away within a shell around it, centred 15 units above its
// position.
class SphereFF : public Shape {
public:
    SphereFF() : Shape(kShapeSphereFF) {}
    void SerializeFields(SD::IStream& stream) override;
    float radius = 0.0f;
    float fieldThickness = 0.0f;
};

class Cylinder : public Shape {
public:
    Cylinder() : Shape(kShapeCylinder) {}
    void SerializeFields(SD::IStream& stream) override;
    SD::Vec3 point1;  // axis ends, relative to the collider's position
    SD::Vec3 point2;
    float radius = 0.0f;
};

class Mesh : public Shape {
public:
    Mesh() : Shape(kShapeMesh) {}
    void SerializeFields(SD::IStream& stream) override;

    std::string meshFile;
    float bufferThickness = 0.0f;
    std::shared_ptr<const MeshData> data;  // shared with the physics system's cache
    // The world-axis half sizes of the mesh around its position, fixed on first use by the
    // broad phase.
    bool hasBounds = false;
    SD::Vec3 bounds;
    // Set with the bounds when the object comes to rest elsewhere than where it stands then:
    // the box is kept around that resting point.
    bool hasRestingCentre = false;
    SD::Vec3 restingCentre;
};

}  // namespace Gedankenexperiment
