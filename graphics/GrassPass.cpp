// The grass pass of a view: the grass dust of the islands in view, and the field's visible
// blades through the "grass" effect and texture.
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/GrassDust.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Texture.h"

namespace Aperture {
// Each geometry's grass dust starts once, the first time its grass is in view.
void Graphics_::StartGrassDust(const std::vector<Geometry*>& owners) {
    for (Geometry* geometry : owners) {
        SD::GameObject* owner = geometry->GetOwner();
        auto* dust = owner ? dynamic_cast<Photon::GrassDust*>(owner->GetComponent(SD::kGrassDustID)) : nullptr;
        if (dust && !dust->IsEnabled()) dust->Enable();
    }
}

void Graphics_::DrawGrass(const std::string& technique, const std::vector<GrassInstance>& grass,
                          const std::vector<Geometry*>* owners) {
    if (!grassField.TakePass()) return;
    if (owners) StartGrassDust(*owners);
    if (grass.empty()) return;
    Resource::Effect* effect = GetEffect("grass");
    Resource::iTexture* texture = FindTexture("grass");
    if (!effect || !texture) {
        ReportMissingOnce(effect ? "Texture" : "Effect", "grass");
        return;
    }
    grassField.Draw(*device.GetDevice(), *effect, texture, technique, grass);
}

}  // namespace Aperture
