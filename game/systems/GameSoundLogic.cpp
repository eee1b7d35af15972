#include "game/systems/GameSoundLogic.h"

#include <algorithm>
#include <cstdio>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/WorldCentre.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SoundZones.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundManager.h"

namespace QV {
namespace {

void StepTuning(float& tuning) {
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input || !input->GetDevKeysEnabled()) return;
    bool changed = false;
    if (input->GetKeyState(SD::key_PLUS)) tuning = std::min(1.0f, tuning + 0.001f), changed = true;
    if (input->GetKeyState(SD::key_MINUS)) tuning = std::max(0.0f, tuning - 0.001f), changed = true;
    if (input->GetKeyState(SD::key_BACK)) tuning = 0.01f, changed = true;
    if (changed) std::printf("AL: SMALL_VAL = %f\n", tuning);
}

void EngineSetState(uint32_t group, uint32_t state) { SX::SoundEngine::SetState(group, state); }

void EngineSetParameter(uint32_t parameter, float value, uint32_t object) {
    SX::SoundEngine::SetRTPCValue(parameter, value, object);
}

}  // namespace

GameSoundLogic::~GameSoundLogic() { Term(); }

void GameSoundLogic::Init() {
    AudioLogic_::SetStateSetter(&EngineSetState);
    AudioLogic_::SetParameterSetter(&EngineSetParameter);
    tuning_ = 0.01f;
    if (SD::Factory_* factory = SD::Factory_::GetInstance(); factory && !music_) {
        music_ = factory->NewGameObject();
        if (music_) {
            music_->Initialize(false);
            music_->NameObject("Interactive Music");
            if (SD::GhostEngine_* ghost = SD::GhostEngine_::Existing()) ghost->RegisterSoundObject(music_);
        }
    }
    beat_ = syncEntry_ = false;
    inZone_.clear();
    AudioLogic_::PostEvent("Play_Player_Wind", nullptr);
    AudioLogic_::PostEvent("Play_Epic_Strings", nullptr);
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    if (SD::Manager* manager = ghost ? ghost->GetManager() : nullptr) {
        manager->PostEvent("Play_Spring", music_ ? ghost->SoundObjectID(music_) : SD::kDefaultSoundObject,
                           kMusicCallbacks, &GameSoundLogic::OnMusicCallback, this);
        callbacksQueued_ = true;
    }
    AudioLogic_::GetInstance().ApplyStartStates();
}

void GameSoundLogic::Term() {
    // A callback still queued for this object must not arrive after it is gone.
    if (callbacksQueued_) SX::SoundEngine::CancelEventCallbackCookie(this);
    callbacksQueued_ = false;
    AudioLogic_::RemoveStateSetter(&EngineSetState);
    AudioLogic_::RemoveParameterSetter(&EngineSetParameter);
}

void GameSoundLogic::OnMusicCallback(SX::SxCallbackType type, SX::SxCallbackInfo* info) {
    auto* self = info ? static_cast<GameSoundLogic*>(info->pCookie) : nullptr;
    if (!self) return;
    if (type == kBeat) self->beat_ = true;
    if (type == kSyncEntry) self->syncEntry_ = true;
}

void GameSoundLogic::SendZone(SX::SxGameObjectID object, bool inside, ZoneSends& sends) const {
    sends[object] = inside;
    const auto found = inZone_.find(object);
    if (found != inZone_.end() && found->second == inside) return;
    const SX::SxEnvironmentValue send{SX::SoundEngine::GetIDFromString(kZoneEnvironment), 1.0f};
    SX::SoundEngine::SetGameObjectEnvironmentsValues(object, &send, inside ? 1 : 0);
}

void GameSoundLogic::SendZones(SD::GameObject* player) {
    // Kept for the objects there are now only, so emitters that went are forgotten.
    ZoneSends sends;
    bool playerInside = false;
    if (player) {
        auto* collider = static_cast<Gedankenexperiment::Collider*>(player->GetComponent(SD::CID_Collider));
        playerInside = InSoundZone(player->GetTransform().GetLocalPos(), collider ? collider->GetRadius() : 0.0f);
    }
    SendZone(AudioLogic_::kGlobalObject, playerInside, sends);
    if (SD::GhostEngine_* ghost = SD::GhostEngine_::Existing())
        for (const SD::SoundEmitter* emitter : ghost->Emitters())
            if (emitter->object)
                SendZone(ghost->SoundObjectID(emitter->object),
                         InSoundZone(emitter->object->GetTransform().GetPos(), 0.0f), sends);
    inZone_.swap(sends);
}

void GameSoundLogic::Update(float) {
    StepTuning(tuning_);
    AudioLogic_& audio = AudioLogic_::GetInstance();
    if (beat_.exchange(false)) audio.PlayBeat();
    if (syncEntry_.exchange(false)) audio.PlaySyncEntry();

    if (SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player")) {
        const SD::Vec3& position = player->GetTransform().GetLocalPos();
        const float h = position.y * 0.0025f;
        rainLevel_ = 0.95f * rainLevel_ + 0.05f * audio.GetRainTarget();
        AudioLogic_::SetParameter(kRainParameter, rainLevel_, AudioLogic_::kAllObjects);
        seasonLevel_ = 0.96f * seasonLevel_ + 0.04f * audio.GetSeasonTarget();
        AudioLogic_::SetParameter(kSeasonParameter, seasonLevel_, AudioLogic_::kAllObjects);
        AudioLogic_::SetParameter(kHeightParameterA, h, AudioLogic_::kGlobalObject);
        AudioLogic_::SetParameter(kHeightParameterB, h, AudioLogic_::kGlobalObject);
        AudioLogic_::SetParameter(kHeightFadeParameter, 1.0f - 0.2f * h, AudioLogic_::kGlobalObject);
        if (auto* logic = static_cast<PlayerLogic*>(player->GetComponent(SD::CID_Player))) {
            auto* body = static_cast<Gedankenexperiment::Body*>(player->GetComponent(SD::CID_Body));
            const float speed = body ? body->GetVelocity().Length() : 0.0f;
            // A vehicle with no forward speed sends no speed rather than dividing by zero.
            const float forward = logic->GetForwardSpeed();
            AudioLogic_::SetParameter(kSpeedParameter, forward != 0.0f ? speed / forward * 150.0f : 0.0f,
                                      AudioLogic_::kAllObjects);
        }
        AudioLogic_::SetParameter(kDistanceParameter, (position - kWorldCentre).Length(), AudioLogic_::kAllObjects);
    }
    SendZones(SD::Factory_::GetGameObjectByName("Player"));
    if (SD::GhostEngine_* ghost = SD::GhostEngine_::Existing()) ghost->SetDistanceParameter(kEngineDistanceParameter);
}

}  // namespace QV
