#include "engine/FieldVisitor.h"
#include "engine/IDataStream.h"
#include "engine/MathSerialize.h"
#include "engine/SuperialValue.h"
#include "engine/Transform.h"

namespace SD {

namespace {
// Position, scale and the orientation in row order: the transform's text record.
constexpr int kTextFloats = 15;
}  // namespace

void Transform::VReadData(Data::IDataStream& stream, int) {
    float* fields[kTextFloats] = {&position_.x, &position_.y, &position_.z, &scale_.x, &scale_.y, &scale_.z};
    for (int i = 0; i < 9; ++i) fields[6 + i] = &orientation_.m[i];
    for (float* f : fields) stream.get(*f);
    invalid_ = true;
}

void Transform::VWriteData(Data::IDataStream& stream) {
    const float fields[kTextFloats] = {position_.x, position_.y, position_.z, scale_.x, scale_.y, scale_.z,
                                       orientation_.m[0], orientation_.m[1], orientation_.m[2],
                                       orientation_.m[3], orientation_.m[4], orientation_.m[5],
                                       orientation_.m[6], orientation_.m[7], orientation_.m[8]};
    for (float f : fields) stream.write(f);
}

void Transform::VWriteSuperial(SuperialValue* node, int) {
    if (!node) return;
    if (node->Type() == kSuperialNull) node->MakeObject();
    WriteFloats(SuperialValue::AppendChild(node, kSuperialNull), "position", &position_.x, 3);
    WriteFloats(SuperialValue::AppendChild(node, kSuperialNull), "scale", &scale_.x, 3);
    WriteFloats(SuperialValue::AppendChild(node, kSuperialNull), "orientation", orientation_.m, 9);
    SuperialValue::AppendChild(node, kSuperialNull);
}

void Transform::VReadSuperial(SuperialValue* node, bool byName) {
    if (!node || !node->IsContainer()) return;
    SuperialValue* position = node->FirstChild();
    SuperialValue* scale = position ? position->Next() : nullptr;
    SuperialValue* orientation = scale ? scale->Next() : nullptr;
    if (byName) {
        position = SuperialValue::FindChildByName(node, "position");
        scale = SuperialValue::FindChildByName(node, "scale");
        orientation = SuperialValue::FindChildByName(node, "orientation");
    }
    ReadFloats(position, &position_.x, 3);
    ReadFloats(scale, &scale_.x, 3);
    ReadFloats(orientation, orientation_.m, 9);
    invalid_ = true;
}

void Transform::VVisitFields(IFieldVisitor& visitor) {
    visitor.VisitVector("position", position_);
    visitor.VisitVector("scale", scale_);
    visitor.VisitMatrix("orientation", orientation_);
}

void Transform::VSerialize(IStream& stream, int) {
    SerializeVec3(stream, "position", position_);
    SerializeVec3(stream, "scale", scale_);
    SerializeMtx33(stream, "orientation", orientation_);
    invalid_ = true;
}

}  // namespace SD
