#pragma once
// A sound emitter whose sound can wait for the music: played on the beat through a sound
// object of the engine's sound system, or queued for the audio logic's next music sync entry.
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"

namespace QV {

class QuorvPhantom : public SD::Phantom {
public:
    QuorvPhantom() { SetID(SD::CID_QuorvPhantom); }
    ~QuorvPhantom() override;

    SD::ComponentID VGetID() const override { return SD::CID_QuorvPhantom; }

    // Plays the sound the way the data asks, once.
    void PlaySound();
    // On the music's beat: the sound waiting in the beat object goes out on the owner.
    void PostPendingBeat();
    bool SoundPlayed() const { return soundPlayed_; }
    bool PlaysOnSyncEntry() const { return playOnSyncEntry_; }
    bool PlaysOnBeat() const { return playOnBeat_; }
    const SD::SoundObjectHandle& GetBeatObject() const { return beatObject_; }

protected:
    void VAfterInitialize() override;
    void VSerializeExtra(SD::IStream& stream, int version) override;

private:
    bool playOnSyncEntry_ = false;
    bool playOnBeat_ = false;
    bool soundPlayed_ = false;
    bool hasBeatObject_ = false;
    SD::SoundObjectHandle beatObject_;
};

}  // namespace QV
