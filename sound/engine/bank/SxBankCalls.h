#pragma once
// The bank and preparation calls of the sound engine. Each queues one command for the bank
// thread; the forms without a callback wait for it. Callbacks run on the bank thread with no
// lock held, and a synchronous call must not be made from there or from a bank callback.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/bank/SxBankTypes.h"

namespace SX::SoundEngine {

SXRESULT LoadBank(SxBankID bankID, SxMemPoolId pool);
SXRESULT LoadBank(SxBankID bankID, SxBankCallbackFunc callback, void* cookie, SxMemPoolId pool);
SXRESULT LoadBank(const char* name, SxMemPoolId pool, SxBankID& bankID);
SXRESULT LoadBank(const wchar_t* name, SxMemPoolId pool, SxBankID& bankID);
SXRESULT LoadBank(const char* name, SxBankCallbackFunc callback, void* cookie, SxMemPoolId pool, SxBankID& bankID);
SXRESULT LoadBank(const wchar_t* name, SxBankCallbackFunc callback, void* cookie, SxMemPoolId pool, SxBankID& bankID);
// The memory must stay as it is while the bank is loaded: its media are played in place. It
// must be 16-byte aligned and hold at least 24 bytes, else 31.
SXRESULT LoadBank(const void* memory, uint32_t size, SxBankID& bankID);
SXRESULT LoadBank(const void* memory, uint32_t size, SxBankCallbackFunc callback, void* cookie, SxBankID& bankID);

// pool, when given, gets the memory pool the bank used.
SXRESULT UnloadBank(SxBankID bankID, SxMemPoolId* pool = nullptr);
SXRESULT UnloadBank(SxBankID bankID, SxBankCallbackFunc callback, void* cookie);
SXRESULT UnloadBank(const char* name, SxMemPoolId* pool = nullptr);
SXRESULT UnloadBank(const char* name, SxBankCallbackFunc callback, void* cookie);

SXRESULT PrepareBank(SxPreparationType type, SxBankID bankID, SxBankContent content = SxBankContent_All);
SXRESULT PrepareBank(SxPreparationType type, SxBankID bankID, SxBankCallbackFunc callback, void* cookie,
                     SxBankContent content = SxBankContent_All);
SXRESULT PrepareBank(SxPreparationType type, const char* name, SxBankContent content = SxBankContent_All);

SXRESULT PrepareEvent(SxPreparationType type, const SxUniqueID* eventIDs, uint32_t count);
SXRESULT PrepareEvent(SxPreparationType type, const SxUniqueID* eventIDs, uint32_t count, SxBankCallbackFunc callback,
                      void* cookie);
SXRESULT PrepareEvent(SxPreparationType type, const char** names, uint32_t count);
SXRESULT PrepareEvent(SxPreparationType type, const char** names, uint32_t count, SxBankCallbackFunc callback,
                      void* cookie);

// groupType: 0 switch, 1 state.
SXRESULT PrepareGameSyncs(SxPreparationType type, uint32_t groupType, uint32_t groupID, const uint32_t* ids,
                          uint32_t count);
SXRESULT PrepareGameSyncs(SxPreparationType type, uint32_t groupType, uint32_t groupID, const uint32_t* ids,
                          uint32_t count, SxBankCallbackFunc callback, void* cookie);
SXRESULT PrepareGameSyncs(SxPreparationType type, uint32_t groupType, const char* groupName, const char** names,
                          uint32_t count);

SXRESULT ClearPreparedEvents();
// Returns once the audio thread has let every bank go.
SXRESULT ClearBanks();
// The completions still pending for the cookie are dropped; later commands report again.
SXRESULT CancelBankCallbackCookie(void* cookie);

}  // namespace SX::SoundEngine
