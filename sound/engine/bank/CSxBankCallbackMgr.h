#pragma once
// Counts the completions pending per cookie, so that a cancelled cookie's callbacks are
// dropped. Callbacks run with no lock held: what they need is copied first.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/bank/SxBankTypes.h"

namespace SX {

class CSxBankCallbackMgr {
public:
    SXRESULT AddCookie(void* cookie);
    // A command that could not be queued.
    void RemoveCookie(void* cookie);
    void DoCallback(SxBankCallbackFunc callback, SxBankID bankID, SXRESULT result, SxMemPoolId pool, void* cookie);
    void CancelCookie(void* cookie);

private:
    friend struct platform::TestProbe<CSxBankCallbackMgr>;

    struct Entry {
        void* cookie;
        uint32_t pending;
        uint32_t cancelled;
    };
    Entry* Find(void* cookie);
    std::mutex m_lock;
    std::vector<Entry> m_entries;
};

}  // namespace SX
