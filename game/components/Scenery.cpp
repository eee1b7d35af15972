#include "game/components/Scenery.h"

#include <algorithm>
#include <cmath>

#include "core/EngineCore.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/cameras/WorldCameras.h"
#include "game/components/ObjectLooks.h"
#include "game/components/Wind.h"
#include "game/components/WorldLogic.h"
#include "game/states/World.h"
#include "game/systems/SowlarSystem.h"
#include "physics/Body.h"
#include "platform/os/Random.h"

namespace QV {
namespace {

constexpr float kPi = 3.1415927f;
constexpr float kDegrees = 0.017453292f;
// While the game stands still (paused or edited) frames carry no time.
constexpr float kStill = 0.0001f;

float Now() { return static_cast<float>(SD::Core::GetTime()); }

void SerializeSway(SD::IStream& stream, float& rotation, float& movement) {
    stream.Serialize(rotation, "Rotation Scale", "Float");
    stream.Serialize(movement, "Movement Distance Scale", "Float");
}

}  // namespace

void QuorvantaLogic::VUpdate(float) {
    static const char* const kWheels[] = {"QuorvantaFrontLeftWheel", "QuorvantaFrontRightWheel",
                                          "QuorvantaBackLeftWheel", "QuorvantaBackRightWheel"};
    for (const char* name : kWheels)
        if (SD::GameObject* wheel = SD::Factory_::GetGameObjectByName(name))
            wheel->GetTransform().RotateLocalXRad(0.01f);
}

void RestPose::Take(SD::Transform& transform) {
    right = transform.GetRight();
    up = transform.GetUp();
    facing = transform.GetDir();
    orientation = transform.GetOrient();
    position = transform.GetLocalPos();
}

bool RestPose::BeginSway(SD::Transform& transform, float dt) {
    if (dt <= kStill) {
        Take(transform);
        return false;
    }
    transform.SetOrient(orientation);
    return true;
}

FloatingBulbLogic::~FloatingBulbLogic() {
    if (listening_) SD::Message_System::GetInstance()->RemoveHandlersOf28(listenIndex_, this);
}

void FloatingBulbLogic::VSerialize(SD::IStream& stream, int) { SerializeSway(stream, rotationScale_, movementScale_); }

void FloatingBulbLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    transform.SetOrient(SD::Mtx33::Identity());
    transform.SetPosY(-5.0f);
    rest_.Take(transform);
    phase_ = static_cast<float>(SD::RandomRaw());
    workingRotationScale_ = rotationScale_;
    pitch_ = yaw_ = roll_ = 0.0f;
    if (World* world = World::Current()) world->AddSwayingScenery(owner->GetHandle());
    if (listening_) return;
    listenIndex_ = owner->GetHandle().GetIndex();
    SD::Message_System::GetInstance()->RegisterObjectHandler(SD::MessageIds::WindMessage, listenIndex_, this,
                                                             &FloatingBulbLogic::OnWind);
    listening_ = true;
}

void FloatingBulbLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (!rest_.BeginSway(transform, dt)) return;
    const float s = std::sin(Now() + phase_);
    const float a = workingRotationScale_ * s;
    pitch_ = std::clamp(pitch_ - a * 0.034906585f, -kTiltLimit, kTiltLimit);
    roll_ = std::clamp(roll_ + a * 0.017453292f, -kTiltLimit, kTiltLimit);
    transform.RotateLocalXRad(pitch_);
    transform.RotateLocalYRad(yaw_);
    transform.RotateLocalZRad(roll_);
    const SD::Vec3& at = transform.GetLocalPos();
    const SD::Vec3 position(at.x, movementScale_ * pitch_ + rest_.position.y, at.z);
    if (auto* body = static_cast<Gedankenexperiment::Body*>(owner->GetComponent(SD::CID_Body)))
        body->SetPosition(position);
    else
        transform.SetPos(position);
}

void FloatingBulbLogic::OnWind(SD::IMessage* message) {
    auto* wind = static_cast<WindMessage*>(message);
    // The message names the object the wind touched; one for another bulb is not ours.
    if (!GetOwner() || wind->GetTarget() != GetOwner()->GetHandle() || !wind->GetWind()) return;
    const SD::Vec3 v = wind->GetWind()->GetVector();
    pitch_ += 0.0008726646f * v.z;
    roll_ -= 0.0008726646f * v.x;
    if (auto* body = static_cast<Gedankenexperiment::Body*>(GetOwner()->GetComponent(SD::CID_Body)))
        body->AddForce(0.3f * v.x, 0.0f, 0.3f * v.z);
}

void LilyPadLogic::VSerialize(SD::IStream& stream, int) { SerializeSway(stream, rotationScale_, movementScale_); }

void LilyPadLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    transform.SetOrient(SD::Mtx33::Identity());
    transform.RotateLocalYRad(static_cast<float>(SD::RandomRaw()));
    phase_ = static_cast<float>(SD::RandomRaw());
    transform.SetPosY(transform.GetScale().y * 0.075f);
    rest_.Take(transform);
    if (World* world = World::Current()) world->AddSwayingScenery(owner->GetHandle());
}

void LilyPadLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (!rest_.BeginSway(transform, dt)) return;
    const float s = std::sin(Now() + phase_);
    transform.RotateLocalZRad(-(s * rotationScale_) * kDegrees);
    transform.SetPos(rest_.position + rest_.right * (s * movementScale_));
}

void GrassPatchLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(blade_, "Name of Grass Object To Make", "String");
    stream.Serialize(count_, "Number of Grass Objects To Make", "Integer");
}

void GrassPatchLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!owner || !factory || !owner->GetChildren().Empty()) return;
    for (int k = 0; k < count_; ++k) {
        SD::GameObject* blade = factory->CreateObject(blade_.c_str(), owner);
        if (!blade) break;
        blade->GetTransform().RotateLocalYRad(static_cast<float>(k) * 2.0f * kPi / static_cast<float>(count_));
        blade->Initialize(false);
    }
}

void GrassPatchLogic::VUpdate(float) {
    if (!GetOwner()) return;
    constexpr float w = 2.0f * kPi * 0.002f;
    for (SD::GameObject* blade : GetOwner()->GetChildren()) {
        if (platform::crt_rand() % 3 != 0) continue;
        const float r = RandomAngle(w);
        SD::Transform& transform = blade->GetTransform();
        transform.RotateLocalYRad(r);
        transform.RotateLocalZRad(r);
        transform.RotateLocalXRad(r);
    }
}

void NaiveGrassBillboardLogic::VInitialize(bool) { counter_ = SD::RandomInt(0, kMaxWait); }

void NaiveGrassBillboardLogic::VUpdate(float) {
    if (!GetOwner() || ++counter_ <= kMaxWait) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    SD::Vec3 camera;
    if (!cameras::ActiveCameraPosition(&camera)) camera = SD::Vec3();
    transform.SetOrient(SD::Mtx33::Identity());
    transform.RotateLocalZRad(camera.x <= transform.GetLocalPos().x ? 1.5707964f : -1.5707964f);
    transform.RotateLocalXRad(kPi);
    counter_ = SD::RandomInt(0, kMaxWait);
}

void StarfallLeaves::VInitialize(bool) {
    SD::GameObject* tree = GetOwner();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!tree || !factory) return;
    const Shape& shape = GetShape();
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const float theta = 45.0f * static_cast<float>(j);
            SD::GameObject* leaf = factory->CreateObject(Blueprint(), tree);
            if (!leaf) continue;
            leaf->Initialize(false);
            const float a = static_cast<float>(std::fmod(SD::RandomRaw(), shape.spread)) + shape.spreadBase;
            const float b = static_cast<float>(std::fmod(SD::RandomRaw(), shape.drop)) + shape.dropBase;
            const float c = static_cast<float>(std::fmod(SD::RandomRaw(), shape.spread)) + shape.spreadBase;
            SD::Transform& transform = leaf->GetTransform();
            transform.SetScale(SD::Vec3(shape.scale, shape.scale, shape.scale));
            const float ring = static_cast<float>(i);
            // The angle goes to sin and cos as it stands, in degrees taken for radians.
            const SD::Vec3 at(c * ring * std::sin(theta), shape.height - b * ring, a * ring * std::cos(theta));
            transform.SetPos(at);
            rest_[j + 8 * i] = at;
            transform.RotateLocalXRad(a);
            transform.RotateLocalYRad(static_cast<float>(std::fmod(SD::RandomRaw(), 360.0)) * kDegrees - kPi);
            transform.RotateLocalZRad(theta * kDegrees);
        }
    }
}

void StarfallLeaves::VUpdate(float) {
    SD::GameObject* tree = GetOwner();
    if (!tree) return;
    const Shape& shape = GetShape();
    const float bob = shape.bob * std::sin(shape.bobRate * Now());
    SD::Vec4 colour;
    if (shape.colour == 1) {
        const SD::Vec3& at = tree->GetTransform().GetLocalPos();
        colour = SD::Vec4(at.x, at.y, at.z, 1.0f);
    } else if (shape.colour == 2) {
        const SD::Vec3& at = tree->GetTransform().GetPos();
        colour = SD::Vec4(at.x, at.y, at.z, 1.0f);
    }
    // Only the leaves it made have a rest place: other children past those are left alone.
    int i = 0;
    for (SD::GameObject* leaf : tree->GetChildren()) {
        if (i == kLeaves) break;
        leaf->GetTransform().SetPos(rest_[i++] + SD::Vec3(bob, bob, bob));
        if (shape.colour != 0) looks::SetGeometryColor(tree, colour);
    }
}

const char* StarfallTreeLeafLogic::Blueprint() const {
    const std::string& season = SowlarSystem_::GetInstance().GetSeasonAtPlayer();
    return season == "Summer" || season == "summer" ? "World/SummerLeaves" : "World/SpringLeaves";
}

const StarfallLeaves::Shape& StarfallTreeLeafLogic::GetShape() const {
    static const Shape shape{2.0f, 1.0f, 1.5f, 1.0f, 53.0f, 47.5f, 0.8f, 0.4f, 0};
    return shape;
}

const StarfallLeaves::Shape& SummerStarfallTreeLeafLogic::GetShape() const {
    static const Shape shape{0.02f, 0.01f, 0.015f, 0.01f, 0.9f, 1.0f, 0.01f, 1.0f, 1};
    return shape;
}

const StarfallLeaves::Shape& SpringStarfallTreeLeafLogic::GetShape() const {
    static const Shape shape{0.02f, 0.01f, 0.015f, 0.01f, 0.9f, 1.0f, 0.0125f, 1.0f, 2};
    return shape;
}

void CloudLogic::Reset() {
    drift_ =
        SD::Vec3(SD::RandomFloat(-150.0f, 150.0f), SD::RandomFloat(0.0f, 0.001f), SD::RandomFloat(-150.0f, 150.0f));
    offset_ =
        SD::Vec3(SD::RandomFloat(-kReach, kReach), SD::RandomFloat(4000.0f, 7500.0f), SD::RandomFloat(-kReach, kReach));
    turnRate_ = static_cast<float>(std::fmod(SD::RandomRaw(), 0.004)) + 0.001f;
    drifted_ = SD::Vec3();
    if (GetOwner())
        looks::SetGeometryColor(GetOwner(), SD::Vec4(SD::RandomFloat(1.0f, 1.1f), SD::RandomFloat(1.0f, 1.1f),
                                                     SD::RandomFloat(1.0f, 1.1f), 1.0f));
    state_ = kFollow;
}

void CloudLogic::VInitialize(bool) {
    Reset();
    if (GetOwner())
        GetOwner()->GetTransform().RotateLocalYRad(static_cast<float>(std::fmod(SD::RandomRaw(), 360.0)) * kDegrees);
}

void CloudLogic::VUpdate(float dt) {
    SD::GameObject* player = FindPlayer();
    SD::GameObject* owner = GetOwner();
    if (!player || !owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (state_ == kFollow) {
        const SD::Vec3 apart = transform.GetLocalPos() - player->GetTransform().GetLocalPos();
        // Left behind on either side, not only one.
        if (std::fabs(apart.x) > kReach || std::fabs(apart.z) > kReach) {
            state_ = kFade;
            return;
        }
        drifted_ += drift_ * dt;
        transform.SetPos(player->GetTransform().GetLocalPos() + offset_ + drifted_);
        transform.RotateLocalZRad(turnRate_ * dt);
        return;
    }
    SD::Vec4 colour;
    looks::GeometryColor(owner, &colour);
    if (colour.w > 0.0f) {
        colour.w -= 0.01f * dt;
        looks::SetGeometryColor(owner, colour);
        return;
    }
    // The new cloud starts about the player; left where it faded it would fade again at once.
    Reset();
    transform.SetPos(player->GetTransform().GetLocalPos() + offset_);
}

}  // namespace QV
