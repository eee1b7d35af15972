#include "game/states/World.h"

#include <algorithm>

#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "core/Random.h"
#include "engine/ChangeActiveState.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/LuaComponent.h"
#include "engine/Transform.h"
#include "game/components/EffectFollow.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/Spawner.h"
#include "game/components/ObjectLooks.h"
#include "game/editor/EditorScene.h"
#include "game/editor/LevelEditor.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudSprites.h"
#include "game/states/PlayObjects.h"
#include "game/states/StateObjects.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "physics/PhysicsSystem.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/SplineSystem.h"

namespace QV {
namespace {

World* g_current = nullptr;
// The "HUD" overlay fades once per run of the program, on the first visit.
float g_hudOverlayFade = 1.0f;

SD::GameObject* Player() { return FindNamed("Player"); }

void FollowWith(SD::GameObject* effectOwner, SD::GameObject* follow) {
    if (effectOwner && follow) SetEffectFollow(*effectOwner, *follow);
}

Spawner* SpawnerOf(SD::GameObject* object) {
    return object ? static_cast<Spawner*>(object->GetComponent(SD::CID_Spawner)) : nullptr;
}

struct Named {
    const char* blueprint;
    const char* name;
};

const Named kStoryHud[] = {
    {"Hud/SpringName", "SpringName"},
    {"Hud/SummerName", "SummerName"},
    {"Hud/FallName", "FallName"},
    {"Hud/WinterName", "WinterName"},
    {"Hud/Spring_Opening_Poem", "SpringPoem"},
    {"Hud/Summer_Opening_Poem", "SummerPoem"},
    {"Hud/Fall_Opening_Poem", "FallPoem"},
    {"Hud/Narr_1", "Narr_1"},
    {"Hud/Narr_2", "Narr_2"},
    {"Hud/Narr_3", "Narr_3"},
    {"Hud/Narr_4", "Narr_4"},
    {"Hud/Narr_5", "Narr_5"},
    {"Hud/Narr_6", "Narr_6"},
    {"Hud/Narr_7", "Narr_7"},
    {"Hud/Narr_8", "Narr_8"},
    {"Hud/Narr_9", "Narr_9"},
    {"World/NarrHudFadeTrigger", "NarrHudFadeTrigger"},
    {"Hud/instructions_fireflies_scattered", "FirefliesScatteredInstruction"},
    {"Hud/instructions_gather_fireflies", "GatherFirefliesInstruction"},
    {"Hud/WhiteScreen", "WhiteSquareOfSuccess"},
};

const Named kPlayHud[] = {
    {"Hud/Wbar1", "Wbar1"},
    {"Hud/Wbar2", "Wbar2"},
    {"Hud/KinectImage", "KinectImage"},
    {"Hud/KinectImage2", "KinectImage1_2"},
    {"Hud/KinectImage3", "KinectImage1_3"},
    {"Hud/KinectImage", "KinectImage2"},
    {"Hud/KinectImage2", "KinectImage2_2"},
    {"Hud/KinectImage3", "KinectImage2_3"},
    {"Hud/KinectTriangle", "KinectTriangle"},
    {"Hud/KinectCircle", "KinectCircle"},
    {"Hud/KinectError", "KinectError"},
};

}  // namespace

World::World() = default;

World::~World() {
    if (g_current == this) g_current = nullptr;
}

World* World::Current() { return g_current; }

float World::HudOverlayFade() { return g_hudOverlayFade; }

void World::Load() {
    g_current = this;
    releaseActive_ = false;
    releaseTimer_ = kReleaseInterval;
    narrationFront_ = narrationCount_ = 0;
    release_.clear();
    yellowFireflies_.clear();
    swayingScenery_.clear();
    BindPauseKeys(bindings_);
    bindings_.BindDigital("GoToMenu", SD::xpad1_BACK);
    bindings_.BindDigital("GoToMenu", SD::key_TILDA);

    for (const Named& hud : kStoryHud) CreateNamed(hud.blueprint, hud.name);

    LevelEditor* editor = LevelEditor::Peek();
    if (editor) editor->LoadLevel("World_v6");

    SD::Vec3 start, angles;
    if (editor) {
        start = editor->GetPlayerSpawnPos();
        angles = editor->GetPlayerSpawnAngles();
    }
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (SD::GameObject* player = CreatePlayerWithWings(&start)) {
        if (editor) editorscene::SetPlayerReset(player, start, angles);
        if (SD::GameObject* storm = factory->CreateObject("ObjectTemplates/RainStorm", player))
            storm->NameObject("RainStorm");
        player->Initialize(false);
        looks::GeometryColor(player, &savedPlayerColor_);
        FollowWith(player, player);
    }

    CreateNamed("World/FakePlayer", "FakePlayer");
    FollowWith(CreateNamed("World/Snow", "Snow_0"), Player());
    FollowWith(CreateNamed("World/Snow", "Snow_1"), Player());
    FollowWith(CreateNamed("World/TwinklingStars", nullptr), Player());

    SowlarSystem_::GetInstance().ResetCycle();

    CreatePlayerCamera();
    for (const Named& hud : kPlayHud) CreateNamed(hud.blueprint, hud.name);

    release_.clear();
    AudioLogic_::GetInstance().SetMusicState(1);
    AudioLogic_::PostEvent("Resume_Master_Audio_Bus", nullptr);
    // The world is drawn under its sky.
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetSkyEnabled(true);
    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek()) physics->BuildTree();
    // A new world starts with the escort sets back at their first groups.
    if (Firefly_Manager* manager = Firefly_Manager::Existing()) manager->ResetEscort();
    AudioLogic_::GetInstance().SetRainTarget(0.0f);

    SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::ChangeActiveState, this,
                                                       &World::OnPlayStateChanged);
    handlerRegistered_ = true;
}

void World::Unload() {
    if (handlerRegistered_) SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::ChangeActiveState, this);
    handlerRegistered_ = false;
    DestroySlides(0, static_cast<int>(slides_.size()));
    bindings_.UnbindAll();
    if (LevelEditor* editor = LevelEditor::Peek()) editor->SetReturnCamera(nullptr);
    if (g_current == this) g_current = nullptr;
}

void World::OnPlayStateChanged(SD::IMessage* message) {
    auto* change = static_cast<SD::ChangeActiveState*>(message);
    SD::GameObject* player = Player();
    if (change->newState == SD::GameStateManager_::kPause) {
        if (player) {
            looks::GeometryColor(player, &savedPlayerColor_);
            looks::SetGeometryColor(player, SD::Vec4(0.5f, 0.5f, 0.5f, 0.5f));
        }
        AudioLogic_::PostEvent("Pause_Master_Audio_Bus", nullptr);
    } else {
        if (player) looks::SetGeometryColor(player, savedPlayerColor_);
        AudioLogic_::PostEvent("Resume_Master_Audio_Bus", nullptr);
    }
}

int World::TransitionOut(float) {
    AudioLogic_::GetInstance().SetRainTarget(0.0f);
    return fade_.Show() ? 1 : 0;
}

namespace {

void AddOnce(std::vector<SD::GameObjectHandle>& list, const SD::GameObjectHandle& handle) {
    if (std::find(list.begin(), list.end(), handle) == list.end()) list.push_back(handle);
}

}  // namespace

void World::AddReleaseSpawner(const SD::GameObjectHandle& spawner) { AddOnce(release_, spawner); }

void World::AddYellowFirefly(const SD::GameObjectHandle& firefly) { AddOnce(yellowFireflies_, firefly); }

void World::AddSwayingScenery(const SD::GameObjectHandle& scenery) { AddOnce(swayingScenery_, scenery); }

void World::BeginSummerEvent() {
    releaseActive_ = true;
    SD::Spline_System::GetInstance().StartSpline(SD::SharedString("SummerSplineTest"));
}

void World::PushNarration(const SD::GameObjectHandle& trigger) {
    // A full ring keeps the lines it holds and drops the new one.
    if (narrationCount_ == kNarrationCapacity) return;
    narration_[(narrationFront_ + narrationCount_) % kNarrationCapacity] = trigger;
    ++narrationCount_;
}

void World::PopNarration() {
    if (narrationCount_ == 0) return;
    narration_[narrationFront_] = SD::GameObjectHandle();
    narrationFront_ = (narrationFront_ + 1) % kNarrationCapacity;
    if (--narrationCount_ == 0) narrationFront_ = 0;
}

bool World::RemoveNarration(const SD::GameObjectHandle& trigger) {
    size_t at = 0;
    while (at < narrationCount_ && narration_[(narrationFront_ + at) % kNarrationCapacity] != trigger) ++at;
    if (at == narrationCount_) return false;
    if (at == 0) {
        PopNarration();
        return true;
    }
    // The entries behind it move up one place.
    for (size_t i = at; i + 1 < narrationCount_; ++i)
        narration_[(narrationFront_ + i) % kNarrationCapacity] =
            narration_[(narrationFront_ + i + 1) % kNarrationCapacity];
    narration_[(narrationFront_ + narrationCount_ - 1) % kNarrationCapacity] = SD::GameObjectHandle();
    --narrationCount_;
    return true;
}

void World::StepRelease(float dt) {
    if (!releaseActive_) return;
    releaseTimer_ -= dt;
    if (releaseTimer_ > 0.0f) return;
    releaseTimer_ = kReleaseInterval;
    for (int i = 0; i < 3; ++i) {
        if (release_.empty()) {
            releaseActive_ = false;
            return;
        }
        const size_t pick = SD::RandomInt(0, static_cast<unsigned>(release_.size() - 1));
        SD::GameObject* object = release_[pick].get();
        Spawner* spawner = SpawnerOf(object);
        if (!spawner) {
            release_.erase(release_.begin() + static_cast<std::ptrdiff_t>(pick));
            continue;
        }
        spawner->SetSpawn_state(false);
        const size_t held = spawner->GetSpawnedObjects().size();
        if (held == 0) {
            release_.erase(release_.begin() + static_cast<std::ptrdiff_t>(pick));
            continue;
        }
        SD::GameObject* firefly = spawner->DetachSpawned(SD::RandomInt(0, static_cast<unsigned>(held - 1)));
        // A firefly released from its spawner takes to the paths.
        auto* logic = firefly ? static_cast<Firefly*>(firefly->GetComponent(SD::CID_Firefly)) : nullptr;
        if (logic) logic->DoAction(Firefly::ActionMode::kIdle, SD::SharedString(Spawner::kReleaseBehaviour));
    }
}

bool World::StepNarration() {
    while (narrationCount_ > 0) {
        SD::GameObject* front = narration_[narrationFront_].get();
        if (front) {
            // The trigger plays the line of the story's current step.
            if (auto* narrator = static_cast<HudFadeTrigger*>(front->GetComponent(SD::CID_HudFadeTrigger)))
                narrator->PlayNarration(SowlarSystem_::GetInstance().GetStoryCounter());
            return false;
        }
        PopNarration();
    }
    return true;
}

void World::StepCredits(float dt) {
    SD::GameObject* credits = FindNamed("Credits");
    if (!credits) credits = CreateNamed("Hud/Credits_Screen", "Credits");
    SD::Input_* input = SD::Input_::GetInstance();
    // Without its credits screen the game cannot roll them: back to the menu.
    bool done = !credits;
    if (credits) {
        SD::Transform& t = credits->GetTransform();
        if (t.GetPosY() > kCreditsEndY) t.SetPosY(t.GetPosY() - dt * 0.07f);
        done = t.GetPosY() <= kCreditsEndY;
    }
    if (done || (input && input->GetDigitalTriggered("Quit"))) SD::GameStateManager_::ChangeLevel("MainMenu");
}

void World::Update(float dt) {
    SD::Input_* input = SD::Input_::GetInstance();
    if (input && input->GetDevKeysEnabled() && input->GetKeyStateTriggered(SD::key_INSERT))
        SD::ReloadLuaComponentScripts();
    StepRelease(dt);

    if (g_hudOverlayFade > 0.0f) {
        SetSpriteOpacity(FindNamed("HUD"), g_hudOverlayFade);
        g_hudOverlayFade -= dt * 0.125f;
    } else {
        DestroyNamed("HUD");
    }

    const bool ended = SowlarSystem_::GetInstance().IsEndOfGame();
    if (!ended) StepPauseKeys();
    if (input && input->GetDigitalTriggered("GoToMenu")) SD::GameStateManager_::ChangeLevel("MainMenu");
    if (!StepNarration()) return;
    if (ended) StepCredits(dt);
}

}  // namespace QV
