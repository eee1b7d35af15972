// The whole game run headless in this process, driven from outside as a player would: keys go in
// through the input system's injector at the end of each frame, and the run is watched through
// the game-state manager and the factory by name; in the world the vehicle is flown a while and
// its camera watched.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "engine/Transform.h"
#include "game/components/Spawner.h"
#include "game/editor/LevelEditor.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudCollector.h"
#include "game/hud/HudSprites.h"
#include "game/hud/HudSystem.h"
#include "game/states/World.h"
#include "game/systems/AudioLogic.h"
#include "graphics/Graphics.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Registration.h"
#include "runtime/Window.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "platform/window/Window.h"
#include "support/CapturedLog.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"
#include "support/HeldKeys.h"
#include "support/StepScript.h"
#include "GameScript.h"

namespace {

// The "GlobalVolume" game parameter as the sound engine holds it for every object; -1 while it
// holds none.
float EngineGlobalVolume() {
    platform::Lock lock(SX::g_csMain);
    bool found = false;
    const float value =
        SX::g_pRTPCMgr ? SX::g_pRTPCMgr->GetGlobalRTPCValue(SX::SoundEngine::GetIDFromString("GlobalVolume"), &found)
                       : 0.0f;
    return found ? value : -1.0f;
}

using qvtest::Running;
using qvtest::SavedPosition;
using qvtest::SetConfig;

using HeldKeys = qvtest::HeldKeys;

int PlayState() {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    return states ? states->GetPlayState() : -1;
}

using Player = qvtest::GameScript;

// A key held for `held` frames of the player's script, then let go.
std::function<bool()> TapKey(Player& player, uint32_t code, int held = 1) {
    auto frame = std::make_shared<int>(0);
    return [&player, code, held, frame] {
        if (*frame == 0) player.keys.insert(code);
        if (*frame == held) player.keys.erase(code);
        return ++*frame > held + 1;
    };
}

std::function<bool()> WaitFrames(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left] { return --*left <= 0; };
}

bool Exists(const char* name) { return SD::Factory_::GetGameObjectByName(name) != nullptr; }

bool FullScreen() {
    SD::Window_* window = SD::Window_::GetInstance();
    return window && window->GetFullscreen() && (window->GetPlatformWindow()->Style() & platform::style::kPopup);
}

// The blueprint of the widget that takes the menu keys, empty when none does.
std::string FocusedWidget() {
    QV::HudSystem* hud = QV::HudSystem::GetInstance();
    if (!hud || !hud->HasFocusedWidget()) return "";
    const QV::HudCollector* front = hud->FrontCollector();
    const SD::GameObject* owner = front->Items()[front->CurrentIndex()]->GetOwner();
    return owner ? owner->GetBlueprintName() : "";
}

// The texture the focused widget's sprite shows.
std::string FocusedTexture() {
    QV::HudSystem* hud = QV::HudSystem::GetInstance();
    if (!hud || !hud->HasFocusedWidget()) return "";
    const QV::HudCollector* front = hud->FrontCollector();
    SD::GameObject* owner = front->Items()[front->CurrentIndex()]->GetOwner();
    const Aperture::Sprite* sprite = owner ? QV::SpriteOf(*owner) : nullptr;
    return sprite ? sprite->GetTexture() : "";
}

bool Finite(const SD::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Where the vehicle and its camera stood and how the vehicle faced before a flight.
struct Flight {
    SD::GameObject* player = nullptr;
    SD::Vec3 start;
    SD::Vec3 startFacing;
    SD::Vec3 cameraStart;

    void Note() {
        player = SD::Factory_::GetGameObjectByName("Player");
        SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
        if (!player || !camera) return;
        start = player->GetTransform().GetPos();
        startFacing = player->GetTransform().GetDir();
        cameraStart = camera->GetTransform().GetPos();
    }
    // The vehicle moved several units and turned; the camera moved with it and stayed near.
    bool FlewAndWasFollowed() const {
        SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
        if (SD::Factory_::GetGameObjectByName("Player") != player || !camera) return false;
        const SD::Vec3 at = player->GetTransform().GetPos();
        const SD::Vec3 facing = player->GetTransform().GetDir();
        const SD::Vec3 cameraAt = camera->GetTransform().GetPos();
        EXPECT_TRUE(Finite(at) && Finite(cameraAt));
        // Neither sunk through the floor nor carried off into the sky by forces that never die away.
        EXPECT_LT(std::fabs(start.y), 100.0f) << "the vehicle started near the ground";
        EXPECT_LT(std::fabs(at.y), 100.0f) << "and stayed near it";
        EXPECT_GT((at - start).Length(), 2.0f) << "the vehicle flew";
        EXPECT_LT(facing.Dot(startFacing), 0.999f * facing.Length() * startFacing.Length()) << "and turned";
        EXPECT_GT((cameraAt - cameraStart).Length(), 1.0f) << "the camera moved along";
        EXPECT_LT((cameraAt - at).Length(), 40.0f) << "and kept near the vehicle";
        return true;
    }
};

bool EscortSetsAtFive() {
    QV::Firefly_Manager* manager = QV::Firefly_Manager::Existing();
    if (!manager) return false;
    for (int set = 0; set < QV::FireflyGroups::kEscortSets; ++set)
        if (manager->Groups().EscortSet(set).size() != QV::FireflyGroups::kEscortGroups) return false;
    return true;
}

// A spawner of the sample kind started far from the vehicle, which its spawning puts on the
// world's release list, its fireflies noted, then released by the world's summer event.
struct Release {
    SD::GameObject* spawner = nullptr;
    std::vector<SD::GameObjectHandle> fireflies;
    size_t listedBefore = 0;

    QV::Spawner* Logic() const { return static_cast<QV::Spawner*>(spawner->GetComponent(SD::CID_Spawner)); }
    static const char* IdleBehaviour(SD::GameObject* object) {
        auto* firefly = object ? static_cast<QV::Firefly*>(object->GetComponent(SD::CID_Firefly)) : nullptr;
        const SD::SharedString* idle = firefly ? firefly->BehaviourOn(QV::Firefly::kLaneIdle) : nullptr;
        return idle ? idle->c_str() : "";
    }
    static QV::World* World() { return QV::World::Current(); }
    bool Start() {
        listedBefore = World()->GetReleaseCount();
        spawner = SD::Factory_::GetInstance()->CreateObject("ObjectTemplates/FireflySpawner", nullptr);
        if (!spawner) return false;
        spawner->GetTransform().SetPos(SD::Vec3(600.0f, 400.0f, 600.0f));
        spawner->Initialize(false);
        Logic()->SetSpawn_rate(0.0f);
        Logic()->SetSpawn_state(true);
        return true;
    }
    // Every firefly the spawner keeps was made waiting for the player.
    bool Spawned() {
        const auto& spawned = Logic()->GetSpawnedObjects();
        if (spawned.size() < static_cast<size_t>(Logic()->GetNum_active_objects())) return false;
        fireflies = spawned;
        for (const SD::GameObjectHandle& handle : fireflies)
            EXPECT_STREQ(IdleBehaviour(handle.get()), "WatchForPlayer");
        return true;
    }
    void Begin() {
        EXPECT_EQ(World()->GetReleaseCount(), listedBefore + 1) << "the spawning spawner is on the release list";
        World()->BeginSummerEvent();
    }
    bool Released() const { return !World()->IsReleaseActive() && Logic()->GetSpawnedObjects().empty(); }
    bool AllFollowThePath() const {
        for (const SD::GameObjectHandle& handle : fireflies) {
            EXPECT_NE(handle.get(), nullptr) << "a released firefly lives on";
            EXPECT_STREQ(IdleBehaviour(handle.get()), "FollowPath");
        }
        return true;
    }
};

// The sample scenery of the particle effects and of the player's other cameras and data bar,
// each named after its blueprint and carrying the kind whose data it samples (as the factory
// files it).
const std::vector<std::pair<const char*, const char*>> kEffectSamples = {
    {"Flower", "FlowerCollection"},
    {"Flower", "FlowerPollen"},
    {"CircleEffect", "CircleEffect"},
    {"DirtParticles", "DirtParticles"},
    {"MoonGlow", "MoonGlow"},
    {"QuadParticles", "QuadParticleSystem"},
    {"FallingLeaves", "FallingLeaves"},
    {"ParticleTester", "ParticleTester"},
    {"VineTrail", "VineTrail"},
    {"BubbleEffect", "BubbleEffect"},
    {"FireflyCollectionSparkles", "FireflyCollectionSparkles"},
    {"GrassDust", "GrassDust"},
    {"WindStreamer", "WindStreamer"},
    {"PlayerTrail", "PlayerTrail"},
    {"PlayerSuperTrail", "PlayerSuperTrail"},
    {"GateDust", "GateDust"},
    {"FireflyGlow", "FireflyBlink"},
    {"FireflyGlow", "FireflyTrail"},
    {"FireflyGlow", "FireflyDust"},
    {"CrystalMist", "CrystalMist"},
    {"Fog", "Fog"},
    {"Waterfall", "WaterfallEffect"},
    {"Waterfall", "WaterfallMist"},
    {"ShootingStar", "ShootingStar"},
    {"ChaseCamera", "ObscuraCameraLogic"},
    {"FlyingCamera", "PimselCamera"},
    {"DataBar", "DataBarController"},
};

// The first sample missing, empty when all are there.
std::string MissingEffectSample() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory) return "the factory";
    for (const auto& [name, kind] : kEffectSamples) {
        SD::GameObject* object = SD::Factory_::GetGameObjectByName(name);
        SD::ComponentID id;
        if (!object || !factory->FindComponentID(kind, &id) || !object->GetComponent(id))
            return std::string(name) + " with " + kind;
    }
    return "";
}

// The layers above the runtime hand start-up their classes, once for the whole process.
void SupplyClassesOnce() {
    static const bool supplied = [] {
        QV::SupplyWholeGame(SD::StartupRegistrations());
        return true;
    }();
    (void)supplied;
}

// The sample tree with a small, slow window (a small window keeps the headless device's clears
// cheap) and the editor's autosave off.
void MakeSampleTree(const qvtest::TempTree& tree) {
    for (const char* folder : {"Assets", "Graphics"})
        std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree.Path(folder),
                              std::filesystem::copy_options::recursive);
    SetConfig(tree, "LevelEditor", "AutoSaveDuration", "0");
    SetConfig(tree, "FrameRateController", "fps", "20");
    SetConfig(tree, "Window", "Width", "64");
    SetConfig(tree, "Window", "Height", "40");
}

bool SkyDrawn() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics && graphics->GetSkyEnabled();
}

// The splash, drawn without the sky: a key skips its logos, another leaves its controls screen.
std::vector<qvtest::StepScript::Step> ThroughTheSplash(Player& player) {
    return {
        {"the splash's first logo, no sky", [] { return Exists("KVLogo") && !SkyDrawn(); }},
        {"a key skips the logos", TapKey(player, SD::key_SPACE)},
        {"the controls screen",
         [] { return Exists("XboxControlLogo") && !Exists("KVLogo") && Running() == "SplashLevel"; }},
        {"a key leaves it", TapKey(player, SD::key_SPACE)},
    };
}

// Runs the game through the splash to the menu, where `inMenu` runs each frame until it is
// done; then the game quits.
SD::RunSummary RunToTheMenuThenQuit(Player& player, qvtest::StepScript::Step inMenu) {
    player.steps = ThroughTheSplash(player);
    player.steps.push_back({"the menu", [] { return Running() == "MainMenu"; }});
    player.steps.push_back(std::move(inMenu));
    player.steps.push_back({"quit", [] {
                                SD::Core::GetInstance()->Quit();
                                return true;
                            }});
    SD::RunOptions options;
    options.maxFrames = 6000;
    options.afterFrame = [&player](unsigned long) { player.Frame(); };
    return SD::RunProgram(options);
}

// The level editor outlives a run of the program; the objects of the level it held do not, and
// a second run in the same process starts clean.
TEST(WholeGame, ASecondRunInTheSameProcessAfterTheEditorHeldALevel) {
    qvtest::TempTree tree;
    MakeSampleTree(tree);
    platform::ManualClock clock;
    clock.SetStepPerRead(0.0005);
    platform::ScopedClock scoped(clock);
    SupplyClassesOnce();
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Player player;
        const SD::RunSummary summary =
            RunToTheMenuThenQuit(player, {"the menu and its level", [] { return Exists("LE_Cursor"); }});
        EXPECT_TRUE(summary.clean) << summary.error;
        EXPECT_EQ(player.next, player.steps.size()) << "stuck at " << player.stuck;
    }
}

// The menu offers a resolution only where the screen can show it: the sample's 1280x800 entry
// stays on a 1920x1080 screen and is gone from the menu's keys on a 1024x768 one.
TEST(WholeGame, TheMenuOffersTheResolutionsTheScreenCanShow) {
    struct Case {
        int width, height;
        bool offered;
    } cases[] = {{1920, 1080, true}, {1024, 768, false}};
    platform::ManualClock clock;
    clock.SetStepPerRead(0.0005);
    platform::ScopedClock scoped(clock);
    SupplyClassesOnce();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        qvtest::TempTree tree;
        MakeSampleTree(tree);
        platform::SetScreenSize(c.width, c.height);
        std::vector<std::string> entries;
        bool graphicsOffers = !c.offered;
        Player player;
        int menuFrames = 0;
        const SD::RunSummary summary = RunToTheMenuThenQuit(
            player, {"its entries read after its first frames", [&] {
                         if (++menuFrames < 3) return false;
                         const QV::HudCollector* menu = QV::HudSystem::GetInstance()->FrontCollector();
                         for (const SD::Component* item : menu->Items())
                             entries.push_back(item->GetOwner()->GetBlueprintName());
                         graphicsOffers = Aperture::Graphics_::Peek()->OffersResolution(1280, 800);
                         return true;
                     }});
        platform::ResetScreen();
        EXPECT_TRUE(summary.clean) << summary.error;
        EXPECT_EQ(player.stuck, "");
        EXPECT_EQ(graphicsOffers, c.offered);
        std::vector<std::string> expected = {"Hud/Button_Play", "Hud/Button_Credits", "Hud/CheckBox_Fullscreen",
                                             "Hud/Slider_Volume", "Hud/Button_Quit"};
        if (c.offered) expected.insert(expected.begin() + 4, "Hud/Res_1280x800");
        EXPECT_EQ(entries, expected);
    }
}

// The layers of a level file in order, each a list of its objects' entries.
std::vector<std::vector<const SD::SuperialValue*>> LayerEntries(const SD::SuperialDataMap& level) {
    std::vector<std::vector<const SD::SuperialValue*>> layers;
    for (const SD::SuperialValue* layer = level.Top()->FirstChild(); layer; layer = layer->Next()) {
        layers.emplace_back();
        const SD::SuperialValue* objects = SD::SuperialValue::FindChildByTag(layer, "GameObjects");
        for (const SD::SuperialValue* entry = objects ? objects->FirstChild() : nullptr; entry; entry = entry->Next())
            layers.back().push_back(entry);
    }
    return layers;
}

// With developer keys on, the level editor in the world: F2, space places the first template at
// the cursor, W moves it, control and S save the level, which then holds it there. The sample
// level is kept in the form the editor saves, so that first save adds the placed rock and changes
// nothing else, though the world has run meanwhile; loaded again with control and O and saved
// again, the file stays the same.
TEST(WholeGame, TheEditorPlacesMovesAndSavesAnObject) {
    qvtest::TempTree tree;
    MakeSampleTree(tree);
    platform::ManualClock clock;
    clock.SetStepPerRead(0.0005);
    platform::ScopedClock scoped(clock);
    SupplyClassesOnce();
    Player player;
    auto tap = [&player](uint32_t code) { return TapKey(player, code, 2); };
    auto wait = WaitFrames;
    auto editor = [] { return QV::LevelEditor::Peek(); };
    SD::GameObject* placed = nullptr;
    SD::Vec3 placedAt, movedTo;
    const std::string kLevel = "Assets/Levels/World_v6/objects.xml";
    const std::string kept = tree.Read(kLevel);
    std::string firstSave;
    player.steps = ThroughTheSplash(player);
    player.steps.insert(player.steps.end(),
                        {
                            {"the menu", [] { return Running() == "MainMenu"; }},
                            {"menu cool-down", wait(90)},
                            {"play", tap(SD::key_RETURN)},
                            {"the world", [] { return Running() == "World"; }},
                            {"F2", tap(SD::key_F2)},
                            {"the editor on", [&] { return editor()->IsActive(); }},
                            // Its words reach the frame the device draws: the mode at the top, the template chosen
                            // at the bottom.
                            {"the editor's words drawn",
                             [] {
                                 std::set<std::string> texts;
                                 for (const platform::gfx::Command& c :
                                      Aperture::Graphics_::GetInstance()->GetDeviceLayer().GetDevice()->LastFrame())
                                     if (c.op == platform::gfx::Op::kDrawText) texts.insert(c.name);
                                 return texts.count("Edit Mode:") && texts.count("ObjectTemplates/Rock");
                             }},
                            {"space", tap(SD::key_SPACE)},
                            {"placed",
                             [&] {
                                 placed = editor()->GetSelectedObject();
                                 if (!placed) return false;
                                 placedAt = placed->GetTransform().GetPos();
                                 player.keys.insert(SD::key_W);
                                 return true;
                             }},
                            {"W held", wait(20)},
                            {"W let go",
                             [&] {
                                 player.keys.erase(SD::key_W);
                                 movedTo = placed->GetTransform().GetPos();
                                 player.keys.insert(SD::key_CONTROL);
                                 return true;
                             }},
                            {"S with control", tap(SD::key_S)},
                            {"saved",
                             [&] {
                                 player.keys.erase(SD::key_CONTROL);
                                 firstSave = tree.Read(kLevel);
                                 return true;
                             }},
                            {"editing done", tap(SD::key_ESCAPE)},
                            {"a while in the world", wait(60)},
                            {"control held again",
                             [&] {
                                 player.keys.insert(SD::key_CONTROL);
                                 return true;
                             }},
                            {"O with control", tap(SD::key_O)},
                            {"S with control again", tap(SD::key_S)},
                            {"saved again",
                             [&] {
                                 player.keys.erase(SD::key_CONTROL);
                                 SD::Core::GetInstance()->Quit();
                                 return true;
                             }},
                        });
    SD::RunOptions options;
    options.maxFrames = 6000;
    options.developerKeys = true;
    options.afterFrame = [&player](unsigned long) { player.Frame(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_EQ(player.next, player.steps.size()) << "stuck at " << player.stuck;
    EXPECT_GT((movedTo - placedAt).Length(), 0.5f);
    const std::optional<SD::Vec3> saved = SavedPosition(firstSave, "ObjectTemplates/Rock");
    ASSERT_TRUE(saved) << "the placed rock is not in the saved level";
    EXPECT_NEAR((*saved - movedTo).Length(), 0.0f, 0.02f);

    // The first save holds the kept level's entries as they were, and the rock after "Main"'s.
    const auto before = SD::SuperialDataMap::parseXmlFromBuffer(kept.c_str());
    const auto after = SD::SuperialDataMap::parseXmlFromBuffer(firstSave.c_str());
    ASSERT_TRUE(before && after);
    const auto keptLayers = LayerEntries(*before), savedLayers = LayerEntries(*after);
    ASSERT_EQ(savedLayers.size(), keptLayers.size());
    size_t added = 0;
    for (size_t layer = 0; layer < keptLayers.size(); ++layer) {
        SCOPED_TRACE(layer);
        ASSERT_GE(savedLayers[layer].size(), keptLayers[layer].size());
        for (size_t i = 0; i < keptLayers[layer].size(); ++i)
            EXPECT_TRUE(SD::SuperialValue::SameContent(savedLayers[layer][i], keptLayers[layer][i])) << "entry " << i;
        for (size_t i = keptLayers[layer].size(); i < savedLayers[layer].size(); ++i, ++added) {
            std::string blueprint;
            savedLayers[layer][i]->GetAttribute("blueprint", blueprint);
            EXPECT_EQ(blueprint, "ObjectTemplates/Rock");
        }
    }
    EXPECT_EQ(added, 1u);
    EXPECT_EQ(tree.Read(kLevel), firstSave) << "loaded and saved again";
}

// The game through the splash to its menu, with the developer keys on and game time moving
// 16 ms a frame whatever the machine does (the frame limiter's waits move this clock on); each
// test then plays its own steps from the menu.
class FromTheMenu : public ::testing::Test {
protected:
    FromTheMenu() : scoped_(clock_) {
        MakeSampleTree(tree_);
        SetConfig(tree_, "Dev", "DevKeys", "true");
        clock_.SetStepPerRead(0.0005);
        SupplyClassesOnce();
    }

    std::function<bool()> Tap(uint32_t code) { return TapKey(player, code); }
    static std::function<bool()> In(const char* state) {
        return [state] { return Running() == state; };
    }

    // Plays the splash, the menu's cool-down and `steps`; with `quitAfter` the run is ended once
    // they are done, else the game must end by itself. Every step must be reached.
    SD::RunSummary Play(std::vector<qvtest::StepScript::Step> steps, bool quitAfter = true) {
        player.steps = ThroughTheSplash(player);
        player.steps.push_back({"menu, under its sky", [] { return Running() == "MainMenu" && SkyDrawn(); }});
        player.steps.push_back({"menu cool-down", WaitFrames(90)});
        player.steps.insert(player.steps.end(), steps.begin(), steps.end());
        if (quitAfter)
            player.steps.push_back({"quit", [] {
                                        SD::Core::GetInstance()->Quit();
                                        return true;
                                    }});
        SD::RunOptions options;
        options.maxFrames = 20000;
        options.afterFrame = [this](unsigned long) { player.Frame(); };
        qvtest::CapturedLog captured;
        const SD::RunSummary summary = SD::RunProgram(options);
        log = captured.Text();
        EXPECT_EQ(player.stuck, "") << "reached: " << ::testing::PrintToString(player.reached);
        EXPECT_EQ(player.next, player.steps.size());
        EXPECT_TRUE(summary.clean) << summary.error;
        EXPECT_LT(summary.frames, options.maxFrames);
        return summary;
    }

    Player player;
    std::string log;

private:
    qvtest::TempTree tree_;
    platform::ManualClock clock_;
    platform::ScopedClock scoped_;
};

// One press, one action: return on the check box switches full screen and nothing else; left
// and right on the volume slider change the game's volume, not the focus, and the sound engine
// takes the new volume on its next audio frame.
TEST_F(FromTheMenu, TheCheckBoxSwitchesFullScreenAndTheSliderSetsTheVolume) {
    float volume = 0.0f;
    Play({
        {"down to credits", Tap(SD::key_DOWN)},
        {"down to the full-screen box", Tap(SD::key_DOWN)},
        {"full screen checked", Tap(SD::key_RETURN)},
        {"a while after the press", WaitFrames(10)},
        {"the window is full screen, the menu still shown",
         [] { return Running() == "MainMenu" && FullScreen() && FocusedWidget() == "Hud/CheckBox_Fullscreen"; }},
        {"full screen unchecked", Tap(SD::key_SPACE)},
        {"a while after the second press", WaitFrames(10)},
        {"the window is windowed again", [] { return Running() == "MainMenu" && !FullScreen(); }},
        {"down to the volume slider", Tap(SD::key_DOWN)},
        {"the volume noted",
         [&volume] {
             volume = QV::AudioLogic_::GetInstance().GetGlobalVolume();
             return FocusedWidget() == "Hud/Slider_Volume";
         }},
        {"volume lowered", Tap(SD::key_LEFT)},
        {"volume lowered again", Tap(SD::key_LEFT)},
        {"the volume is two steps lower",
         [&volume] {
             EXPECT_NEAR(QV::AudioLogic_::GetInstance().GetGlobalVolume(), volume - 0.2f, 1e-4f);
             return FocusedWidget() == "Hud/Slider_Volume" && Running() == "MainMenu";
         }},
        {"the sound engine's master volume follows",
         [&volume] { return std::fabs(EngineGlobalVolume() - (volume - 0.2f)) < 1e-4f; }},
        {"volume raised", Tap(SD::key_RIGHT)},
        {"the volume one step lower",
         [&volume] { return std::fabs(QV::AudioLogic_::GetInstance().GetGlobalVolume() - (volume - 0.1f)) < 1e-4f; }},
    });
}

// Play leads into the world with its vehicle, logic and samples; the menu keys mean nothing in
// flight (no hidden pause menu takes them); the pause menu comes and goes; a spawner's
// fireflies follow their path; the vehicle flies and its camera follows; the tilde key leads
// back to the menu.
TEST_F(FromTheMenu, IntoTheWorldPausedResumedFlownAndBack) {
    Flight flight;
    Release release;
    Play({
        // Nine joins of the first escort set grow it past its five groups.
        {"escort grown in the menu",
         [] {
             QV::Firefly_Manager* manager = QV::Firefly_Manager::Existing();
             if (!manager) return false;
             for (int i = 0; i < 9; ++i) manager->PickEscortGroup(0);
             return manager->Groups().EscortSet(0).size() > QV::FireflyGroups::kEscortGroups;
         }},
        {"on play, shown by its sprite",
         [] { return FocusedWidget() == "Hud/Button_Play" && FocusedTexture() == "Play_Over"; }},
        {"play pressed", Tap(SD::key_RETURN)},
        {"world after the intro", In("World")},
        {"no pause menu in flight", [] { return !Exists("PauseMenu"); }},
        {"down in flight", Tap(SD::key_S)},
        {"return in flight", Tap(SD::key_RETURN)},
        {"a while of flight", WaitFrames(20)},
        {"still flying in the world",
         [] { return Running() == "World" && PlayState() == SD::GameStateManager_::kPlay && !Exists("PauseMenu"); }},
        // The next join goes round the five groups again from the first.
        {"the world started the escort afresh",
         [] {
             EXPECT_TRUE(EscortSetsAtFive());
             QV::Firefly_Manager* manager = QV::Firefly_Manager::Existing();
             EXPECT_EQ(manager->PickEscortGroup(0), manager->Groups().EscortSet(0)[0]);
             return true;
         }},
        {"the vehicle, its wings and camera",
         [] { return Exists("Player") && Exists("WingFrontRight") && Exists("PlayerCam"); }},
        {"the world logic's and the sample scenery's objects",
         [] {
             return Exists("Gardener") && Exists("MountainEast") && Exists("MoonLogic") && Exists("Meadow") &&
                    Exists("Chime");
         }},
        {"the particle effects', cameras' and data bar's samples", [] { return MissingEffectSample().empty(); }},
        // The level's crate starts 3 units up and falls under the physics.
        {"the level's crate has fallen",
         [] {
             SD::GameObject* crate = SD::Factory_::GetGameObjectByName("Crate");
             return crate && crate->GetTransform().GetLocalPos().y < 2.0f;
         }},
        {"pause pressed", Tap(SD::key_ESCAPE)},
        {"paused, the pause menu shown",
         [] { return PlayState() == SD::GameStateManager_::kPause && FocusedWidget() == "Hud/Button_Resume"; }},
        {"resume chosen on the pause menu", Tap(SD::key_RETURN)},
        {"running again, the pause menu gone",
         [] { return PlayState() == SD::GameStateManager_::kPlay && !Exists("PauseMenu"); }},
        {"paused again", Tap(SD::key_ESCAPE)},
        {"the pause menu again", [] { return FocusedWidget() == "Hud/Button_Resume"; }},
        {"escape resumes", Tap(SD::key_ESCAPE)},
        {"running, the pause menu gone again",
         [] {
             return PlayState() == SD::GameStateManager_::kPlay && !Exists("PauseMenu") &&
                    !QV::HudSystem::GetInstance()->HasFocusedWidget();
         }},
        {"a while of play", WaitFrames(30)},
        {"a firefly spawner started", [&release] { return release.Start(); }},
        {"its fireflies spawned", [&release] { return release.Spawned(); }},
        {"the spawner released",
         [&release] {
             release.Begin();
             return true;
         }},
        {"every firefly released", [&release] { return release.Released(); }},
        {"the released fireflies follow the path", [&release] { return release.AllFollowThePath(); }},
        {"the vehicle and its camera noted",
         [&flight] {
             flight.Note();
             return flight.player != nullptr;
         }},
        {"throttle and a turn held",
         [this] {
             player.keys = {SD::key_SPACE, SD::key_D};
             return true;
         }},
        {"flown a while", WaitFrames(40)},
        {"keys let go",
         [this] {
             player.keys.clear();
             return true;
         }},
        {"the vehicle flew and turned, its camera followed", [&flight] { return flight.FlewAndWasFollowed(); }},
        {"to the menu", Tap(SD::key_TILDA)},
        {"menu again", In("MainMenu")},
    });
    // No warning about the samples' blueprints, objects or kinds.
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        for (const auto& [name, kind] : kEffectSamples) {
            EXPECT_EQ(line.find(std::string("[") + kind + "]"), std::string::npos) << line;
            EXPECT_EQ(line.find(std::string("[World/") + name + "]"), std::string::npos) << line;
            EXPECT_EQ(line.find(std::string("[Hud/") + name + "]"), std::string::npos) << line;
        }
}

// The credits roll and escape leaves them; the quit prompt's "no" keeps the menu and its "yes"
// ends the game by itself, whose summary takes its figures from the run's graphics device and
// sound system.
TEST_F(FromTheMenu, CreditsThenTheQuitPromptEndsTheGame) {
    const SD::RunSummary summary = Play(
        {
            {"down to the credits entry", Tap(SD::key_DOWN)},
            {"credits chosen", Tap(SD::key_RETURN)},
            {"credits", In("Credits")},
            {"credits rolling", [] { return Exists("Credits"); }},
            {"credits left", Tap(SD::key_ESCAPE)},
            {"menu after the credits", In("MainMenu")},
            {"menu cool-down before quitting", WaitFrames(90)},
            {"quit asked", Tap(SD::key_ESCAPE)},
            {"quit prompt", [] { return Exists("QuitPrompt"); }},
            {"a frame with the prompt", WaitFrames(2)},
            {"no chosen", Tap(SD::key_RETURN)},
            {"prompt closed, still in the menu", [] { return !Exists("QuitPrompt") && Running() == "MainMenu"; }},
            {"quit asked again", Tap(SD::key_ESCAPE)},
            {"quit prompt again", [] { return Exists("QuitPrompt"); }},
            {"up to yes", Tap(SD::key_UP)},
            {"yes chosen", Tap(SD::key_RETURN)},
        },
        false);
    EXPECT_EQ(summary.state, "MainMenu");
    EXPECT_GT(summary.drawCalls, 0u);
    unsigned long played = 0;
    ASSERT_EQ(std::sscanf(summary.sound.c_str(), "sounds played %lu", &played), 1) << summary.sound;
    EXPECT_GT(played, 0u) << summary.sound;
    EXPECT_EQ(summary.sound.find("failures"), std::string::npos) << summary.sound;
}

}  // namespace
