// Feeds arbitrary bytes to the running sound system as a media file, played by the engine's
// voices with each codec, from a bank in memory and streamed from a file, once and looping.
#include <cstddef>
#include <cstdint>

#include "fuzz/sound/system/SoundSystemFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Never destroyed: the sound system would end after the statics it uses at exit.
    static fuzzsound::System& system = *new fuzzsound::System;
    if (!system.Started() || size > (1u << 20)) return 0;
    constexpr uint32_t kFileID = 0x5EED0500;
    system.Write("1592591616.med", data, size);  // the file of kFileID
    static_assert(kFileID == 1592591616u, "the file name above");
    for (int32_t loops : {1, 0}) system.PlayMediaBank(fuzzsound::System::MediaBank(data, size, kFileID, loops), 8);
    return 0;
}
