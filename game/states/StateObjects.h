#pragma once
// Object helpers the game states share: they find their objects by name every frame instead
// of holding pointers, and act only on objects that exist.
#include <string>

namespace SD {
class GameObject;
}

namespace QV {

// Created from the blueprint (no parent), named when a name is given, and initialised; null
// when the blueprint is missing.
SD::GameObject* CreateNamed(const char* blueprint, const char* name);
SD::GameObject* FindNamed(const char* name);
// Destroys the object of that name when it exists.
void DestroyNamed(const char* name);
// Whether the first key, button or pad button newly down this frame asks to go on: modifier,
// lock and system keys and the pads' sticks and triggers do not.
bool IsContinueInput();

}  // namespace QV
