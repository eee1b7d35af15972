// Feeds arbitrary bytes to the running sound system as a bank file: the engine loads it by
// name through its stream manager, every event it holds is prepared (its nodes' media taken
// ahead of play), posted, sought, paused, resumed, stopped and unprepared while the audio frames
// run, and the bank is unloaded through the audio thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/sound/system/SoundSystemFuzz.h"
#include "sound/engine/bank/SxBankCalls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Never destroyed: the sound system would end after the statics it uses at exit.
    static fuzzsound::System& system = *new fuzzsound::System;
    if (!system.Started() || size > (1u << 20)) return 0;
    system.Write("Fuzz.bnk", data, size);
    SX::SxBankID id = 0;
    if (SX::SoundEngine::LoadBank("Fuzz.bnk", -1, id) != SX::SX_Success) return 0;
    const std::vector<SX::SxUniqueID> events = fuzzsound::System::Events(24);
    std::vector<SX::SxUniqueID> prepared;
    for (SX::SxUniqueID event : events)
        if (SX::SoundEngine::PrepareEvent(SX::SxPreparation_Load, &event, 1) == SX::SX_Success)
            prepared.push_back(event);
    system.PlayEvents(events, fuzzsound::Word(data, size, size / 2));
    for (SX::SxUniqueID event : prepared) SX::SoundEngine::PrepareEvent(SX::SxPreparation_Unload, &event, 1);
    system.Unload(id);
    return 0;
}
