#include "sound/engine/bank/SxBankCalls.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Threads.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/bank/CSxBankMgr.h"

namespace SX::SoundEngine {

namespace {

// The record a synchronous call waits on; the completion setter fills it in.
struct SxSyncCaller {
    SXRESULT result = SX_Fail;
    SxMemPoolId pool = SxInvalidPoolId;
    platform::Event done{false, false};
};

void SetCompletion(SxBankID, SXRESULT result, SxMemPoolId pool, void* cookie) {
    auto* caller = static_cast<SxSyncCaller*>(cookie);
    caller->result = result;
    caller->pool = pool;
    caller->done.Set();
}

SXRESULT Queue(SxBankCommand command) {
    return g_pBankMgr ? g_pBankMgr->QueueBankCommand(std::move(command)) : SX_Fail;
}

SXRESULT Wait(SxBankCommand command, SxMemPoolId* pool = nullptr) {
    SxSyncCaller caller;
    command.callback = SetCompletion;
    command.cookie = &caller;
    const SXRESULT queued = Queue(std::move(command));
    if (queued != SX_Success) return queued;
    caller.done.Wait();
    if (pool) *pool = caller.pool;
    return caller.result;
}

SXRESULT Send(SxBankCommand command, SxBankCallbackFunc callback, void* cookie) {
    command.callback = callback;
    command.cookie = cookie;
    return Queue(std::move(command));
}

SxBankCommand LoadCommand(uint32_t openMode, SxBankID bankID, SxMemPoolId pool) {
    SxBankCommand command;
    command.type = SxBankCmd_Load;
    command.openMode = openMode;
    command.bankID = bankID;
    command.pool = pool;
    return command;
}

SxBankID IDFromName(const char* name) { return g_pBankMgr ? g_pBankMgr->BankIDFromName(name) : 0; }

std::string Narrow(const wchar_t* name) {
    std::string out;
    for (; name && *name && out.size() < 259; ++name) out += static_cast<char>(*name);
    return out;
}

SXRESULT MemoryCommand(const void* memory, uint32_t size, SxBankID& bankID, SxBankCommand& command) {
    if (!memory || reinterpret_cast<uintptr_t>(memory) % 16 != 0 || size < 24) return SX_InvalidParameter;
    bankID = CSxBankMgr::GetBankIDFromInMemorySpace(memory, size);
    command = LoadCommand(SxBankOpen_Memory, bankID, SxInvalidPoolId);
    command.memory = memory;
    command.memorySize = size;
    return SX_Success;
}

SxBankCommand UnloadCommand(SxBankID bankID) {
    SxBankCommand command;
    command.type = SxBankCmd_Unload;
    command.bankID = bankID;
    return command;
}

SxBankCommand BankPrepCommand(SxPreparationType type, SxBankID bankID, SxBankContent content) {
    SxBankCommand command;
    command.type = type == SxPreparation_Load ? SxBankCmd_PrepareBank : SxBankCmd_UnprepareBank;
    command.bankID = bankID;
    command.content = content;
    return command;
}

SXRESULT EventCommand(SxPreparationType type, std::vector<uint32_t> ids, SxBankCommand& command) {
    if (ids.empty()) return SX_InvalidParameter;
    command.type = type == SxPreparation_Load ? SxBankCmd_PrepareEvents : SxBankCmd_UnprepareEvents;
    command.ids = std::move(ids);
    return SX_Success;
}

std::vector<uint32_t> Hashed(const char** names, uint32_t count) {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; names && i < count; ++i) ids.push_back(GetIDFromString(names[i]));
    return ids;
}

SXRESULT SyncsCommand(SxPreparationType type, uint32_t groupType, uint32_t groupID, std::vector<uint32_t> ids,
                      SxBankCommand& command) {
    if (ids.empty()) return SX_InvalidParameter;
    command.type = SxBankCmd_PrepareGameSyncs;
    command.groupType = groupType;
    command.groupID = groupID;
    command.prepare = type == SxPreparation_Load;
    command.ids = std::move(ids);
    return SX_Success;
}

}  // namespace

SXRESULT LoadBank(SxBankID bankID, SxMemPoolId pool) { return Wait(LoadCommand(SxBankOpen_ByID, bankID, pool)); }
SXRESULT LoadBank(SxBankID bankID, SxBankCallbackFunc callback, void* cookie, SxMemPoolId pool) {
    return Send(LoadCommand(SxBankOpen_ByID, bankID, pool), callback, cookie);
}
SXRESULT LoadBank(const char* name, SxMemPoolId pool, SxBankID& bankID) {
    bankID = IDFromName(name);
    return Wait(LoadCommand(SxBankOpen_ByName, bankID, pool));
}
SXRESULT LoadBank(const wchar_t* name, SxMemPoolId pool, SxBankID& bankID) {
    return LoadBank(Narrow(name).c_str(), pool, bankID);
}
SXRESULT LoadBank(const char* name, SxBankCallbackFunc callback, void* cookie, SxMemPoolId pool, SxBankID& bankID) {
    bankID = IDFromName(name);
    return Send(LoadCommand(SxBankOpen_ByName, bankID, pool), callback, cookie);
}
SXRESULT LoadBank(const wchar_t* name, SxBankCallbackFunc callback, void* cookie, SxMemPoolId pool, SxBankID& bankID) {
    return LoadBank(Narrow(name).c_str(), callback, cookie, pool, bankID);
}
SXRESULT LoadBank(const void* memory, uint32_t size, SxBankID& bankID) {
    SxBankCommand command;
    const SXRESULT result = MemoryCommand(memory, size, bankID, command);
    return result == SX_Success ? Wait(std::move(command)) : result;
}
SXRESULT LoadBank(const void* memory, uint32_t size, SxBankCallbackFunc callback, void* cookie, SxBankID& bankID) {
    SxBankCommand command;
    const SXRESULT result = MemoryCommand(memory, size, bankID, command);
    return result == SX_Success ? Send(std::move(command), callback, cookie) : result;
}

SXRESULT UnloadBank(SxBankID bankID, SxMemPoolId* pool) { return Wait(UnloadCommand(bankID), pool); }
SXRESULT UnloadBank(SxBankID bankID, SxBankCallbackFunc callback, void* cookie) {
    return Send(UnloadCommand(bankID), callback, cookie);
}
SXRESULT UnloadBank(const char* name, SxMemPoolId* pool) { return UnloadBank(IDFromName(name), pool); }
SXRESULT UnloadBank(const char* name, SxBankCallbackFunc callback, void* cookie) {
    return UnloadBank(IDFromName(name), callback, cookie);
}

SXRESULT PrepareBank(SxPreparationType type, SxBankID bankID, SxBankContent content) {
    return Wait(BankPrepCommand(type, bankID, content));
}
SXRESULT PrepareBank(SxPreparationType type, SxBankID bankID, SxBankCallbackFunc callback, void* cookie,
                     SxBankContent content) {
    return Send(BankPrepCommand(type, bankID, content), callback, cookie);
}
SXRESULT PrepareBank(SxPreparationType type, const char* name, SxBankContent content) {
    return PrepareBank(type, IDFromName(name), content);
}

SXRESULT PrepareEvent(SxPreparationType type, const SxUniqueID* eventIDs, uint32_t count) {
    SxBankCommand command;
    const SXRESULT result = EventCommand(
        type, eventIDs ? std::vector<uint32_t>(eventIDs, eventIDs + count) : std::vector<uint32_t>(), command);
    return result == SX_Success ? Wait(std::move(command)) : result;
}
SXRESULT PrepareEvent(SxPreparationType type, const SxUniqueID* eventIDs, uint32_t count, SxBankCallbackFunc callback,
                      void* cookie) {
    SxBankCommand command;
    const SXRESULT result = EventCommand(
        type, eventIDs ? std::vector<uint32_t>(eventIDs, eventIDs + count) : std::vector<uint32_t>(), command);
    return result == SX_Success ? Send(std::move(command), callback, cookie) : result;
}
SXRESULT PrepareEvent(SxPreparationType type, const char** names, uint32_t count) {
    SxBankCommand command;
    const SXRESULT result = EventCommand(type, Hashed(names, count), command);
    return result == SX_Success ? Wait(std::move(command)) : result;
}
SXRESULT PrepareEvent(SxPreparationType type, const char** names, uint32_t count, SxBankCallbackFunc callback,
                      void* cookie) {
    SxBankCommand command;
    const SXRESULT result = EventCommand(type, Hashed(names, count), command);
    return result == SX_Success ? Send(std::move(command), callback, cookie) : result;
}

SXRESULT PrepareGameSyncs(SxPreparationType type, uint32_t groupType, uint32_t groupID, const uint32_t* ids,
                          uint32_t count) {
    SxBankCommand command;
    const SXRESULT result = SyncsCommand(
        type, groupType, groupID, ids ? std::vector<uint32_t>(ids, ids + count) : std::vector<uint32_t>(), command);
    return result == SX_Success ? Wait(std::move(command)) : result;
}
SXRESULT PrepareGameSyncs(SxPreparationType type, uint32_t groupType, uint32_t groupID, const uint32_t* ids,
                          uint32_t count, SxBankCallbackFunc callback, void* cookie) {
    SxBankCommand command;
    const SXRESULT result = SyncsCommand(
        type, groupType, groupID, ids ? std::vector<uint32_t>(ids, ids + count) : std::vector<uint32_t>(), command);
    return result == SX_Success ? Send(std::move(command), callback, cookie) : result;
}
SXRESULT PrepareGameSyncs(SxPreparationType type, uint32_t groupType, const char* groupName, const char** names,
                          uint32_t count) {
    SxBankCommand command;
    const SXRESULT result = SyncsCommand(type, groupType, GetIDFromString(groupName), Hashed(names, count), command);
    return result == SX_Success ? Wait(std::move(command)) : result;
}

SXRESULT ClearPreparedEvents() {
    SxBankCommand command;
    command.type = SxBankCmd_ClearPreparedEvents;
    return Wait(std::move(command));
}

SXRESULT ClearBanks() {
    if (!g_pBankMgr) return SX_Fail;
    const SXRESULT result = ClearPreparedEvents();
    if (result != SX_Success) return result;
    SxBankCommand command;
    command.type = SxBankCmd_ClearBanks;
    return Wait(std::move(command));
}

SXRESULT CancelBankCallbackCookie(void* cookie) {
    if (g_pBankMgr) g_pBankMgr->Callbacks().CancelCookie(cookie);
    return SX_Success;
}

}  // namespace SX::SoundEngine
