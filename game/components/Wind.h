#pragma once
// Wind in the world: a wind volume with a ring of visible streams, a wind along a tube, and a
// trigger that blows a short gust along the player's facing. A wind attached to a collider
// tells each object it touches with a wind message addressed to that object.
#include "core/GuardedFunction.h"
#include "core/Message.h"
#include "core/MessageIds.h"
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/UpdateComponent.h"
#include "runtime/Curve.h"

namespace Gedankenexperiment {
class Collider;
}

namespace QV {

class Wind {
public:
    virtual ~Wind() = default;
    // Where the wind blows and how hard: 0 while the level is edited, the power otherwise.
    virtual const SD::Vec3& GetDirection() const { return direction_; }
    virtual float GetStrength() const;
    SD::Vec3 GetVector() const { return GetDirection() * GetStrength(); }

    void SetDirection(const SD::Vec3& direction) { direction_ = direction; }
    float GetPower() const { return power_; }
    // A steady wind of that power.
    virtual void SetPower(float power) {
        curveMode_ = false;
        power_ = power;
    }
    // A steady wind along the vector, as strong as it is long; the zero vector is a calm.
    void SetVelocity(const SD::Vec3& velocity);
    // A strength that follows a smooth curve through the values, one second apart, holding the
    // last; the power reads the largest value. Durations between the values are kept only.
    void SetStrengthCurve3(float a0, float a1, float d1, float a2, float d2);
    void SetStrengthCurve4(float a0, float a1, float d1, float a2, float d2, float a3, float d3);
    void SetStrengthCurve5(float a0, float a1, float d1, float a2, float d2, float a3, float d3, float a4, float d4);
    bool IsCurveDriven() const { return curveMode_; }
    float GetDuration() const { return duration_; }
    void SetDuration(float seconds) { duration_ = seconds; }
    bool IsImmortal() const { return immortal_; }

    // Contacts of the collider reach the touched objects from now on.
    void Attach(Gedankenexperiment::Collider* collider);
    void OnContact(Gedankenexperiment::Collider* other);

protected:
    void SerializeWind(SD::IStream& stream);
    // Counts the duration down; true when a mortal wind has run out.
    bool Expire(float dt);

    bool immortal_ = false;
    float duration_ = 0.0f;
    SD::Vec3 direction_;
    float power_ = 0.0f;
    bool curveMode_ = false;
    mutable SD::Curve curve_;
};

// Sent to the object a wind touches, naming that object.
class WindMessage : public SD::IMessage {
public:
    WindMessage(const Wind* wind, const SD::GameObjectHandle& target)
        : IMessage(SD::MessageIds::WindMessage), wind_(wind), target_(target) {}
    const Wind* GetWind() const { return wind_; }
    const SD::GameObjectHandle& GetTarget() const { return target_; }

private:
    const Wind* wind_;
    SD::GameObjectHandle target_;
};

class WindLogic : public SD::IUpdateComponent, public Wind {
public:
    static constexpr int kStreamCount = 10;

    WindLogic() { SetID(SD::CID_WindLogic); }
    ~WindLogic() override;
    SD::ComponentID VGetID() const override { return SD::CID_WindLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int) override { SerializeWind(stream); }
    void VUpdate(float dt) override;

    const SD::GameObjectHandle& GetStream(int i) const { return streams_[i]; }

private:
    SD::GameObjectHandle streams_[kStreamCount];
};

// Blows along its tube with a strength of its own, which only SetPower gives it (data does not).
class WindTubeLogic : public SD::IUpdateComponent, public Wind {
public:
    WindTubeLogic() { SetID(SD::CID_WindTubeLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_WindTubeLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    // From "Point1" towards "Point2", taken afresh at every call; none while the points coincide.
    const SD::Vec3& GetDirection() const override;
    // The tube's own strength, whatever the play state.
    float GetStrength() const override { return strength_; }
    // Sets the tube's strength only; the wind's power read from data stays.
    void SetPower(float strength) override { strength_ = strength; }

private:
    float radius_ = 0.0f;
    SD::Vec3 point1_;
    SD::Vec3 point2_;
    float strength_ = 0.0f;
    mutable SD::Vec3 along_;
};

class WindTrigger : public SD::IUpdateComponent {
public:
    static constexpr float kGustRadius = 200.0f;
    static constexpr float kGustPower = 200.0f;
    static constexpr float kGustSeconds = 3.0f;

    WindTrigger() { SetID(SD::CID_WindTrigger); }
    SD::ComponentID VGetID() const override { return SD::CID_WindTrigger; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    bool IsGusting() const { return windAlive_; }
    SD::GameObject* GetGust() const { return windObject_.get(); }

    // Its object's trigger fired: a gust along the player's facing.
    void OnTriggered();

private:
    bool windAlive_ = false;
    SD::GameObjectHandle windObject_;
    // Silences the callback the trigger keeps should this component go first.
    MFCore::Lifetime lifetime_;
};

// A wind sphere of that radius at a position, blowing along the direction; null when the
// blueprint cannot be made.
WindLogic* SpawnGust(const SD::Vec3& position, const SD::Vec3& direction, float radius);

}  // namespace QV
