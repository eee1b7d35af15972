#include "game/components/SimpleTombstoneLogic.h"

#include <cmath>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/WorldHooks.h"
#include "game/components/WorldLogic.h"

namespace QV {

void SimpleTombstoneLogic::SetBulbAlpha(float alpha) {
    SD::Vec4 colour;
    GetWorldHooks().GetGeometryColor(GetOwner(), &colour);
    colour.w = alpha;
    GetWorldHooks().SetGeometryColor(GetOwner(), colour);
}

void SimpleTombstoneLogic::VInitialize(bool) {
    done_ = false;
    smoothedBell_ = 0.0f;
    glow_ = 0.0f;
    soundEmitted_ = false;
    if (GetOwner()) SetBulbAlpha(0.0f);
}

void SimpleTombstoneLogic::VSerialize(SD::IStream& stream, int version) {
    if (version != 1 && version != 2) return;
    stream.Serialize(minDistance_, "Min Distance", "Float");
    stream.Serialize(maxDistance_, "Max Distance", "Float");
    if (version == 2) stream.Serialize(sound_, "Sound To Emit", "String");
}

void SimpleTombstoneLogic::VUpdate(float) {
    if (!GetOwner()) return;
    if (done_) {
        glow_ = glow_ * 0.9f + 0.55f;
        SetBulbAlpha(glow_);
        return;
    }
    SD::GameObject* player = FindPlayer();
    if (!player) return;
    const float d2 = (GetOwner()->GetTransform().GetLocalPos() - player->GetTransform().GetLocalPos()).LengthSq();
    if (!(maxDistance_ > d2)) return;
    if (d2 - minDistance_ <= 0.0f) {
        done_ = true;
        return;
    }
    if (!soundEmitted_) {
        soundEmitted_ = true;
        if (!sound_.empty()) GetWorldHooks().PostSound(sound_.c_str());
    }
    const float t = 1.0f - (d2 - minDistance_) / (maxDistance_ - minDistance_);
    const float x = (t - 0.5f) * 3.0f;
    const float bell = std::pow(2.7182817f, -(x * x)) * 0.1f;
    smoothedBell_ = smoothedBell_ * 0.9f + bell;
    glow_ = 0.9f * glow_ + 0.1f * (smoothedBell_ * 14.0f + 5.5f);
    SetBulbAlpha(glow_ * t);
}

}  // namespace QV
