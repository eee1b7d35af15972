#include "physics/Shapes.h"

#include "core/Bitmap.h"
#include "core/Logger.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "physics/MeshFile.h"
#include "platform/os/FileIO.h"

namespace Gedankenexperiment {
namespace {

const char* const kShapeTexts[kShapeTypeCount] = {"Sphere", "OBB", "AAB", "HM", "SphereFF", "Cylinder", "Mesh"};

bool Reading(const SD::IStream& stream) { return stream.GetDirection() == SD::IStream::kRead; }

}  // namespace

const char* ShapeTypeText(int type) { return type >= 0 && type < kShapeTypeCount ? kShapeTexts[type] : nullptr; }

bool ShapeTypeFromText(const std::string& text, ShapeType* type) {
    for (int i = 0; i < kShapeTypeCount; ++i) {
        if (text == kShapeTexts[i]) {
            *type = static_cast<ShapeType>(i);
            return true;
        }
    }
    return false;
}

std::unique_ptr<Shape> CreateShape(ShapeType type) {
    switch (type) {
        case kShapeSphere:
            return std::make_unique<Sphere>();
        case kShapeOBB:
            return std::make_unique<OrientedBox>();
        case kShapeAAB:
            return std::make_unique<AxisABox>();
        case kShapeHeightMap:
            return std::make_unique<HeightMap>();
        case kShapeSphereFF:
            return std::make_unique<SphereFF>();
        case kShapeCylinder:
            return std::make_unique<Cylinder>();
        case kShapeMesh:
            return std::make_unique<Mesh>();
        case kShapeTypeCount:
            break;
    }
    return nullptr;
}

void Sphere::SerializeFields(SD::IStream& stream) { stream.Serialize(radius, "Radius", "Float"); }

void OrientedBox::SerializeFields(SD::IStream& stream) { SD::SerializeVec3(stream, "Extents", extents); }

void AxisABox::SerializeFields(SD::IStream& stream) { SD::SerializeVec3(stream, "Extents", extents); }

void HeightMap::SerializeFields(SD::IStream& stream) {
    std::string name = filename;
    stream.Serialize(name, "Filename", "String");
    // Level data that repeats the blueprint's name does not read the bitmap again.
    if (Reading(stream) && !name.empty() && (name != filename || !IsUsable())) Load(name);
}

void HeightMap::Load(const std::string& name) {
    filename = name;
    pixels.clear();
    width = height = 0;
    // The graphics side names the same folder "Textures": resolved without regard to case, as
    // the game's data expects of its file system.
    const std::string path = platform::ResolvePath("../Assets/textures/HeightMaps/" + name + ".bmp");
    SD::BmpImage image;
    if (!SD::ReadBmpFile(image, path)) {
        SD_WARNING(Debug::kLogError, "Height map %s could not be read; it has no contact", path.c_str());
        return;
    }
    if (image.width < 2 || image.height < 2) {
        SD_WARNING(Debug::kLogError, "Height map %s is %dx%d pixels, fewer than 2x2; it has no contact", path.c_str(),
                   static_cast<int>(image.width), static_cast<int>(image.height));
        return;
    }
    pixels = std::move(image.pixels);
    width = image.width;
    height = image.height;
}

void SphereFF::SerializeFields(SD::IStream& stream) {
    stream.Serialize(radius, "Radius", "Float");
    stream.Serialize(fieldThickness, "Field Thickness", "Float");
}

void Cylinder::SerializeFields(SD::IStream& stream) {
    SD::SerializeVec3(stream, "Point1", point1);
    SD::SerializeVec3(stream, "Point2", point2);
    stream.Serialize(radius, "Radius", "Float");
}

void Mesh::SerializeFields(SD::IStream& stream) {
    std::string name = meshFile;
    stream.Serialize(name, "Mesh File", "String");
    if (Reading(stream) && !name.empty()) {
        meshFile = name;
        data = LoadPhysicsMesh(name);
        hasBounds = false;
    }
    stream.Serialize(bufferThickness, "Buffer Thickness", "Float");
}

}  // namespace Gedankenexperiment
