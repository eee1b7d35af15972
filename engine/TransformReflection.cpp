#include "engine/Transform.h"

namespace SD {

void Transform::RegisterFunctions() {
    RTTI_GETTER(&Transform::GetPosX);
    RTTI_SETTER(&Transform::SetPosX);
    RTTI_GETTER(&Transform::GetPosY);
    RTTI_SETTER(&Transform::SetPosY);
    RTTI_GETTER(&Transform::GetPosZ);
    RTTI_SETTER(&Transform::SetPosZ);
    RTTI_GETTER(&Transform::GetScaleX);
    RTTI_SETTER(&Transform::SetScaleX);
    RTTI_GETTER(&Transform::GetScaleY);
    RTTI_SETTER(&Transform::SetScaleY);
    RTTI_GETTER(&Transform::GetScaleZ);
    RTTI_SETTER(&Transform::SetScaleZ);
    RTTI_GETTER(&Transform::GetRotateX);
    RTTI_SETTER(&Transform::SetRotateX);
    RTTI_GETTER(&Transform::GetRotateY);
    RTTI_SETTER(&Transform::SetRotateY);
    RTTI_GETTER(&Transform::GetRotateZ);
    RTTI_SETTER(&Transform::SetRotateZ);
}

}  // namespace SD
