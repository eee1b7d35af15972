#pragma once
// Makes a game object a sound emitter: registers it with the sound engine under its name, posts
// its named event at initialisation when asked and whenever Play is called, lets the sound
// system follow its position, and stops and unregisters it when the component goes away. Game
// classes derive their own emitters from it.
#include <string>

#include "core/RTTI.h"
#include "engine/Component.h"
#include "sound/engine/SxTypes.h"
#include "sound/system/GhostEngine.h"

namespace SD {

class Phantom : public Component, public RTTIUser<Phantom> {
public:
    Phantom() { SetID(CID_Phantom); }
    ~Phantom() override;

    ComponentID VGetID() const override { return CID_Phantom; }
    int VGetVersion() const override { return 2; }
    void VInitialize(bool fromScript) override;
    void VSerialize(IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    // Posts the event now (nothing for an empty name); the phantom counts as playing after.
    void Play();

    bool Get3D() const { return is3D_; }
    void Set3D(bool value) { is3D_ = value; }
    bool GetBegin() const { return beginPlaying_; }
    void SetBegin(bool value) { beginPlaying_ = value; }
    const char* GetEventName() const { return eventName_.c_str(); }
    void SetEventName(const char* name) { eventName_ = name ? name : ""; }
    bool IsPlaying() const { return playing_; }
    // The ID the owner has with the sound engine (the default object without an owner).
    SX::SxGameObjectID SoundID() const;

protected:
    virtual void VAfterInitialize() {}
    virtual void VSerializeExtra(IStream& stream, int version) { (void)stream, (void)version; }

private:
    SX::SxPlayingID Post();

    std::string legacyEventName_;
    std::string eventName_;
    bool is3D_ = false;
    bool beginPlaying_ = false;
    bool playing_ = false;
    GameObject* soundObject_ = nullptr;
    SoundEmitter emitter_;
};

}  // namespace SD
