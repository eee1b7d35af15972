#pragma once
// The look that the season cycle drives and every effect reads through the frame constants: the
// ambient and fog colours and the fog distances, beside the season transitions of the world's
// season (core/Season.h), which the renderer reads and does not hold.
#include "core/Vector.h"

namespace Aperture {

namespace Resource {
class Effect;
}

class SeasonLook {
public:
    void SetAmbientColor(const SD::Vec3& color) { ambientColor = color; }
    const SD::Vec3& GetAmbientColor() const { return ambientColor; }
    void SetFogColor(const SD::Vec3& color) { fogColor = color; }
    const SD::Vec3& GetFogColor() const { return fogColor; }
    void SetFogNear(float distance) { fogNear = distance; }
    float GetFogNear() const { return fogNear; }
    void SetFogFar(float distance) { fogFar = distance; }
    float GetFogFar() const { return fogFar; }

    // Onto the shared effect: "globalAmbient", the fog's "g_fog_color", "g_fog_near" and
    // "g_fog_far", and the three season transition values.
    void SetConstants(Resource::Effect& effect) const;

private:
    SD::Vec3 ambientColor{165.0f / 255.0f, 210.0f / 255.0f, 229.0f / 255.0f};
    SD::Vec3 fogColor{1.0f, 1.0f, 1.0f};
    float fogFar = 2500.0f;
    float fogNear = 10.0f;
};

}  // namespace Aperture
