// The game-state manager driven frame by frame: the hooks each state receives, changes of
// state during transitions, quitting, the starting state and the play state.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GameStateTestSupport.h"
#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/Message.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "engine/ChangeActiveState.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/ObjectCreated.h"
#include "engine/PlayStateQuery.h"
#include "runtime/GameStateManager.h"
#include "support/TempTree.h"

namespace {

using statetest::TraceLevel;

class GameStateManagerTest : public ::testing::Test {
protected:
    GameStateManagerTest() : core(SD::Core::CreateInstance()) { manager.Initialize(); }
    ~GameStateManagerTest() override {
        manager.Shutdown();
        SD::Message_System::DestroyInstance();
    }

    TraceLevel* Add(const std::string& name, int framesIn = 1, int framesOut = 1) {
        auto* level = new TraceLevel(journal, name, framesIn, framesOut, &deletions);
        manager.RegisterLevel(level, name);
        return level;
    }
    // The hooks of one frame, joined by blanks ("" when none ran).
    std::string Frame(float dt = 0.5f) {
        journal.clear();
        manager.Update(dt);
        std::string text;
        for (const std::string& entry : journal) text += (text.empty() ? "" : " ") + entry;
        return text;
    }
    std::vector<std::string> Frames(int count, float dt = 0.5f) {
        std::vector<std::string> frames;
        for (int i = 0; i < count; ++i) frames.push_back(Frame(dt));
        return frames;
    }

    std::vector<std::string> journal;
    int deletions = 0;
    std::unique_ptr<SD::Core> core;
    SD::GameStateManager_ manager;
};

using Trace = std::vector<std::string>;

TEST_F(GameStateManagerTest, HooksOfTwoStatesAcrossAChange) {
    Add("A", 1, 2);
    Add("B");
    manager.ChangeLevelTo("A");
    EXPECT_EQ(Frames(4),
              (Trace{"",  // idle: the pending state becomes current
                     "A:Load A:Initialize", "A:TransitionIn A:OnEntered", "A:Update(0.5) A:UpdateRunning(0.5)"}));
    EXPECT_EQ(manager.ChangeLevelTo("B"), manager.FindLevel("B"));
    EXPECT_EQ(Frames(6), (Trace{"A:Update(0.5) A:UpdateRunning(0.5) A:BeginExit", "A:TransitionOut",
                                "A:TransitionOut A:OnExited A:Unload", "B:Load B:Initialize",
                                "B:TransitionIn B:OnEntered", "B:Update(0.5) B:UpdateRunning(0.5)"}));
    EXPECT_EQ(manager.GetPreviousLevel(), manager.FindLevel("A"));
    EXPECT_EQ(manager.GetCurrentLevel(), manager.FindLevel("B"));
}

TEST_F(GameStateManagerTest, ChangesDuringTransitions) {
    Add("A", 3, 3);
    Add("B");
    Add("C");
    manager.ChangeLevelTo("A");
    Frames(3);  // idle, load, first frame of entering
    manager.ChangeLevelTo("B");
    // Entering is finished before the change is seen, and the state runs one frame.
    EXPECT_EQ(Frames(3), (Trace{"A:TransitionIn", "A:TransitionIn A:OnEntered",
                                "A:Update(0.5) A:UpdateRunning(0.5) A:BeginExit"}));
    EXPECT_EQ(Frame(), "A:TransitionOut");
    manager.ChangeLevelTo("C");  // while leaving: the latest request is the one that follows
    EXPECT_EQ(Frames(3), (Trace{"A:TransitionOut", "A:TransitionOut A:OnExited A:Unload", "C:Load C:Initialize"}));

    // Asking for the running state again does not leave it.
    Frames(2);
    manager.ChangeLevelTo("C");
    EXPECT_EQ(Frame(), "C:Update(0.5) C:UpdateRunning(0.5)");
    EXPECT_EQ(manager.ChangeLevelTo("Nowhere"), nullptr);
    EXPECT_EQ(manager.GetPendingLevel(), manager.FindLevel("C"));
}

TEST_F(GameStateManagerTest, QuitSetsTheQuitFlagTheFrameAfterTheStateIsLeft) {
    Add("A", 1, 2);
    manager.ChangeLevelTo("A");
    Frames(4);
    EXPECT_EQ(manager.ChangeLevelTo("Quit"), nullptr);
    EXPECT_EQ(Frames(3), (Trace{"A:Update(0.5) A:UpdateRunning(0.5) A:BeginExit", "A:TransitionOut",
                                "A:TransitionOut A:OnExited A:Unload"}));
    EXPECT_FALSE(core->IsQuitting());
    EXPECT_EQ(Frame(), "");
    EXPECT_TRUE(core->IsQuitting());
    EXPECT_EQ(manager.GetPhase(), SD::GameStateManager_::kIdle);
    EXPECT_EQ(manager.GetCurrentLevel(), nullptr);
}

TEST_F(GameStateManagerTest, AQuitRequestMessageLeavesTheStateAndQuits) {
    Add("A");
    manager.ChangeLevelTo("A");
    Frames(4);
    SD::IMessage request(SD::MessageIds::QuitRequest);
    SD::Message_System::GetInstance()->SendMessage(request);
    EXPECT_EQ(Frames(3),
              (Trace{"A:Update(0.5) A:UpdateRunning(0.5) A:BeginExit", "A:TransitionOut A:OnExited A:Unload", ""}));
    EXPECT_TRUE(core->IsQuitting());
}

TEST_F(GameStateManagerTest, NothingToRunStaysIdle) {
    Add("A");
    EXPECT_EQ(Frames(3), (Trace{"", "", ""}));
    EXPECT_EQ(manager.GetPhase(), SD::GameStateManager_::kIdle);
    EXPECT_FALSE(core->IsQuitting());
}

TEST_F(GameStateManagerTest, WhilePausedTheStateGetsTheCoresFrameTime) {
    Add("A");
    manager.ChangeLevelTo("A");
    Frames(3);
    EXPECT_EQ(Frame(0.0f), "A:Update(0) A:UpdatePaused(0.016)");
}

TEST_F(GameStateManagerTest, NamesAreTheirPartAfterTheLastColon) {
    Add("QV::Deep::World");
    Add("Plain");
    Add("Trailing:");
    EXPECT_NE(manager.FindLevel("World"), nullptr);
    EXPECT_EQ(manager.FindLevel("QV::Deep::World"), nullptr);
    EXPECT_NE(manager.FindLevel("Plain"), nullptr);
    EXPECT_NE(manager.FindLevel(""), nullptr);
    EXPECT_EQ(manager.FindLevel("plain"), nullptr);
}

TEST_F(GameStateManagerTest, StartingLevelFromTheConfiguration) {
    struct Case {
        const char* ini;
        const char* pending;
    } cases[] = {
        {"[GameStateManager]\nStartingLevel=B\n", "B"},
        {"[GameStateManager]\nStartingLevel=\n", "A"},
        {"[Other]\nStartingLevel=B\n", "A"},
        {"[GameStateManager]\nStartingLevel=Nowhere\n", "A"},
        {"[GameStateManager]\nStartingLevel=Quit\n", nullptr},
    };
    Add("A");
    Add("B");
    qvtest::TempTree tree;
    for (const Case& c : cases) {
        manager.ChangeLevelTo("A");
        tree.Write("Assets/Config/config.ini", c.ini);
        SD::ConfigFile config;
        config.SetSection("GameStateManager");
        manager.ReadConfig(config);
        EXPECT_EQ(manager.GetPendingLevel(), c.pending ? manager.FindLevel(c.pending) : nullptr) << c.ini;
    }
}

TEST_F(GameStateManagerTest, ShutdownUnloadsOnlyALoadedState) {
    struct Case {
        int frames;
        bool unloads;
    } cases[] = {{0, false}, {1, false}, {2, true}, {3, true}, {4, true}};
    for (const Case& c : cases) {
        SD::GameStateManager_ local;
        local.RegisterLevel(new TraceLevel(journal, "S"), "S");
        local.ChangeLevelTo("S");
        for (int i = 0; i < c.frames; ++i) local.Update(0.5f);
        journal.clear();
        local.Shutdown();
        EXPECT_EQ(journal, c.unloads ? Trace{"S:Unload"} : Trace{}) << c.frames;
    }
}

TEST_F(GameStateManagerTest, DestructionDeletesEveryRegisteredState) {
    {
        SD::GameStateManager_ local;
        for (const char* name : {"X", "Y", "Z"})
            local.RegisterLevel(new TraceLevel(journal, name, 1, 1, &deletions), name);
    }
    EXPECT_EQ(deletions, 3);
    EXPECT_EQ(SD::GameStateManager_::GetInstance(), nullptr);
}

TEST_F(GameStateManagerTest, ObjectsCreatedWhileAStateRunsAreDestroyedWhenItIsLeft) {
    SD::Factory_ factory(16);
    Add("A");
    Add("B");
    SD::GameObject* early = factory.NewGameObject();
    SD::ObjectCreated beforeAnyState(early);
    SD::Message_System::GetInstance()->SendMessage(beforeAnyState);
    manager.ChangeLevelTo("A");
    Frames(3);
    SD::GameObject* owned = factory.NewGameObject();
    SD::GameObject* rescued = factory.NewGameObject();
    for (SD::GameObject* object : {owned, rescued}) {
        SD::ObjectCreated created(object);
        SD::Message_System::GetInstance()->SendMessage(created);
    }
    manager.RemoveObjectFromCurrentLevel(rescued);
    EXPECT_EQ(manager.GetCurrentLevel()->GetObjects().size(), 2u);
    SD::GameObjectHandle ownedHandle = owned->GetHandle();
    manager.ChangeLevelTo("B");
    Frames(2);
    EXPECT_TRUE(manager.FindLevel("A")->GetObjects().empty());
    factory.Update(0.0f);
    EXPECT_EQ(ownedHandle.get(), nullptr);
    EXPECT_NE(rescued->GetHandle().get(), nullptr);
    EXPECT_NE(early->GetHandle().get(), nullptr);
    factory.Shutdown();
}

struct PlayStateRecorder {
    void OnChange(SD::IMessage* message) {
        auto* change = static_cast<SD::ChangeActiveState*>(message);
        seen.push_back({change->newState, change->oldState});
    }
    std::vector<std::pair<int, int>> seen;
};

TEST_F(GameStateManagerTest, PlayStateIsAnnouncedAndMirroredIntoThePauseFlag) {
    PlayStateRecorder recorder;
    auto* messages = SD::Message_System::GetInstance();
    messages->RegisterHandler(SD::MessageIds::ChangeActiveState, &recorder, &PlayStateRecorder::OnChange);
    struct Step {
        int state;
        bool paused;
    } steps[] = {{1, true}, {0, false}, {2, true}, {3, true}, {0, false}, {3, false}};
    int old = 0;
    for (const Step& s : steps) {
        manager.SetPlayState(s.state);
        EXPECT_EQ(core->IsPaused(), s.paused) << s.state;
        EXPECT_EQ(SD::GetCurrentPlayState(), static_cast<uint32_t>(s.state));
        ASSERT_FALSE(recorder.seen.empty());
        EXPECT_EQ(recorder.seen.back(), std::make_pair(s.state, old));
        old = s.state;
    }
    EXPECT_EQ(recorder.seen.size(), std::size(steps));
    messages->RemoveHandlerOf(SD::MessageIds::ChangeActiveState, &recorder);
}

// Asks the engine to quit, as any part of the game may, in its nth running frame.
class QuittingLevel : public TraceLevel {
public:
    QuittingLevel(std::vector<std::string>& journal, int frames) : TraceLevel(journal, "Q"), frames_(frames) {}
    void Update(float dt) override {
        TraceLevel::Update(dt);
        if (--frames_ == 0)
            SD::Message_System::GetInstance()->PostMessage(SD::IMessage(SD::MessageIds::QuitRequest), 0.0f);
    }

private:
    int frames_;
};

TEST(GameStateManagerInTheCore, TheConfiguredStateRunsUntilAQuitRequestEndsTheLoop) {
    qvtest::TempTree tree;
    tree.Write("Assets/Config/config.ini", "[GameStateManager]\nStartingLevel=Menu\n");
    std::vector<std::string> journal;
    std::string runningAtFrame3;
    {
        std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
        auto* manager = new SD::GameStateManager_();
        manager->RegisterLevel(new QuittingLevel(journal, 3), "Menu");
        core->AddSystem(SD::Message_System::GetInstance(), false);
        core->AddSystem(manager, true);
        SD::ConfigFile config;
        core->Configure(config);
        struct Watch : SD::IFrameObserver {
            SD::GameStateManager_* manager;
            std::string* runningAtFrame3;
            void AfterFrame(SD::Core& c) override {
                if (c.GetFrameCount() == 3 && manager->GetCurrentLevel())
                    *runningAtFrame3 = manager->GetCurrentLevel()->GetName();
                if (c.GetFrameCount() > 50) c.Quit();
            }
        };
        Watch watch;
        watch.manager = manager;
        watch.runningAtFrame3 = &runningAtFrame3;
        core->SetFrameObserver(&watch);
        core->Run();
        core->RemoveFrameObserver(&watch);
        // Idle, load, enter, three running frames, leave, quit.
        EXPECT_EQ(core->GetFrameCount(), 8u);
        EXPECT_EQ(manager->GetPreviousLevel(), manager->FindLevel("Menu"));
    }
    SD::Message_System::DestroyInstance();
    EXPECT_EQ(runningAtFrame3, "Menu");
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), "Q:Unload");
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "Q:Load"), 1);
}

}  // namespace
