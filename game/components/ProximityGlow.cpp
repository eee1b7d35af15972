#include "game/components/ProximityGlow.h"

#include <cmath>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "game/components/WorldLogic.h"

namespace QV {

void ProximityGlow::Reset(SD::GameObject* owner) {
    done_ = false;
    smoothedBell_ = 0.0f;
    glow_ = 0.0f;
    approached_ = false;
    if (owner) SetBulbAlpha(owner, 0.0f);
}

bool ProximityGlow::Update(SD::GameObject* owner, float minDistance, float maxDistance, const Scheme& scheme) {
    if (!owner) return false;
    if (done_) {
        glow_ = glow_ * 0.9f + 0.1f * scheme.rest;
        SetBulbAlpha(owner, glow_);
        return false;
    }
    SD::GameObject* player = FindPlayer();
    if (!player) return false;
    const float d2 = SquaredDistance(owner, player);
    if (!(maxDistance > d2)) return false;
    if (d2 - minDistance <= 0.0f) {
        done_ = true;
        return false;
    }
    const bool first = !approached_;
    approached_ = true;
    const float t = 1.0f - (d2 - minDistance) / (maxDistance - minDistance);
    const float x = (t - 0.5f) * 3.0f;
    const float bell = std::pow(2.7182817f, -(x * x)) * 0.1f;
    smoothedBell_ = smoothedBell_ * 0.9f + bell;
    glow_ = 0.9f * glow_ + 0.1f * (smoothedBell_ * scheme.swell + scheme.rest);
    SetBulbAlpha(owner, glow_ * t);
    return first;
}

void SerializeGlowData(SD::IStream& stream, int version, float& minDistance, float& maxDistance, std::string& sound) {
    if (version != 1 && version != 2) return;
    stream.Serialize(minDistance, "Min Distance", "Float");
    stream.Serialize(maxDistance, "Max Distance", "Float");
    if (version == 2) stream.Serialize(sound, "Sound To Emit", "String");
}

}  // namespace QV
