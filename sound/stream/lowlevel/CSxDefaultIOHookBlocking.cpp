#include "sound/stream/lowlevel/CSxDefaultIOHookBlocking.h"

#include "platform/os/FileIO.h"
#include "sound/stream/lowlevel/SxWideNames.h"
#include "sound/stream/manager/SxStreamMgr.h"

namespace SX {

SXRESULT CSxDefaultIOHookBlocking::Init(const SxDeviceSettings& settings, bool deferredOpen) {
    if (settings.schedulerTypeFlags != SX_SCHEDULER_BLOCKING) return SX_Fail;
    m_deferredOpen = deferredOpen;
    if (!StreamMgr::GetFileLocationResolver()) StreamMgr::SetFileLocationResolver(this);
    m_deviceID = StreamMgr::CreateDevice(settings, this);
    return m_deviceID != SX_INVALID_DEVICE_ID ? SX_Success : SX_Fail;
}

void CSxDefaultIOHookBlocking::Term() {
    if (StreamMgr::GetFileLocationResolver() == this) StreamMgr::SetFileLocationResolver(nullptr);
    if (m_deviceID != SX_INVALID_DEVICE_ID) StreamMgr::DestroyDevice(m_deviceID);
    m_deviceID = SX_INVALID_DEVICE_ID;
}

bool CSxDefaultIOHookBlocking::DeferOpen(bool& syncOpen, SxFileDesc& desc) {
    if (syncOpen || !m_deferredOpen) return false;
    desc = SxFileDesc();
    desc.deviceID = m_deviceID;
    return true;
}

SXRESULT CSxDefaultIOHookBlocking::Open(uint32_t fileID, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                                        SxFileDesc& desc) {
    if (DeferOpen(syncOpen, desc)) return SX_Success;
    wchar_t path[SX_MAX_PATH];
    if (GetFullFilePath(fileID, flags, openMode, path) != SX_Success) return SX_Fail;
    return OpenPath(path, openMode, syncOpen, desc);
}

SXRESULT CSxDefaultIOHookBlocking::Open(const wchar_t* fileName, SxOpenMode openMode, SxFileSystemFlags* flags,
                                        bool& syncOpen, SxFileDesc& desc) {
    if (DeferOpen(syncOpen, desc)) return SX_Success;
    wchar_t path[SX_MAX_PATH];
    if (GetFullFilePath(fileName, flags, openMode, path) != SX_Success) return SX_Fail;
    return OpenPath(path, openMode, syncOpen, desc);
}

SXRESULT CSxDefaultIOHookBlocking::OpenPath(const wchar_t* path, SxOpenMode openMode, bool& syncOpen,
                                            SxFileDesc& desc) {
    platform::FileAccess access;
    switch (openMode) {
        case SX_OpenModeRead:
            access = platform::FileAccess::Read;
            break;
        case SX_OpenModeWrite:
            access = platform::FileAccess::Write;
            break;
        case SX_OpenModeWriteOvrwr:
            access = platform::FileAccess::WriteOverwrite;
            break;
        case SX_OpenModeReadWrite:
            access = platform::FileAccess::ReadWrite;
            break;
        default:
            desc.file = nullptr;
            return SX_InvalidParameter;
    }
    platform::FileOpenStatus status;
    std::unique_ptr<platform::File> file = platform::File::Open(StreamMgr::ToUtf8(path), access, status);
    if (!file) return status == platform::FileOpenStatus::NotFound ? SX_FileNotFound : SX_Fail;
    const int64_t size = file->Size();
    if (size < 0) return SX_Fail;
    desc = SxFileDesc();
    desc.fileSize = size;
    desc.file = file.release();
    desc.deviceID = m_deviceID;
    syncOpen = true;
    return SX_Success;
}

SXRESULT CSxDefaultIOHookBlocking::Close(SxFileDesc& desc) {
    if (!desc.file) return SX_Fail;
    delete desc.file;
    desc.file = nullptr;
    return SX_Success;
}

uint32_t CSxDefaultIOHookBlocking::BlockSize(SxFileDesc&) { return 1; }

void CSxDefaultIOHookBlocking::GetDeviceDesc(SxDeviceDesc&) {}

uint32_t CSxDefaultIOHookBlocking::GetDeviceData() { return m_deferredOpen ? 1 : 0; }

SXRESULT CSxDefaultIOHookBlocking::Read(SxFileDesc& desc, const SxIoHeuristics&, void* buffer, SxIOTransferInfo& info) {
    size_t done = 0;
    if (!desc.file || !desc.file->ReadAt(info.filePosition, buffer, info.requestedSize, done)) return SX_Fail;
    return done == info.requestedSize ? SX_Success : SX_Fail;
}

SXRESULT CSxDefaultIOHookBlocking::Write(SxFileDesc& desc, const SxIoHeuristics&, void* buffer,
                                         SxIOTransferInfo& info) {
    size_t done = 0;
    if (!desc.file || !desc.file->WriteAt(info.filePosition, buffer, info.requestedSize, done)) return SX_Fail;
    return done == info.requestedSize ? SX_Success : SX_Fail;
}

}  // namespace SX
