#pragma once
// Components that keep the world's decorations alive: marker classes other parts look for,
// the title vehicle's wheels, bulbs and lily pads that sway (bulbs also in the wind), grass that
// jitters and billboards that flip toward the camera, leaves spilled around the starfall trees,
// and clouds that follow the player and fade when left behind.
#include <string>
#include <vector>

#include "core/Matrix.h"
#include "core/Message.h"
#include "core/Vector.h"
#include "engine/UpdateComponent.h"

namespace SD {
class Transform;
}

namespace QV {

// Marks a floating island; nothing else.
class FloatingIslandLogic : public SD::IUpdateComponent {
public:
    FloatingIslandLogic() { SetID(SD::kFloatingIslandLogicID); }
    SD::ComponentID VGetID() const override { return SD::kFloatingIslandLogicID; }
    int VGetVersion() const override { return 0; }
    void VUpdate(float) override {}
};

// Marks a ring tree's wind stream; never updated.
class RingTreeWindStreamLogic : public SD::Component {
public:
    RingTreeWindStreamLogic() { SetID(SD::kRingTreeWindStreamLogicID); }
    SD::ComponentID VGetID() const override { return SD::kRingTreeWindStreamLogicID; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
};

// Turns the four named wheels of the title vehicle a little every frame.
class QuorvantaLogic : public SD::IUpdateComponent {
public:
    QuorvantaLogic() { SetID(SD::CID_QuorvantaLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_QuorvantaLogic; }
    int VGetVersion() const override { return 0; }
    void VUpdate(float dt) override;
};

// What a swaying piece of scenery rests at; re-taken while the game stands still, so edits
// stay.
struct RestPose {
    void Take(SD::Transform& transform);
    // While the game stands still (a step of about 0) re-takes the rest and answers false; else
    // turns the object back to its rest orientation for the sway to turn from.
    bool BeginSway(SD::Transform& transform, float dt);
    SD::Vec3 right, up, facing;
    SD::Mtx33 orientation;
    SD::Vec3 position;
};

class FloatingBulbLogic : public SD::IUpdateComponent {
public:
    static constexpr float kTiltLimit = 1.3962634f;

    FloatingBulbLogic() { SetID(SD::CID_FloatingBulbLogic); }
    ~FloatingBulbLogic() override;
    SD::ComponentID VGetID() const override { return SD::CID_FloatingBulbLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

    float GetPitch() const { return pitch_; }
    float GetRoll() const { return roll_; }

private:
    void OnWind(SD::IMessage* message);

    float rotationScale_ = 0.0f;
    float movementScale_ = 0.0f;
    RestPose rest_;
    float phase_ = 0.0f;
    float pitch_ = 0.0f;
    float yaw_ = 0.0f;
    float roll_ = 0.0f;
    float workingRotationScale_ = 0.0f;
    bool listening_ = false;
    uint32_t listenIndex_ = 0;
};

class LilyPadLogic : public SD::IUpdateComponent {
public:
    LilyPadLogic() { SetID(SD::CID_LilyPadLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_LilyPadLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    float rotationScale_ = 0.0f;
    float movementScale_ = 0.0f;
    RestPose rest_;
    float phase_ = 0.0f;
};

class GrassPatchLogic : public SD::IUpdateComponent {
public:
    GrassPatchLogic() { SetID(SD::CID_GrassPatchLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_GrassPatchLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;

private:
    std::string blade_;
    int count_ = 0;
};

class NaiveGrassBillboardLogic : public SD::IUpdateComponent {
public:
    static constexpr unsigned kMaxWait = 50;

    NaiveGrassBillboardLogic() { SetID(SD::CID_NaiveGrassBillboardLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_NaiveGrassBillboardLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    unsigned GetCounter() const { return counter_; }
    void SetCounter(unsigned counter) { counter_ = counter; }

private:
    unsigned counter_ = 0;
};

// The leaves about a starfall tree: eight rings of eight, made at initialisation and bobbing
// about where they were put.
class StarfallLeaves : public SD::IUpdateComponent {
public:
    static constexpr int kLeaves = 64;

    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    const SD::Vec3& GetRest(int i) const { return rest_[i]; }

protected:
    struct Shape {
        float spread;  // fmod range of the ring factors a and c
        float spreadBase;
        float drop;  // fmod range of the fall factor b
        float dropBase;
        float height;
        float scale;
        float bob;  // of the leaves about their rest
        float bobRate;
        int colour;  // 0 none, 1 the tree's position, 2 its world position
    };
    virtual const char* Blueprint() const = 0;
    virtual const Shape& GetShape() const = 0;

private:
    SD::Vec3 rest_[kLeaves];
};

class StarfallTreeLeafLogic : public StarfallLeaves {
public:
    StarfallTreeLeafLogic() { SetID(SD::CID_StarfallTreeLeafLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_StarfallTreeLeafLogic; }

protected:
    const char* Blueprint() const override;
    const Shape& GetShape() const override;
};

class SummerStarfallTreeLeafLogic : public StarfallLeaves {
public:
    SummerStarfallTreeLeafLogic() { SetID(SD::CID_SummerStarfallTreeLeafLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_SummerStarfallTreeLeafLogic; }

protected:
    const char* Blueprint() const override { return "World/SummerLeaves"; }
    const Shape& GetShape() const override;
};

class SpringStarfallTreeLeafLogic : public StarfallLeaves {
public:
    SpringStarfallTreeLeafLogic() { SetID(SD::CID_SpringStarfallTreeLeafLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_SpringStarfallTreeLeafLogic; }

protected:
    const char* Blueprint() const override { return "World/SpringLeaves"; }
    const Shape& GetShape() const override;
};

class CloudLogic : public SD::IUpdateComponent {
public:
    enum State { kFollow = 0, kFade = 1 };
    static constexpr float kReach = 20000.0f;

    CloudLogic() { SetID(SD::CID_CloudLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_CloudLogic; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    int GetState() const { return state_; }
    const SD::Vec3& GetOffset() const { return offset_; }

private:
    void Reset();

    int state_ = kFollow;
    SD::Vec3 offset_;
    SD::Vec3 drift_;
    SD::Vec3 drifted_;
    float turnRate_ = 0.0f;
};

}  // namespace QV
