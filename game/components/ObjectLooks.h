#pragma once
// The colours of an object's light and geometry, which the world logic fades, tints, pulses and
// flashes. An object without the component asked for is left alone and answers "none".
#include "core/Vector.h"

namespace SD {
class GameObject;
}

namespace QV {
namespace looks {

// The colour of the object's light; false when it has none.
bool LightColor(SD::GameObject* object, SD::Vec4* color);
void SetLightColor(SD::GameObject* object, const SD::Vec4& color);
// The near and far attenuation of the object's light.
void SetLightAttenuation(SD::GameObject* object, float nearDistance, float farDistance);
// The tint of the object's geometry; false when it has none.
bool GeometryColor(SD::GameObject* object, SD::Vec4* color);
void SetGeometryColor(SD::GameObject* object, const SD::Vec4& color);
// Writes only the alpha of the object's geometry tint.
void SetGeometryAlpha(SD::GameObject* object, float alpha);

}  // namespace looks
}  // namespace QV
