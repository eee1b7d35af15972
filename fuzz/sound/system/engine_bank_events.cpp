// Feeds arbitrary bytes to the running sound system as a bank file: the engine loads it by
// name through its stream manager, every event it holds is posted, sought, paused, resumed and
// stopped while the audio frames run, and the bank is unloaded through the audio thread.
#include <cstddef>
#include <cstdint>

#include "fuzz/sound/system/SoundSystemFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Never destroyed: the sound system would end after the statics it uses at exit.
    static fuzzsound::System& system = *new fuzzsound::System;
    if (!system.Started() || size > (1u << 20)) return 0;
    system.Write("Fuzz.bnk", data, size);
    SX::SxBankID id = 0;
    if (SX::SoundEngine::LoadBank("Fuzz.bnk", -1, id) != SX::SX_Success) return 0;
    system.PlayEvents(fuzzsound::System::Events(24), fuzzsound::Word(data, size, size / 2));
    system.Unload(id);
    return 0;
}
