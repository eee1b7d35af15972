// Preparation: the structure of banks, and the media of events and game syncs, loaded ahead of
// play and counted, so that the last unpreparation frees them.
#include <algorithm>
#include <unordered_set>

#include "core/Logger.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/events/CSxAction.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/states/CSxStateMgr.h"

namespace SX {

namespace {
constexpr uint16_t kPlayAction = 0x0403;
constexpr SxBankID kNoBank = 0xFFFFFFFFu;
void Saturated(uint32_t& count) {
    if (count < UINT32_MAX) ++count;
}
}  // namespace

SXRESULT CSxBankMgr::PrepareBank(SxBankID bankID, uint32_t content, bool byCommand) {
    const bool withMedia = content == SxBankContent_All;
    CSxLoadedBank* bank = nullptr;
    {
        platform::Lock lock(m_bankLock);
        auto found = m_banks.find(bankID);
        if (found != m_banks.end()) {
            bank = found->second;
            Saturated(bank->m_preparations);
            if (byCommand) Saturated(bank->m_bankPreparations);
            if (!withMedia || bank->Has(SxBankFlag_MediaPrepared)) return SX_Success;
        }
    }
    std::unique_ptr<ISxBankSource> source = OpenByID(bankID);
    if (!source) {
        if (bank) UnprepareBank(bankID, byCommand);
        return SX_FileNotFound;
    }
    if (bank) {
        // Present already: only its media are added.
        const SXRESULT result = ReadBank(*source, *bank, SxBankLoad_MediaOnly);
        if (result != SX_Success) UnprepareBank(bankID, byCommand);
        return result;
    }
    bank = NewBank(bankID, SxInvalidPoolId);
    if (!bank) return SX_Fail;
    const SXRESULT result = ReadBank(*source, *bank, withMedia ? SxBankLoad_Prepare : SxBankLoad_StructureOnly);
    if (result != SX_Success) {
        DiscardBank(bank);
        return result;
    }
    bank->m_preparations = 1;
    bank->m_bankPreparations = byCommand ? 1 : 0;
    platform::Lock lock(m_bankLock);
    m_banks.emplace(bankID, bank);
    return SX_Success;
}

SXRESULT CSxBankMgr::UnprepareBank(SxBankID bankID, bool byCommand) {
    CSxLoadedBank* bank;
    {
        platform::Lock lock(m_bankLock);
        auto found = m_banks.find(bankID);
        if (found == m_banks.end()) return SX_Success;
        bank = found->second;
        if (byCommand && bank->m_bankPreparations > 0) --bank->m_bankPreparations;
        if (bank->m_preparations > 0) --bank->m_preparations;
        if (bank->m_preparations > 0) return SX_Success;
        if (bank->Has(SxBankFlag_Loaded)) bank = nullptr;
        else m_banks.erase(found);
    }
    if (!bank) {
        // Still loaded: only the media the preparation copied go.
        platform::Lock lock(m_bankLock);
        CSxLoadedBank* loaded = m_banks[bankID];
        if (loaded->Has(SxBankFlag_MediaPrepared)) {
            for (const SxMediaIndexEntry& entry : loaded->m_mediaIndex) DropMediaReference(entry.mediaID);
            loaded->Clear(SxBankFlag_MediaPrepared);
        }
        return SX_Success;
    }
    if (bank->Has(SxBankFlag_MediaPrepared))
        for (const SxMediaIndexEntry& entry : bank->m_mediaIndex) DropMediaReference(entry.mediaID);
    // A source may still play media of a bank that was loaded too: its data goes with the
    // last reference.
    ReleaseObjects(*bank);
    bank->Set(SxBankFlag_Unloading);
    ReleaseBank(bank);
    return SX_Success;
}

SXRESULT CSxBankMgr::PrepareCollectedMedia() {
    std::unordered_map<SxBankID, std::unordered_set<SxUniqueID>> byBank;
    for (const CollectedMedia& item : m_collected) byBank[item.bank].insert(item.media);
    std::vector<SxUniqueID> copied;
    SXRESULT result = SX_Success;
    for (const auto& bankMedia : byBank) {
        std::unique_ptr<ISxBankSource> source = OpenByID(bankMedia.first);
        CSxLoadedBank* reader = source ? NewBank(bankMedia.first, SxInvalidPoolId) : nullptr;
        if (!reader) {
            result = source ? SX_Fail : SX_FileNotFound;
            break;
        }
        m_mediaFilter = &bankMedia.second;
        m_copied = &copied;
        result = ReadBank(*source, *reader, SxBankLoad_MediaOnly);
        m_mediaFilter = nullptr;
        m_copied = nullptr;
        DiscardBank(reader);
        if (result != SX_Success) break;
    }
    // Each event takes its own reference; the reading pass lets go of its own after.
    for (size_t i = 0; i < m_collected.size() && result == SX_Success; ++i) {
        const CollectedMedia& item = m_collected[i];
        result = PrepareMedia(item.media);
        if (result == SX_Success) m_preparedEvents[item.event].media.push_back(item.media);
    }
    for (SxUniqueID media : copied) DropMediaReference(media);
    return result;
}

SXRESULT CSxBankMgr::PrepareEvent(SxUniqueID eventID) {
    auto known = m_preparedEvents.find(eventID);
    if (known != m_preparedEvents.end()) {
        Saturated(known->second.count);
        return SX_Success;
    }
    CSxIndexable* object = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Event, eventID) : nullptr;
    if (!object) return SX_IDNotFound;
    PreparedEvent prepared;
    prepared.event = object;
    auto* event = static_cast<CSxEvent*>(object);
    SXRESULT result = SX_Success;
    for (uint32_t i = 0; i < event->ActionCount() && result == SX_Success; ++i) {
        auto* play = dynamic_cast<CSxActionPlay*>(event->GetAction(i));
        if (!play || play->ActionType() != kPlayAction) continue;
        const SxBankID bankID = play->BankID();
        if (bankID != kNoBank && bankID != 0) {
            result = PrepareBank(bankID, SxBankContent_StructureOnly, false);
            if (result != SX_Success) break;
            prepared.banks.push_back(bankID);
        }
        CSxIndexable* target = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, play->TargetID());
        if (!target) continue;
        if (target->IndexableType() == 4) {
            const CSxSource& source = static_cast<CSxSound*>(target)->Source();
            if (source.Kind() == CSxSource::kKindInMemory) {
                if (PrepareMedia(source.MediaID()) == SX_Success)
                    prepared.media.push_back(source.MediaID());
                else if (bankID != kNoBank)
                    m_collected.push_back({eventID, bankID, source.MediaID()});
                else
                    result = SX_IDNotFound;
            }
        }
        platform::Lock lock(g_csMain);
        target->Release();
    }
    if (result != SX_Success) {
        SD_WARNING(1, "event %u could not be prepared: %d", eventID, result);
        UnprepareEvent(prepared);
        return result;
    }
    prepared.count = 1;
    m_preparedEvents.emplace(eventID, std::move(prepared));
    return SX_Success;
}

void CSxBankMgr::UnprepareEvent(PreparedEvent& prepared) {
    for (auto it = prepared.media.rbegin(); it != prepared.media.rend(); ++it) UnprepareMedia(*it);
    for (auto it = prepared.banks.rbegin(); it != prepared.banks.rend(); ++it) UnprepareBank(*it, false);
    platform::Lock lock(g_csMain);
    prepared.event->Release();
    prepared = PreparedEvent();
}

SXRESULT CSxBankMgr::PrepareEvents(const SxBankCommand& command) {
    m_collected.clear();
    SXRESULT result = SX_Success;
    size_t prepared = 0;
    for (; prepared < command.ids.size() && result == SX_Success; ++prepared) result = PrepareEvent(command.ids[prepared]);
    if (result != SX_Success) --prepared;
    if (result == SX_Success) result = PrepareCollectedMedia();
    m_collected.clear();
    if (result != SX_Success)
        UnprepareEvents(std::vector<uint32_t>(command.ids.begin(), command.ids.begin() + prepared));
    return result;
}

SXRESULT CSxBankMgr::UnprepareEvents(const std::vector<uint32_t>& ids) {
    for (uint32_t id : ids) {
        auto found = m_preparedEvents.find(id);
        if (found == m_preparedEvents.end()) return SX_IDNotFound;
        if (--found->second.count > 0) continue;
        UnprepareEvent(found->second);
        m_preparedEvents.erase(found);
    }
    return SX_Success;
}

SXRESULT CSxBankMgr::ClearPreparedEvents() {
    for (auto& entry : m_preparedEvents) UnprepareEvent(entry.second);
    m_preparedEvents.clear();
    return SX_Success;
}

uint32_t CSxBankMgr::EventPreparationCount(SxUniqueID eventID) {
    auto found = m_preparedEvents.find(eventID);
    return found == m_preparedEvents.end() ? 0 : found->second.count;
}

SXRESULT CSxBankMgr::PrepareGameSyncs(const SxBankCommand& command) {
    if (!g_pStateMgr) return SX_Fail;
    const auto type = static_cast<SxGroupType>(command.groupType);
    platform::Lock lock(g_csMain);
    for (size_t i = 0; i < command.ids.size(); ++i) {
        const SXRESULT result = g_pStateMgr->PrepareGameSync(type, command.groupID, command.ids[i], command.prepare);
        if (result != SX_Success && command.prepare) {
            while (i-- > 0) g_pStateMgr->PrepareGameSync(type, command.groupID, command.ids[i], false);
            return result;
        }
    }
    return SX_Success;
}

}  // namespace SX
