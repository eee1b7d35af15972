// The game's sound logic: the music's callback, arriving on another thread, only marks the beat
// and the sync entry; the next update on the main thread plays the phantoms waiting for them,
// once per queueing, and a phantom destroyed while waiting is not played. Every frame the
// player's height, speed and distance become game parameters, without dividing by a zero speed.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "HeldSoundSystem.h"
#include "PlayTestSupport.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/GameSoundLogic.h"
#include "support/TempTree.h"

namespace {

using namespace playtest;

std::map<uint32_t, float>& Parameters() {
    static std::map<uint32_t, float> parameters;
    return parameters;
}
void RecordParameter(uint32_t parameter, float value, uint32_t) { Parameters()[parameter] = value; }

class GameSoundLogicTest : public PlayFixture {
protected:
    GameSoundLogicTest() {
        Parameters().clear();
        QV::AudioLogic_::SetParameterSetter(&RecordParameter);
        Flight still;
        still.forwardSpeed = 0;
        Blueprints(VehicleBlueprint("Vehicle") + VehicleBlueprint("Stalled", still) +
                   Phantom("OnBeat", "Play_Chime", false, true) + Phantom("OnSync", "Play_Theme", true, false));
        sound.Name({"Play_Player_Wind", "Play_Epic_Strings", "Play_Chime", "Play_Theme"});
    }
    ~GameSoundLogicTest() override {
        logic.Term();
        factory.Shutdown();
        QV::AudioLogic_::RemoveParameterSetter(&RecordParameter);
    }
    static std::string Phantom(const char* name, const char* event, bool sync, bool beat) {
        return Blueprint(name, TransformXml({}) + Component("QuorvPhantom", 2,
                                                            StringXml("Event Name", event) + BoolXml("Is 3D?", false) +
                                                                BoolXml("Begin Playing?", false) +
                                                                BoolXml("Play On Music Sync Entry?", sync) +
                                                                BoolXml("Play On Beat?", beat)));
    }
    // The callback as the sound engine's thread delivers it.
    void Deliver(uint32_t type) {
        SX::SxCallbackInfo info{};
        info.pCookie = &logic;
        std::thread music([&] { QV::GameSoundLogic::OnMusicCallback(static_cast<SX::SxCallbackType>(type), &info); });
        music.join();
    }
    static QV::QuorvPhantom* PhantomOf(SD::GameObject* object) {
        return Get<QV::QuorvPhantom>(object, SD::CID_QuorvPhantom);
    }

    // The sounds the world posted; the music's own event on its object is left out.
    std::vector<std::string> Posts() {
        if (SD::GameObject* music = logic.GetMusicObject()) sound.Ignore(music);
        return sound.Posts();
    }

    gametest::HeldSoundSystem sound;
    QV::GameSoundLogic logic;
};

TEST_F(GameSoundLogicTest, StartingTheMusicPostsTheBedsAndSetsTheStartStates) {
    logic.Init();
    EXPECT_EQ(logic.GetTuning(), 0.01f);
    ASSERT_NE(logic.GetMusicObject(), nullptr);
    EXPECT_EQ(logic.GetMusicObject()->GetName(), "Interactive Music");
    EXPECT_EQ(Posts(), (std::vector<std::string>{"Play_Player_Wind on global", "Play_Epic_Strings on global"}));
    EXPECT_EQ(StateChanges(), (std::vector<std::string>{"A1F25A7F 4CE3F731", "A284B748 BABF0E02"}));
}

// While the sound part runs, the sound engine's setters are the ones installed: a recorder
// installed afterwards is refused, and once the part ends it is taken.
TEST_F(GameSoundLogicTest, TheSoundPartInstallsTheEngineSettersWhileItRuns) {
    QV::AudioLogic_::RemoveParameterSetter(&RecordParameter);
    QV::AudioLogic_::RemoveStateSetter(&RecordState);
    logic.Init();
    {
        qvtest::StderrCapture refusals;
        EXPECT_FALSE(QV::AudioLogic_::SetParameterSetter(&RecordParameter));
        EXPECT_FALSE(QV::AudioLogic_::SetStateSetter(&RecordState));
    }
    logic.Term();
    EXPECT_TRUE(QV::AudioLogic_::SetParameterSetter(&RecordParameter));
    EXPECT_TRUE(QV::AudioLogic_::SetStateSetter(&RecordState));
}

TEST_F(GameSoundLogicTest, AMusicStateIndexPastTheLastOrNegativeSelectsTheLast) {
    QV::AudioLogic_& audio = QV::AudioLogic_::GetInstance();
    const struct {
        int index;
        int state;
    } cases[] = {{2, 2}, {7, 4}, {-1, 4}, {-300, 4}, {0, 0}};
    for (const auto& c : cases) {
        audio.SetMusicState(static_cast<unsigned>(c.index));
        EXPECT_EQ(audio.GetSeason(), c.state) << c.index;
    }
    // The master volume is the one the HUD's slider shows, kept within 0..1.
    audio.SetGlobalVolume(1.5f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetGlobalVolume(), 1.0f);
    audio.SetGlobalVolume(-2.0f);
    EXPECT_EQ(audio.GetGlobalVolume(), 0.0f);
    audio.SetGlobalVolume(1.0f);
}

TEST_F(GameSoundLogicTest, BeatsAndSyncEntriesFromTheMusicThreadPlayOnTheMainThread) {
    SD::GameObject* bell = Spawn("OnBeat", "Bell");
    auto* beat = PhantomOf(bell);
    auto* sync = PhantomOf(Spawn("OnSync", "Theme"));
    sound.Name(bell);
    beat->PlaySound();
    sync->PlaySound();
    QV::AudioLogic_::GetInstance().QueueForSyncEntry(sync);  // queued twice: plays twice
    Deliver(QV::GameSoundLogic::kBeat);
    Deliver(QV::GameSoundLogic::kSyncEntry);
    Deliver(0x0200);  // a bar changes nothing
    // Nothing is played on the music's thread.
    EXPECT_TRUE(logic.BeatPending());
    EXPECT_TRUE(logic.SyncEntryPending());
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(QV::AudioLogic_::GetInstance().SyncQueueSize(), 2u);

    logic.Update(0.1f);
    EXPECT_FALSE(logic.BeatPending());
    EXPECT_EQ(Posts(), std::vector<std::string>{"Play_Chime on Bell"});
    EXPECT_EQ(SD::GhostEngine_::GetInstance().FindSoundObject(beat->GetBeatObject())->name, "");
    EXPECT_EQ(QV::AudioLogic_::GetInstance().SyncQueueSize(), 0u);
    EXPECT_TRUE(sync->IsPlaying());
    // The next beat finds nothing waiting.
    Deliver(QV::GameSoundLogic::kBeat);
    logic.Update(0.1f);
    EXPECT_EQ(Posts().size(), 1u);
}

TEST_F(GameSoundLogicTest, APhantomDestroyedWhileWaitingLeavesTheQueues) {
    SD::GameObject* bell = Spawn("OnBeat", "Bell");
    SD::GameObject* theme = Spawn("OnSync", "Theme");
    PhantomOf(bell)->PlaySound();
    PhantomOf(theme)->PlaySound();
    factory.DestroyGameObject(bell);
    factory.DestroyGameObject(theme);
    factory.Update(0);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().SyncQueueSize(), 0u);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().BeatQueueSize(), 0u);
    Deliver(QV::GameSoundLogic::kBeat);
    Deliver(QV::GameSoundLogic::kSyncEntry);
    logic.Update(0.1f);
    EXPECT_TRUE(Posts().empty());
}

TEST_F(GameSoundLogicTest, ThePlayersHeightSpeedAndDistanceBecomeGameParameters) {
    logic.Update(0.1f);
    EXPECT_TRUE(Parameters().empty());  // no player yet
    SD::GameObject* player = Spawn("Vehicle", "Player");
    Play(1, 0.1f);
    BodyOf(player)->SetVelocity({0, 0, 250});
    QV::AudioLogic_::GetInstance().SetRainTarget(1.0f);
    logic.Update(0.1f);
    EXPECT_FLOAT_EQ(Parameters()[QV::GameSoundLogic::kHeightParameterA], 2.5f);
    EXPECT_FLOAT_EQ(Parameters()[QV::GameSoundLogic::kHeightFadeParameter], 0.5f);
    EXPECT_FLOAT_EQ(Parameters()[QV::GameSoundLogic::kSpeedParameter], 250.0f / 500.0f * 150.0f);
    EXPECT_FLOAT_EQ(Parameters()[QV::GameSoundLogic::kRainParameter], 0.05f);
    EXPECT_NEAR(Parameters()[QV::GameSoundLogic::kDistanceParameter], SD::Vec3(-63, 1000, 8846.74f).Length(), 0.01f);

    // A vehicle with no forward speed reports no speed.
    factory.DestroyGameObject(player);
    factory.Update(0);
    Spawn("Stalled", "Player");
    logic.Update(0.1f);
    EXPECT_EQ(Parameters()[QV::GameSoundLogic::kSpeedParameter], 0.0f);
}

}  // namespace
