// The value-tree operations on shared strings.
#include "core/SharedString.h"
#include "engine/SuperialValue.h"

namespace SD {

bool SuperialValue::SetString(const SharedString& value) { return SetString(std::string(value.c_str())); }

void SuperialValue::CopyValue(const SuperialValue& node, SharedString& out) { out = SharedString(node.GetText()); }

bool SuperialValue::GetAttribute(const std::string& name, SharedString& out) const {
    return GetFromList(firstAttribute_, name, out);
}

bool SuperialValue::GetFromList(const SuperialValue* start, const std::string& name, SharedString& out) {
    const SuperialValue* found = FindByName(const_cast<SuperialValue*>(start), name);
    if (!found) return false;
    CopyValue(*found, out);
    return true;
}

SuperialValue* SuperialValue::AddNameAttribute(SuperialValue* node, const std::string& name,
                                               const SharedString& value) {
    SuperialValue* added = AddStringAttribute(node, name, value.c_str());
    return added;
}

}  // namespace SD
