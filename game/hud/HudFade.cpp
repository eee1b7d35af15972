#include "game/hud/HudFade.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudSprites.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"

namespace QV {
namespace {

constexpr double kDelaySeconds = 2.0;
constexpr float kDriftPerSecond = 0.003f;

PlayerLogic* ThePlayerLogic() {
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    return player ? static_cast<PlayerLogic*>(player->GetComponent(SD::CID_Player)) : nullptr;
}

// The story's fades hold the player in a cinematic while they show.
void SetCinematic(bool on) {
    if (PlayerLogic* player = ThePlayerLogic()) player->SetCinematic(on);
}

SD::GameObject* CreateNamedObject(const char* blueprint, const char* name) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* object = factory ? factory->CreateObject(blueprint, nullptr) : nullptr;
    if (!object) return nullptr;
    object->NameObject(name);
    object->Initialize(false);
    return object;
}

}  // namespace

void HudFade::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(fadeInTime, "Fade In Time", "Float");
    stream.Serialize(fadeOutTime, "Fade Out Time", "Float");
    stream.Serialize(sitDuration, "Sit Duration", "Float");
    stream.Serialize(beginOnCreation, "Begin On Creation", "Boolean");
}

bool HudFade::Step() {
    SD::GameObject* owner = GetOwner();
    const std::string name = owner ? owner->GetName() : std::string();
    switch (phase_) {
        case kWaiting:
            if (!active_) return false;
            fade_.Start(0.0f, 1.0f, kDelaySeconds);
            phase_ = kDelay;
            SetCinematic(true);
            return false;
        case kDelay:
            if (!fade_.IsComplete()) return false;
            fade_.Start(0.0f, 1.0f, fadeInTime);
            phase_ = kFadeIn;
            return false;
        case kFadeIn:
            if (!fade_.IsComplete()) return false;
            if (name == "WhiteSquareOfSuccess") {
                CreateNamedObject("Hud/Winter_Opening_Poem", "FinalPoem");
                // The final sequence: the player dims to the fade; the fireflies' flight ends.
                if (PlayerLogic* player = ThePlayerLogic()) player->ApplyHudFadeColours();
                if (Firefly_Manager* manager = Firefly_Manager::Existing()) manager->DestroyAllFireflies();
            }
            fade_.Start(1.0f, 1.0f, sitDuration);
            phase_ = kSit;
            SetCinematic(true);
            return false;
        case kSit:
            if (!fade_.IsComplete()) return false;
            fade_.Start(1.0f, 0.0f, fadeOutTime);
            phase_ = kFadeOut;
            return false;
        case kFadeOut: {
            if (!fade_.IsComplete()) return false;
            SD::Factory_* factory = SD::Factory_::GetInstance();
            if (name == "WhiteSquareOfSuccess") {
                SowlarSystem_::GetInstance().SetEndOfGame(true);
            } else if (name == "FinalPoem") {
                if (SD::GameObject* moon = SD::Factory_::GetGameObjectByName("Moon"); moon && factory)
                    factory->DestroyGameObject(moon);
                if (!SD::Factory_::GetGameObjectByName("Sun")) CreateNamedObject("ObjectTemplates/Sun", "Sun");
            }
            if (name != "Narr_9") SetCinematic(false);
            if (owner && factory) factory->DestroyGameObject(owner);
            return true;
        }
        default:
            return false;
    }
}

void HudFade::VUpdate(float dt) {
    if (Step() || phase_ < kFadeIn) return;
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SetSpriteOpacity(owner, fade_.GetValue());
    SD::Transform& t = owner->GetTransform();
    t.SetPosX(t.GetPosX() + dt * kDriftPerSecond);
}

}  // namespace QV
