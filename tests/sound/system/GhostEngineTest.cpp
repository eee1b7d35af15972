// The engine's sound system without a game: its subsystems' order, the sound-object handles,
// the sound-engine IDs it hands out, its configuration and its summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "core/Vector.h"
#include "sound/system/GhostEngine.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/system/SoundSystemFixture.h"
#include "tests/sound/system/SoundSystemProbes.h"

using namespace soundtest;

namespace {

std::vector<std::string> g_calls;

class Recorder : public SD::IGhostSubsystem {
public:
    const char* GetName() const override { return "Recorder"; }
    void Init() override { g_calls.push_back("init"); }
    void Term() override { g_calls.push_back("term"); }
    void Update(float) override { g_calls.push_back(SD::GhostEngine_::GetInstance().GetManager() ? "update" : "?"); }
};

class GhostEngineRun : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        g_calls.clear();
        tree.Write("Audio/Init.bnk", InitBank());
        tree.Write("Audio/Game.bnk", GameBank());
    }
    void TearDown() override { platform::audio::control::Reset(); }
    qvtest::TempTree tree;
};

TEST_F(GhostEngineRun, RunsTheManagerThenTheGameSideAndReportsThePlayedSounds) {
    SD::GhostEngine_ ghost;
    ASSERT_EQ(SD::GhostEngine_::Existing(), &ghost);
    ghost.SetSettings(SD::Manager::Settings{tree.Path("Audio/"), "Game.bnk", ""});
    ghost.SetGameSubsystem(std::make_unique<Recorder>());
    ghost.Initialize();
    ASSERT_NE(ghost.GetManager(), nullptr);
    EXPECT_EQ(qvtest::SoundManagerProbe::LoadedBanks(*ghost.GetManager()).size(), 2u)
        << "the game side starts after the banks are in";
    ghost.GetManager()->PostEvent("Play_Tone", 0);
    ghost.Update(0.02f);
    ghost.Shutdown();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"init", "update", "term"}));
    EXPECT_EQ(ghost.Summary(), "sounds played 1");
}

TEST_F(GhostEngineRun, TheSummarySaysWhatFailedAtStartUp) {
    SD::GhostEngine_ ghost;
    ghost.SetSettings(SD::Manager::Settings{tree.Path("Audio/"), "Gone.bnk", ""});
    ghost.Initialize();
    ghost.Shutdown();
    EXPECT_EQ(ghost.Summary(), "sounds played 0, sound failures 1 (bank \"Gone.bnk\" did not load: SXRESULT 66)");
}

TEST_F(GhostEngineRun, AnEventThatCannotBePreparedIsNamedAmongTheFailures) {
    SD::GhostEngine_ ghost;
    ghost.SetSettings(SD::Manager::Settings{tree.Path("Audio/"), "Game.bnk", "", true, "Play_Tone Play_Nothing"});
    ghost.Initialize();
    ghost.Shutdown();
    EXPECT_EQ(ghost.Summary(),
              "sounds played 0, sound failures 1 (event \"Play_Nothing\" was not prepared: SXRESULT 15)");
}

TEST(GhostEngine, ReadsItsSectionAndUsesTheMarkForAbsentKeys) {
    qvtest::TempTree tree;
    tree.Write("Assets/Config/config.ini", "[GhostEngine]\nBasePath=../Assets/Sound/\n");
    SD::ConfigFile config(tree.Path("Assets/Config/config.ini"));
    config.SetSection("GhostEngine");
    SD::GhostEngine_ ghost;
    ghost.ReadConfig(config);
    EXPECT_STREQ(ghost.GetName(), "GhostEngine");
    EXPECT_EQ(ghost.GetSettings().basePath, "../Assets/Sound/");
    EXPECT_EQ(ghost.GetSettings().banks, "^_^");
    EXPECT_EQ(ghost.GetSettings().packages, "");
    EXPECT_FALSE(ghost.GetSettings().gameSyncPreparation) << "off unless the configuration turns it on";
    EXPECT_EQ(ghost.GetSettings().preparedEvents, "");
    tree.Write("Assets/Config/config.ini", "[GhostEngine]\nGameSyncPreparation=true\nPreparedEvents=Play_A Play_B\n");
    SD::ConfigFile prepared(tree.Path("Assets/Config/config.ini"));
    prepared.SetSection("GhostEngine");
    ghost.ReadConfig(prepared);
    EXPECT_TRUE(ghost.GetSettings().gameSyncPreparation);
    EXPECT_EQ(ghost.GetSettings().preparedEvents, "Play_A Play_B");
}

TEST(GhostEngine, AStaleSoundObjectHandleNeitherMovesNorDestroysTheNewObject) {
    SD::GhostEngine_ ghost;
    const SD::SoundObjectHandle first = ghost.CreateSoundObject();
    ghost.DestroySoundObject(first);
    const SD::SoundObjectHandle second = ghost.CreateSoundObject();
    ASSERT_EQ(second.index, first.index);
    ASSERT_NE(second.generation, first.generation);
    const SD::Vec3 at(1.0f, 2.0f, 3.0f);
    ghost.SetSoundObjectPosition("stale", first, &at);
    ghost.DestroySoundObject(first);
    const SD::SoundObject* object = ghost.FindSoundObject(second);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->name, "");
    EXPECT_EQ(object->position[0], 0.0f);
    ghost.SetSoundObjectPosition("rain", second, &at);
    EXPECT_EQ(object->name, "rain");
    EXPECT_EQ(object->position[2], 3.0f);
    EXPECT_EQ(ghost.FindSoundObject(SD::SoundObjectHandle{99, 0}), nullptr);
}

TEST(GhostEngine, SoundObjectIDsComeFromATableAndAvoidTheReservedIDs) {
    SD::GhostEngine_ ghost;
    std::vector<int> objects(300);
    std::vector<SX::SxGameObjectID> ids;
    for (const int& object : objects) {
        const auto* key = reinterpret_cast<const SD::GameObject*>(&object);
        const SX::SxGameObjectID id = ghost.SoundObjectID(key);
        EXPECT_EQ(ghost.SoundObjectID(key), id) << "an object keeps its ID";
        EXPECT_NE(id, 0u);
        EXPECT_NE(id, SD::kDefaultSoundObject);
        EXPECT_NE(id, SX::SxAllGameObjects);
        ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "no two objects share an ID";
    EXPECT_EQ(ghost.SoundObjectID(nullptr), SD::kDefaultSoundObject);
}

}  // namespace
