#include "game/editor/GameEditorHooks.h"

#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/SphericalCamera.h"

namespace QV {
namespace {

Aperture::Geometry* GeometryOf(SD::GameObject* object) {
    return object ? static_cast<Aperture::Geometry*>(object->GetComponent(SD::CID_Geometry)) : nullptr;
}

}  // namespace

SD::Component* GameEditorHooks::GetActiveCamera() {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? graphics->GetActiveCamera() : nullptr;
}

void GameEditorHooks::SetActiveCamera(SD::Component* camera) {
    Aperture::SetActiveCamera(dynamic_cast<Aperture::Camera*>(camera));
}

bool GameEditorHooks::GetCameraRadius(SD::Component* camera, float* radius) {
    auto* orbit = dynamic_cast<Aperture::SphericalCamera*>(camera);
    if (!orbit) return false;
    *radius = orbit->GetRadius();
    return true;
}

void GameEditorHooks::SetCameraRadius(SD::Component* camera, float radius) {
    if (auto* orbit = dynamic_cast<Aperture::SphericalCamera*>(camera)) orbit->SetRadius(radius);
}

SD::Vec3 GameEditorHooks::GetAmbientColor() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? graphics->GetAmbientColor() : SD::Vec3();
}

void GameEditorHooks::SetAmbientColor(const SD::Vec3& color) {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetAmbientColor(color);
}

void GameEditorHooks::SetDebugTextStyle() {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->ResetDebugFont();
}

void GameEditorHooks::DrawDebugText(int x, int y, const std::string& text) {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->DrawDebugString(x, y, text.c_str());
}

void GameEditorHooks::SetGeometryColor(SD::GameObject* object, const SD::Vec4& color) {
    if (Aperture::Geometry* geometry = GeometryOf(object)) geometry->SetColor(color);
}

std::string GameEditorHooks::GetModelName(SD::GameObject* object) {
    Aperture::Geometry* geometry = GeometryOf(object);
    return geometry ? geometry->GetModelName() : std::string();
}

}  // namespace QV
