// The flower collection from outside: a trigger touched by the player starts it once, with the
// camera, the sound and the FlowerTrigger message; its motes then spiral up a funnel and start
// again above the peak.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>

#include "WorldTestSupport.h"
#include "core/MessageIds.h"
#include "game/components/FlowerCollection.h"
#include "game/components/FlowerTrigger.h"
#include "core/WorkerPool.h"
#include "graphics/Graphics.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"

namespace {

using namespace worldtest;

class FlowerCollectionTest : public WorldFixture {
protected:
    FlowerCollectionTest() {
        Blueprints(Blueprint("Player", TransformXml({}) + BodyXml(1, {0, 50, 0}) + SphereXml(1, 0.5f)) +
                   Blueprint("Flower", TransformXml({}) + GhostBoxXml(5) + TriggerXml({})) +
                   Blueprint("Stem", TransformXml({})) +
                   Blueprint("Cam", TransformXml({}) + FollowCameraXml("", 10, 30, 5)));
        SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::FlowerTrigger, this,
                                                           &FlowerCollectionTest::OnFlower);
    }
    ~FlowerCollectionTest() override {
        SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::FlowerTrigger, this);
    }
    void OnFlower(SD::IMessage* message) {
        if (dynamic_cast<QV::FlowerTrigger*>(message)) ++flowerMessages;
        if (std::this_thread::get_id() != mainThread) ++messagesOffTheMainThread;
    }

    // A flower collection on the object, read from data in serialisation order: start delay
    // 0.05, curve 2, exponent 3, starting height 0, rise 10..10, turn 1..2, direction 1, random
    // direction off, primary and secondary colours, colour scale 1, size 1..2, drift 0, system
    // turn 0.5, peak (0, 100, 0), gain 0.
    QV::FlowerCollection* AddFlower(SD::GameObject* object, float peakHeight = 100.0f) {
        auto* flower = new QV::FlowerCollection();
        flowers.emplace_back(flower);
        flower->SetOwner(object);
        ValueReader data;
        data.floats = {300.0f, 0.05f, 2.0f,  3.0f,   0.0f, 10.0f, 10.0f, 1.0f, 2.0f, 100.0f, 150.0f,     200.0f, 255.0f,
                       50.0f,  60.0f, 70.0f, 255.0f, 1.0f, 1.0f,  2.0f,  0.0f, 0.5f, 0.0f,   peakHeight, 0.0f,   0.0f};
        data.ints = {1, 0};
        flower->VSerialize(data, flower->VGetVersion());
        flower->VInitialize(false);
        flower->VRegister();
        return flower;
    }
    void Touch(SD::GameObject* player) {
        Place(player, {0, 0, 0});
        Frame(kStep);
        Place(player, {100, 0, 0});
    }
    void Particles(float dt) { graphics.UpdateParticleSystems(dt); }

    Aperture::Graphics_ graphics;
    std::vector<std::unique_ptr<QV::FlowerCollection>> flowers;
    int flowerMessages = 0;
    int messagesOffTheMainThread = 0;
    std::thread::id mainThread = std::this_thread::get_id();
};

struct HoldKey : SD::IInputInjector {
    explicit HoldKey(uint32_t code) : code(code) {}
    void Inject(uint8_t* pressed, uint8_t*) override { pressed[code] = 1; }
    uint32_t code;
};

TEST_F(FlowerCollectionTest, TheTriggerStartsItWithCameraSoundAndMessage) {
    WorldSound sound;
    SD::GameObject* object = Spawn("Flower", "Flower");
    SD::GameObject* camera = Spawn("Cam", "PlayerCam");
    SD::GameObject* player = Spawn("Player", "Player", {100, 0, 0});
    Physics().BuildTree();
    QV::FlowerCollection* flower = AddFlower(object);
    EXPECT_FLOAT_EQ(flower->GetCullRadius(), 300.0f);
    EXPECT_EQ(flower->GetParticleCount(), 0u) << "inactive until its trigger fires";
    EXPECT_FALSE(flower->IsEnabled());

    Touch(player);
    EXPECT_TRUE(flower->IsEnabled());
    EXPECT_EQ(flowerMessages, 1);
    EXPECT_EQ(FollowTarget(camera), object);
    EXPECT_EQ(sound.Sounds(), (std::vector<std::string>{"sound Play_Flower"}));
    ASSERT_EQ(flower->GetParticleCount(), QV::FlowerCollection::kMotes);
    EXPECT_FLOAT_EQ(flower->GetMote(100).delay, 5.0f) << "mote 100 waits 100 x 0.05 s";
    EXPECT_EQ(flower->GetParticle(100).color.w, 0.0f);

    // Mote 100 shows once its delay has run out, and every mote turns the same way.
    for (int frame = 0; frame < 499; ++frame) Particles(0.01f);
    EXPECT_EQ(flower->GetParticle(100).color.w, 0.0f);
    Particles(0.02f);
    EXPECT_GT(flower->GetParticle(100).color.w, 0.0f);
    for (uint32_t i = 0; i < QV::FlowerCollection::kMotes; ++i) ASSERT_EQ(flower->GetMote(i).direction, 1);
}

TEST_F(FlowerCollectionTest, MotesFollowTheFunnelAndStartAgainAboveThePeak) {
    SD::GameObject* object = Spawn("Flower", "Flower");
    QV::FlowerCollection* flower = AddFlower(object);
    EXPECT_FLOAT_EQ(flower->FunnelRadius(0.0f, 100.0f), 8.0f);
    EXPECT_FLOAT_EQ(flower->FunnelRadius(100.0f, 100.0f), 1.0f);
    flower->Collect();
    EXPECT_EQ(flowerMessages, 1);
    // Mote 0 has no delay: it rises 10 units a second and is back at the bottom after 10 s.
    float highest = 0.0f;
    bool restarted = false;
    for (int frame = 0; frame < 1100; ++frame) {
        Particles(0.01f);
        const float y = flower->GetParticle(0).position.y;
        if (y < highest - 50.0f) restarted = true;
        highest = std::max(highest, y);
        const float r = std::hypot(flower->GetParticle(0).position.x, flower->GetParticle(0).position.z);
        ASSERT_LE(r, 2.0f * 3.1415927f * 8.0f + 1e-2f);
    }
    EXPECT_TRUE(restarted);
    EXPECT_LE(highest, 100.2f);
}

TEST_F(FlowerCollectionTest, APeakAtTheFlowersHeightAndAFlowerWithoutTriggerAreSafe) {
    SD::GameObject* object = Spawn("Flower", "Flower");
    QV::FlowerCollection* flat = AddFlower(object, 0.0f);
    flat->Collect();
    for (int frame = 0; frame < 100; ++frame) Particles(0.05f);
    for (uint32_t i = 0; i < QV::FlowerCollection::kMotes; ++i) {
        const SD::Vec3& p = flat->GetParticle(i).position;
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
    }
    SD::GameObject* stem = Spawn("Stem", "Stem");
    QV::FlowerCollection* lonely = AddFlower(stem);
    Frame(0.016f);
    Particles(0.016f);
    EXPECT_FALSE(lonely->IsEnabled()) << "no trigger: it never starts";
}

// The developer reset restarts the effect (camera, sound, message) on the main thread, after
// the updates that asked for it, even when those ran on the workers.
TEST_F(FlowerCollectionTest, TheDeveloperResetRestartsOnTheMainThread) {
    SD::WorkerPool pool;
    pool.Start(5);
    graphics.SetWorkerPool(&pool);
    std::vector<QV::FlowerCollection*> all;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "Flower" + std::to_string(i);
        all.push_back(AddFlower(Spawn("Flower", name)));
        all.back()->Collect();
    }
    EXPECT_EQ(flowerMessages, 8);
    Particles(0.01f);
    EXPECT_EQ(flowerMessages, 8) << "no reset while the key is up";

    SD::Input_ input;
    input.SetDevKeysEnabled(true);
    input.AddInjector(std::make_unique<HoldKey>(SD::key_R));
    input.Update(0.016f);
    ASSERT_TRUE(input.GetKeyState(SD::key_R));
    Particles(0.01f);
    EXPECT_EQ(flowerMessages, 16) << "every flower restarted once";
    EXPECT_EQ(messagesOffTheMainThread, 0);
    for (QV::FlowerCollection* flower : all) EXPECT_FLOAT_EQ(flower->GetMote(100).delay, 5.0f) << "started afresh";
    graphics.SetWorkerPool(nullptr);
}

}  // namespace
