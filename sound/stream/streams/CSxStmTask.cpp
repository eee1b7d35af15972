#include "sound/stream/streams/CSxStmTask.h"

#include <cwchar>
#include <new>

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/device/CSxDeviceBase.h"
#include "sound/stream/manager/SxStreamMgr.h"

namespace SX::StreamMgr {

void CSxClientThreadAware::WaitForSignal(std::unique_lock<platform::CriticalSection>& lock) {
    if (!m_event) m_event = std::make_unique<platform::Event>(true, false);
    m_event->Reset();
    m_clientWaiting = true;
    platform::Event* event = m_event.get();
    lock.unlock();
    event->Wait();
    lock.lock();
}

void CSxClientThreadAware::SignalClient() {
    if (!m_clientWaiting) return;
    m_clientWaiting = false;
    m_event->Set();
}

CSxStmTask::CSxStmTask(CSxDeviceBase* device, const SxFileDesc& desc, uint32_t blockSize)
    : m_desc(desc), m_device(device), m_blockSize(blockSize) {}

CSxStmTask::~CSxStmTask() {
    if (Is(SxTask_FileOpen)) m_device->Hook()->Close(m_desc);
    if (m_deferred) MemoryMgr::Free(GetPoolID(), m_deferred);
    if (m_name) MemoryMgr::Free(GetPoolID(), m_name);
}

bool CSxStmTask::SetDeferredOpen(const SxDeferredOpen& record) {
    const size_t nameLength = record.name ? std::wcslen(record.name) + 1 : 0;
    void* block = MemoryMgr::Malloc(GetPoolID(), sizeof(SxDeferredOpen) + nameLength * sizeof(wchar_t));
    if (!block) return false;
    m_deferred = new (block) SxDeferredOpen(record);
    if (nameLength) {
        auto* name = reinterpret_cast<wchar_t*>(m_deferred + 1);
        std::wmemcpy(name, record.name, nameLength);
        m_deferred->name = name;
    }
    return true;
}

SXRESULT CSxStmTask::OpenDeferred() {
    SxDeferredOpen* record = m_deferred;
    ISxFileLocationResolver* resolver = GetFileLocationResolver();
    if (!resolver) return SX_Fail;
    SxFileDesc desc;
    bool syncOpen = true;
    SxFileSystemFlags* flags = record->hasFlags ? &record->flags : nullptr;
    SXRESULT result = record->byID ? resolver->Open(record->fileID, record->openMode, flags, syncOpen, desc)
                                   : resolver->Open(record->name, record->openMode, flags, syncOpen, desc);
    if (result != SX_Success) return result;
    std::unique_lock<platform::CriticalSection> lock(m_lock);
    m_desc = desc;
    SetFlag(SxTask_FileOpen);
    m_deferred = nullptr;
    MemoryMgr::Free(GetPoolID(), record);
    OnFileOpened();
    return SX_Success;
}

void CSxStmTask::MarkFileOpen() {
    platform::Lock lock(m_lock);
    SetFlag(SxTask_FileOpen);
    OnFileOpened();
}

void CSxStmTask::StampService() { m_serviceStamp = m_device->Clock(); }

SXRESULT CSxStmTask::SetNameInPool(const wchar_t* name) {
    wchar_t* copy = nullptr;
    if (name) {
        const size_t length = std::wcslen(name);
        copy = static_cast<wchar_t*>(MemoryMgr::Malloc(GetPoolID(), (length + 1) * sizeof(wchar_t)));
        if (!copy) return SX_InsufficientMemory;
        std::wmemcpy(copy, name, length + 1);
    }
    platform::Lock lock(m_lock);
    if (m_name) MemoryMgr::Free(GetPoolID(), m_name);
    m_name = copy;
    return SX_Success;
}

void CSxStmTask::FillInfo(SxStreamInfo& info) {
    info.deviceID = m_device->DeviceID();
    info.name = m_name;
    info.size = m_desc.fileSize;
    info.isOpen = Is(SxTask_FileOpen);
}

SXRESULT CSxStmTask::SeekTarget(int64_t offset, SxMoveMethod method, int64_t current, int64_t& origin,
                                int64_t& target) const {
    switch (method) {
        case SX_MoveBegin:
            origin = 0;
            break;
        case SX_MoveCurrent:
            origin = current;
            break;
        case SX_MoveEnd:
            origin = m_desc.fileSize;
            break;
        default:
            return SX_InvalidParameter;
    }
    if (__builtin_add_overflow(origin, offset, &target) || target < 0) return SX_InvalidParameter;
    target -= target % m_blockSize;
    return SX_Success;
}

}  // namespace SX::StreamMgr
