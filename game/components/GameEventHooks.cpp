// The world hooks that start effects: rain and stars, collection sparkles and fireflies flying to
// the player.
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/GameHooks.h"
#include "game/fireflies/Firefly.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/CollectionSparkles.h"
#include "graphics/photon/RainSystem.h"
#include "graphics/photon/SkyEffects.h"

namespace QV {
namespace {

constexpr SD::ComponentID kSparklesID = static_cast<SD::ComponentID>(108);

}  // namespace

void GameHooks::SetRainActive(SD::GameObject* object, bool active) {
    if (auto* rain = SD::ComponentOf<Aperture::Photon::RainSystem>(object, SD::CID_RainSystem)) rain->SetActive(active);
}

void GameHooks::TurnStars(SD::GameObject* object, float angle) {
    if (auto* stars = SD::ComponentOf<Aperture::Photon::TwinklingStars>(object, SD::CID_TwinklingStars))
        stars->Rotate(angle);
}

void GameHooks::ShowCollectionSparkles(SD::GameObject* firefly) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!firefly || !factory) return;
    SD::GameObject* burst = factory->CreateObject("World/FireflyCollectionSparkles", nullptr);
    if (!burst) return;
    burst->GetTransform().SetPos(firefly->GetTransform().GetPos());
    auto* sparkles = SD::ComponentOf<Aperture::Photon::FireflyCollectionSparkles>(burst, kSparklesID);
    if (sparkles) {
        SD::Vec4 colour(1.0f, 1.0f, 1.0f, 1.0f);
        if (auto* geometry = SD::ComponentOf<Aperture::Geometry>(firefly, SD::CID_Geometry))
            colour = geometry->GetColor();
        sparkles->SetColor(SD::Vec4(colour.x, colour.y, colour.z, 1.0f));
        sparkles->SetEnabled(true);
    }
    burst->Initialize(false);
    if (sparkles) sparkles->Start();
}

void GameHooks::SendFireflyToPlayer(SD::GameObject* firefly) {
    if (auto* logic = SD::ComponentOf<Firefly>(firefly, SD::CID_Firefly))
        logic->DoAction(Firefly::ActionMode::kFly, SD::SharedString("JoinPlayer"));
}

}  // namespace QV
