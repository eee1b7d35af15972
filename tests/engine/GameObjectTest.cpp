// Game objects: components and their chains, initialisation, sleep, wake and play state.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "support/PlayStateDouble.h"
#include "tests/engine/ComponentListProbes.h"
#include "tests/engine/TransformProbes.h"

namespace {

using ManagerProbe = platform::TestProbe<SD::ComponentManager_>;
using TransformerProbe = platform::TestProbe<SD::Transformer_>;

using enginetest::EngineFixture;
using enginetest::Journal;
using enginetest::kMoverID;
using enginetest::kTagID;
using enginetest::Mover;

class GameObjectTest : public EngineFixture {};

TEST_F(GameObjectTest, ComponentsOfOneIdShareAHandleChain) {
    SD::GameObject* object = factory.NewGameObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetComponent(SD::CID_Transform), &object->GetTransform());
    EXPECT_EQ(object->AddComponent(SD::CID_Transform), &object->GetTransform());
    SD::Component* first = object->AddComponent(kMoverID);
    SD::Component* second = object->AddComponent(kMoverID);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(object->GetComponents().size(), 1u);
    EXPECT_EQ(object->GetComponent(kMoverID), first);
    EXPECT_EQ(first->GetHandle()->current, second);
    // Removing the oldest leaves the newer one reachable from the object.
    object->RemoveComponent(first);
    EXPECT_EQ(object->GetComponent(kMoverID), second);
    EXPECT_EQ(second->GetHandle()->first, second);
    // An ID without a creator, or out of range, gives nothing.
    EXPECT_EQ(object->AddComponent(SD::CID_Logic), nullptr);
    EXPECT_EQ(object->AddComponent(SD::CID_Total), nullptr);
    EXPECT_EQ(object->AddComponent(static_cast<SD::ComponentID>(5000)), nullptr);
    // Removing something that is not there does nothing.
    Mover stray;
    object->RemoveComponent(&stray);
    EXPECT_EQ(object->GetComponents().size(), 1u);
}

TEST_F(GameObjectTest, InitializeRegistersComponentsAndTransform) {
    SD::GameObject* object = factory.NewGameObject();
    object->AddComponent(kMoverID);
    object->AddComponent(kTagID);
    object->Initialize(false);
    EXPECT_EQ(object->GetState(), SD::GameObject::kInitialized);
    EXPECT_EQ(ManagerProbe::UpdateList(components).Size(), 1u);
    EXPECT_EQ(TransformerProbe::Transforms(transformer).Size(), 1u);
    EXPECT_EQ(object->GetComponent(kMoverID)->GetOwner(), object);
    EXPECT_EQ(Journal(), std::vector<std::string>{"Tag:register"});
    // A second Initialize does nothing.
    object->Initialize(false);
    EXPECT_EQ(ManagerProbe::UpdateList(components).Size(), 1u);
}

TEST_F(GameObjectTest, AttachingAChildMovesItFromItsFormerParent) {
    SD::GameObject* first = factory.NewGameObject();
    SD::GameObject* second = factory.NewGameObject();
    SD::GameObject* child = factory.NewGameObject();
    first->AttachChild(child);
    second->AttachChild(child);
    first->AttachChild(nullptr);
    first->AttachChild(first);
    EXPECT_EQ(child->GetParent(), second);
    EXPECT_TRUE(first->GetChildren().Empty());
    ASSERT_EQ(second->GetChildren().Size(), 1u);
    EXPECT_EQ(second->GetChildren().First(), child);
    // Destroying the former parent leaves the child alone.
    const SD::GameObjectHandle handle = child->GetHandle();
    first->Destroy();
    factory.Update(0.0f);
    EXPECT_EQ(handle.get(), child);
}

// A component that gives its object a Tag when it is initialised.
class Recruiter : public SD::Component {
public:
    static constexpr SD::ComponentID kID = SD::CID_TriggerLogic;
    SD::ComponentID VGetID() const override { return kID; }
    int VGetVersion() const override { return 1; }
    void VRegister() override {}
    void VUnregister() override {}
    void VInitialize(bool) override { GetOwner()->AddComponent(kTagID); }
};

// Components added while the object initialises are initialised and started with the rest.
TEST_F(GameObjectTest, ComponentsAddedDuringInitializeAreStartedToo) {
    factory.RegisterComponentCreator("Recruiter", Recruiter::kID, new SD::ComponentCreator<Recruiter>);
    SD::GameObject* object = factory.NewGameObject();
    object->AddComponent(Recruiter::kID);
    object->Initialize(false);
    SD::Component* tag = object->GetComponent(kTagID);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->GetOwner(), object);
    EXPECT_TRUE(tag->IsRegistered());
    EXPECT_EQ(Journal(), std::vector<std::string>{"Tag:register"});
}

TEST_F(GameObjectTest, SleepDuringInitializeHappensAtItsEnd) {
    SD::GameObject* before = factory.NewGameObject();
    before->AddComponent(kMoverID);
    before->Sleep();  // before Initialize: forgotten
    before->Initialize(false);
    EXPECT_FALSE(before->IsAsleep());

    SD::GameObject* during = factory.NewGameObject();
    static_cast<Mover*>(during->AddComponent(kMoverID))->sleepOnInitialize = true;
    during->Initialize(false);
    EXPECT_TRUE(during->IsAsleep());
    EXPECT_FALSE(during->GetComponent(kMoverID)->IsRegistered());
    EXPECT_FALSE(during->GetTransform().IsRegistered());
    EXPECT_EQ(ManagerProbe::UpdateList(components).Size(), 1u);
}

TEST_F(GameObjectTest, SleepGoesChildrenFirstAndAwakeParentFirst) {
    SD::GameObject* parent = factory.NewGameObject();
    SD::GameObject* child = factory.NewGameObject();
    parent->AttachChild(child);
    static_cast<Mover*>(parent->AddComponent(kMoverID))->label = "parent";
    static_cast<Mover*>(child->AddComponent(kMoverID))->label = "child";
    parent->Initialize(false);
    ASSERT_EQ(ManagerProbe::UpdateList(components).Size(), 2u);

    // The update list shows the order of unregistration and registration.
    parent->Sleep();
    EXPECT_TRUE(child->IsAsleep());
    EXPECT_EQ(ManagerProbe::UpdateList(components).Size(), 0u);
    parent->Awake();
    EXPECT_FALSE(child->IsAsleep());
    components.Update(0.0f);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"parent:update", "child:update"}));
}

TEST_F(GameObjectTest, PlayStateMessagesReachEveryObject) {
    factory.Initialize();
    SD::GameObject* object = factory.NewGameObject();
    SD::Component* mover = object->AddComponent(kMoverID);
    mover->SetActiveIn(SD::kPlayStatePause, false);
    object->Initialize(false);
    ASSERT_TRUE(mover->IsRegistered());

    SD::ChangeActiveState pause(SD::kPlayStatePause, SD::kPlayStatePlay);
    SD::Message_System::GetInstance()->SendMessage(pause);
    EXPECT_FALSE(mover->IsRegistered());
    EXPECT_TRUE(object->GetTransform().IsRegistered());
    EXPECT_EQ(object->GetPlayState(), SD::kPlayStatePause);

    SD::ChangeActiveState play(SD::kPlayStatePlay, SD::kPlayStatePause);
    SD::Message_System::GetInstance()->SendMessage(play);
    EXPECT_TRUE(mover->IsRegistered());
    factory.Shutdown();
}

TEST_F(GameObjectTest, InitializeAppliesTheGamesCurrentPlayState) {
    SD::GameObject* object = factory.NewGameObject();
    SD::Component* mover = object->AddComponent(kMoverID);
    mover->SetActiveIn(SD::kPlayStatePause, false);
    {
        const uint32_t paused = SD::kPlayStatePause;
        qvtest::PlayStateDouble playStateQuery(paused);
        object->Initialize(false);
    }
    EXPECT_FALSE(mover->IsRegistered());
    EXPECT_EQ(object->GetPlayState(), SD::kPlayStatePause);
}

// A component that destroys another object when it is itself destroyed.
class Undertaker : public SD::Component {
public:
    static constexpr SD::ComponentID kID = SD::CID_Collider2D;
    ~Undertaker() override {
        if (SD::GameObject* other = victim.get()) other->Destroy();
    }
    SD::ComponentID VGetID() const override { return kID; }
    int VGetVersion() const override { return 1; }
    void VRegister() override {}
    void VUnregister() override {}
    SD::GameObjectHandle victim;
};

class FullFactoryTest : public EngineFixture {
protected:
    FullFactoryTest() : EngineFixture(2) {
        factory.RegisterComponentCreator("Undertaker", Undertaker::kID, new SD::ComponentCreator<Undertaker>);
    }
};

// Queuing during the deferred deletion (a component destroying another object as it goes)
// must not disturb the queue being emptied; the newly queued object goes at the next update.
TEST_F(FullFactoryTest, DestructionQueuedWhileDeletingWaitsForTheNextUpdate) {
    SD::GameObject* first = factory.NewGameObject();
    SD::GameObject* second = factory.NewGameObject();
    ASSERT_NE(second, nullptr);
    static_cast<Undertaker*>(first->AddComponent(Undertaker::kID))->victim = second->GetHandle();
    const SD::GameObjectHandle firstHandle = first->GetHandle();
    const SD::GameObjectHandle secondHandle = second->GetHandle();
    first->Destroy();
    first->Destroy();
    factory.Update(0.0f);
    EXPECT_EQ(firstHandle.get(), nullptr);
    EXPECT_EQ(secondHandle.get(), second);
    factory.Update(0.0f);
    EXPECT_EQ(secondHandle.get(), nullptr);
}

}  // namespace
