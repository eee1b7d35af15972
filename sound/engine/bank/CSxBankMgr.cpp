#include "sound/engine/bank/CSxBankMgr.h"

#include <algorithm>
#include <cstring>

#include "core/Logger.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxBankMgr* g_pBankMgr = nullptr;

namespace {
thread_local bool t_onBankThread = false;
constexpr uint32_t kReleaseBatch = 255;
constexpr uint32_t kMinStack = 64 * 1024;

struct UnloadWaiter {
    platform::Event done{false, false};
};
void SetWaiter(SxBankID, SXRESULT, SxMemPoolId, void* cookie) { static_cast<UnloadWaiter*>(cookie)->done.Set(); }
}  // namespace

void CSxLoadedBank::Release() {
    if (g_pBankMgr) g_pBankMgr->ReleaseBank(this);
}

CSxBankMgr::~CSxBankMgr() { Term(); }

SXRESULT CSxBankMgr::Init(const SxThreadProperties& thread, SxMemPoolId mediaPool) {
    if (m_thread) return SX_Fail;
    m_mediaPool = mediaPool;
    m_stop = false;
    SxSetNodesCarryFeedbackBus(false);  // until a bank header says otherwise
    // The hierarchy readers run on this thread: a stack below 64 KB is raised to it.
    SxThreadProperties properties = thread;
    if (properties.stackSize < kMinStack) properties.stackSize = kMinStack;
    SxThread::Create([](void* self) { static_cast<CSxBankMgr*>(self)->ThreadMain(); }, this, properties, m_thread,
                     "SX::BankManager");
    return m_thread ? SX_Success : SX_Fail;
}

void CSxBankMgr::StopThread() {
    if (!m_thread) return;
    m_stop = true;
    m_wake.Set();
    m_thread->Join();
    m_thread.reset();
}

void CSxBankMgr::Term() {
    StopThread();
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.clear();
    }
    ClearPreparedEvents();
    std::vector<CSxLoadedBank*> banks;
    {
        platform::Lock lock(m_bankLock);
        for (auto& entry : m_banks) banks.push_back(entry.second);
        m_banks.clear();
        banks.insert(banks.end(), m_unloading.begin(), m_unloading.end());
        m_unloading.clear();
    }
    for (CSxLoadedBank* bank : banks) {
        bank->m_preparations = 0;
        bank->m_unloadCallback = nullptr;
        DiscardBank(bank);
    }
    platform::Lock lock(m_mediaLock);
    for (auto& entry : m_media) MemoryMgr::Free(m_mediaPool, entry.second.own);
    m_media.clear();
    m_bankNames.clear();
}

bool CSxBankMgr::BankThreadIsCurrent() const { return t_onBankThread; }

SXRESULT CSxBankMgr::QueueBankCommand(SxBankCommand command) {
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (command.callback) {
        const SXRESULT result = m_callbacks.AddCookie(command.cookie);
        if (result != SX_Success) return result;
    }
    try {
        m_queue.push_back(std::move(command));
    } catch (const std::bad_alloc&) {
        if (command.callback) m_callbacks.RemoveCookie(command.cookie);
        return SX_Fail;
    }
    m_wake.Set();
    return SX_Success;
}

void CSxBankMgr::ThreadMain() {
    t_onBankThread = true;
    while (!m_stop) {
        m_wake.Wait();
        while (!m_stop) {
            SxBankCommand command;
            {
                std::lock_guard<std::mutex> lock(m_queueLock);
                if (m_queue.empty()) break;
                command = std::move(m_queue.front());
                m_queue.pop_front();
            }
            Execute(command);
        }
    }
    t_onBankThread = false;
}

void CSxBankMgr::Complete(const SxBankCommand& command, SxBankID bankID, SXRESULT result, SxMemPoolId pool) {
    m_callbacks.DoCallback(command.callback, bankID, result, pool, command.cookie);
}

void CSxBankMgr::Execute(SxBankCommand& command) {
    switch (command.type) {
        case SxBankCmd_Load: {
            const SXRESULT result = Load(command);
            return Complete(command, command.bankID, result, command.pool);
        }
        case SxBankCmd_Unload: {
            const SXRESULT result = Unload(command);
            // A bank that is unloading reports when the audio thread has freed it.
            if (result != SX_DataNeeded) Complete(command, command.bankID, result, command.pool);
            return;
        }
        case SxBankCmd_UnloadDone:
            return Complete(command, command.bankID, command.result, command.pool);
        case SxBankCmd_PrepareEvents:
        case SxBankCmd_UnprepareEvents: {
            const SXRESULT result =
                command.type == SxBankCmd_PrepareEvents ? PrepareEvents(command) : UnprepareEvents(command.ids);
            return Complete(command, command.ids.size() == 1 ? command.ids[0] : 0, result, SxInvalidPoolId);
        }
        case SxBankCmd_PrepareGameSyncs:
            return Complete(command, 0, PrepareGameSyncs(command), SxInvalidPoolId);
        case SxBankCmd_ClearPreparedEvents:
            return Complete(command, 0, ClearPreparedEvents(), SxInvalidPoolId);
        case SxBankCmd_PrepareBank:
            return Complete(command, command.bankID, PrepareBank(command.bankID, command.content, true),
                            SxInvalidPoolId);
        case SxBankCmd_UnprepareBank:
            return Complete(command, command.bankID, UnprepareBank(command.bankID, true), SxInvalidPoolId);
        case SxBankCmd_ClearBanks:
            return Complete(command, 0, ClearBanks(), SxInvalidPoolId);
        default:
            return;
    }
}

SxBankID CSxBankMgr::GetBankIDFromInMemorySpace(const void* memory, uint32_t size) {
    if (!memory || size < 24) return 0;
    uint32_t id;
    std::memcpy(&id, static_cast<const uint8_t*>(memory) + 12, 4);
    return id;
}

SxBankID CSxBankMgr::BankIDFromName(const char* name) {
    if (!name) return 0;
    char buffer[260];
    std::strncpy(buffer, name, sizeof buffer - 1);
    buffer[sizeof buffer - 1] = 0;
    if (char* dot = std::strchr(buffer, '.')) *dot = 0;
    const SxBankID id = SoundEngine::GetIDFromString(buffer);
    platform::Lock lock(m_bankLock);
    m_bankNames.emplace(id, std::string(buffer) + ".bnk");
    return id;
}

std::string CSxBankMgr::BankLabel(SxBankID bankID) {
    std::string label = "bank " + std::to_string(bankID);
    platform::Lock lock(m_bankLock);
    auto found = m_bankNames.find(bankID);
    return found == m_bankNames.end() ? label : label + " (" + found->second + ")";
}

std::unique_ptr<ISxBankSource> CSxBankMgr::OpenByID(SxBankID bankID) {
    std::string name;
    {
        platform::Lock lock(m_bankLock);
        auto found = m_bankNames.find(bankID);
        if (found != m_bankNames.end()) name = found->second;
    }
    return SxOpenBank(name.empty() ? nullptr : name.c_str(), bankID);
}

std::unique_ptr<ISxBankSource> CSxBankMgr::Open(const SxBankCommand& command) {
    if (command.openMode == SxBankOpen_Memory)
        return std::unique_ptr<ISxBankSource>(new SxMemoryBankSource(command.memory, command.memorySize));
    if (command.openMode == SxBankOpen_ByID) return SxOpenBank(nullptr, command.bankID);
    return OpenByID(command.bankID);
}

CSxLoadedBank* CSxBankMgr::NewBank(SxBankID bankID, SxMemPoolId pool) {
    return SxNew<CSxLoadedBank>(g_DefaultPoolId, bankID, pool);
}

SXRESULT CSxBankMgr::Load(const SxBankCommand& command) {
    CSxLoadedBank* bank;
    {
        platform::Lock lock(m_bankLock);
        auto found = m_banks.find(command.bankID);
        bank = found != m_banks.end() ? found->second : nullptr;
        if (bank && bank->Has(SxBankFlag_Loaded)) return SX_BankAlreadyLoaded;
    }
    const bool prepared = bank != nullptr;
    if (!bank) {
        bank = NewBank(command.bankID, command.pool);
        if (!bank) return SX_Fail;
    } else {
        bank->m_refs.fetch_add(1);
    }
    std::unique_ptr<ISxBankSource> source = Open(command);
    SXRESULT result = source ? SX_Success : SX_FileNotFound;
    if (!source) SD_WARNING(Debug::kLogSevere, "%s could not be opened", BankLabel(command.bankID).c_str());
    if (result == SX_Success) result = ReadBank(*source, *bank, SxBankLoad_Load);
    if (result != SX_Success) {
        SD_WARNING(Debug::kLogSevere, "%s failed to load with %d", BankLabel(command.bankID).c_str(), result);
        if (prepared) {
            ReleaseObjects(*bank);
            bank->m_refs.fetch_sub(1);
        } else {
            DiscardBank(bank);
        }
        return result;
    }
    bank->Set(SxBankFlag_Loaded);
    platform::Lock lock(m_bankLock);
    m_banks.emplace(command.bankID, bank);
    return SX_Success;
}

void CSxBankMgr::ReleaseObjects(CSxLoadedBank& bank) {
    std::vector<CSxIndexable*> objects;
    objects.swap(bank.m_objects);
    for (size_t i = 0; i < objects.size();) {
        platform::Lock lock(g_csMain);
        for (uint32_t n = 0; n < kReleaseBatch && i < objects.size(); ++n, ++i) objects[i]->Release();
    }
}

void CSxBankMgr::DiscardBank(CSxLoadedBank* bank) {
    ReleaseObjects(*bank);
    WithdrawMedia(*bank);
    FreeBankData(*bank);
    SxDelete(g_DefaultPoolId, bank);
}

void CSxBankMgr::FreeBankData(CSxLoadedBank& bank) {
    if (bank.m_data && !bank.m_dataInPlace) {
        void* data = const_cast<uint8_t*>(bank.m_data);
        if (bank.m_ownPool) {
            MemoryMgr::DestroyPool(bank.m_pool);
            bank.m_pool = SxInvalidPoolId;
            bank.m_ownPool = false;
        } else {
            MemoryMgr::Free(bank.m_pool, data);
        }
    }
    bank.m_data = nullptr;
    bank.m_dataSize = 0;
    bank.m_dataInPlace = false;
}

void CSxBankMgr::StartUnload(CSxLoadedBank* bank, SxBankCallbackFunc callback, void* cookie, bool direct) {
    ReleaseObjects(*bank);
    {
        platform::Lock lock(m_bankLock);
        bank->m_unloadCallback = callback;
        bank->m_unloadCookie = cookie;
        bank->m_unloadCallbackDirect = direct;
        bank->Set(SxBankFlag_Unloading);
        bank->Clear(SxBankFlag_Loaded);
        m_unloading.push_back(bank);
    }
    // The audio thread drops the last reference after what was queued before it, so that no
    // message still on its way meets a freed bank.
    SxMsgBankRelease record;
    record.bank = bank;
    if (!g_pAudioMgr || g_pAudioMgr->Enqueue(record.header, sizeof record) != SX_Success) {
        ReleaseBank(bank);
        return;
    }
    SoundEngine::RenderAudio();
}

SXRESULT CSxBankMgr::Unload(const SxBankCommand& command) {
    CSxLoadedBank* bank;
    {
        platform::Lock lock(m_bankLock);
        auto found = m_banks.find(command.bankID);
        if (found == m_banks.end()) return SX_Success;
        bank = found->second;
        if (!bank->Has(SxBankFlag_Loaded)) {
            m_banks.erase(found);
            return SX_Success;
        }
        if (bank->m_preparations == 0) m_banks.erase(found);
    }
    if (bank->m_preparations > 0) {
        // Still prepared: the record stays for its preparations, without its loaded objects.
        ReleaseObjects(*bank);
        bank->Clear(SxBankFlag_Loaded);
        bank->m_refs.fetch_sub(1);
        return SX_Success;
    }
    StartUnload(bank, command.callback, command.cookie, false);
    return SX_DataNeeded;
}

void CSxBankMgr::ReleaseBank(CSxLoadedBank* bank) {
    SxBankCommand done;
    bool report = false;
    bool direct = false;
    {
        platform::Lock lock(m_bankLock);
        if (bank->m_refs.fetch_sub(1) > 1) return;
        WithdrawMedia(*bank);
        FreeBankData(*bank);
        if (bank->m_preparations > 0) return;
        m_unloading.erase(std::remove(m_unloading.begin(), m_unloading.end(), bank), m_unloading.end());
        done.type = SxBankCmd_UnloadDone;
        done.callback = bank->m_unloadCallback;
        done.cookie = bank->m_unloadCookie;
        done.bankID = bank->ID();
        done.pool = bank->m_pool;
        done.result = SX_Success;
        report = done.callback != nullptr;
        direct = bank->m_unloadCallbackDirect;
        SxDelete(g_DefaultPoolId, bank);
    }
    if (!report) return;
    if (direct) {
        done.callback(done.bankID, done.result, done.pool, done.cookie);
        return;
    }
    // The caller's callback runs on the bank thread, where no lock is held; its cookie was
    // counted when the unload was queued.
    std::lock_guard<std::mutex> lock(m_queueLock);
    m_queue.push_back(std::move(done));
    m_wake.Set();
}

SXRESULT CSxBankMgr::ClearBanks() {
    std::vector<CSxLoadedBank*> banks;
    {
        platform::Lock lock(m_bankLock);
        for (auto it = m_banks.begin(); it != m_banks.end();) {
            if (it->second->Has(SxBankFlag_Loaded) && it->second->m_preparations == 0) {
                banks.push_back(it->second);
                it = m_banks.erase(it);
            } else {
                ++it;
            }
        }
    }
    UnloadWaiter waiter;
    for (auto it = banks.rbegin(); it != banks.rend(); ++it) {
        StartUnload(*it, SetWaiter, &waiter, true);
        waiter.done.Wait();
    }
    return SX_Success;
}

}  // namespace SX
