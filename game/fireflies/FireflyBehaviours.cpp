// The named behaviours of a firefly. Each runs once a frame while it sits on a lane; they move
// the firefly only through forces on its body and chain by putting behaviours on lanes.
#include <algorithm>
#include <cmath>

#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyGroups.h"
#include "game/fireflies/FireflyManager.h"
#include "game/fireflies/FireflyMessages.h"
#include "graphics/photon/FireflyEffects.h"
#include "runtime/SplineSystem.h"
#include "platform/os/Random.h"

namespace QV {
namespace {

const SD::SharedString& Name(const char* text) {
    // The few names the behaviours hand on, made once.
    static const SD::SharedString blink("Blink"), joinPlayer("JoinPlayer"), watch("WatchForPlayer");
    if (text[0] == 'B') return blink;
    if (text[0] == 'J') return joinPlayer;
    return watch;
}

SD::Vec3 Mul(const SD::Vec3& a, const SD::Vec3& b) { return SD::Vec3(a.x * b.x, a.y * b.y, a.z * b.z); }

// Blink sizes grow from 37.5 near the player to 315 at distance 3500 and beyond.
float BlinkSizeAt(float squaredDistance) {
    const float q = std::clamp(squaredDistance, 10000.0f, 12250000.0f);
    return ((q - 10000.0f) / 12240000.0f * 185.0f + 25.0f) * 1.5f;
}

// The glow sprite's opacity and size; a firefly without one has nothing to show.
void ShowGlow(SD::GameObject* owner, float alpha, float size) {
    auto* glow = static_cast<Aperture::Photon::FireflyBlink*>(owner->GetComponent(SD::CID_FireflyBlink));
    if (!glow) return;
    glow->SetAlpha(alpha);
    glow->SetSize(size);
}

}  // namespace

void Firefly::SeekGroup() {
    if (!group_) return;
    const SD::Vec3 d = group_->GetTarget() - Position();
    if (d.LengthSq() < 22500.0f) return;
    BlockIdle();
    AddForce(d.GetNormalized() * flySpeed_);
}

void Firefly::CountDownToBlink(float dt) {
    blinkCountdown_ -= dt;
    if (blinkCountdown_ > 0.0f) return;
    blinkCountdown_ = std::fmod(SD::Rand(), 3.5f) + 2.5f;
    PutOnLane(kLaneBlink, Name("Blink"));
}

void Firefly::Fly(float) {
    if (!group_) return;
    const SD::Vec3 d = group_->GetTarget() - Position();
    const float squared = d.LengthSq();
    const float r2 = arrivalRadius_ * arrivalRadius_;
    if (!ThrottlePressed() && group_->flags == 0) {
        // Escort fireflies keep their distance while the player coasts.
        if (squared > r2) return;
        BlockIdle();
        if (squared > 0.0f) AddForce(-d.GetNormalized() * flySpeed_);
        return;
    }
    if (squared < r2) return;
    BlockIdle();
    AddForce(d.GetNormalized() * (flySpeed_ * (1.0f + squared / 3600.0f)));
}

void Firefly::Blink(float) {
    SD::GameObject* owner = GetOwner();
    if (blinkStage_ == -1) {
        SD::Vec4 colour;
        if (looks::GeometryColor(owner, &colour)) savedColour_ = SD::Vec3(colour.x, colour.y, colour.z);
        if (SD::Message_System* messages = SD::Message_System::GetInstance()) {
            BlinkEvent event(owner->GetHandle());
            messages->SendMessage(event);
        }
        colourLerp_.Start(savedColour_, blinkColor_, 0.1);
        ShowGlow(owner, 0.0f, 0.0f);
        SD::GameObject* player = FindPlayer();
        // Without a player the blink is the size it has beside one.
        const float q = player ? (Position() - player->GetTransform().GetLocalPos()).LengthSq() : 0.0f;
        blinkSize_ = BlinkSizeAt(q);
        blinkStage_ = 1;
    }
    if (blinkStage_ == 1) {
        SetColours(colourLerp_.GetValue());
        if (!colourLerp_.IsComplete()) return;
        colourLerp_.Start(blinkColor_, savedColour_, blinkFadeSpeed_);
        blinkStage_ = 2;
        return;
    }
    if (blinkStage_ == 2) {
        if (!colourLerp_.IsComplete()) {
            // The glow flares to the blink's size and fades as the colour returns.
            const float t = colourLerp_.GetFraction();
            ShowGlow(owner, 1.0f - t, blinkSize_ * t);
            SetColours(colourLerp_.GetValue());
            return;
        }
        ShowGlow(owner, 0.0f, 0.0f);
        SetColours(savedColour_);
        blinkStage_ = -1;
        EndSelf();
    }
}

void Firefly::Twitch(float) {
    if (twitchWatch_.GetTime() <= twitchInterval_) return;
    SD::Vec3 direction(std::fmod(SD::Rand(), 2.0f) - 1.0f, std::fmod(SD::Rand(), 2.0f) - 1.0f,
                       std::fmod(SD::Rand(), 2.0f) - 1.0f);
    if (direction.LengthSq() > 0.0f) AddForce(direction.GetNormalized() * twitchPower_);
    twitchWatch_.Restart();
    twitchInterval_ = std::fmod(SD::Rand(), 1.0f) + 0.5f;
}

void Firefly::Twirl(float) {
    if (twirlStage_ == -1) {
        twirlLerp_.Start(0.0f, 1.0f, 1.0);
        twirlRight_ = transform_->GetRight();
        twirlUp_ = transform_->GetUp();
        twirlStage_ = 1;
    }
    const float a = twirlLerp_.GetFraction() * 2.0f;
    const SD::Vec3 swirl = twirlRight_ * std::sin(a) + twirlUp_ * std::cos(a);
    if (swirl.LengthSq() > 0.0f) AddForce(swirl.GetNormalized() * 200.0f);
    if (!twirlLerp_.IsComplete()) return;
    twirlStage_ = -1;
    EndSelf();
}

void Firefly::WatchForPlayer(float dt) {
    CountDownToBlink(dt);
    SeekGroup();
}

void Firefly::JoinSun(float dt) { WatchForPlayer(dt); }

void Firefly::Still(float) {}

void Firefly::FlyToObj(float dt) {
    flyToObjTime_ += dt;
    if (group_) {
        const SD::Vec3 d = group_->GetTarget() - Position();
        const float squared = d.LengthSq();
        if (flyToObjTime_ < 5.0f && squared >= 100.0f) {
            BlockIdle();
            AddForce(d.GetNormalized() * (squared * 0.0004f * flySpeed_));
            return;
        }
    }
    flyToObjTime_ = 0.0f;
    EndSelf();
    PutOnLane(kLaneFly, Name("JoinPlayer"));
}

void Firefly::DetachFromPlayer(float dt) {
    if (detachRestart_) {
        detachCountdown_ = 1.0f;
        detachRestart_ = false;
    }
    detachCountdown_ -= dt;
    if (detachCountdown_ > 0.0f) return;
    detachRestart_ = true;
    PutOnLane(kLaneFly, Name("WatchForPlayer"));
}

void Firefly::JoinPlayer(float) {
    const int set = static_cast<int>(SD::RandomInt(0, 3));
    Firefly_Manager::GetInstance().AttachToEscort(this, set, SD::SharedString());
}

void Firefly::FollowPath(float dt) {
    if (!group_) return;
    if (pathStart_) {
        pathStart_ = false;
        static const SD::SharedString paths[] = {SD::SharedString("FigureEight"), SD::SharedString("Circle")};
        group_->FollowSplineByName(paths[SD::RandomInt(0, 1)]);
        pathOrigin_ = Position();
        pathTarget_ = Position();
    }
    if ((pathTarget_ - Position()).LengthSq() < 100.0f && !group_->path.empty())
        pathTarget_ = pathOrigin_ + Mul(group_->NextPathPoint(pathIndex_), pathScale_);
    BlockIdle();
    const SD::Vec3 d = pathTarget_ - Position();
    if (d.LengthSq() > 0.0f) AddForce(Mul(d.GetNormalized(), pathForce_));
    CountDownToBlink(dt);
}

void Firefly::GoUp(float) {
    BlockIdle();
    AddForce(SD::Vec3(0.0f, flySpeed_, 0.0f));
    if (platform::crt_rand() % 30 == 0) PutOnLane(kLaneBlink, Name("Blink"));
}

}  // namespace QV
