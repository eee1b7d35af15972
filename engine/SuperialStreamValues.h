#pragma once
// How each serialised type is stored in a node and added as an attribute.
#include <string>

#include "core/SharedString.h"
#include "engine/SuperialValue.h"

namespace SD {

inline bool StoreValue(SuperialValue& node, const SharedString& value) { return node.SetString(value); }
inline bool StoreValue(SuperialValue& node, const std::string& value) { return node.SetString(value); }
inline bool StoreValue(SuperialValue& node, bool value) { return node.SetBoolean(value); }
inline bool StoreValue(SuperialValue& node, double value) { return node.SetFloat(value); }
inline bool StoreValue(SuperialValue& node, float value) { return node.SetFloat(value); }
inline bool StoreValue(SuperialValue& node, unsigned value) { return node.SetInteger(value); }
inline bool StoreValue(SuperialValue& node, int value) { return node.SetInteger(value); }

inline void AddTypedAttribute(SuperialValue* node, const char* name, const SharedString& value) {
    SuperialValue::AddNameAttribute(node, name, value);
}
inline void AddTypedAttribute(SuperialValue* node, const char* name, const std::string& value) {
    SuperialValue::AddStringAttribute(node, name, value);
}
inline void AddTypedAttribute(SuperialValue* node, const char* name, bool value) {
    SuperialValue::AddBooleanAttribute(node, name, value);
}
inline void AddTypedAttribute(SuperialValue* node, const char* name, double value) {
    SuperialValue::AddFloatAttribute(node, name, value);
}
inline void AddTypedAttribute(SuperialValue* node, const char* name, float value) {
    SuperialValue::AddFloatAttribute(node, name, value);
}
inline void AddTypedAttribute(SuperialValue* node, const char* name, unsigned value) {
    SuperialValue::AddIntegerAttribute(node, name, value);
}
inline void AddTypedAttribute(SuperialValue* node, const char* name, int value) {
    SuperialValue::AddIntegerAttribute(node, name, value);
}

// The value stored with its setter, then the label (when given) as name and the type name as
// tag, whether or not the setter accepted the value.
template <class T>
void StoreLabelledValue(SuperialValue& node, const T& value, const char* label, const char* typeName) {
    StoreValue(node, value);
    if (label) node.SetName(label);
    if (typeName) node.SetTag(typeName);
}

// A Null node becomes an empty Object so that groups and values can be added under it.
inline void MakeReadyForChildren(SuperialValue* node) {
    if (node && node->Type() == kSuperialNull && !node->IsAttribute()) node->MakeObject();
}

// How a writing stream creates the node of the next unlabelled value.
enum class ValueAdder { FirstChild, Append, InsertAfter };

inline SuperialValue* AddWith(ValueAdder adder, SuperialValue* at) {
    switch (adder) {
        case ValueAdder::FirstChild:
            return SuperialValue::AddChild(at, kSuperialNull);
        case ValueAdder::Append:
            return SuperialValue::AppendChild(at, kSuperialNull);
        case ValueAdder::InsertAfter:
            return SuperialValue::InsertAfter(at, kSuperialNull);
    }
    return nullptr;
}

}  // namespace SD
