// Preparation: the structure of banks, and the media of events and game syncs, loaded ahead of
// play and counted, so that the last unpreparation frees them.
#include <algorithm>
#include <string>
#include <unordered_set>

#include "core/Logger.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/events/CSxAction.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
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
        if (bank->Has(SxBankFlag_Loaded))
            bank = nullptr;
        else
            m_banks.erase(found);
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

SxBankID CSxBankMgr::BankListing(SxUniqueID mediaID) {
    platform::Lock lock(m_bankLock);
    for (const auto& entry : m_banks)
        for (const SxMediaIndexEntry& media : entry.second->m_mediaIndex)
            if (media.mediaID == mediaID) return entry.first;
    return 0;
}

SXRESULT CSxBankMgr::PrepareCollectedMedia() {
    // The media no bank in memory holds, per bank file to read them from.
    std::unordered_map<SxBankID, std::unordered_set<SxUniqueID>> byBank;
    for (const CollectedMedia& item : m_collected) {
        {
            platform::Lock lock(m_mediaLock);
            auto found = m_media.find(item.media);
            if (found != m_media.end() && (found->second.own || !found->second.holders.empty())) continue;
        }
        const SxBankID bank = item.bank != 0 && item.bank != kNoBank ? item.bank : BankListing(item.media);
        if (bank == 0) {
            SD_WARNING(Debug::kLogSevere, "media %u to prepare is in no bank known", item.media);
            return SX_IDNotFound;
        }
        byBank[bank].insert(item.media);
    }
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
    // Each item takes its own reference, for the node that asked; the reading pass lets go of
    // its own after.
    size_t taken = 0;
    while (result == SX_Success && taken < m_collected.size()) {
        result = TakeMedia(m_collected[taken].media);
        if (result == SX_Success) ++taken;
    }
    if (result != SX_Success)
        while (taken-- > 0) DropMediaReference(m_collected[taken].media);
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
    SxBankID bankID = 0;  // the bank of the last play action: the one a failure names
    for (uint32_t i = 0; i < event->ActionCount() && result == SX_Success; ++i) {
        auto* play = dynamic_cast<CSxActionPlay*>(event->GetAction(i));
        if (!play || play->ActionType() != kPlayAction) continue;
        bankID = play->BankID();
        if (bankID != kNoBank && bankID != 0) {
            result = PrepareBank(bankID, SxBankContent_StructureOnly, false);
            if (result != SX_Success) break;
            prepared.banks.push_back(bankID);
        }
        CSxIndexable* target = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, play->TargetID());
        if (!target) continue;
        // The target lists its media, found in the action's bank.
        m_collectBank = bankID;
        platform::Lock lock(g_csMain);
        auto* node = static_cast<CSxParameterNodeBase*>(target);
        result = node->PrepareData();
        if (result == SX_Success)
            prepared.targets.push_back(node);
        else
            target->Release();
    }
    m_collectBank = 0;
    if (result != SX_Success) {
        const std::string from = bankID != 0 && bankID != kNoBank ? BankLabel(bankID) : "the loaded banks";
        SD_WARNING(Debug::kLogSevere, "event %u could not be prepared from %s: %d", eventID, from.c_str(), result);
        UnprepareEvent(prepared);
        return result;
    }
    prepared.count = 1;
    m_preparedEvents.emplace(eventID, std::move(prepared));
    return SX_Success;
}

void CSxBankMgr::UnprepareEvent(PreparedEvent& prepared) {
    {
        platform::Lock lock(g_csMain);
        for (auto it = prepared.targets.rbegin(); it != prepared.targets.rend(); ++it) {
            (*it)->UnPrepareData();
            (*it)->Release();
        }
    }
    for (auto it = prepared.banks.rbegin(); it != prepared.banks.rend(); ++it) UnprepareBank(*it, false);
    platform::Lock lock(g_csMain);
    prepared.event->Release();
    prepared = PreparedEvent();
}

SXRESULT CSxBankMgr::PrepareEvents(const SxBankCommand& command) {
    m_collected.clear();
    m_collecting = true;
    SXRESULT result = SX_Success;
    size_t prepared = 0;
    for (; prepared < command.ids.size() && result == SX_Success; ++prepared)
        result = PrepareEvent(command.ids[prepared]);
    if (result != SX_Success) --prepared;
    if (result == SX_Success) result = PrepareCollectedMedia();
    // Undone while still collecting: the media references are already given back.
    if (result != SX_Success)
        UnprepareEvents(std::vector<uint32_t>(command.ids.begin(), command.ids.begin() + prepared));
    m_collecting = false;
    m_collected.clear();
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

SXRESULT CSxBankMgr::PrepareGameSyncs(const SxBankCommand& command) {
    if (!g_pStateMgr) return SX_Fail;
    const auto type = static_cast<SxGroupType>(command.groupType);
    auto setAll = [&](size_t count, bool prepare) {
        platform::Lock lock(g_csMain);
        for (size_t i = 0; i < count; ++i) g_pStateMgr->PrepareGameSync(type, command.groupID, command.ids[i], prepare);
    };
    if (!command.prepare) {
        setAll(command.ids.size(), false);
        return SX_Success;
    }
    // The nodes that follow the group list their media; they are read once all are prepared.
    m_collected.clear();
    m_collecting = true;
    SXRESULT result = SX_Success;
    size_t prepared = 0;
    {
        platform::Lock lock(g_csMain);
        for (; prepared < command.ids.size() && result == SX_Success; ++prepared)
            result = g_pStateMgr->PrepareGameSync(type, command.groupID, command.ids[prepared], true);
        if (result != SX_Success) --prepared;
    }
    if (result == SX_Success) result = PrepareCollectedMedia();
    // Undone while still collecting: the media references are already given back.
    if (result != SX_Success) setAll(prepared, false);
    m_collecting = false;
    m_collected.clear();
    return result;
}

}  // namespace SX
