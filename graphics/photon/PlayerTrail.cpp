#include "graphics/photon/PlayerTrail.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"

namespace Aperture::Photon {

void PlayerTrail::VSerialize(SD::IStream& stream, int version) {
    if (version == 0) stream.Serialize(active, "Activate", "Boolean");
}

void PlayerTrail::Start() {
    particleCount = kPoints;
    for (uint32_t i = 0; i < kPoints; ++i) {
        Particle& p = particles[i];
        p.color = SD::Vec4(0.4f, 0.4f, 4.0f, 1.0f);
        p.slice = 1.0f;
        p.size = 0.05f;
    }
}

void PlayerTrail::Update(float) {
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    if (!player) return;
    const SD::Vec3 at = player->GetTransform().GetLocalPos();
    // The first sighting has no earlier position: the trail starts collapsed on the player.
    if (!seenPlayer) {
        previous = at;
        seenPlayer = true;
    }
    const SD::Vec3 d = at - previous;
    previous = at;
    for (uint32_t i = 0; i < particleCount; ++i) particles[i].position = at - d * (static_cast<float>(i) * 0.001f);
}

}  // namespace Aperture::Photon
