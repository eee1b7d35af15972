#pragma once
// The sprite a HUD object shows its state on: its screen sprite, or its world sprite when it has
// no screen sprite. The HUD, the front-end states and the sensor's pictures set textures,
// opacities and tints through these; an object without a sprite is left alone.
#include <string>

namespace Aperture {
class Sprite;
}

namespace SD {
class GameObject;
}

namespace QV {

// Null when the object has neither kind of sprite.
Aperture::Sprite* SpriteOf(SD::GameObject& object);

void SetSpriteTexture(SD::GameObject* object, const std::string& texture);
void SetSpriteOpacity(SD::GameObject* object, float opacity);
void SetSpriteColor(SD::GameObject* object, float red, float green, float blue);
// The opacity the object's sprite shows (what its file gave it until something set another);
// without a sprite to read, the opacity last set here (1 when none was set), so a fade on an
// object without a sprite still runs its course.
float GetSpriteOpacity(SD::GameObject* object);

}  // namespace QV
