#include "game/components/TallTombstoneLogic.h"

#include <algorithm>

#include "core/MathUtil.h"
#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/WorldLogic.h"
#include "sound/system/Phantom.h"
#include "platform/os/Random.h"

namespace QV {
namespace {

constexpr float kShake = SD::kPi * 0.01f;

}  // namespace

void TallTombstoneLogic::VInitialize(bool) {
    stage_ = 0;
    if (GetOwner() && name_.c_str()[0] != '\0') GetOwner()->NameObject(name_.c_str());
}

void TallTombstoneLogic::VSerialize(SD::IStream& stream, int) { stream.Serialize(name_, "Object Name", "String"); }

void TallTombstoneLogic::GatherPieces() {
    pieces_.clear();
    for (SD::GameObject* child : GetOwner()->GetChildren()) {
        if (pieces_.size() == kPieces) break;
        pieces_.push_back(child->GetHandle());
    }
}

// The pieces' places now, and their row: at -2h, -h, h and 2h along the stone's X axis (h a
// third of its x scale), upright in the world.
void TallTombstoneLogic::Record() {
    SD::Transform& stone = GetOwner()->GetTransform();
    const float h = stone.GetScale().x / 3.0f;
    const float offsets[kPieces] = {-2.0f * h, -h, h, 2.0f * h};
    const SD::Quaternion upright(stone.GetOrient().GetTransposed());
    startPositions_.clear();
    startRotations_.clear();
    targetPositions_.clear();
    targetRotations_.clear();
    for (int i = 0; i < kPieces; ++i) {
        SD::GameObject* piece = pieces_[i].get();
        startPositions_.push_back(piece ? piece->GetTransform().GetLocalPos() : SD::Vec3());
        startRotations_.push_back(piece ? SD::Quaternion(piece->GetTransform().GetOrient()) : SD::Quaternion());
        targetPositions_.push_back(SD::Vec3(offsets[i], 0.0f, 0.0f));
        targetRotations_.push_back(upright);
    }
}

void TallTombstoneLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    if (pieces_.size() < kPieces) GatherPieces();
    if (pieces_.size() < kPieces) return;
    SD::GameObject* player = FindPlayer();
    SD::GameObject* pieces[kPieces];
    for (int i = 0; i < kPieces; ++i) pieces[i] = pieces_[i].get();
    const float d2 = player ? (player->GetTransform().GetPos() - owner->GetTransform().GetPos()).LengthSq() : 0.0f;
    switch (stage_) {
        case 0:
            Record();
            stage_ = 1;
            break;
        case 1:
            if (player && d2 < kShakeDistance) {
                timer_ = 0.0f;
                duration_ = kAssembleSeconds;
                stage_ = 2;
            }
            break;
        case 2:
            if (soundPending_) {
                if (auto* phantom = static_cast<SD::Phantom*>(owner->GetComponent(SD::CID_Phantom))) phantom->Play();
                soundPending_ = false;
            }
            if (platform::crt_rand() % 2 == 0) {
                for (SD::GameObject* piece : pieces)
                    if (piece) piece->GetTransform().RotateLocalXRad(SD::RandomFloat(-kShake, kShake));
                for (SD::GameObject* piece : pieces)
                    if (piece) piece->GetTransform().RotateLocalYRad(SD::RandomFloat(-kShake, kShake));
                for (SD::GameObject* piece : pieces)
                    if (piece) piece->GetTransform().RotateLocalZRad(SD::RandomFloat(-kShake, kShake));
            }
            if (player && d2 < kAssembleDistance) {
                timer_ = 0.0f;
                duration_ = kAssembleSeconds;
                stage_ = 3;
            }
            break;
        case 3: {
            // The last frame may pass the end: the pieces stop in their row, not beyond it.
            const float t = std::min(timer_ / duration_, 1.0f);
            for (int i = 0; i < kPieces; ++i) {
                if (!pieces[i]) continue;
                SD::Transform& transform = pieces[i]->GetTransform();
                transform.SetPos(startPositions_[i] * (1.0f - t) + targetPositions_[i] * t);
                transform.SetOrient(SD::Quaternion::Slerp(startRotations_[i], targetRotations_[i], t).ToMatrix());
            }
            if (timer_ > duration_) stage_ = 4;
            timer_ += dt;
            break;
        }
        default:
            break;
    }
}

}  // namespace QV
