#include "engine/MathSerialize.h"

#include "engine/SuperialValue.h"

namespace SD {

void SerializeFloats(IStream& stream, float* values, int count, const char* name, const char* typeName) {
    stream.BeginGroup(name, typeName, kSuperialArray);
    for (int i = 0; i < count; ++i) stream.Serialize(values[i], nullptr, "Float");
    stream.EndGroup(name, typeName, kSuperialArray);
}

bool WriteFloats(SuperialValue* node, const char* name, const float* values, int count) {
    if (!node) return false;
    if (node->Type() == kSuperialNull) node->SetType(kSuperialArray);
    if (!node->IsContainer()) return false;
    if (name) node->SetName(name);
    for (int i = 0; i < count; ++i) SuperialValue::AppendChild(node, kSuperialNull)->SetFloat(values[i]);
    return true;
}

bool ReadFloats(const SuperialValue* node, float* values, int count) {
    if (!node || !node->IsContainer()) return false;
    const SuperialValue* child = node->FirstChild();
    for (int i = 0; i < count; ++i, child = child->Next()) {
        if (!child) return false;
        values[i] = child->GetFloat();
    }
    return true;
}

}  // namespace SD
