#pragma once
// The transport commands playback instances post to the lower engine, and the narrow
// interface through which the lower engine hands them to its voices. Until a voice layer is
// installed nothing can play: a play command finds no voice and the instance is ended.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/SxTypes.h"

namespace SX {

class CSxPBI;
class CSxParameterNodeBase;

enum SxLowerCommand : uint32_t {
    SxLowerCmd_Play = 0,
    SxLowerCmd_PlayPaused = 1,
    SxLowerCmd_Stop = 2,
    SxLowerCmd_Pause = 3,
    SxLowerCmd_Resume = 4,
    SxLowerCmd_EndOfLoop = 5,
    SxLowerCmd_Seek = 6,
};

// The voices of the lower engine. StartVoice answers false when the instance has nothing to
// play; a voice it makes reports back through the instance's notifications (NotifyStarted,
// Destroy, ...).
class ISxVoiceLayer {
public:
    virtual bool StartVoice(CSxPBI& instance, bool paused) = 0;
    // Stop, pause, resume, end of loop and seek of an instance that has a voice.
    virtual void Command(CSxPBI& instance, SxLowerCommand command) = 0;
    // The insert effect of a slot (4: the bypass of every effect) of a node changed: the voices
    // of the node and of those below it read it again, the effect itself or only its bypass.
    virtual void EffectChanged(const CSxParameterNodeBase& /*node*/, uint32_t /*slot*/, bool /*effect*/) {}

protected:
    ~ISxVoiceLayer() = default;
};

// One queued command. Each instance keeps one entry of its own for its stop.
struct SxLowerCmdEntry {
    SxLowerCmdEntry* next = nullptr;
    CSxPBI* instance = nullptr;
    uint32_t command = 0;
    uint32_t batch = 0;     // the audio frame it was queued in
    bool reserved = false;  // the instance's own stop entry: never freed
    bool queued = false;
};

class CSxLEngineCmds {
public:
    static constexpr uint32_t kPreallocated = 64;

    static SXRESULT Init();
    // Frees every entry; queued commands are dropped (their instances are being ended).
    static void Term();
    static void SetVoiceLayer(ISxVoiceLayer* layer) { s_voiceLayer = layer; }
    static ISxVoiceLayer* VoiceLayer() { return s_voiceLayer; }

    // Appends {instance, command, batch}, the batch being the current audio frame; SX_Fail
    // when no entry can be had. A stop never fails: EnqueueStop uses the entry each instance
    // keeps for it. A play also stamps the instance with its batch: the voices of one batch
    // start together.
    static SXRESULT Enqueue(SxLowerCommand command, CSxPBI& instance);
    // With the instance's play still queued and no voice yet, its commands are withdrawn and
    // it is destroyed at once; otherwise the stop is queued in the instance's own entry.
    static void EnqueueStop(CSxPBI& instance);
    // Withdraws every queued command of the instance (it is about to be destroyed).
    static void DequeuePBI(CSxPBI& instance);
    // The lower engine's start of frame: hands the queued commands to the voices in order.
    static void ExecuteCommands();

private:
    friend struct platform::TestProbe<CSxLEngineCmds>;

    using Entry = SxLowerCmdEntry;
    static void Append(Entry* entry);
    static void Recycle(Entry* entry);

    static ISxVoiceLayer* s_voiceLayer;
    static Entry* s_head;
    static Entry* s_tail;
    static Entry* s_free;
    static Entry* s_block;
    static uint32_t s_count;
};

}  // namespace SX
