#include "game/states/StateObjects.h"

#include <cstdint>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "runtime/Input.h"

namespace QV {
namespace {

bool InRange(uint32_t code, uint32_t low, uint32_t high) { return code >= low && code <= high; }

}  // namespace

SD::GameObject* CreateNamed(const char* blueprint, const char* name) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* object = factory ? factory->CreateObject(blueprint, nullptr) : nullptr;
    if (!object) return nullptr;
    if (name) object->NameObject(name);
    object->Initialize(false);
    return object;
}

SD::GameObject* FindNamed(const char* name) { return SD::Factory_::GetGameObjectByName(name); }

void DestroyNamed(const char* name) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (SD::GameObject* object = FindNamed(name); object && factory) factory->DestroyGameObject(object);
}

bool IsContinueInput() {
    SD::Input_* input = SD::Input_::GetInstance();
    const uint32_t code = input ? input->GetFirstTriggeredKey() : 0;
    if (code == 0) return false;
    if (InRange(code, 16, 19) || InRange(code, 44, 45) || InRange(code, 144, 165)) return false;
    // The sticks and triggers of the four pads.
    for (uint32_t first : {279u, 303u, 327u, 351u})
        if (InRange(code, first, first + 9)) return false;
    return true;
}

}  // namespace QV
