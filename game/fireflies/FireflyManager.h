#pragma once
// The engine system "FireflyManager": steps and updates every registered firefly, keeps the
// fireflies' groups, moves the three escort sets that trail the player in a loose snake, makes
// fireflies blink in waves and at random, and makes and places new fireflies.
#include <string>
#include <vector>

#include "core/SharedString.h"
#include "core/System.h"
#include "core/Timer.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/GameObjectHandle.h"
#include "game/fireflies/FireflyGroups.h"

namespace SD {
class GameObject;
class IMessage;
}  // namespace SD

namespace QV {

class Firefly;

class Firefly_Manager : public SD::ISystem {
public:
    // The escort step runs when more than this many seconds passed since the last one.
    static constexpr double kEscortInterval = 0.014;

    // Made on first use; start-up hands it to the engine core, which does not own it.
    static Firefly_Manager& GetInstance();
    static void DestroyInstance();
    // The instance when one exists, without making one.
    static Firefly_Manager* Existing();

    Firefly_Manager() = default;
    ~Firefly_Manager() override;
    Firefly_Manager(const Firefly_Manager&) = delete;
    Firefly_Manager& operator=(const Firefly_Manager&) = delete;

    const char* GetName() const override { return "FireflyManager"; }
    // The path splines, the escort groups, the blink-wave handler and the steering bindings.
    void Initialize() override;
    // Destroys every group, empties the group lists, removes the handler and the bindings.
    void Shutdown() override;
    // The escort step (at most once a frame), then every firefly's wings and glow in
    // registration order.
    void Update(float dt) override;
    // Every firefly's actions, in the simulation's fixed steps: their forces push bodies that
    // move in those steps.
    bool TakesFixedSteps() const override { return true; }
    void FixedUpdate(float step) override;

    void RegisterFirefly(Firefly* firefly);
    void UnregisterFirefly(Firefly* firefly);
    size_t FireflyCount() const { return fireflies_.Size(); }

    FireflyGroup* CreateGroup(const SD::Vec3& centre) { return groups_.CreateGroup(centre); }
    // A new group at the centre that the firefly joins with the action; false when the group
    // table is full of groups with members.
    bool CreateGroupFor(const SD::Vec3& centre, Firefly* firefly, const SD::SharedString& action);
    // Moves the firefly into the group and puts the action (empty: its default fly action) on
    // its fly lane.
    void JoinGroup(FireflyGroup* group, Firefly* firefly, const SD::SharedString& action);
    bool AttachToEscort(Firefly* firefly, int set, const SD::SharedString& action);
    FireflyGroup* PickEscortGroup(int set) { return groups_.PickEscortGroup(set); }
    SD::GameObject* PickRandomFireflyOfSet(int set);
    SD::GameObject* PickRandomEscortFirefly();
    void ResetEscort() { groups_.ResetEscort(); }
    // Queues every firefly object (and its children) for destruction and forgets its name.
    void DestroyAllFireflies();
    // Fireflies that blink at the next blink wave.
    void QueueBlink(SD::GameObject* firefly);

    // A "World/Firefly" object of the colour kind (1 pink, 2 green, 3 blue, 4 yellow) with its
    // four wings; null when the blueprint is missing.
    SD::GameObject* CreateFireflyObject(int kind);
    // A firefly of the kind in a new group at `groupCentre`, placed at `position`, with the
    // action on its idle lane (empty: its default idle action).
    SD::GameObject* SpawnFirefly(const SD::Vec3& position, const SD::Vec3& groupCentre, int kind,
                                 const SD::SharedString& action);
    // A firefly of the kind placed at the group's centre, joined to it, the action on its idle
    // lane.
    SD::GameObject* SpawnFireflyInGroup(FireflyGroup* group, int kind, const SD::SharedString& action);

    // The escort step with the player object.
    void UpdateEscort(SD::GameObject* player, float dt);
    // The blink wave of one stage through a group (stage 2 restarts it).
    void BlinkWave(FireflyGroup* group, int stage);
    void OnBlinkWave(SD::IMessage* message);

    FireflyGroups& Groups() { return groups_; }
    float GetSwayAngle() const { return swayAngle_; }

private:
    void AddBindings();
    void RemoveBindings();

    SD::Stopwatch escortWatch_;
    std::vector<std::string> bindings_;
    SD::ComponentList fireflies_;
    FireflyGroups groups_;
    std::vector<SD::GameObjectHandle> pendingBlinks_;
    float swayAngle_ = 0.0f;
    int swayDirection_ = -1;
    float escortBlinkTimer_ = 0.0f;
    int waveBudget_ = 0;
    bool handlerRegistered_ = false;
};

}  // namespace QV
