#pragma once
// What tests read of the bank manager's private state: the banks it holds, the media it has
// loaded, how often an event was prepared, and the callbacks a cookie still waits for.
#include <cstdint>
#include <mutex>

#include "platform/TestProbe.h"
#include "sound/engine/bank/CSxBankCallbackMgr.h"
#include "sound/engine/bank/CSxBankMgr.h"

template <>
struct platform::TestProbe<SX::CSxBankMgr> {
    using Mgr = SX::CSxBankMgr;

    static bool IsBankLoaded(Mgr& mgr, SX::SxBankID bankID) {
        platform::Lock lock(mgr.m_bankLock);
        auto found = mgr.m_banks.find(bankID);
        return found != mgr.m_banks.end() && found->second->Has(SX::SxBankFlag_Loaded);
    }
    // The banks loaded or loading, and those still unloading.
    static uint32_t BankCount(Mgr& mgr) {
        platform::Lock lock(mgr.m_bankLock);
        return static_cast<uint32_t>(mgr.m_banks.size() + mgr.m_unloading.size());
    }
    static bool HasMedia(Mgr& mgr, SX::SxUniqueID mediaID) {
        platform::Lock lock(mgr.m_mediaLock);
        return mgr.m_media.count(mediaID) != 0;
    }
    static uint32_t MediaCount(Mgr& mgr) {
        platform::Lock lock(mgr.m_mediaLock);
        return static_cast<uint32_t>(mgr.m_media.size());
    }
    static uint32_t EventPreparationCount(const Mgr& mgr, SX::SxUniqueID eventID) {
        auto found = mgr.m_preparedEvents.find(eventID);
        return found == mgr.m_preparedEvents.end() ? 0 : found->second.count;
    }
};

template <>
struct platform::TestProbe<SX::CSxBankCallbackMgr> {
    static uint32_t PendingCount(SX::CSxBankCallbackMgr& mgr, void* cookie) {
        std::lock_guard<std::mutex> lock(mgr.m_lock);
        const SX::CSxBankCallbackMgr::Entry* entry = mgr.Find(cookie);
        return entry ? entry->pending : 0;
    }
};

namespace qvtest {
using BankProbe = platform::TestProbe<SX::CSxBankMgr>;
using BankCallbackProbe = platform::TestProbe<SX::CSxBankCallbackMgr>;
}  // namespace qvtest
