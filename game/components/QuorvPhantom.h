#pragma once
// A sound emitter whose sound can wait for the music: played on the beat through a sound
// object of the engine's sound system, or queued as a music-sync request for the audio logic.
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
