#include "game/components/SeasonTransitionLogic.h"

#include <algorithm>
#include <cmath>

#include "core/Season.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/WorldLogic.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "physics/Collider.h"
#include "physics/OverlapTests.h"

namespace QV {
namespace {

constexpr const char* kAmbience[SD::kSeasonCount] = {"Play_Spring_Ambient", "Play_Summer_Ambient", "Play_Fall_Ambient",
                                                     "Play_Winter_Ambient"};

// A volume's season: a capitalised season name, anything else is spring.
SD::Season VolumeSeason(const SD::SharedString& name) {
    for (SD::Season season : {SD::Season::kSummer, SD::Season::kFall, SD::Season::kWinter})
        if (name == SD::SeasonName(season)) return season;
    return SD::Season::kSpring;
}

}  // namespace

void SeasonTransitionLogic::VSerialize(SD::IStream& stream, int version) {
    if (version == 1) stream.Serialize(volumeType_, "Volume Type", "Integer");
    if (version == 0 || version == 1) stream.Serialize(season_, "Transition Season", "String");
}

bool SeasonTransitionLogic::Touches(const SD::Vec3& at, float radius) const {
    if (!GetOwner()) return false;
    SD::Transform& volume = GetOwner()->GetTransform();
    const SD::Vec3 centre = volume.GetLocalPos();
    if (volumeType_ == kSphere) {
        const float reach = volume.GetScale().x + radius;
        return reach * reach > (centre - at).LengthSq();
    }
    if (volumeType_ != kBox) return false;
    const SD::Vec3 half = volume.GetScale() * 0.5f;
    return Gedankenexperiment::SphereTouchesOrientedBox(at, radius, centre + volume.GetUp() * half.y, half,
                                                        volume.GetOrient());
}

bool SeasonTransitionLogic::Blend(SD::GameObject* player, float* blend) const {
    SD::Transform& volume = GetOwner()->GetTransform();
    auto* collider = static_cast<Gedankenexperiment::Collider*>(player->GetComponent(SD::CID_Collider));
    const SD::Vec3 centre = volume.GetLocalPos();
    const SD::Vec3 at = player->GetTransform().GetLocalPos();
    if (!Touches(at, collider ? collider->GetRadius() : 0.0f)) return false;
    if (volumeType_ == kSphere) {
        const float radius = volume.GetScale().x;
        *blend = radius > 0.0f ? std::clamp(std::sqrt((centre - at).LengthSq()) / (2.0f * radius), 0.0f, 1.0f) : 0.0f;
        return true;
    }
    const SD::Vec3 half = volume.GetScale() * 0.5f;
    const SD::Vec3 across = volume.GetRight() * half.x;
    const float length = across.Length();
    if (length <= 0.0f) return false;
    *blend = (across * (1.0f / length)).Dot(at - (centre - across)) / (2.0f * length);
    return true;
}

void SeasonTransitionLogic::VUpdate(float) {
    SD::GameObject* player = FindPlayer();
    float blend = 0.0f;
    if (!player || !GetOwner() || !Blend(player, &blend)) return;
    const SD::Season season = VolumeSeason(season_);
    AudioLogic_::GetInstance().SetSeason(static_cast<int>(season));
    SowlarSystem_::GetInstance().SetVolumeSeason(season, blend);
    AudioLogic_::PostEvent(kAmbience[static_cast<int>(season)], nullptr);
}

}  // namespace QV
