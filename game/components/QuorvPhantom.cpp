#include "game/components/QuorvPhantom.h"

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/systems/AudioLogic.h"

namespace QV {

QuorvPhantom::~QuorvPhantom() {
    if (AudioLogic_* audio = AudioLogic_::Existing()) audio->Unqueue(this);
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    if (hasBeatObject_ && ghost) ghost->DestroySoundObject(beatObject_);
}

void QuorvPhantom::VSerializeExtra(SD::IStream& stream, int) {
    stream.Serialize(playOnSyncEntry_, "Play On Music Sync Entry?", "Boolean");
    stream.Serialize(playOnBeat_, "Play On Beat?", "Boolean");
}

void QuorvPhantom::VAfterInitialize() {
    if (!playOnBeat_ || hasBeatObject_) return;
    beatObject_ = SD::GhostEngine_::GetInstance().CreateSoundObject();
    hasBeatObject_ = true;
}

void QuorvPhantom::PlaySound() {
    if (GetEventName()[0] != '\0') {
        if (playOnBeat_) {
            const SD::Vec3* at = GetOwner() ? &GetOwner()->GetTransform().GetLocalPos() : nullptr;
            SD::GhostEngine_::GetInstance().SetSoundObjectPosition(GetEventName(), beatObject_, at);
            AudioLogic_::GetInstance().QueueForBeat(this);
            soundPlayed_ = true;
            return;
        }
        if (!playOnSyncEntry_) {
            Play();
        } else if (!soundPlayed_) {
            AudioLogic_::GetInstance().QueueForSyncEntry(this);
            playOnSyncEntry_ = false;
            soundPlayed_ = true;
            return;
        }
    }
    soundPlayed_ = true;
}

void QuorvPhantom::PostPendingBeat() {
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    const SD::SoundObject* pending = ghost && hasBeatObject_ ? ghost->FindSoundObject(beatObject_) : nullptr;
    if (!pending || pending->name.empty()) return;
    const std::string event = pending->name;
    ghost->SetSoundObjectPosition("", beatObject_, nullptr);
    AudioLogic_::PostEvent(event.c_str(), GetOwner());
}

}  // namespace QV
