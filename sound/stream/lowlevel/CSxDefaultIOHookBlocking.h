#pragma once
// The game's low-level IO over plain files: resolves names and IDs to paths under its
// location and moves one transfer at a time for one blocking device.
#include "sound/stream/ISxLowLevelIO.h"
#include "sound/stream/lowlevel/CSxFileLocationBase.h"

namespace SX {

class CSxDefaultIOHookBlocking : public StreamMgr::ISxFileLocationResolver,
                                 public StreamMgr::ISxIOHookBlocking,
                                 public CSxFileLocationBase {
public:
    // SX_Fail unless the settings ask for a blocking device. Registers as the resolver when
    // there is none and creates the device. With deferred opening, files the caller does not
    // need open at once are opened by the IO thread before their first transfer.
    SXRESULT Init(const SxDeviceSettings& settings, bool deferredOpen = true);
    void Term();
    uint32_t DeviceID() const { return m_deviceID; }

    // ISxFileLocationResolver
    SXRESULT Open(uint32_t fileID, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                  SxFileDesc& desc) override;
    SXRESULT Open(const wchar_t* fileName, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                  SxFileDesc& desc) override;

    // ISxIOHookBlocking
    SXRESULT Close(SxFileDesc& desc) override;
    uint32_t BlockSize(SxFileDesc& desc) override;
    void GetDeviceDesc(SxDeviceDesc& desc) override;
    uint32_t GetDeviceData() override;
    SXRESULT Read(SxFileDesc& desc, const SxIoHeuristics& heuristics, void* buffer, SxIOTransferInfo& info) override;
    SXRESULT Write(SxFileDesc& desc, const SxIoHeuristics& heuristics, void* buffer, SxIOTransferInfo& info) override;

protected:
    // Fills the descriptor without opening when the open may wait for the IO thread.
    bool DeferOpen(bool& syncOpen, SxFileDesc& desc);
    SXRESULT OpenPath(const wchar_t* path, SxOpenMode openMode, bool& syncOpen, SxFileDesc& desc);

    uint32_t m_deviceID = SX_INVALID_DEVICE_ID;
    bool m_deferredOpen = false;
};

}  // namespace SX
