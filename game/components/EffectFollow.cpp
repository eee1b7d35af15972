#include "game/components/EffectFollow.h"

#include "engine/GameObject.h"
#include "game/components/DustSystem.h"
#include "graphics/photon/Snow.h"

namespace QV {

void SetEffectFollow(SD::GameObject& effectOwner, SD::GameObject& follow) {
    if (auto* dust = dynamic_cast<DustSystem*>(effectOwner.GetComponent(SD::CID_DustSystem)))
        dust->SetFollowObject(follow.GetHandle());
    if (auto* snow = dynamic_cast<Aperture::Photon::Snow*>(effectOwner.GetComponent(SD::CID_Snow)))
        snow->SetTarget(follow.GetHandle());
}

}  // namespace QV
