#pragma once
// One firefly: a small physics-driven object with four wings, a glowing body and light, that
// runs named behaviours on the lanes of its action list. The firefly manager, not the component
// manager, updates it every frame. The behaviours move it only through forces on its body.
#include <array>
#include <cstdint>
#include <vector>

#include "core/RTTI.h"
#include "core/SharedString.h"
#include "core/Timer.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/GameObjectHandle.h"
#include "runtime/InterpolatorSystem.h"
#include "sound/system/GhostEngine.h"

namespace SD {
class IMessage;
class Transform;
}  // namespace SD
namespace Gedankenexperiment {
class Body;
}

namespace QV {

class FireflyGroup;

class Firefly : public SD::Component, public RTTIUser<Firefly> {
public:
    static constexpr int kDataVersion = 2;
    // Lanes of the action list; an action put on a lane replaces the one there, except on the
    // queued lane.
    static constexpr int kLaneQueued = 1;
    static constexpr int kLaneOwn = 4;
    static constexpr int kLaneBlink = 8;
    static constexpr int kLaneFly = 16;
    static constexpr int kLaneIdle = 32;
    // Wing order of the handles: back-left, front-left, back-right, front-right.
    static constexpr int kWings = 4;

    using Behaviour = void (Firefly::*)(float dt);

    Firefly();
    ~Firefly() override;

    SD::ComponentID VGetID() const override { return SD::CID_Firefly; }
    int VGetVersion() const override { return kDataVersion; }
    bool VReadsVersion(int version) const override { return version == 1 || version == 2; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    // Joins and leaves the firefly manager's list.
    void VRegister() override;
    void VUnregister() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    // One step of the simulation's fixed clock: runs the action list once, so the behaviours'
    // forces and timers act alike at any frame rate.
    void Step(float step);
    // Once a frame: beats the wings, turns to the flight direction and glows or grows with the
    // distance to the player.
    void Update();

    // Where DoAction places a behaviour. The numbers are those the level scripts and saved data use.
    enum class ActionMode : int {
        kOwnAndQueued = 0,  // on its own lane and queued
        kBlink = 1,
        kIdle = 2,  // an empty name: the default idle action
        kFly = 3,   // an empty name: the default fly action
        kQueued = 4,
    };

    // Places a behaviour by name on the lane the mode gives.
    void DoAction(ActionMode mode, const SD::SharedString& name);
    // Puts the named behaviour on the lane; false (nothing changed) for an unknown name.
    bool PutOnLane(int lane, const SD::SharedString& name);
    // The name of the behaviour on a lane, or null.
    const SD::SharedString* BehaviourOn(int lane) const;
    // Every behaviour name the firefly knows.
    static const std::vector<SD::SharedString>& BehaviourNames();

    FireflyGroup* GetGroup() const { return group_; }
    // Leaves the current group (if any) and joins this one (null: none).
    void SetGroup(FireflyGroup* group);

    void SetPathScale(const SD::Vec3& scale) { pathScale_ = scale; }
    void SetPathForce(const SD::Vec3& force) { pathForce_ = force; }
    const SD::Vec3& GetPathScale() const { return pathScale_; }
    const SD::Vec3& GetPathForce() const { return pathForce_; }
    void SetArrivalRadius(float radius) { arrivalRadius_ = radius; }
    float GetArrivalRadius() const { return arrivalRadius_; }
    int GetColourKind() const { return colourKind_; }
    void SetColourKind(int kind) { colourKind_ = kind; }
    void SetGlowColour(const SD::Vec4& colour) { glow_ = colour; }
    void SetWing(int slot, SD::GameObject* wing);
    float GetBlinkSize() const { return blinkSize_; }
    int GetBlinkStage() const { return blinkStage_; }

    // Bound properties.
    float GetFlySpeed() const { return flySpeed_; }
    void SetFlySpeed(float speed) { flySpeed_ = speed; }
    float GetTwitchPower() const { return twitchPower_; }
    void SetTwitchPower(float power) { twitchPower_ = power; }
    float GetBlinkFadeSpeed() const { return blinkFadeSpeed_; }
    void SetBlinkFadeSpeed(float seconds) { blinkFadeSpeed_ = seconds; }
    const SD::Vec3& GetBlinkColor() const { return blinkColor_; }
    const SD::SharedString& GetDefaultFlyAction() const { return defaultFly_; }
    const SD::SharedString& GetDefaultIdleAction() const { return defaultIdle_; }

    // Whether the player holds the throttle (the "Trigger_Right" analog binding).
    static bool ThrottlePressed();

private:
    struct Action {
        Behaviour behaviour;
        SD::SharedString name;
        int lane;
        uint64_t serial;
    };

    void Place(int lane, Behaviour behaviour, const SD::SharedString& name);
    void BlockIdle() { blocked_ |= kLaneIdle; }
    void EndSelf() { finished_ = true; }
    void AddForce(const SD::Vec3& force);
    SD::Vec3 Position() const;
    void BeatWings();
    void FaceVelocity();
    void Glow();
    void SetColours(const SD::Vec3& colour);
    void OnRecruit(SD::IMessage* message);
    void OnWind(SD::IMessage* message);

    // Behaviours.
    void Fly(float dt);
    void Blink(float dt);
    void Twitch(float dt);
    void Twirl(float dt);
    void WatchForPlayer(float dt);
    void JoinSun(float dt);
    void Still(float dt);
    void FlyToObj(float dt);
    void DetachFromPlayer(float dt);
    void JoinPlayer(float dt);
    void FollowPath(float dt);
    void GoUp(float dt);
    void SeekGroup();
    void CountDownToBlink(float dt);

    static const std::vector<std::pair<SD::SharedString, Behaviour>>& Table();

    std::vector<Action> actions_;
    int blocked_ = 0;
    bool finished_ = false;
    uint64_t nextSerial_ = 1;

    SD::SharedString defaultFly_{"Fly"};
    SD::SharedString defaultIdle_{"Twitch"};
    float flySpeed_ = 800.0f;
    float arrivalRadius_ = 10.0f;
    float twitchPower_ = 500.0f;
    SD::Stopwatch twitchWatch_;
    float twitchInterval_ = 0.0f;
    SD::Vec3 savedColour_;
    SD::Vec3 blinkColor_{1.0f, 120.0f / 255.0f, 175.0f / 255.0f};
    float blinkFadeSpeed_ = 1.0f;
    float blinkSize_ = 0.0f;
    float distanceScale_ = 0.0f;
    SD::InterpolatorV3 colourLerp_;
    int blinkStage_ = -1;
    SD::InterpolatorF twirlLerp_{0.0f, 1.0f};
    int twirlStage_ = -1;
    SD::Vec3 twirlRight_;
    SD::Vec3 twirlUp_;
    float blinkCountdown_ = 0.0f;
    bool pathStart_ = true;
    SD::Vec3 pathOrigin_;
    float detachCountdown_ = 0.0f;
    bool detachRestart_ = true;
    float flyToObjTime_ = 0.0f;
    FireflyGroup* group_ = nullptr;
    SD::Transform* transform_ = nullptr;
    Gedankenexperiment::Body* body_ = nullptr;
    SD::Stopwatch wingWatch_;
    std::array<SD::GameObjectHandle, kWings> wingHandles_{};
    unsigned pathIndex_ = 0;
    SD::Vec3 pathTarget_;
    SD::Vec3 pathScale_{100.0f, 100.0f, 100.0f};
    SD::Vec3 pathForce_{100.0f, 0.0f, 100.0f};
    int colourKind_ = 0;
    SD::Vec3 baseScale_{1.0f, 1.0f, 1.0f};
    SD::Vec4 glow_;
    float pulsePhase_ = 0.0f;
    bool handlersRegistered_ = false;
    // The firefly's own sound object in the sound system (none without one).
    SD::SoundObjectHandle soundObject_;
    bool hasSoundObject_ = false;
    uint32_t windIndex_ = 0;  // the owner's index the wind handler is filed under
};

}  // namespace QV
