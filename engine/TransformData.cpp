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
    TransformState& s = *state_;
    float* fields[kTextFloats] = {&s.position.x, &s.position.y, &s.position.z, &s.scale.x, &s.scale.y, &s.scale.z};
    for (int i = 0; i < 9; ++i) fields[6 + i] = &s.orientation.m[i];
    for (float* f : fields) stream.get(*f);
    state_->invalid = true;
}

void Transform::VWriteData(Data::IDataStream& stream) {
    const TransformState& s = *state_;
    const float fields[kTextFloats] = {s.position.x,       s.position.y,       s.position.z,       s.scale.x,
                                       s.scale.y,          s.scale.z,          s.orientation.m[0], s.orientation.m[1],
                                       s.orientation.m[2], s.orientation.m[3], s.orientation.m[4], s.orientation.m[5],
                                       s.orientation.m[6], s.orientation.m[7], s.orientation.m[8]};
    for (float f : fields) stream.write(f);
}

void Transform::VWriteSuperial(SuperialValue* node, int) {
    if (!node) return;
    if (node->Type() == kSuperialNull) node->MakeObject();
    WriteFloats(SuperialValue::AppendChild(node, kSuperialNull), "position", &state_->position.x, 3);
    WriteFloats(SuperialValue::AppendChild(node, kSuperialNull), "scale", &state_->scale.x, 3);
    WriteFloats(SuperialValue::AppendChild(node, kSuperialNull), "orientation", state_->orientation.m, 9);
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
    ReadFloats(position, &state_->position.x, 3);
    ReadFloats(scale, &state_->scale.x, 3);
    ReadFloats(orientation, state_->orientation.m, 9);
    state_->invalid = true;
}

void Transform::VVisitFields(IFieldVisitor& visitor) {
    visitor.VisitVector("position", state_->position);
    visitor.VisitVector("scale", state_->scale);
    visitor.VisitMatrix("orientation", state_->orientation);
}

void Transform::VSerialize(IStream& stream, int) {
    SerializeVec3(stream, "position", state_->position);
    SerializeVec3(stream, "scale", state_->scale);
    SerializeMtx33(stream, "orientation", state_->orientation);
    state_->invalid = true;
}

}  // namespace SD
