#include "game/fireflies/FireflyManager.h"

#include <cmath>

#include "core/Matrix.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyMessages.h"
#include "graphics/photon/FireflyEffects.h"
#include "physics/Body.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/SplineSystem.h"

namespace QV {
namespace {

Firefly_Manager* instance = nullptr;

const SD::SharedString& BlinkName() {
    static const SD::SharedString name("Blink");
    return name;
}

Firefly* FireflyOf(SD::GameObject* object) {
    return object ? static_cast<Firefly*>(object->GetComponent(SD::CID_Firefly)) : nullptr;
}

SD::Vec3 BodyVelocity(SD::GameObject* object) {
    auto* body = static_cast<Gedankenexperiment::Body*>(object->GetComponent(SD::CID_Body));
    return body ? body->GetVelocity() : SD::Vec3();
}

SD::Vec4 KindColour(int kind) {
    switch (kind) {
        case 1:
            return SD::Vec4(2.0f, 0.25f, 1.5f, 1.0f);
        case 2:
            return SD::Vec4(2.0f, 0.7f, 0.2f, 1.0f);
        case 3:
            return SD::Vec4(0.25f, 1.0f, 2.0f, 1.0f);
        case 4:
            return SD::Vec4(2.0f, 1.9f, 0.7f, 1.0f);
        default:
            return SD::Vec4();
    }
}

}  // namespace

Firefly_Manager& Firefly_Manager::GetInstance() {
    if (!instance) instance = new Firefly_Manager();
    return *instance;
}

Firefly_Manager* Firefly_Manager::Existing() { return instance; }

void Firefly_Manager::DestroyInstance() {
    delete instance;
    instance = nullptr;
}

Firefly_Manager::~Firefly_Manager() {
    Shutdown();
    fireflies_.Clear();
}

void Firefly_Manager::Initialize() {
    // The manager outlives a run of the program: each run starts its escort clock, the escort's
    // sway and its blinks afresh.
    escortWatch_.Restart();
    swayAngle_ = 0.0f;
    swayDirection_ = -1;
    escortBlinkTimer_ = 0.0f;
    waveBudget_ = 0;
    SD::Spline_System& splines = SD::Spline_System::GetInstance();
    splines.CreateSpline({SD::Vec3(0, 2, 0), SD::Vec3(-2, 0, 0), SD::Vec3(0, -2, 0), SD::Vec3(2, 0, 0)},
                         {0.2, 0.2, 0.2}, SD::SharedString("JoinAnim1"));
    splines.CreateSpline(
        {SD::Vec3(5, 5, 0), SD::Vec3(-5, -5, 0), SD::Vec3(-5, 5, 0), SD::Vec3(5, -5, 0), SD::Vec3(5, 5, 0)},
        {0.6, 0.6, 0.6, 0.6}, SD::SharedString("Infinity"));
    groups_.Shutdown();
    groups_.Initialize();
    if (!handlerRegistered_) {
        SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::FireflyBlinkWave, this,
                                                           &Firefly_Manager::OnBlinkWave);
        handlerRegistered_ = true;
    }
    AddBindings();
}

void Firefly_Manager::AddBindings() {
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input || !bindings_.empty()) return;
    input->BindAnalog("LeftRight_LeftAxis", SD::xpad1_AXIS_LX_N, 0, 1.0f);
    input->BindAnalog("LeftRight_LeftAxis", 'A', 'D', 1.0f);
    input->BindAnalog("LeftRight_LeftAxis", SD::key_LEFT, SD::key_RIGHT, 1.0f);
    input->BindAnalog("UpDown_LeftAxis", SD::xpad1_AXIS_LY_N, 0, 1.0f);
    input->BindAnalog("UpDown_LeftAxis", 'S', 'W', 1.0f);
    input->BindAnalog("UpDown_LeftAxis", SD::key_DOWN, SD::key_UP, 1.0f);
    bindings_ = {"LeftRight_LeftAxis", "UpDown_LeftAxis"};
}

void Firefly_Manager::RemoveBindings() {
    SD::Input_* input = SD::Input_::GetInstance();
    if (input) {
        for (const std::string& name : bindings_) input->ClearAnalog(name);
    }
    bindings_.clear();
}

void Firefly_Manager::Shutdown() {
    // Fireflies still alive must not point at destroyed groups.
    fireflies_.ForEach([](SD::Component* component) { static_cast<Firefly*>(component)->SetGroup(nullptr); });
    groups_.Shutdown();
    pendingBlinks_.clear();
    if (handlerRegistered_) {
        if (SD::Message_System* messages = SD::Message_System::GetInstance())
            messages->RemoveHandlerOf(SD::MessageIds::FireflyBlinkWave, this);
        handlerRegistered_ = false;
    }
    RemoveBindings();
}

void Firefly_Manager::Update(float dt) {
    if (escortWatch_.GetTime() > kEscortInterval) {
        if (SD::GameObject* player = FindPlayer()) UpdateEscort(player, dt);
        escortWatch_.Restart();
    }
    fireflies_.ForEach([](SD::Component* component) { static_cast<Firefly*>(component)->Update(); });
}

void Firefly_Manager::FixedUpdate(float step) {
    fireflies_.ForEach([step](SD::Component* component) { static_cast<Firefly*>(component)->Step(step); });
}

void Firefly_Manager::RegisterFirefly(Firefly* firefly) {
    if (!firefly->listLink_.IsLinked()) fireflies_.PushBack(firefly);
}

void Firefly_Manager::UnregisterFirefly(Firefly* firefly) { fireflies_.Remove(firefly); }

void Firefly_Manager::JoinGroup(FireflyGroup* group, Firefly* firefly, const SD::SharedString& action) {
    firefly->SetGroup(group);
    firefly->DoAction(Firefly::ActionMode::kFly, action);
}

bool Firefly_Manager::CreateGroupFor(const SD::Vec3& centre, Firefly* firefly, const SD::SharedString& action) {
    FireflyGroup* group = groups_.CreateRequestGroup(centre);
    if (!group) return false;
    JoinGroup(group, firefly, action);
    return true;
}

bool Firefly_Manager::AttachToEscort(Firefly* firefly, int set, const SD::SharedString& action) {
    FireflyGroup* group = groups_.PickEscortGroup(set);
    if (!group) return false;
    JoinGroup(group, firefly, action);
    return true;
}

SD::GameObject* Firefly_Manager::PickRandomFireflyOfSet(int set) {
    if (set < 0 || set >= FireflyGroups::kEscortSets) return nullptr;
    const std::vector<FireflyGroup*>& groups = groups_.EscortSet(set);
    bool anyMembers = false;
    for (const FireflyGroup* group : groups) anyMembers = anyMembers || !group->members.empty();
    if (!anyMembers) return nullptr;
    const unsigned n = static_cast<unsigned>(groups.size());
    unsigned index = SD::RandomInt(0, n - 1);
    while (groups[index]->members.empty()) index = SD::RandomNext() % n;
    const std::vector<Firefly*>& members = groups[index]->members;
    return members[SD::RandomInt(0, static_cast<unsigned>(members.size()) - 1)]->GetOwner();
}

SD::GameObject* Firefly_Manager::PickRandomEscortFirefly() {
    const int set = static_cast<int>(SD::RandomInt(0, 3));
    return set < FireflyGroups::kEscortSets ? PickRandomFireflyOfSet(set) : nullptr;
}

void Firefly_Manager::DestroyAllFireflies() {
    std::vector<SD::GameObject*> owners;
    fireflies_.ForEach([&owners](SD::Component* component) {
        if (component->GetOwner()) owners.push_back(component->GetOwner());
    });
    for (SD::GameObject* owner : owners) {
        owner->UnnameObject();
        owner->Destroy();
    }
}

void Firefly_Manager::QueueBlink(SD::GameObject* firefly) {
    if (firefly) pendingBlinks_.push_back(firefly->GetHandle());
}

void Firefly_Manager::UpdateEscort(SD::GameObject* player, float dt) {
    const SD::Transform& transform = player->GetTransform();
    const SD::Vec3 up = transform.GetUp().GetNormalized();
    const SD::Vec3 right = transform.GetRight().GetNormalized();
    const SD::Vec3 facing = transform.GetDir();

    if (swayAngle_ > 0.7f || swayAngle_ < -0.7f) swayDirection_ = -swayDirection_;
    swayAngle_ += static_cast<float>(swayDirection_) * dt;

    const float angles[FireflyGroups::kEscortSets] = {2.0f * swayAngle_ + 3.0f, 1.5f * swayAngle_,
                                                      2.5f * swayAngle_ + 1.0f};
    const float spread[FireflyGroups::kEscortSets] = {0.15f, 0.1f, 0.2f};
    const float speed = BodyVelocity(player).Length();
    for (int set = 0; set < FireflyGroups::kEscortSets; ++set) {
        const SD::Vec3 sway = (up * std::cos(angles[set]) + right * std::sin(angles[set])).GetNormalized();
        const SD::Vec3 head = transform.GetLocalPos() + (facing + sway * spread[set]) * (20.0f * (speed / 60.0f));
        groups_.MoveEscortSet(set, head);
    }

    escortBlinkTimer_ += dt;
    if (escortBlinkTimer_ <= 1.0f) return;
    escortBlinkTimer_ = 0.0f;
    const int picks = static_cast<int>(SD::RandomNext() & 1u) + 1;
    for (int i = 0; i < picks; ++i) {
        const int set = static_cast<int>(SD::RandomNext() & 3u);
        if (Firefly* firefly = FireflyOf(PickRandomFireflyOfSet(set)))
            firefly->PutOnLane(Firefly::kLaneBlink, BlinkName());
    }
}

void Firefly_Manager::BlinkWave(FireflyGroup* group, int stage) {
    if (stage == 2) {
        group->wave = group->members;
        waveBudget_ = 0;
        group->waveRadius = 0.5f;
        stage = 1;
    }
    if (stage != 1) return;
    group->waveRadius += group->waveGrowth;
    for (Firefly* firefly : group->wave) {
        if (waveBudget_ >= 3) break;
        SD::GameObject* owner = firefly->GetOwner();
        if (!owner) continue;
        if ((owner->GetTransform().GetLocalPos() - group->centre).Length() >= group->waveRadius) continue;
        firefly->PutOnLane(Firefly::kLaneBlink, BlinkName());
        ++waveBudget_;
    }
}

void Firefly_Manager::OnBlinkWave(SD::IMessage* message) {
    SD::GameObject* player = FindPlayer();
    if (!player) return;
    const int stage = static_cast<const FireflyBlinkWaveMessage*>(message)->stage;
    const float growth = BodyVelocity(player).LengthSq() > 25.0f ? 3.0f : 0.4f;
    for (FireflyGroup* group : groups_.EscortSet(0)) {
        group->waveGrowth = growth;
        BlinkWave(group, stage);
    }
    for (const SD::GameObjectHandle& handle : pendingBlinks_) {
        if (Firefly* firefly = FireflyOf(handle.get())) firefly->PutOnLane(Firefly::kLaneBlink, BlinkName());
    }
    pendingBlinks_.clear();
}

SD::GameObject* Firefly_Manager::CreateFireflyObject(int kind) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory) return nullptr;
    SD::GameObject* object = factory->CreateObject("World/Firefly", nullptr);
    if (!object) return nullptr;
    object->Initialize(false);
    Firefly* firefly = FireflyOf(object);
    const SD::Vec4 colour = KindColour(kind);
    const SD::Vec4 wingColour = colour * 1.1f;
    // Created in handle order: back-left, front-left, back-right, front-right.
    static const char* const wings[Firefly::kWings] = {"World/FlyWingBackLeftYellow", "World/FlyWingFrontLeftYellow",
                                                       "World/FlyWingBackRightYellow", "World/FlyWingFrontRightYellow"};
    for (int i = 0; i < Firefly::kWings; ++i) {
        SD::GameObject* wing = factory->CreateObject(wings[i], object);
        if (!wing) continue;
        wing->Initialize(false);
        SD::Mtx33 orientation = wing->GetTransform().GetOrient();
        orientation.PreRotateX(0.8726646f);
        wing->GetTransform().SetOrient(orientation);
        if (firefly) firefly->SetWing(i, wing);
        looks::SetGeometryColor(wing, wingColour);
    }
    const bool known = kind >= 1 && kind <= 4;
    if (firefly && known) firefly->SetColourKind(kind);
    // Green fireflies blink with the fourth image of the glow.
    auto* blink = static_cast<Aperture::Photon::FireflyBlink*>(object->GetComponent(SD::CID_FireflyBlink));
    if (blink && kind == 2) blink->SetParticleSlice(0, 4);
    const SD::Vec4 body = known ? wingColour : SD::Vec4();
    looks::SetGeometryColor(object, body);
    if (auto* trail = static_cast<Aperture::Photon::FireflyTrail*>(object->GetComponent(SD::CID_FireflyTrail)))
        trail->SetColor(body);
    looks::SetLightColor(object, body * 0.25f);
    if (firefly) firefly->SetGlowColour(body * 0.25f);
    return object;
}

SD::GameObject* Firefly_Manager::SpawnFireflyInGroup(FireflyGroup* group, int kind, const SD::SharedString& action) {
    SD::GameObject* object = CreateFireflyObject(kind);
    Firefly* firefly = FireflyOf(object);
    if (!firefly) return object;
    if (auto* body = static_cast<Gedankenexperiment::Body*>(object->GetComponent(SD::CID_Body)))
        body->SetPosition(group->centre);
    object->GetTransform().SetPos(group->centre);
    firefly->SetGroup(group);
    firefly->DoAction(Firefly::ActionMode::kIdle, action);
    return object;
}

SD::GameObject* Firefly_Manager::SpawnFirefly(const SD::Vec3& position, const SD::Vec3& groupCentre, int kind,
                                              const SD::SharedString& action) {
    FireflyGroup* group = groups_.CreateRequestGroup(position);
    if (!group) return nullptr;
    SD::GameObject* object = SpawnFireflyInGroup(group, kind, action);
    group->centre = groupCentre;
    if (object) object->GetTransform().SetPos(position);
    return object;
}

}  // namespace QV
