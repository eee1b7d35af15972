#pragma once
// What the bank calls, the bank thread and the bank callbacks share.
#include <cstdint>
#include <vector>

#include "sound/engine/SxTypes.h"

namespace SX {

// Completion of a bank command: the bank, the result, the memory pool the bank used (-1 when
// none or not a load) and the caller's cookie.
using SxBankCallbackFunc = void (*)(SxBankID bankID, SXRESULT result, SxMemPoolId pool, void* cookie);

enum SxPreparationType : uint32_t { SxPreparation_Load = 0, SxPreparation_Unload = 1 };
enum SxBankContent : uint32_t { SxBankContent_StructureOnly = 0, SxBankContent_All = 1 };

enum SxBankCommandType : uint32_t {
    SxBankCmd_Load = 0,
    SxBankCmd_Unload = 1,
    SxBankCmd_PrepareEvents = 2,
    SxBankCmd_UnprepareEvents = 3,
    SxBankCmd_PrepareGameSyncs = 4,
    SxBankCmd_ClearPreparedEvents = 5,
    SxBankCmd_PrepareBank = 6,
    SxBankCmd_UnprepareBank = 7,
    SxBankCmd_ClearBanks = 8,
    // The engine's own: a bank freed by the audio thread reports its unload from the bank
    // thread, where no lock is held.
    SxBankCmd_UnloadDone = 12,
};

enum SxBankOpenMode : uint32_t { SxBankOpen_ByName = 0, SxBankOpen_Memory = 1, SxBankOpen_ByID = 2 };

struct SxBankCommand {
    uint32_t type = SxBankCmd_Load;
    SxBankCallbackFunc callback = nullptr;
    void* cookie = nullptr;
    uint32_t openMode = SxBankOpen_ByName;
    SxBankID bankID = 0;
    SxMemPoolId pool = SxInvalidPoolId;
    const void* memory = nullptr;
    uint32_t memorySize = 0;
    std::vector<uint32_t> ids;  // events, or the game syncs of the group
    uint32_t groupType = 0;
    uint32_t groupID = 0;
    bool prepare = true;
    uint32_t content = SxBankContent_All;
    SXRESULT result = SX_Success;  // of an unload that is done
};

// One entry of a bank's media index.
struct SxMediaIndexEntry {
    uint32_t mediaID;
    uint32_t offset;  // from the start of the bank's media data
    uint32_t size;
};

}  // namespace SX
