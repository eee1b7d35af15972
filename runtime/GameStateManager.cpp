#include "runtime/GameStateManager.h"

#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "engine/ChangeActiveState.h"
#include "engine/Factory.h"
#include "engine/Level.h"
#include "engine/ObjectCreated.h"
#include "engine/PlayStateQuery.h"

namespace SD {
namespace {

GameStateManager_* g_manager = nullptr;

// The engine asks the one manager, the one made last: a run's manager may still exist while the
// next run makes its own.
class OneManagerPlayState : public IPlayStateQuery {
public:
    uint32_t CurrentPlayState() const override {
        return g_manager ? static_cast<uint32_t>(g_manager->GetPlayState()) : kPlayStatePlay;
    }
} g_playStateQuery;

}  // namespace

GameStateManager_::GameStateManager_() {
    g_manager = this;
    SetPlayStateQuery(&g_playStateQuery);
}

GameStateManager_::~GameStateManager_() {
    for (Level* level : levels_) delete level;
    if (g_manager == this) {
        g_manager = nullptr;
        RemovePlayStateQuery(&g_playStateQuery);
    }
}

GameStateManager_* GameStateManager_::GetInstance() { return g_manager; }

void GameStateManager_::ReadConfig(ConfigFile& config) {
    std::string starting = config.GetString("StartingLevel", current_ ? current_->GetName() : std::string());
    if (!starting.empty()) ChangeLevelTo(starting);
}

void GameStateManager_::Initialize() {
    Message_System* messages = Message_System::GetInstance();
    messages->RegisterHandler(MessageIds::QuitRequest, this, &GameStateManager_::OnQuitRequest);
    messages->RegisterHandler(MessageIds::ObjectCreated, this, &GameStateManager_::OnObjectCreated);
}

void GameStateManager_::Shutdown() {
    if (current_ && phase_ >= kEnter && phase_ <= kUnused) {
        current_->Unload();
        current_->DestroyObjects();
    }
    Message_System* messages = Message_System::GetInstance();
    messages->RemoveHandlerOf(MessageIds::ObjectCreated, this);
    messages->RemoveHandlerOf(MessageIds::QuitRequest, this);
}

void GameStateManager_::Update(float dt) {
    switch (phase_) {
        case kIdle:
            current_ = pending_;
            if (current_) phase_ = kLoad;
            break;
        case kLoad:
            current_->Load();
            current_->Initialize();
            // The seconds of loading are no part of the state's time on screen.
            if (Core* core = Core::GetInstance()) core->DiscountFrameTime();
            phase_ = kEnter;
            break;
        case kEnter:
            if (current_->TransitionIn(dt) == 1) {
                current_->OnEntered();
                phase_ = kRun;
            }
            break;
        case kRun:
            current_->Update(dt);
            if (dt == 0.0f) {
                Core* core = Core::GetInstance();
                current_->UpdatePaused(core ? static_cast<float>(core->GetFrameTime()) : 0.0f);
            } else {
                current_->UpdateRunning(dt);
            }
            if (pending_ != current_) {
                current_->BeginExit();
                phase_ = kExit;
            }
            break;
        case kExit:
            if (current_->TransitionOut(dt) == 1) {
                current_->OnExited();
                current_->Unload();
                current_->DestroyObjects();
                previous_ = current_;
                current_ = pending_;
                phase_ = current_ ? kLoad : kQuit;
            }
            break;
        case kQuit:
            if (Core* core = Core::GetInstance()) core->Quit();
            phase_ = kIdle;
            break;
        default:
            break;
    }
}

void GameStateManager_::RegisterLevel(Level* state, const std::string& name) {
    if (!state) return;
    state->SetName(FiledName(name));
    levels_.push_back(state);
}

Level* GameStateManager_::FindLevel(const std::string& name) const {
    for (Level* level : levels_)
        if (level->GetName() == name) return level;
    return nullptr;
}

Level* GameStateManager_::ChangeLevelTo(const std::string& name) {
    if (Level* level = FindLevel(name)) {
        pending_ = level;
        return level;
    }
    if (name == "Quit") pending_ = nullptr;
    return nullptr;
}

Level* GameStateManager_::ChangeLevel(const std::string& name) {
    return g_manager ? g_manager->ChangeLevelTo(name) : nullptr;
}

void GameStateManager_::Quit() { pending_ = nullptr; }

void GameStateManager_::SetPlayState(int32_t playState) {
    int32_t old = playState_;
    playState_ = playState;
    ChangeActiveState message(playState, old);
    Message_System::GetInstance()->SendMessage(message);
    Core* core = Core::GetInstance();
    if (!core) return;
    if (playState == kPlay)
        core->SetPaused(false);
    else if (playState == kPause || playState == kDevPause)
        core->SetPaused(true);
}

void GameStateManager_::AddObjectToCurrentLevel(GameObject* object) {
    if (current_ && object) current_->AddObject(object);
}

void GameStateManager_::RemoveObjectFromCurrentLevel(GameObject* object) {
    if (current_) current_->RemoveObject(object);
}

void GameStateManager_::OnQuitRequest(IMessage*) { Quit(); }

void GameStateManager_::OnObjectCreated(IMessage* message) {
    if (message && message->GetType() == MessageIds::ObjectCreated)
        AddObjectToCurrentLevel(static_cast<ObjectCreated*>(message)->object);
}

}  // namespace SD
