#pragma once
// Voice layers whose voices play until a stop command ends them, so that the instances stay to
// be looked at. EndlessVoices report a length of one second when they start (for the parts that
// schedule by length); HeldVoices report no length at all.
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxPBI.h"

namespace sxtest {

class StopOnlyVoices : public SX::ISxVoiceLayer {
public:
    explicit StopOnlyVoices(float reportedMs) : reportedMs_(reportedMs) {}

    bool StartVoice(SX::CSxPBI& instance, bool) override {
        instance.SetVoiceContext(this);
        instance.NotifyStarted(reportedMs_);
        return true;
    }
    void Command(SX::CSxPBI& instance, SX::SxLowerCommand command) override {
        if (command == SX::SxLowerCmd_Stop) instance.Destroy(1);
    }

private:
    float reportedMs_;
};

class EndlessVoices : public StopOnlyVoices {
public:
    EndlessVoices() : StopOnlyVoices(1000.0f) {}
};

class HeldVoices : public StopOnlyVoices {
public:
    HeldVoices() : StopOnlyVoices(0.0f) {}
};

}  // namespace sxtest
