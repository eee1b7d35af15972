#include "game/fireflies/CollectionBurst.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "graphics/photon/CollectionSparkles.h"

namespace QV {

void ShowCollectionSparkles(SD::GameObject* firefly) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!firefly || !factory) return;
    SD::GameObject* burst = factory->CreateObject("World/FireflyCollectionSparkles", nullptr);
    if (!burst) return;
    burst->GetTransform().SetPos(firefly->GetTransform().GetPos());
    auto* sparkles =
        SD::ComponentOf<Aperture::Photon::FireflyCollectionSparkles>(burst, SD::kFireflyCollectionSparklesID);
    if (sparkles) {
        SD::Vec4 colour(1.0f, 1.0f, 1.0f, 1.0f);
        looks::GeometryColor(firefly, &colour);
        sparkles->SetColor(SD::Vec4(colour.x, colour.y, colour.z, 1.0f));
        sparkles->SetEnabled(true);
    }
    burst->Initialize(false);
    if (sparkles) sparkles->Start();
}

}  // namespace QV
