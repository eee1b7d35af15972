// Feeds arbitrary bytes to the running sound system as a file package: the package is loaded by
// the system's package IO, each bank it lists is loaded by ID and its events played, each
// streamed file it lists is played by a voice with each codec, and the package is unloaded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/sound/system/SoundSystemFuzz.h"
#include "sound/stream/package/CSxFilePackageLUT.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Never destroyed: the sound system would end after the statics it uses at exit.
    static fuzzsound::System& system = *new fuzzsound::System;
    if (!system.Started() || size > (1u << 20)) return 0;
    system.Write("Fuzz.sxpk", data, size);
    uint32_t package = 0;
    const SX::SXRESULT loaded = system.Manager().LowLevelIO().LoadPackage(L"Fuzz.sxpk", package);
    if (loaded != SX::SX_Success && loaded != SX::SX_LanguageNotLoaded) return 0;
    // The package's own tables say which banks and files it holds.
    SX::CSxFilePackageLUT lut;
    std::string error;
    if (lut.Setup(data, size, size, error)) {
        using Table = SX::CSxFilePackageLUT;
        for (uint32_t i = 0; i < lut.Count(Table::BankTable) && i < 4; ++i) {
            const auto bankID = static_cast<SX::SxBankID>(lut.Entry(Table::BankTable, i).fileID);
            if (SX::SoundEngine::LoadBank(bankID, -1) != SX::SX_Success) continue;
            system.PlayEvents(fuzzsound::System::Events(8), i);
            system.Unload(bankID);
        }
        for (uint32_t i = 0; i < lut.Count(Table::StreamTable) && i < 4; ++i) {
            const auto fileID = static_cast<uint32_t>(lut.Entry(Table::StreamTable, i).fileID);
            system.PlayMediaBank(fuzzsound::System::MediaBank(nullptr, 0, fileID, 1), 6);
        }
    }
    system.Manager().LowLevelIO().UnloadPackage(package);
    return 0;
}
