#include "sound/engine/bank/CSxBankCallbackMgr.h"

namespace SX {

CSxBankCallbackMgr::Entry* CSxBankCallbackMgr::Find(void* cookie) {
    for (Entry& entry : m_entries)
        if (entry.cookie == cookie) return &entry;
    return nullptr;
}

SXRESULT CSxBankCallbackMgr::AddCookie(void* cookie) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (Entry* entry = Find(cookie)) {
        if (entry->pending < UINT32_MAX) ++entry->pending;
        return SX_Success;
    }
    try {
        m_entries.push_back({cookie, 1, 0});
    } catch (const std::bad_alloc&) {
        return SX_InsufficientMemory;
    }
    return SX_Success;
}

void CSxBankCallbackMgr::RemoveCookie(void* cookie) {
    std::lock_guard<std::mutex> lock(m_lock);
    Entry* entry = Find(cookie);
    if (!entry) return;
    if (entry->pending < 2)
        m_entries.erase(m_entries.begin() + (entry - m_entries.data()));
    else
        --entry->pending;
}

void CSxBankCallbackMgr::DoCallback(SxBankCallbackFunc callback, SxBankID bankID, SXRESULT result, SxMemPoolId pool,
                                    void* cookie) {
    if (!callback) return;
    bool cancelled;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        Entry* entry = Find(cookie);
        if (!entry) return;
        cancelled = entry->cancelled > 0;
        if (entry->pending > 1) {
            --entry->pending;
            if (entry->cancelled > 0) --entry->cancelled;
        } else {
            m_entries.erase(m_entries.begin() + (entry - m_entries.data()));
        }
    }
    if (!cancelled) callback(bankID, result, pool, cookie);
}

void CSxBankCallbackMgr::CancelCookie(void* cookie) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (Entry* entry = Find(cookie)) entry->cancelled = entry->pending;
}

}  // namespace SX
