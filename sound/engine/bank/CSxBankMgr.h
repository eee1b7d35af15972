#pragma once
// The bank manager: every bank in memory, the media table that in-memory sources play from,
// the prepared events and banks, and the bank thread "SX::BankManager" that runs the bank
// commands queued by the bank calls.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/os/Threads.h"
#include "sound/engine/bank/CSxBankCallbackMgr.h"
#include "sound/engine/bank/CSxLoadedBank.h"
#include "sound/engine/bank/SxBankTypes.h"
#include "sound/engine/thread/SxThread.h"

namespace SX {

class CSxIndexable;
class CSxParameterNodeBase;
class ISxBankSource;

// Media handed to a source: the bytes, and the bank that holds them (null when the media
// table holds its own copy). Give it back with CSxBankMgr::ReleaseMedia.
struct SxMediaRef {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    CSxLoadedBank* bank = nullptr;
};

enum SxBankLoadMode : uint32_t {
    SxBankLoad_Load = 0,     // structure, media data kept whole
    SxBankLoad_Prepare = 1,  // structure, media copied one by one
    SxBankLoad_StructureOnly = 2,
    SxBankLoad_MediaOnly = 3,
};

class CSxBankMgr {
public:
    static constexpr uint32_t kFormatVersion = 62;

    CSxBankMgr() = default;
    ~CSxBankMgr();
    CSxBankMgr(const CSxBankMgr&) = delete;
    CSxBankMgr& operator=(const CSxBankMgr&) = delete;

    // Starts the bank thread; SX_Fail when it cannot.
    SXRESULT Init(const SxThreadProperties& thread, SxMemPoolId mediaPool);
    void StopThread();
    // Drops queued commands unrun, clears preparations, frees every bank (no callbacks).
    void Term();

    SXRESULT QueueBankCommand(SxBankCommand command);
    CSxBankCallbackMgr& Callbacks() { return m_callbacks; }

    // The bank ID at offset 12 of a bank in memory; 0 below 24 bytes.
    static SxBankID GetBankIDFromInMemorySpace(const void* memory, uint32_t size);
    // Hashes the name cut at its first "." and keeps the name to open the file by.
    SxBankID BankIDFromName(const char* name);
    // How log lines name a bank: "bank 123 (Seasons.bnk)" where its file name is known.
    std::string BankLabel(SxBankID bankID);

    // Media for a source, from the audio thread: false when the media is not known or every
    // bank holding it is unloading.
    bool GetMedia(SxUniqueID mediaID, SxMediaRef& out);
    void ReleaseMedia(SxUniqueID mediaID);
    // Both references of a GetMedia.
    void ReleaseMedia(SxUniqueID mediaID, const SxMediaRef& media);
    // Media a node prepares ahead of play, one reference each. Within a preparation command
    // (the bank thread) the media are only listed, and read once the command's nodes are all
    // prepared; an unpreparation there undoes a listing, so it takes nothing back. Elsewhere
    // the media are copied out of a loaded bank holding them.
    SXRESULT PrepareMedia(SxUniqueID mediaID);
    void UnprepareMedia(SxUniqueID mediaID);

    bool BankThreadIsCurrent() const;

    // Reads a whole bank into the record (the bank thread's worker, public for the fuzz target
    // and the benchmarks): on failure the objects read so far stay in the record.
    SXRESULT ReadBank(ISxBankSource& source, CSxLoadedBank& bank, SxBankLoadMode mode);
    // Releases a record that was never listed: its objects, its media and the record.
    void DiscardBank(CSxLoadedBank* bank);

private:
    friend struct platform::TestProbe<CSxBankMgr>;

    friend class CSxLoadedBank;
    struct PreparedEvent {
        uint32_t count = 0;  // saturating
        CSxIndexable* event = nullptr;
        std::vector<SxBankID> banks;
        std::vector<CSxParameterNodeBase*> targets;  // prepared, one reference each
    };
    struct MediaHolder {
        CSxLoadedBank* bank;
        const uint8_t* data;
        uint32_t size;
    };
    struct MediaEntry {
        uint8_t* own = nullptr;  // from the media pool
        uint32_t ownSize = 0;
        std::vector<MediaHolder> holders;
        uint32_t refs = 0;
    };

    void ThreadMain();
    void Execute(SxBankCommand& command);
    void Complete(const SxBankCommand& command, SxBankID bankID, SXRESULT result, SxMemPoolId pool);

    SXRESULT Load(const SxBankCommand& command);
    SXRESULT Unload(const SxBankCommand& command);
    SXRESULT ClearBanks();
    SXRESULT PrepareEvents(const SxBankCommand& command);
    SXRESULT UnprepareEvents(const std::vector<uint32_t>& ids);
    SXRESULT PrepareEvent(SxUniqueID eventID);
    void UnprepareEvent(PreparedEvent& prepared);
    // Takes a reference on each listed media item, reading from its bank's file those not in
    // memory; a failure gives back the references taken.
    SXRESULT PrepareCollectedMedia();
    // Copies media out of a loaded bank holding it (one reference).
    SXRESULT TakeMedia(SxUniqueID mediaID);
    // A bank in memory whose media index lists the media; 0 when none.
    SxBankID BankListing(SxUniqueID mediaID);
    SXRESULT ClearPreparedEvents();
    SXRESULT PrepareGameSyncs(const SxBankCommand& command);
    SXRESULT PrepareBank(SxBankID bankID, uint32_t content, bool byCommand);
    SXRESULT UnprepareBank(SxBankID bankID, bool byCommand);

    std::unique_ptr<ISxBankSource> Open(const SxBankCommand& command);
    std::unique_ptr<ISxBankSource> OpenByID(SxBankID bankID);
    CSxLoadedBank* NewBank(SxBankID bankID, SxMemPoolId pool);
    // Releases a bank's objects in batches under the global audio lock.
    static void ReleaseObjects(CSxLoadedBank& bank);
    // Marks the bank unloading and hands its last reference to the audio thread.
    void StartUnload(CSxLoadedBank* bank, SxBankCallbackFunc callback, void* cookie, bool direct);
    void ReleaseBank(CSxLoadedBank* bank);
    void FreeBankData(CSxLoadedBank& bank);

    // Chunks.
    SXRESULT ReadMediaIndex(const uint8_t* body, uint32_t size, CSxLoadedBank& bank);
    // ReadBank without its guard against a reader running out of memory.
    SXRESULT ReadBankChunks(ISxBankSource& source, CSxLoadedBank& bank, SxBankLoadMode mode);
    SXRESULT ReadData(ISxBankSource& source, uint32_t size, CSxLoadedBank& bank);
    SXRESULT ReadStringTable(const uint8_t* body, uint32_t size);
    SXRESULT IndexMedia(CSxLoadedBank& bank);
    SXRESULT CopyMedia(CSxLoadedBank& bank);
    void WithdrawMedia(CSxLoadedBank& bank);
    void DropMediaReference(SxUniqueID mediaID);

    // Commands run on the bank thread; game threads queue them and look banks and media up.
    // m_bankLock guards m_banks, m_unloading and m_bankNames; m_mediaLock guards m_media. Take
    // m_bankLock first when both are needed.
    platform::CriticalSection m_bankLock;  // before m_mediaLock
    platform::CriticalSection m_mediaLock;
    std::unordered_map<SxBankID, CSxLoadedBank*> m_banks;
    std::vector<CSxLoadedBank*> m_unloading;                // out of the list, waiting for the audio thread
    std::unordered_map<SxBankID, std::string> m_bankNames;  // "<name>.bnk"
    std::unordered_map<SxUniqueID, MediaEntry> m_media;
    std::unordered_map<SxUniqueID, PreparedEvent> m_preparedEvents;
    // Media the nodes of a preparation command asked for, with the bank that holds them (0:
    // any bank that lists them), read afterwards in one pass per bank file.
    struct CollectedMedia {
        SxBankID bank;
        SxUniqueID media;
    };
    // m_preparedEvents, the collection fields and m_mediaFilter and m_copied: the bank
    // thread's, used only while it executes a command (and by Term once it has stopped).
    bool m_collecting = false;
    SxBankID m_collectBank = 0;
    std::vector<CollectedMedia> m_collected;
    const std::unordered_set<SxUniqueID>* m_mediaFilter = nullptr;  // media a media-only read copies
    std::vector<SxUniqueID>* m_copied = nullptr;                    // and the references it took
    SxMemPoolId m_mediaPool = SxInvalidPoolId;

    // The command queue: game threads push, the bank thread pops.
    std::mutex m_queueLock;
    std::deque<SxBankCommand> m_queue;  // guarded by m_queueLock
    platform::Event m_wake{false, false};
    std::atomic<bool> m_stop{false};
    SxThreadHandle m_thread;
    CSxBankCallbackMgr m_callbacks;
};

extern CSxBankMgr* g_pBankMgr;

}  // namespace SX
