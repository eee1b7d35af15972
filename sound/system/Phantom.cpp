#include "sound/system/Phantom.h"

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "sound/engine/SxSoundEngine.h"

namespace SD {

Phantom::~Phantom() {
    eventName_.clear();
    soundObject_ = GetOwner();
    // The sound system may already be gone at the end of a run: nothing is left to stop then.
    GhostEngine_* ghost = GhostEngine_::Existing();
    if (!ghost) return;
    ghost->RemoveEmitter(&emitter_);
    ghost->RemovePhantom(this);
    if (!soundObject_) return;
    SX::SoundEngine::StopAll(ghost->SoundObjectID(soundObject_));
    ghost->UnregisterSoundObject(soundObject_);
}

SX::SxGameObjectID Phantom::SoundID() const {
    GhostEngine_* ghost = GhostEngine_::Existing();
    if (!GetOwner() || !ghost) return kDefaultSoundObject;
    return ghost->SoundObjectID(GetOwner());
}

void Phantom::VSerialize(IStream& stream, int version) {
    stream.Serialize(version == 2 ? eventName_ : legacyEventName_, "Event Name", "String");
    stream.Serialize(is3D_, "Is 3D?", "Boolean");
    stream.Serialize(beginPlaying_, "Begin Playing?", "Boolean");
    playing_ = beginPlaying_;
    VSerializeExtra(stream, version);
}

void Phantom::VInitialize(bool) {
    soundObject_ = GetOwner();
    GhostEngine_& ghost = GhostEngine_::GetInstance();
    ghost.RegisterSoundObject(soundObject_);
    if (!eventName_.empty() && beginPlaying_) Post();
    const SX::SxGameObjectID id = SoundID();
    if (!is3D_ && soundObject_) {
        const Vec3& at = soundObject_->GetTransform().GetPos();
        const Vec3 front = soundObject_->GetTransform().GetDir();
        SX::SxSoundPosition where;
        where.position = {at.x, at.y, at.z};
        where.orientation = {front.x, front.y, front.z};
        SX::SoundEngine::SetPosition(id, where, 0);
    }
    SX::SoundEngine::SetActiveListeners(id, 1);
    VAfterInitialize();
}

SX::SxPlayingID Phantom::Post() {
    GhostEngine_& ghost = GhostEngine_::GetInstance();
    if (Manager* manager = ghost.GetManager()) return manager->PostEvent(eventName_.c_str(), SoundID());
    return SX::SoundEngine::PostEvent(eventName_.c_str(), SoundID());
}

void Phantom::Play() {
    if (!eventName_.empty()) Post();
    playing_ = true;
}

void Phantom::VRegister() {
    GhostEngine_& ghost = GhostEngine_::GetInstance();
    ghost.AddPhantom(this);
    emitter_.object = GetOwner();
    emitter_.positioned = is3D_;
    ghost.AddEmitter(&emitter_);
}

void Phantom::VUnregister() {
    GhostEngine_& ghost = GhostEngine_::GetInstance();
    ghost.RemovePhantom(this);
    ghost.RemoveEmitter(&emitter_);
}

void Phantom::RegisterFunctions() {
    RTTI_GETTER(&Phantom::Get3D);
    RTTI_SETTER(&Phantom::Set3D);
    RTTI_GETTER(&Phantom::GetBegin);
    RTTI_SETTER(&Phantom::SetBegin);
    RTTI_GETTER(&Phantom::GetEventName);
    RTTI_SETTER(&Phantom::SetEventName);
}

}  // namespace SD
