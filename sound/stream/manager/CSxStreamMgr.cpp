#include "sound/stream/manager/CSxStreamMgr.h"

#include <atomic>
#include <cstring>
#include <cwchar>

#include "core/Logger.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/device/CSxDeviceBase.h"
#include "sound/stream/streams/CSxStmTask.h"

namespace SX::StreamMgr {

namespace {

SxMemPoolId g_poolId = SxInvalidPoolId;
std::atomic<ISxFileLocationResolver*> g_resolver{nullptr};
std::mutex g_languageLock;
wchar_t g_language[SX_MAX_LANGUAGE_NAME] = {};

CSxStreamMgr* Manager() { return static_cast<CSxStreamMgr*>(ISxStreamMgr::m_pStreamMgr); }

}  // namespace

ISxStreamMgr* Create(const SxStreamMgrSettings& settings) {
    if (!MemoryMgr::IsInitialized()) return nullptr;
    if (ISxStreamMgr::m_pStreamMgr) return ISxStreamMgr::m_pStreamMgr;
    {
        std::lock_guard<std::mutex> lock(g_languageLock);
        g_language[0] = 0;
    }
    g_poolId = MemoryMgr::CreatePool(nullptr, settings.memorySize, 32, SxMemPool_Heap, 0);
    if (g_poolId == SxInvalidPoolId) return nullptr;
    ISxStreamMgr::m_pStreamMgr = SxNew<CSxStreamMgr>(g_poolId);
    if (!ISxStreamMgr::m_pStreamMgr) {
        MemoryMgr::DestroyPool(g_poolId);
        g_poolId = SxInvalidPoolId;
    }
    return ISxStreamMgr::m_pStreamMgr;
}

void GetDefaultSettings(SxStreamMgrSettings& settings) { settings = SxStreamMgrSettings(); }
void GetDefaultDeviceSettings(SxDeviceSettings& settings) { settings = SxDeviceSettings(); }

ISxFileLocationResolver* GetFileLocationResolver() { return g_resolver.load(); }
void SetFileLocationResolver(ISxFileLocationResolver* resolver) { g_resolver.store(resolver); }

uint32_t CreateDevice(const SxDeviceSettings& settings, ISxLowLevelIOHook* hook) {
    return Manager() ? Manager()->CreateDevice(settings, hook) : SX_INVALID_DEVICE_ID;
}

SXRESULT DestroyDevice(uint32_t deviceID) {
    return Manager() ? Manager()->DestroyDevice(deviceID) : SX_InvalidParameter;
}

SXRESULT SetCurrentLanguage(const wchar_t* language) {
    if (!language) return SX_Fail;
    const size_t length = std::wcslen(language);
    if (length >= SX_MAX_LANGUAGE_NAME) return SX_Fail;
    if (length > 0 && (language[length - 1] == L'/' || language[length - 1] == L'\\')) return SX_Fail;
    wchar_t copy[SX_MAX_LANGUAGE_NAME];
    std::wmemcpy(copy, language, length + 1);
    {
        std::lock_guard<std::mutex> lock(g_languageLock);
        std::wmemcpy(g_language, copy, length + 1);
    }
    if (Manager()) Manager()->NotifyObservers(copy);
    return SX_Success;
}

const wchar_t* GetCurrentLanguage() { return g_language; }

void CopyCurrentLanguage(wchar_t (&language)[SX_MAX_LANGUAGE_NAME]) {
    std::lock_guard<std::mutex> lock(g_languageLock);
    std::wmemcpy(language, g_language, SX_MAX_LANGUAGE_NAME);
}

SXRESULT AddLanguageChangeObserver(SxLanguageChangeHandler handler, void* cookie) {
    return Manager() ? Manager()->AddObserver(handler, cookie) : SX_Fail;
}

void RemoveLanguageChangeObserver(void* cookie) {
    if (Manager()) Manager()->RemoveObserver(cookie);
}

SxMemPoolId GetPoolID() { return g_poolId; }

void DeleteReleasedTasksOfAllDevices() {
    if (Manager()) Manager()->DeleteReleasedTasks();
}

CSxStreamMgr::~CSxStreamMgr() {
    if (m_devices) MemoryMgr::Free(g_poolId, m_devices);
    if (m_abandoned) MemoryMgr::Free(g_poolId, m_abandoned);
    if (m_observers) MemoryMgr::Free(g_poolId, m_observers);
}

SXRESULT CSxStreamMgr::Destroy() {
    SetFileLocationResolver(nullptr);
    for (uint32_t id = 0; id < m_numDevices; ++id)
        if (m_devices[id]) DestroyDevice(id);
    uint32_t stillRunning = 0;
    for (uint32_t i = 0; i < m_numAbandoned; ++i)
        if (m_abandoned[i]->Destroy(kDeviceStopTimeoutMs) != SX_Success) ++stillRunning;
    if (stillRunning) {
        // Their threads still use the pool: it stays, and so does this record of it.
        SD_WARNING(Debug::kLogError, "Stream manager: %u device(s) still have open streams; their memory is not freed",
                   stillRunning);
        ISxStreamMgr::m_pStreamMgr = nullptr;
        g_poolId = SxInvalidPoolId;
        return SX_Fail;
    }
    const SxMemPoolId pool = g_poolId;
    SxDelete(pool, this);
    ISxStreamMgr::m_pStreamMgr = nullptr;
    const SXRESULT result = MemoryMgr::DestroyPool(pool);
    g_poolId = SxInvalidPoolId;
    return result;
}

template <typename T>
bool CSxStreamMgr::Grow(T*& array, uint32_t& count) {
    auto* grown = static_cast<T*>(MemoryMgr::Malloc(g_poolId, sizeof(T) * (count + 1)));
    if (!grown) return false;
    if (count) std::memcpy(static_cast<void*>(grown), array, sizeof(T) * count);
    if (array) MemoryMgr::Free(g_poolId, array);
    array = grown;
    ++count;
    return true;
}

uint32_t CSxStreamMgr::CreateDevice(const SxDeviceSettings& settings, ISxLowLevelIOHook* hook) {
    if (!hook) return SX_INVALID_DEVICE_ID;
    std::lock_guard<std::mutex> lock(m_lockDevices);
    uint32_t id = 0;
    while (id < m_numDevices && m_devices[id]) ++id;
    if (id == m_numDevices) {
        if (!Grow(m_devices, m_numDevices)) return SX_INVALID_DEVICE_ID;
        m_devices[id] = nullptr;
    }
    CSxDeviceBase* device = nullptr;
    if (settings.schedulerTypeFlags & SX_SCHEDULER_BLOCKING) {
        auto* blocking = dynamic_cast<ISxIOHookBlocking*>(hook);
        if (blocking) device = SxNew<CSxDeviceBlocking>(g_poolId, blocking);
    } else if (settings.schedulerTypeFlags & SX_SCHEDULER_DEFERRED_LINED_UP) {
        SD_WARNING(Debug::kLogError,
                   "Stream manager: deferred lined-up devices are not available; use a blocking device");
    }
    if (!device) return SX_INVALID_DEVICE_ID;
    if (device->Init(settings, id) != SX_Success) {
        device->Destroy(kDeviceStopTimeoutMs);
        return SX_INVALID_DEVICE_ID;
    }
    m_devices[id] = device;
    return id;
}

SXRESULT CSxStreamMgr::DestroyDevice(uint32_t deviceID) {
    CSxDeviceBase* device;
    {
        std::lock_guard<std::mutex> lock(m_lockDevices);
        if (deviceID >= m_numDevices || !m_devices[deviceID]) return SX_InvalidParameter;
        device = m_devices[deviceID];
        m_devices[deviceID] = nullptr;
    }
    if (device->Destroy(kDeviceStopTimeoutMs) == SX_Success) return SX_Success;
    std::lock_guard<std::mutex> lock(m_lockDevices);
    if (Grow(m_abandoned, m_numAbandoned)) m_abandoned[m_numAbandoned - 1] = device;
    return SX_Fail;
}

void CSxStreamMgr::DeleteReleasedTasks() {
    std::lock_guard<std::mutex> lock(m_lockDevices);
    for (uint32_t id = 0; id < m_numDevices; ++id)
        if (m_devices[id]) m_devices[id]->DeleteReleasedTasks();
}

CSxDeviceBase* CSxStreamMgr::Device(uint32_t deviceID) {
    std::lock_guard<std::mutex> lock(m_lockDevices);
    return deviceID < m_numDevices ? m_devices[deviceID] : nullptr;
}

SXRESULT CSxStreamMgr::AddObserver(SxLanguageChangeHandler handler, void* cookie) {
    if (!Grow(m_observers, m_numObservers)) return SX_Fail;
    m_observers[m_numObservers - 1] = {handler, cookie};
    return SX_Success;
}

void CSxStreamMgr::RemoveObserver(void* cookie) {
    uint32_t kept = 0;
    for (uint32_t i = 0; i < m_numObservers; ++i)
        if (m_observers[i].cookie != cookie) m_observers[kept++] = m_observers[i];
    m_numObservers = kept;
}

void CSxStreamMgr::NotifyObservers(const wchar_t* language) {
    for (uint32_t i = m_numObservers; i-- > 0;) m_observers[i].handler(language, m_observers[i].cookie);
}

SXRESULT CSxStreamMgr::CreateStd(uint32_t fileID, SxFileSystemFlags* flags, SxOpenMode openMode, ISxStdStream*& stream,
                                 bool syncOpen) {
    void* made = nullptr;
    SXRESULT result = CreateStream({true, fileID, nullptr}, flags, openMode, false, nullptr, nullptr, made, syncOpen);
    stream = static_cast<ISxStdStream*>(made);
    return result;
}

SXRESULT CSxStreamMgr::CreateStd(const wchar_t* fileName, SxFileSystemFlags* flags, SxOpenMode openMode,
                                 ISxStdStream*& stream, bool syncOpen) {
    void* made = nullptr;
    SXRESULT result = CreateStream({false, 0, fileName}, flags, openMode, false, nullptr, nullptr, made, syncOpen);
    stream = static_cast<ISxStdStream*>(made);
    return result;
}

SXRESULT CSxStreamMgr::CreateAuto(uint32_t fileID, SxFileSystemFlags* flags, const SxAutoStmHeuristics& heuristics,
                                  const SxAutoStmBufSettings* bufferSettings, ISxAutoStream*& stream, bool syncOpen) {
    void* made = nullptr;
    SXRESULT result = CreateStream({true, fileID, nullptr}, flags, SX_OpenModeRead, true, &heuristics, bufferSettings,
                                   made, syncOpen);
    stream = static_cast<ISxAutoStream*>(made);
    return result;
}

SXRESULT CSxStreamMgr::CreateAuto(const wchar_t* fileName, SxFileSystemFlags* flags,
                                  const SxAutoStmHeuristics& heuristics, const SxAutoStmBufSettings* bufferSettings,
                                  ISxAutoStream*& stream, bool syncOpen) {
    void* made = nullptr;
    SXRESULT result =
        CreateStream({false, 0, fileName}, flags, SX_OpenModeRead, true, &heuristics, bufferSettings, made, syncOpen);
    stream = static_cast<ISxAutoStream*>(made);
    return result;
}

SXRESULT CSxStreamMgr::CreateStream(const Target& target, SxFileSystemFlags* flags, SxOpenMode openMode, bool automatic,
                                    const SxAutoStmHeuristics* heuristics, const SxAutoStmBufSettings* bufferSettings,
                                    void*& stream, bool syncOpen) {
    stream = nullptr;
    if (automatic && (heuristics->throughput < 0.0f || heuristics->priority < 0 || heuristics->priority > 100))
        return SX_InvalidParameter;
    if (!target.byID && !target.name) return SX_InvalidParameter;
    // No path can be built from a name this long.
    if (!target.byID && std::wcslen(target.name) >= SX_MAX_PATH) return SX_Fail;
    if (flags) flags->isAutomaticStream = automatic;
    ISxFileLocationResolver* resolver = GetFileLocationResolver();
    if (!resolver) return SX_Fail;

    SxFileDesc desc;
    bool opened = syncOpen;
    SXRESULT result = target.byID ? resolver->Open(target.fileID, openMode, flags, opened, desc)
                                  : resolver->Open(target.name, openMode, flags, opened, desc);
    if (result != SX_Success) return result;

    CSxDeviceBase* device = Device(desc.deviceID);
    CSxStmTask* task = nullptr;
    if (device) {
        if (automatic) {
            // Only streams opened by a file ID of our own may share cached IO blocks.
            const bool keyed = target.byID && !(flags && flags->companyID != 0);
            ISxAutoStream* made = nullptr;
            result = device->CreateAuto(desc, keyed ? target.fileID : SX_INVALID_FILE_ID, *heuristics, bufferSettings,
                                        made, task);
            stream = made;
        } else {
            ISxStdStream* made = nullptr;
            result = device->CreateStd(desc, openMode, made, task);
            stream = made;
        }
    }
    if (!device || result != SX_Success) {
        if (device && opened) device->Hook()->Close(desc);
        stream = nullptr;
        return SX_Fail;
    }
    if (opened) {
        task->MarkFileOpen();
        return SX_Success;
    }
    SxDeferredOpen record;
    record.byID = target.byID;
    record.fileID = target.fileID;
    record.name = target.byID ? nullptr : target.name;
    record.hasFlags = flags != nullptr;
    if (flags) record.flags = *flags;
    record.openMode = openMode;
    if (!task->SetDeferredOpen(record)) {
        if (automatic)
            static_cast<ISxAutoStream*>(stream)->Destroy();
        else
            static_cast<ISxStdStream*>(stream)->Destroy();
        stream = nullptr;
        return SX_Fail;
    }
    return SX_Success;
}

}  // namespace SX::StreamMgr
