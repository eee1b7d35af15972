#include "engine/Name.h"

#include "engine/GameObject.h"
#include "engine/IStream.h"

void Name::VSerialize(SD::IStream& stream, int) { stream.Serialize(name_, "Name", "String"); }

void Name::VInitialize(bool) {
    if (SD::GameObject* owner = GetOwner()) owner->NameObject(name_);
}

void Name::RegisterFunctions() {
    RTTI_GETTER(&Name::GetName);
    RTTI_SETTER(&Name::SetName);
}
