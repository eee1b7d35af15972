#include "physics/PhysicsSystem.h"

#include <algorithm>
#include <cmath>

#include "core/Singleton.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PairTests.h"
#include "physics/StaticProbe.h"

namespace Gedankenexperiment {
namespace {

using Instance = SD::Singleton<Physics_System>;

const char* const kPlayerName = "Player";
const char* const kFireflyBlueprint = "World/Firefly";

template <class T>
std::vector<T*> ListOf(SD::ComponentList& list) {
    std::vector<T*> out;
    out.reserve(list.Size());
    for (SD::Component* c : list) out.push_back(static_cast<T*>(c));
    return out;
}

// The list as an array, remade only when the list changed.
template <class T>
const std::vector<T*>& ArrayOf(SD::ComponentList& list, std::vector<T*>& array, bool& changed) {
    if (changed) {
        array = ListOf<T>(list);
        changed = false;
    }
    return array;
}

bool IsFirefly(const Collider* c) { return c->GetOwner() && c->GetOwner()->GetBlueprintName() == kFireflyBlueprint; }

// A collider whose shape was taken away after it was registered takes part in nothing.
void Test(Collider& first, Collider& second, ContactTable& contacts) {
    Shape* a = first.GetShape();
    Shape* b = second.GetShape();
    if (a && b) GetPairTest(a->GetType(), b->GetType())(*a, first.position, *b, second.position, contacts);
}

}  // namespace

Physics_System* Physics_System::GetInstance() { return Instance::Get(); }
Physics_System* Physics_System::Peek() { return Instance::Peek(); }
void Physics_System::DestroyInstance() { Instance::Destroy(); }

Physics_System::~Physics_System() {
    for (SD::ComponentList* list : {&dynamic_, &static_})
        for (SD::Component* c : *list) static_cast<Collider*>(c)->listed_ = Collider::Listed::kNone;
}

void Physics_System::AddBody(Body* body) {
    if (body->listLink_.IsLinked()) return;
    bodies_.PushBack(body);
    bodiesChanged_ = true;
}

void Physics_System::RemoveBody(Body* body) {
    if (!body->listLink_.IsLinked()) return;
    bodies_.Remove(body);
    bodiesChanged_ = true;
}

void Physics_System::AddCollider(Collider* collider) {
    if (collider->listed_ != Collider::Listed::kNone) return;
    const bool dynamic = collider->IsDynamic();
    (dynamic ? dynamic_ : static_).PushBack(collider);
    collider->listed_ = dynamic ? Collider::Listed::kDynamic : Collider::Listed::kStatic;
    dynamicChanged_ = dynamicChanged_ || dynamic;
}

void Physics_System::RemoveCollider(Collider* collider) {
    if (collider->listed_ == Collider::Listed::kNone) return;
    const bool wasStatic = collider->listed_ == Collider::Listed::kStatic;
    (wasStatic ? static_ : dynamic_).Remove(collider);
    collider->listed_ = Collider::Listed::kNone;
    dynamicChanged_ = dynamicChanged_ || !wasStatic;
    contacts_.Forget(collider);
    // The tree must not hand out a collider that is gone; an empty level needs no tree.
    if (wasStatic) {
        if (static_.Empty())
            tree_.Clear();
        else
            tree_.Remove(collider);
    }
}

std::vector<Body*> Physics_System::GetBodies() { return ListOf<Body>(bodies_); }
std::vector<Collider*> Physics_System::GetDynamicColliders() { return ListOf<Collider>(dynamic_); }
std::vector<Collider*> Physics_System::GetStaticColliders() { return ListOf<Collider>(static_); }

void Physics_System::Step(float time) {
    const float half = time * 0.5f;
    float remaining = time;
    while (remaining > kShortestStep) {
        const float h = half < remaining ? half : remaining;
        // A remainder too short for a step of its own is dropped with it.
        if (!(h > 0.0f)) break;
        Substep(h);
        remaining -= h;
    }
}

void Physics_System::Substep(float h) {
    contacts_.Reset();
    Integrate(h);
    Detect();
    CorrectPositions();
    ResolveVelocities(h);
    Notify();
    WriteBack();
}

bool Physics_System::CheckCollisionsNow() {
    contacts_.Reset();
    Detect();
    const bool found = contacts_.Count() > 0;
    Notify();
    return found;
}

void Physics_System::BuildTree() { tree_.Build(ListOf<Collider>(static_)); }

const std::vector<Collider*>& Physics_System::SolidStaticsNear(const SD::Vec3& a, const SD::Vec3& b, float reach) {
    near_.clear();
    found_.clear();
    if (tree_.GetRoot()) {
        const SD::Vec3 lo(std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z));
        const SD::Vec3 hi(std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z));
        const SD::Vec3 grow(reach, reach, reach);
        tree_.QueryBox((lo + hi) * 0.5f, (hi - lo) * 0.5f + grow, found_);
        for (const std::vector<Collider*>* colliders : found_)
            for (Collider* c : *colliders)
                if (IsSolidStatic(*c) && std::find(near_.begin(), near_.end(), c) == near_.end()) near_.push_back(c);
    } else {
        for (SD::Component* c : static_)
            if (IsSolidStatic(*static_cast<Collider*>(c))) near_.push_back(static_cast<Collider*>(c));
    }
    return near_;
}

bool Physics_System::InsideStatic(const SD::Vec3& point, float clearance) {
    for (Collider* c : SolidStaticsNear(point, point, clearance))
        if (PointInside(*c, point, clearance)) return true;
    return false;
}

SD::Vec3 Physics_System::ClearView(const SD::Vec3& from, const SD::Vec3& wanted, float clearance) {
    // A push out of one collider may lead into another: a few rounds settle a corner between two.
    constexpr int kRounds = 3;
    SD::Vec3 place = wanted;
    for (int round = 0; round < kRounds; ++round) {
        bool pushed = false;
        for (Collider* c : SolidStaticsNear(place, place, clearance)) {
            const SD::Vec3 out = PushOutside(*c, place, clearance, from);
            pushed = pushed || !(out == place);
            place = out;
        }
        if (!pushed) break;
    }
    return from + (place - from) * ClearWay(from, place, clearance);
}

float Physics_System::ClearWay(const SD::Vec3& from, const SD::Vec3& to, float clearance) {
    float part = 1.0f;
    for (Collider* c : SolidStaticsNear(from, to, clearance)) part = std::min(part, ClearPart(*c, from, to, clearance));
    return part;
}

const std::vector<Body*>& Physics_System::BodyArray() { return ArrayOf(bodies_, bodyArray_, bodiesChanged_); }

const std::vector<Collider*>& Physics_System::DynamicArray() {
    return ArrayOf(dynamic_, dynamicArray_, dynamicChanged_);
}

void Physics_System::Integrate(float h) {
    const float decay = std::pow(Body::kDecayPerSecond, h);
    Body::IntegrateAll(BodyArray(), h, decay);
}

void Physics_System::Detect() {
    Collider* player = nullptr;
    if (SD::Factory_::GetInstance())
        player = SD::ComponentOf<Collider>(SD::Factory_::GetGameObjectByName(kPlayerName), SD::CID_Collider);
    const std::vector<Collider*>& dynamic = DynamicArray();
    for (const auto& [i, j] : pairs_.Find(dynamic)) {
        Collider* a = dynamic[i];
        Collider* b = dynamic[j];
        // The player's vehicle flies through fireflies.
        if ((a == player && IsFirefly(b)) || (b == player && IsFirefly(a))) continue;
        Test(*a, *b, contacts_);
    }
    if (!tree_.GetRoot()) return;
    for (Collider* a : dynamic) {
        found_.clear();
        tree_.Query(*a, found_);
        for (const std::vector<Collider*>* colliders : found_)
            for (Collider* b : *colliders) Test(*a, *b, contacts_);
    }
}

void Physics_System::CorrectPositions() {
    for (uint32_t i = 0; i < contacts_.Count(); ++i) {
        Contact& c = contacts_[i];
        if (!c.first || c.first->ghost || c.second->ghost) continue;
        Collider& a = *c.first;
        Collider& b = *c.second;
        if (!b.GetBody()) {
            a.position += c.normal * c.depth;
        } else if (!a.GetBody()) {
            b.position -= c.normal * c.depth;
        } else {
            const float total = a.inverseMass + b.inverseMass;
            // Two bodies that nothing can move stay where they are.
            if (!(total > 0.0f)) continue;
            const float s = c.depth / total;
            a.position += c.normal * (s * a.inverseMass);
            b.position -= c.normal * (s * b.inverseMass);
        }
    }
}

void Physics_System::ResolveVelocities(float h) {
    for (uint32_t i = 0; i < contacts_.Count(); ++i) {
        Contact& c = contacts_[i];
        if (!c.first || c.first->ghost || c.second->ghost) continue;
        Collider& a = *c.first;
        Collider& b = *c.second;
        const float vs = c.normal.Dot(a.velocity - b.velocity);
        if (vs > 0.0f) continue;
        const float e = c.restitution;
        float vt = -(e * vs);
        const float va = c.normal.Dot((a.acceleration - b.acceleration) * h);
        if (va < 0.0f) {
            vt += e * va;
            if (vt < 0.0f) vt = 0.0f;
        }
        // The masses are summed, not the inverse masses: the game's bounces are tuned to it.
        const float j = (a.mass + b.mass) * (vt - vs);
        if (a.mass != 0.0f) a.velocity += c.normal * (j * a.inverseMass);
        if (b.mass != 0.0f) b.velocity -= c.normal * (j * b.inverseMass);
    }
}

void Physics_System::Notify() {
    for (uint32_t i = 0; i < contacts_.Count(); ++i) {
        Contact& c = contacts_[i];
        if (!c.first) continue;
        Collider* first = c.first;
        Collider* second = c.second;
        first->NotifyContact(second);
        // The first callback may have removed either collider, which clears the record.
        if (c.first) second->NotifyContact(first);
        c.first = nullptr;
    }
}

void Physics_System::WriteBack() {
    // Contact callbacks may have changed the list since detection.
    for (Collider* c : DynamicArray()) {
        if (SD::GameObject* owner = c->GetOwner()) owner->GetTransform().SetPos(c->position);
        c->previousPosition = c->position;
    }
}

}  // namespace Gedankenexperiment
