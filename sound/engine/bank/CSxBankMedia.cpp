// The media table: per media ID, its own copy of the bytes or the loaded banks whose data
// holds them. The audio thread takes media for its sources; the bank thread enters and
// withdraws the media of the banks it loads and frees.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/Logger.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {
// An entry's bytes must lie inside the bank's data; the index need not be sorted.
bool InsideData(const SxMediaIndexEntry& entry, uint32_t dataSize) {
    return uint64_t(entry.offset) + entry.size <= dataSize;
}
}  // namespace

SXRESULT CSxBankMgr::IndexMedia(CSxLoadedBank& bank) {
    for (const SxMediaIndexEntry& entry : bank.m_mediaIndex) {
        if (!InsideData(entry, bank.m_dataSize)) {
            SD_WARNING(Debug::kLogSevere, "%s: media %u (offset %u, %u bytes) lies outside its %u bytes of data",
                       BankLabel(bank.ID()).c_str(), entry.mediaID, entry.offset, entry.size, bank.m_dataSize);
            return SX_InvalidFile;
        }
    }
    platform::Lock lock(m_mediaLock);
    try {
        for (; bank.m_mediaIndexed < bank.m_mediaIndex.size(); ++bank.m_mediaIndexed) {
            const SxMediaIndexEntry& entry = bank.m_mediaIndex[bank.m_mediaIndexed];
            MediaEntry& media = m_media[entry.mediaID];
            if (!media.own) media.holders.push_back({&bank, bank.m_data + entry.offset, entry.size});
            if (media.refs < UINT32_MAX) ++media.refs;
        }
    } catch (const std::bad_alloc&) {
        return SX_InsufficientMemory;  // the caller withdraws what was entered
    }
    return SX_Success;
}

SXRESULT CSxBankMgr::CopyMedia(CSxLoadedBank& bank) {
    for (const SxMediaIndexEntry& entry : bank.m_mediaIndex)
        if (!InsideData(entry, bank.m_dataSize)) return SX_InvalidFile;
    platform::Lock lock(m_mediaLock);
    std::vector<SxUniqueID> taken;
    for (const SxMediaIndexEntry& entry : bank.m_mediaIndex) {
        if (m_mediaFilter && m_mediaFilter->count(entry.mediaID) == 0) continue;
        MediaEntry& media = m_media[entry.mediaID];
        if (!media.own && entry.size > 0) {
            media.own = static_cast<uint8_t*>(MemoryMgr::Malign(m_mediaPool, entry.size, 16));
            if (!media.own) {
                if (media.refs == 0) m_media.erase(entry.mediaID);
                for (auto it = taken.rbegin(); it != taken.rend(); ++it) DropMediaReference(*it);
                return SX_InsufficientMemory;
            }
            std::memcpy(media.own, bank.m_data + entry.offset, entry.size);
            media.ownSize = entry.size;
        }
        ++media.refs;
        taken.push_back(entry.mediaID);
        if (m_copied) m_copied->push_back(entry.mediaID);
    }
    if (!m_mediaFilter) bank.Set(SxBankFlag_MediaPrepared);
    return SX_Success;
}

void CSxBankMgr::DropMediaReference(SxUniqueID mediaID) {
    platform::Lock lock(m_mediaLock);
    auto found = m_media.find(mediaID);
    if (found == m_media.end()) return;
    if (found->second.refs > 0) --found->second.refs;
    if (found->second.refs > 0) return;
    MemoryMgr::Free(m_mediaPool, found->second.own);
    m_media.erase(found);
}

void CSxBankMgr::WithdrawMedia(CSxLoadedBank& bank) {
    platform::Lock lock(m_mediaLock);
    for (uint32_t i = 0; i < bank.m_mediaIndexed; ++i) {
        auto found = m_media.find(bank.m_mediaIndex[i].mediaID);
        if (found == m_media.end()) continue;
        auto& holders = found->second.holders;
        auto holder =
            std::find_if(holders.begin(), holders.end(), [&](const MediaHolder& h) { return h.bank == &bank; });
        if (holder != holders.end()) holders.erase(holder);
        DropMediaReference(found->first);
    }
    bank.m_mediaIndexed = 0;
}

bool CSxBankMgr::GetMedia(SxUniqueID mediaID, SxMediaRef& out) {
    out = SxMediaRef();
    platform::Lock bankLock(m_bankLock);
    platform::Lock lock(m_mediaLock);
    auto found = m_media.find(mediaID);
    if (found == m_media.end()) return false;
    MediaEntry& media = found->second;
    if (media.own) {
        ++media.refs;
        out.data = media.own;
        out.size = media.ownSize;
        return true;
    }
    for (const MediaHolder& holder : media.holders) {
        if (holder.bank->Has(SxBankFlag_Unloading)) continue;
        ++media.refs;
        holder.bank->AddRef();
        out.data = holder.data;
        out.size = holder.size;
        out.bank = holder.bank;
        return true;
    }
    return false;
}

void CSxBankMgr::ReleaseMedia(SxUniqueID mediaID) {
    platform::Lock bankLock(m_bankLock);
    DropMediaReference(mediaID);
}

void CSxBankMgr::ReleaseMedia(SxUniqueID mediaID, const SxMediaRef& media) {
    ReleaseMedia(mediaID);
    if (media.bank) media.bank->Release();
}

SXRESULT CSxBankMgr::PrepareMedia(SxUniqueID mediaID) {
    if (!m_collecting) return TakeMedia(mediaID);
    try {
        m_collected.push_back({m_collectBank, mediaID});
    } catch (const std::bad_alloc&) {
        return SX_InsufficientMemory;
    }
    return SX_Success;
}

SXRESULT CSxBankMgr::TakeMedia(SxUniqueID mediaID) {
    platform::Lock bankLock(m_bankLock);
    platform::Lock lock(m_mediaLock);
    auto found = m_media.find(mediaID);
    if (found == m_media.end()) return SX_IDNotFound;
    MediaEntry& media = found->second;
    if (!media.own) {
        if (media.holders.empty()) return SX_IDNotFound;
        const MediaHolder& holder = media.holders.front();
        if (holder.size > 0) {
            media.own = static_cast<uint8_t*>(MemoryMgr::Malign(m_mediaPool, holder.size, 16));
            if (!media.own) return SX_InsufficientMemory;
            std::memcpy(media.own, holder.data, holder.size);
            media.ownSize = holder.size;
        }
    }
    ++media.refs;
    return SX_Success;
}

void CSxBankMgr::UnprepareMedia(SxUniqueID mediaID) {
    if (!m_collecting) ReleaseMedia(mediaID);
}

}  // namespace SX
