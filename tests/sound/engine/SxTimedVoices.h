#pragma once
// A voice layer for chains of sounds: each voice reports its length when it starts and ends on
// its own once that length has passed, counted in audio frames; a stop ends it at once.
#include <map>
#include <vector>

#include "platform/os/Threads.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxPBI.h"

namespace sxtest {

class TimedVoices : public SX::ISxVoiceLayer {
public:
    struct Voice {
        SX::CSxPBI* instance;
        SX::SxUniqueID node;
        uint32_t startFrame;
        uint32_t endFrame = 0;
        bool ended = false;
        bool finished = false;
        uint32_t pausedFrames = 0;  // a paused voice does not advance
    };

    bool StartVoice(SX::CSxPBI& instance, bool) override {
        instance.SetVoiceContext(this);
        const float ms = LengthOf(instance.Node()->ID());
        voices.push_back(Voice{&instance, instance.Node()->ID(), SX::g_uSxAudioFrameCounter});
        instance.NotifyStarted(ms);
        return true;
    }
    void Command(SX::CSxPBI& instance, SX::SxLowerCommand command) override {
        if (command != SX::SxLowerCmd_Stop) return;
        for (Voice& voice : voices)
            if (voice.instance == &instance && !voice.ended) End(voice, false);
    }
    // Once per audio frame: ends the voices whose length has passed.
    void Tick() {
        platform::Lock lock(SX::g_csMain);
        for (Voice& voice : voices) {
            if (voice.ended) continue;
            if (voice.instance->IsPaused()) {
                ++voice.pausedFrames;
                continue;
            }
            const double frames = LengthOf(voice.node) * SX::SxTimingSettings::sampleRate / 1000.0 / SX::SxFrameSamples;
            const uint32_t played = SX::g_uSxAudioFrameCounter - voice.startFrame - voice.pausedFrames;
            if (played >= static_cast<uint32_t>(frames + 0.999)) End(voice, !endShort);
        }
    }
    float LengthOf(SX::SxUniqueID node) const {
        auto found = lengths.find(node);
        return found == lengths.end() ? 100.0f : found->second;
    }
    std::vector<SX::SxUniqueID> Order() const {
        std::vector<SX::SxUniqueID> order;
        for (const Voice& voice : voices) order.push_back(voice.node);
        return order;
    }
    std::vector<uint32_t> Starts() const {
        std::vector<uint32_t> starts;
        for (const Voice& voice : voices) starts.push_back(voice.startFrame);
        return starts;
    }

    std::map<SX::SxUniqueID, float> lengths;  // milliseconds; 100 when not given
    bool endShort = false;                    // voices end as if cut, not played out
    std::vector<Voice> voices;

private:
    static void End(Voice& voice, bool finished) {
        voice.ended = true;
        voice.finished = finished;
        voice.endFrame = SX::g_uSxAudioFrameCounter;
        voice.instance->Destroy(finished ? 1 : 0);
    }
};

}  // namespace sxtest
