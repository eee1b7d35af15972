// The game's audio logic steps the season state of the sound engine; the music-aware phantom
// plays on the beat through a sound object, waits for the music through a sync request, or
// marks an empty sound as played.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"

namespace {

using namespace worldtest;

TEST(AudioLogic, TheSeasonStepSetsTheNextStateUpToTheLast) {
    StateChanges().clear();
    QV::AudioLogic_::DestroyInstance();
    QV::AudioLogic_::SetStateSetter(&RecordState);
    QV::AudioLogic_& audio = QV::AudioLogic_::GetInstance();
    EXPECT_EQ(audio.GetSeason(), 1);
    // Steps past the last season keep it there, as the set seasons are kept.
    for (int i = 0; i < 5; ++i) audio.IncrementState();
    EXPECT_EQ(audio.GetSeason(), 4);
    EXPECT_EQ(StateChanges(),
              (std::vector<std::string>{"A1F25A7F 4CE3F733", "A1F25A7F 4CE3F734", "A1F25A7F 4CE3F735"}));
    // Set seasons are clamped into 0..4.
    StateChanges().clear();
    audio.SetSeason(-3);
    audio.SetSeason(9);
    EXPECT_EQ(audio.GetSeason(), 4);
    EXPECT_EQ(StateChanges(), (std::vector<std::string>{"A1F25A7F 4CE3F731", "A1F25A7F 4CE3F735"}));
    QV::AudioLogic_::RemoveStateSetter(&RecordState);
    QV::AudioLogic_::DestroyInstance();
}

class QuorvPhantomTest : public WorldLogicFixture {
protected:
    QuorvPhantomTest() {
        Blueprints(Phantom("OnBeat", "Play_Chime", false, true) + Phantom("OnSync", "Play_Theme", true, false) +
                   Phantom("Silent", "", true, true) + Phantom("Plain", "Play_Plain", false, false));
    }
    static std::string Phantom(const char* name, const char* event, bool sync, bool beat) {
        return Blueprint(name, TransformXml({}) + Component("QuorvPhantom", 2,
                                                            StringXml("Event Name", event) + BoolXml("Is 3D?", false) +
                                                                BoolXml("Begin Playing?", false) +
                                                                BoolXml("Play On Music Sync Entry?", sync) +
                                                                BoolXml("Play On Beat?", beat)));
    }
    static QV::QuorvPhantom* PhantomOf(SD::GameObject* object) {
        return Get<QV::QuorvPhantom>(object, SD::CID_QuorvPhantom);
    }
};

TEST_F(QuorvPhantomTest, ThePhantomPlaysOnTheBeatWaitsForTheMusicOrPlaysAtOnce) {
    auto* beat = PhantomOf(Spawn("OnBeat", "Bell", {1, 2, 3}));
    ASSERT_NE(beat, nullptr);
    const SD::SoundObject* object = SD::GhostEngine_::GetInstance().FindSoundObject(beat->GetBeatObject());
    ASSERT_NE(object, nullptr);
    beat->PlaySound();
    EXPECT_TRUE(beat->SoundPlayed());
    EXPECT_EQ(object->name, "Play_Chime");
    EXPECT_EQ(object->position[2], 3.0f);

    auto* sync = PhantomOf(Spawn("OnSync", "Theme", {}));
    sync->PlaySound();
    EXPECT_EQ(QV::AudioLogic_::GetInstance().SyncQueueSize(), 1u);
    EXPECT_TRUE(sync->SoundPlayed());
    EXPECT_FALSE(sync->PlaysOnSyncEntry());
    EXPECT_FALSE(sync->IsPlaying());

    auto* silent = PhantomOf(Spawn("Silent", "Silent", {}));
    silent->PlaySound();
    EXPECT_TRUE(silent->SoundPlayed());
    EXPECT_EQ(QV::AudioLogic_::GetInstance().SyncQueueSize(), 1u);

    auto* plain = PhantomOf(Spawn("Plain", "Plain", {}));
    plain->PlaySound();
    EXPECT_TRUE(plain->SoundPlayed());
    EXPECT_TRUE(plain->IsPlaying());
}

TEST_F(QuorvPhantomTest, ItsDataAddsTheMusicFlagsAfterThePhantomsOwn) {
    auto* beat = PhantomOf(Spawn("OnBeat", "Bell", {}));
    EXPECT_EQ(beat->VGetID(), SD::CID_QuorvPhantom);
    EXPECT_EQ(Written(*beat, 2),
              (std::vector<std::string>{"Event Name=Play_Chime", "Is 3D?=false", "Begin Playing?=false",
                                        "Play On Music Sync Entry?=false", "Play On Beat?=true"}));
}

}  // namespace
