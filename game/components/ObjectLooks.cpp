#include "game/components/ObjectLooks.h"

#include "engine/GameObject.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"

namespace QV {
namespace looks {
namespace {

Aperture::Light* LightOf(SD::GameObject* object) { return SD::ComponentOf<Aperture::Light>(object, SD::CID_Light); }

Aperture::Geometry* GeometryOf(SD::GameObject* object) {
    return SD::ComponentOf<Aperture::Geometry>(object, SD::CID_Geometry);
}

}  // namespace

bool LightColor(SD::GameObject* object, SD::Vec4* color) {
    Aperture::Light* light = LightOf(object);
    if (!light) return false;
    *color = light->GetColor();
    return true;
}

void SetLightColor(SD::GameObject* object, const SD::Vec4& color) {
    if (Aperture::Light* light = LightOf(object)) light->SetColor(color.x, color.y, color.z, color.w);
}

void SetLightAttenuation(SD::GameObject* object, float nearDistance, float farDistance) {
    Aperture::Light* light = LightOf(object);
    if (!light) return;
    light->SetAttenNear(nearDistance);
    light->SetAttenFar(farDistance);
}

bool GeometryColor(SD::GameObject* object, SD::Vec4* color) {
    Aperture::Geometry* geometry = GeometryOf(object);
    if (!geometry) return false;
    *color = geometry->GetColor();
    return true;
}

void SetGeometryColor(SD::GameObject* object, const SD::Vec4& color) {
    if (Aperture::Geometry* geometry = GeometryOf(object)) geometry->SetColor(color);
}

void SetGeometryAlpha(SD::GameObject* object, float alpha) {
    if (Aperture::Geometry* geometry = GeometryOf(object)) {
        SD::Vec4 color = geometry->GetColor();
        color.w = alpha;
        geometry->SetColor(color);
    }
}

}  // namespace looks
}  // namespace QV
