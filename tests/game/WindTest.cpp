// Wind in a small world: a wind volume lays out its streams, pushes a bulb it touches (once per
// touch, only the bulb touched) and runs out; a wind tube shapes its collider; a wind trigger
// blows a gust along the player's facing and is ready again once the gust is gone.
#include <gtest/gtest.h>

#include "WorldLogicTestSupport.h"
#include "core/MessageSystem.h"
#include "physics/Shapes.h"

namespace {

using namespace worldtest;

std::string WindXml(const char* name, SD::Vec3 direction, float power, float duration, bool immortal,
                    const std::string& extra = "") {
    return Header(name, 0) + Vec3Xml("Direction", direction.x, direction.y, direction.z) + FloatXml("Power", power) +
           FloatXml("Duration", duration) + BoolXml("Imortal", immortal) + extra + "</" + name + ">";
}

class WindTest : public WorldLogicFixture {
protected:
    WindTest() {
        Blueprints(
            Blueprint("ObjectTemplates/WindStream", TransformXml({}, {3, 1, 1})) +
            Blueprint("Breeze",
                      TransformXml({}) + SphereXml(10, 0, true) + WindXml("WindLogic", {0, 0, 1}, 100, 0.5f, false)) +
            Blueprint("Gale",
                      TransformXml({}) + SphereXml(10, 0, true) + WindXml("WindLogic", {1, 0, 0}, 100, 0.5f, true)) +
            Blueprint("Calm", TransformXml({}) + SphereXml(10, 0, true) + WindXml("WindLogic", {1, 0, 0}, 0, 1, true)) +
            Blueprint("Tube", TransformXml({}) + SphereXml(1, 0, true) +
                                  WindXml("WindTubeLogic", {0, 1, 0}, 5, 1, true,
                                          Vec3Xml("Point1", 0, 0, 0) + Vec3Xml("Point2", 0, 10, 0))) +
            Blueprint("ObjectTemplates/WindSphere",
                      TransformXml({}) + SphereXml(1, 0, true) + WindXml("WindLogic", {0, 0, 0}, 1, 100, false)) +
            Blueprint("Bulb", TransformXml({}) + BodyXml(1) + SphereXml(1, 0) +
                                  Component("FloatingBulbLogic", 0,
                                            FloatXml("Rotation Scale", 1) + FloatXml("Movement Distance Scale", 2))) +
            Blueprint("Gate", TransformXml({}) + GhostBoxXml(5) + TriggerXml({}) + Component("WindTrigger", 0, "")) +
            Blueprint("Player", TransformXml({}) + SphereXml(1, 0)));
    }
    static Gedankenexperiment::Collider* ColliderOf(SD::GameObject* object) {
        return Get<Gedankenexperiment::Collider>(object, SD::CID_Collider);
    }

    WorldSound sound;
};

TEST_F(WindTest, AWindVolumeLaysOutItsStreamsPushesWhatItTouchesAndRunsOut) {
    const QV::World& state = EnterWorld();
    SD::GameObject* breeze = Spawn("Breeze", "Breeze", {100, 5, 0});
    auto* wind = Get<QV::WindLogic>(breeze, SD::CID_WindLogic);
    ASSERT_NE(wind, nullptr);
    for (int i = 0; i < QV::WindLogic::kStreamCount; ++i) {
        SD::GameObject* stream = wind->GetStream(i).get();
        ASSERT_NE(stream, nullptr) << i;
        EXPECT_EQ(stream->GetTransform().GetLocalPos(), SD::Vec3(97, 5, 0)) << i;  // less its own x scale
    }
    SD::GameObject* bulb = Spawn("Bulb", "Bulb", {100, 0, 0});
    SD::GameObject* other = Spawn("Bulb", "Other", {-100, 0, 0});
    auto* logic = Get<QV::FloatingBulbLogic>(bulb, SD::CID_FloatingBulbLogic);
    auto* otherLogic = Get<QV::FloatingBulbLogic>(other, SD::CID_FloatingBulbLogic);
    EXPECT_EQ(ListedNames(state.GetSwayingScenery()), (std::vector<std::string>{"Bulb", "Other"}));

    // A touch reaches the bulb touched, once, and turns it by the wind's vector (0, 0, 100).
    wind->OnContact(ColliderOf(bulb));
    EXPECT_NEAR(logic->GetPitch(), 0.08726646f, 1e-6f);
    EXPECT_EQ(logic->GetRoll(), 0.0f);
    EXPECT_EQ(otherLogic->GetPitch(), 0.0f);
    // A wind message for another object that reaches the bulb's handlers is not the bulb's.
    QV::WindMessage stray(wind, other->GetHandle());
    SD::Message_System::GetInstance()->SendMessage(stray);
    EXPECT_NEAR(logic->GetPitch(), 0.08726646f, 1e-6f);
    // A bulb that has gone is in neither of the wind's lists.
    const SD::GameObjectHandle gone = other->GetHandle();
    factory.DestroyGameObject(other);
    factory.Update(0.0f);
    ASSERT_EQ(gone.get(), nullptr);
    QV::WindMessage late(wind, gone);
    SD::Message_System::GetInstance()->SendMessageToObject(gone, late);
    SD::Message_System::GetInstance()->SendMessage(late);
    EXPECT_NEAR(logic->GetPitch(), 0.08726646f, 1e-6f);

    // While the level is edited the wind is still: the audio logic hears no wind.
    PlayState() = SD::kPlayStateDevPause;
    Frames(1, 0.1f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetWindLevel(), 0.0f);
    PlayState() = SD::kPlayStatePlay;
    Frames(1, 0.1f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetWindLevel(), 1.0f);
    EXPECT_NE(factory.GetGameObject(std::string("Breeze")), nullptr);
    const SD::GameObjectHandle firstStream = wind->GetStream(0);
    Frames(4, 0.1f);
    EXPECT_EQ(factory.GetGameObject(std::string("Breeze")), nullptr);  // ran out
    Frames(1, 0.1f);
    EXPECT_EQ(firstStream.get(), nullptr);  // its streams go with it

    // An immortal wind outlives any duration.
    SD::GameObject* gale = Spawn("Gale", "Gale", {});
    Frames(20, 0.1f);
    EXPECT_EQ(factory.GetGameObject(std::string("Gale")), gale);
    // A wind of no power blows no wind level (and no division by zero).
    factory.DestroyGameObject(gale);
    Spawn("Calm", "Calm", {});
    Frames(2, 0.1f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetWindLevel(), 0.0f);
}

TEST_F(WindTest, AWindTubeMakesItsColliderATubeBetweenItsPoints) {
    SD::GameObject* tube = Spawn("Tube", "Tube", {});
    auto* shape = dynamic_cast<Gedankenexperiment::Cylinder*>(ColliderOf(tube)->GetShape());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->point2, SD::Vec3(0, 10, 0));
    EXPECT_EQ(shape->radius, 0.0f);
    auto* wind = Get<QV::WindTubeLogic>(tube, SD::CID_WindTubeLogic);
    // The vectors' parts go unnamed within their groups.
    EXPECT_EQ(Written(*wind, 0), (std::vector<std::string>{"=0", "=1", "=0", "Power=5", "Duration=1", "Imortal=true",
                                                           "=0", "=0", "=0", "=0", "=10", "=0"}));
}

TEST_F(WindTest, AWindTriggerBlowsAGustAlongThePlayersFacingAndRearmsWhenItIsGone) {
    SD::GameObject* gate = Spawn("Gate", "Gate", {});
    auto* trigger = Get<QV::Trigger>(gate, SD::CID_Trigger);
    auto* windTrigger = Get<QV::WindTrigger>(gate, SD::CID_WindTrigger);
    // Without a player nothing blows.
    SD::GameObject* stranger = Spawn("Bulb", "Stranger", {});
    trigger->OnContact(ColliderOf(stranger));
    EXPECT_FALSE(windTrigger->IsGusting());

    SD::GameObject* player = Spawn("Player", "Player", {10, 0, 0});
    player->GetTransform().RotateLocalYRad(1.5707964f);  // facing +X
    trigger->OnContact(ColliderOf(player));
    ASSERT_TRUE(trigger->IsFired());
    ASSERT_TRUE(windTrigger->IsGusting());
    SD::GameObject* gust = windTrigger->GetGust();
    ASSERT_NE(gust, nullptr);
    auto* wind = Get<QV::WindLogic>(gust, SD::CID_WindLogic);
    EXPECT_EQ(wind->GetPower(), 200.0f);
    EXPECT_EQ(ColliderOf(gust)->GetRadius(), 200.0f);
    EXPECT_NEAR(wind->GetDirection().x, 1.0f, 1e-5f);
    EXPECT_EQ(ColliderOf(gust)->position, SD::Vec3(10, 0, 0));
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_Flower"});

    Frames(29, 0.1f);
    EXPECT_TRUE(trigger->IsFired());  // the gust still blows
    Frames(3, 0.1f);
    EXPECT_FALSE(windTrigger->IsGusting());
    EXPECT_FALSE(trigger->IsFired());

    // Its data is a placeholder only.
    EXPECT_EQ(Written(*windTrigger, 0), std::vector<std::string>{"Save Me=0"});
}

// A tube read from data: Direction, Power, Duration, then its two points (all floats), Imortal.
void ReadTube(QV::WindTubeLogic& tube, SD::Vec3 point1, SD::Vec3 point2) {
    ValueReader reader;
    reader.floats = {1, 0, 0, 5, 1, point1.x, point1.y, point1.z, point2.x, point2.y, point2.z};
    reader.ints = {1};
    tube.VSerialize(reader, 0);
}

TEST_F(WindTest, AWindTubeBlowsFromItsFirstPointToItsSecondWithAStrengthOfItsOwn) {
    QV::WindTubeLogic tube;
    QV::Wind& wind = tube;
    ReadTube(tube, {0, 0, 0}, {0, 0, 2});
    EXPECT_EQ(wind.GetDirection(), SD::Vec3(0, 0, 1));
    EXPECT_EQ(wind.GetStrength(), 0.0f) << "the data's power is not the tube's strength";
    wind.SetPower(3.0f);
    EXPECT_EQ(wind.GetVector(), SD::Vec3(0, 0, 3));
    EXPECT_EQ(wind.GetPower(), 5.0f) << "the wind's own power stays";
    // The tube keeps blowing while the level is edited.
    PlayState() = SD::kPlayStateDevPause;
    EXPECT_EQ(wind.GetStrength(), 3.0f);
    PlayState() = SD::kPlayStatePlay;
    // A moved second point turns it at the next call, with no new initialisation.
    ReadTube(tube, {0, 0, 0}, {4, 0, 0});
    EXPECT_EQ(wind.GetVector(), SD::Vec3(3, 0, 0));
    EXPECT_EQ(wind.GetStrength(), 3.0f) << "reading data again leaves the strength";
    // Points that coincide blow nowhere.
    ReadTube(tube, {2, 2, 2}, {2, 2, 2});
    EXPECT_EQ(wind.GetVector(), SD::Vec3());
}

TEST_F(WindTest, ATriggerFiredAfterItsWindTriggerHasGoneBlowsNothing) {
    SD::GameObject* gate = Spawn("Gate", "Gate", {});
    SD::GameObject* player = Spawn("Player", "Player", {10, 0, 0});
    auto* trigger = Get<QV::Trigger>(gate, SD::CID_Trigger);
    const size_t callbacks = trigger->GetCallbackCount();
    gate->RemoveComponent(Get<QV::WindTrigger>(gate, SD::CID_WindTrigger));
    factory.Update(0.0f);
    ASSERT_EQ(gate->GetComponent(SD::CID_WindTrigger), nullptr);
    EXPECT_EQ(trigger->GetCallbackCount(), callbacks - 1);
    trigger->OnContact(ColliderOf(player));
    EXPECT_TRUE(trigger->IsFired());
    EXPECT_TRUE(sound.Sounds().empty());
}

}  // namespace
