#pragma once
// How the level editor and the tweak bars name a game object: its blueprint name without the
// folders, "_", and the object's number ("Rock_12").
#include <string>

namespace SD {
class GameObject;
}

namespace QV {

// Empty for a null object.
std::string ObjectLabel(const SD::GameObject* object);

}  // namespace QV
