#pragma once
// The stream manager: every file access of the sound engine. Files are found through the
// file-location resolver, routed to the device their descriptor names, and read through
// standard streams (explicit reads) or automatic streams (read ahead into IO memory).
#include <cstdint>

#include "sound/stream/ISxLowLevelIO.h"
#include "sound/engine/stream/ISxStreams.h"

namespace SX::StreamMgr {

using SxLanguageChangeHandler = void (*)(const wchar_t* newLanguage, void* cookie);

// Null when the memory manager is not initialised or the pool cannot be made; later calls
// give the manager that exists.
ISxStreamMgr* Create(const SxStreamMgrSettings& settings);
void GetDefaultSettings(SxStreamMgrSettings& settings);
void GetDefaultDeviceSettings(SxDeviceSettings& settings);

ISxFileLocationResolver* GetFileLocationResolver();
void SetFileLocationResolver(ISxFileLocationResolver* resolver);

// The new device's ID, or SX_INVALID_DEVICE_ID. The hook must be an ISxIOHookBlocking for a
// blocking device (flag bit 0, which wins over bit 1). A deferred lined-up device is not
// available: no hook offers asynchronous transfers.
uint32_t CreateDevice(const SxDeviceSettings& settings, ISxLowLevelIOHook* hook);
// SX_InvalidParameter for an unknown ID; SX_Fail when the device's thread did not stop in
// time (streams still held by clients): the device keeps running until they are released.
SXRESULT DestroyDevice(uint32_t deviceID);
// How long destroying a device waits for its IO thread.
constexpr uint32_t kDeviceStopTimeoutMs = 2000;

// SX_Fail for a null name, 32 characters or more, or a name ending in a slash.
SXRESULT SetCurrentLanguage(const wchar_t* language);
const wchar_t* GetCurrentLanguage();
// A copy taken under the manager's lock, for the IO thread.
void CopyCurrentLanguage(wchar_t (&language)[SX_MAX_LANGUAGE_NAME]);
SXRESULT AddLanguageChangeObserver(SxLanguageChangeHandler handler, void* cookie);
void RemoveLanguageChangeObserver(void* cookie);

SxMemPoolId GetPoolID();
// Every device deletes the streams their clients released (the manager's pool is short).
void DeleteReleasedTasksOfAllDevices();

}  // namespace SX::StreamMgr
