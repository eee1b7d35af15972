#pragma once
// One bank in memory: its media data and index, the objects it loaded (one reference each),
// and the references that keep it: 1 while loaded, plus one per media item handed out.
#include <atomic>
#include <cstdint>
#include <vector>

#include "sound/engine/bank/SxBankTypes.h"

namespace SX {

class CSxIndexable;

enum SxLoadedBankFlags : uint8_t {
    SxBankFlag_Loaded = 1,
    SxBankFlag_MediaPrepared = 4,
    SxBankFlag_Unloading = 8,
};

class CSxLoadedBank {
public:
    explicit CSxLoadedBank(SxBankID id, SxMemPoolId pool) : m_id(id), m_pool(pool) {}
    SxBankID ID() const { return m_id; }
    SxMemPoolId Pool() const { return m_pool; }
    bool Has(uint8_t flag) const { return (m_flags.load() & flag) != 0; }
    void Set(uint8_t flag) { m_flags.fetch_or(flag); }
    void Clear(uint8_t flag) { m_flags.fetch_and(static_cast<uint8_t>(~flag)); }

    // Drops one reference; the last frees the media data and, unless the bank is still
    // prepared, the record (reporting the unload when one was asked for).
    void Release();
    void AddRef() { m_refs.fetch_add(1); }

private:
    friend class CSxBankMgr;
    const SxBankID m_id;
    SxMemPoolId m_pool;
    bool m_ownPool = false;
    const uint8_t* m_data = nullptr;  // the media bytes: in the caller's memory or in m_pool
    uint32_t m_dataSize = 0;
    bool m_dataInPlace = false;
    bool m_hasMediaIndex = false;
    std::vector<SxMediaIndexEntry> m_mediaIndex;
    uint32_t m_mediaIndexed = 0;  // entries of the index entered in the media table
    std::vector<CSxIndexable*> m_objects;
    std::atomic<int32_t> m_refs{1};
    uint32_t m_preparations = 0;      // saturating
    uint32_t m_bankPreparations = 0;  // by prepare-bank commands; saturating
    std::atomic<uint8_t> m_flags{0};
    SxBankCallbackFunc m_unloadCallback = nullptr;
    void* m_unloadCookie = nullptr;
    bool m_unloadCallbackDirect = false;  // the engine's own waiter, not a caller's callback
};

}  // namespace SX
