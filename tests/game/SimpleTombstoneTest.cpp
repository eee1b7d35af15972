// A tombstone in a small world: unmoved beyond its reach, glowing and sounding once as the
// player comes in, settling once the player has been close; its data of every version, and
// data of the version it reports written back.
#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "game/components/SimpleTombstoneLogic.h"

namespace {

using namespace worldtest;

// The sound named must be one of the game's banks for the sound system to take its post.
std::string TombXml(int version, const char* sound = "Play_Tomb") {
    std::string xml =
        Header("SimpleTombstoneLogic", version) + FloatXml("Min Distance", 100.0f) + FloatXml("Max Distance", 10000.0f);
    if (sound) xml += StringXml("Sound To Emit", sound);
    return xml + "</SimpleTombstoneLogic>";
}

class SimpleTombstoneTest : public WorldFixture {
protected:
    SimpleTombstoneTest() {
        factory.RegisterComponentCreator("SimpleTombstoneLogic", SD::kSimpleTombstoneLogicID,
                                         new SD::ComponentCreator<QV::SimpleTombstoneLogic>);
        Blueprints(Blueprint("Tomb", TransformXml({}) + TombXml(2)) +
                   Blueprint("HatchTomb", TransformXml({}) + TombXml(2, "Play_Hatch")) +
                   Blueprint("OldTomb", TransformXml({}) + TombXml(1)) +
                   Blueprint("NoSoundTomb", TransformXml({}) + TombXml(2, nullptr)) +
                   Blueprint("FutureTomb", TransformXml({}) + TombXml(5)) + Blueprint("Player", TransformXml({})));
    }
    SD::GameObject* Tomb(const char* blueprint) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        GiveGeometry(object, SD::Vec4(0.3f, 0.3f, 0.3f, 0.7f));
        object->Initialize(false);
        return object;
    }
    static QV::SimpleTombstoneLogic* Logic(SD::GameObject* o) {
        return Get<QV::SimpleTombstoneLogic>(o, SD::kSimpleTombstoneLogicID);
    }

    WorldSound sound;
};

TEST_F(SimpleTombstoneTest, ItGlowsAndSoundsOnceAsThePlayerComesInAndSettlesOnceClose) {
    SD::GameObject* tomb = Tomb("HatchTomb");
    EXPECT_EQ(GeometryColour(tomb).w, 0.0f);  // initialised dark, colour kept
    EXPECT_EQ(GeometryColour(tomb).x, 0.3f);
    SD::GameObject* player = Spawn("Player", "Player", {200, 0, 0});
    Frame(0.1f);
    EXPECT_EQ(GeometryColour(tomb).w, 0.0f);
    EXPECT_TRUE(sound.Sounds().empty());

    player->GetTransform().SetPos({50, 0, 0});  // d2 = 2500: t = 0.7576
    Frame(0.1f);
    Frame(0.1f);
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_Hatch"});
    EXPECT_GT(GeometryColour(tomb).w, 0.0f);
    EXPECT_LT(GeometryColour(tomb).w, 5.5f);

    player->GetTransform().SetPos({5, 0, 0});
    Frame(0.1f);
    EXPECT_TRUE(Logic(tomb)->IsDone());
    for (int i = 0; i < 200; ++i) Frame(0.1f);
    EXPECT_NEAR(GeometryColour(tomb).w, 5.5f, 1e-3f);
    EXPECT_EQ(sound.Sounds().size(), 1u);
}

TEST_F(SimpleTombstoneTest, ReachingTheInnerDistanceInOneJumpSkipsTheSound) {
    SD::GameObject* tomb = Tomb("NoSoundTomb");
    Spawn("Player", "Player", {1, 0, 0});
    Frame(0.1f);
    EXPECT_TRUE(Logic(tomb)->IsDone());
    EXPECT_FALSE(Logic(tomb)->SoundEmitted());
    EXPECT_TRUE(sound.Sounds().empty());
}

TEST_F(SimpleTombstoneTest, DataOfVersionsOneAndTwoIsReadAndTheReportedVersionWritesEveryField) {
    QV::SimpleTombstoneLogic* current = Logic(Tomb("Tomb"));
    QV::SimpleTombstoneLogic* old = Logic(Tomb("OldTomb"));
    QV::SimpleTombstoneLogic* future = Logic(Tomb("FutureTomb"));
    EXPECT_EQ(current->GetSoundToEmit(), "Play_Tomb");
    EXPECT_EQ(old->GetMinDistance(), 100.0f);
    EXPECT_EQ(old->GetSoundToEmit(), "");
    EXPECT_EQ(future->GetMinDistance(), 1000000.0f);
    EXPECT_EQ(future->GetMaxDistance(), 1500000.0f);
    // Saving at the reported version keeps what was loaded.
    ValueWriter writer;
    current->VSerialize(writer, current->VGetVersion());
    EXPECT_EQ(writer.values,
              (std::vector<std::string>{"Min Distance=100", "Max Distance=10000", "Sound To Emit=Play_Tomb"}));
}

}  // namespace
