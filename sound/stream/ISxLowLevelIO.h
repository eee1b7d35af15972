#pragma once
// What the stream manager asks of the game's IO: a resolver that opens files by ID or name,
// and per device a hook that moves one transfer of an open file.
#include <cstdint>

#include "sound/engine/stream/SxStreamTypes.h"

namespace SX::StreamMgr {

class ISxFileLocationResolver {
public:
    virtual ~ISxFileLocationResolver() = default;
    // syncOpen: in, whether the caller needs the file open now; out, whether it was opened.
    virtual SXRESULT Open(uint32_t fileID, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                          SxFileDesc& desc) = 0;
    virtual SXRESULT Open(const wchar_t* fileName, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                          SxFileDesc& desc) = 0;
};

class ISxLowLevelIOHook {
public:
    virtual ~ISxLowLevelIOHook() = default;
    virtual SXRESULT Close(SxFileDesc& desc) = 0;
    virtual uint32_t BlockSize(SxFileDesc& desc) = 0;
    virtual void GetDeviceDesc(SxDeviceDesc& desc) = 0;
    virtual uint32_t GetDeviceData() = 0;
};

// One synchronous transfer per call, made on the device's IO thread.
class ISxIOHookBlocking : public ISxLowLevelIOHook {
public:
    virtual SXRESULT Read(SxFileDesc& desc, const SxIoHeuristics& heuristics, void* buffer, SxIOTransferInfo& info) = 0;
    virtual SXRESULT Write(SxFileDesc& desc, const SxIoHeuristics& heuristics, void* buffer,
                           SxIOTransferInfo& info) = 0;
};

}  // namespace SX::StreamMgr
