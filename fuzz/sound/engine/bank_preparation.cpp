// Feeds arbitrary bytes as a bank file to the preparation calls of an engine with game-sync
// preparation on: the bank's structure is prepared from the file, then every event of it, then
// the values of its switch containers' groups (their default switch and a word of the input),
// each undone in the reverse order. Every media reference a preparation took must be given
// back by its unpreparation: media left in the table afterwards are a fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/sound/engine/EngineFuzzSupport.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankCalls.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/containers/CSxSwitchCntr.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tests/sound/engine/SxBankProbe.h"

namespace {

const std::string& Folder() {
    static const std::string folder = "/tmp/fuzz_bank_preparation_" + std::to_string(getpid());
    return folder;
}

bool StartEngine() {
    SX::SxInitSettings settings;
    settings.enableGameSyncPreparation = 1;
    if (!sxfuzz::StartEngine(16, &settings)) return false;
    std::string command = "mkdir -p " + Folder();
    if (std::system(command.c_str()) != 0) return false;
    SX::SxSetBankFolder(Folder());
    return true;
}

// Banks bring global settings that stay after them: a fresh engine now and then keeps them
// from piling up.
void RestartEngine() {
    SX::SoundEngine::Term();
    SX::MemoryMgr::Term();
    StartEngine();
}

struct GameSync {
    uint32_t type, group, value;
};

// The values of the groups the bank's switch containers follow.
std::vector<GameSync> GameSyncs(uint32_t word) {
    std::vector<GameSync> syncs;
    for (SX::CSxIndexable* object : SX::g_pObjectIndex->Table(SX::SxIndex_Node).Items()) {
        auto* container = dynamic_cast<SX::CSxSwitchCntr*>(object);
        if (!container || syncs.size() >= 16) continue;
        for (uint32_t value : {container->DefaultSwitch(), word})
            syncs.push_back({container->GroupKind(), container->GroupID(), value});
    }
    return syncs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = StartEngine();
    static uint32_t runs = 0;
    if (++runs % 1024 == 0) {
        RestartEngine();
        started = SX::SoundEngine::IsInitialized();
    }
    if (!started || size > 1u << 20) return 0;
    const SX::SxBankID bankID = SX::CSxBankMgr::GetBankIDFromInMemorySpace(data, static_cast<uint32_t>(size));
    if (bankID == 0) return 0;
    const std::string path = Folder() + "/" + std::to_string(bankID) + ".bnk";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    if (SX::SoundEngine::PrepareBank(SX::SxPreparation_Load, bankID, SX::SxBankContent_StructureOnly) ==
        SX::SX_Success) {
        std::vector<SX::SxUniqueID> events;
        for (SX::CSxIndexable* event : SX::g_pObjectIndex->Table(SX::SxIndex_Event).Items())
            if (events.size() < 16) events.push_back(event->ID());
        std::vector<SX::SxUniqueID> prepared;
        for (SX::SxUniqueID event : events)
            if (SX::SoundEngine::PrepareEvent(SX::SxPreparation_Load, &event, 1) == SX::SX_Success)
                prepared.push_back(event);
        uint32_t word = 0;
        std::memcpy(&word, data + size - 4, 4);  // a bank has more than 4 bytes
        const std::vector<GameSync> syncs = GameSyncs(word);
        for (const GameSync& s : syncs)
            SX::SoundEngine::PrepareGameSyncs(SX::SxPreparation_Load, s.type, s.group, &s.value, 1);
        for (auto s = syncs.rbegin(); s != syncs.rend(); ++s)
            SX::SoundEngine::PrepareGameSyncs(SX::SxPreparation_Unload, s->type, s->group, &s->value, 1);
        for (SX::SxUniqueID event : prepared) SX::SoundEngine::PrepareEvent(SX::SxPreparation_Unload, &event, 1);
        SX::SoundEngine::PrepareBank(SX::SxPreparation_Unload, bankID, SX::SxBankContent_StructureOnly);
    }
    // The bank's last reference goes on the audio thread, which runs here.
    SX::SoundEngine::RenderAudio();
    SX::g_pAudioMgr->Perform();
    if (qvtest::BankProbe::MediaCount(*SX::g_pBankMgr) != 0) __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
