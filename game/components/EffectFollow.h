#pragma once
// Points the effects that travel with an object (the dust and the snow on `effectOwner`) at
// the object they follow.
namespace SD {
class GameObject;
}

namespace QV {

void SetEffectFollow(SD::GameObject& effectOwner, SD::GameObject& follow);

}  // namespace QV
