#pragma once
// Records shared by the stream manager, its devices, its streams and the low-level IO.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/thread/SxThread.h"

namespace platform {
class File;
}

namespace SX {

struct SxStreamMgrSettings {
    uint32_t memorySize = 0x10000;  // the stream manager's own pool
};

// Scheduler type flags of a device.
enum SxSchedulerFlags : uint32_t {
    SX_SCHEDULER_BLOCKING = 1,
    SX_SCHEDULER_DEFERRED_LINED_UP = 2,
};

struct SxDeviceSettings {
    void* ioMemory = nullptr;  // caller memory for the IO blocks, or null
    uint32_t ioMemorySize = 0x200000;
    uint32_t ioMemoryAlignment = 4;
    uint32_t poolAttributes = 2;
    uint32_t granularity = 0x4000;  // one transfer, one IO block
    uint32_t schedulerTypeFlags = SX_SCHEDULER_BLOCKING;
    SxThreadProperties threadProperties{SxThreadPriority_AboveNormal, 0, 0x2000};
    float targetAutoStmBufferLength = 380.0f;  // ms of data automatic streams keep ahead
    uint32_t maxConcurrentIO = 8;
    float maxCacheRatio = 1.0f;
};

enum SxOpenMode : uint32_t {
    SX_OpenModeRead = 0,
    SX_OpenModeWrite = 1,
    SX_OpenModeWriteOvrwr = 2,
    SX_OpenModeReadWrite = 3,
};

enum SxMoveMethod : uint32_t {
    SX_MoveBegin = 0,
    SX_MoveCurrent = 1,
    SX_MoveEnd = 2,
};

enum SxStmStatus : uint32_t {
    SX_StmStatusIdle = 0,
    SX_StmStatusCompleted = 1,
    SX_StmStatusPending = 2,
    SX_StmStatusCancelled = 3,
    SX_StmStatusError = 4,
};

// Given by callers of stream creation and passed on to the file-location resolver.
struct SxFileSystemFlags {
    uint32_t companyID = 0;
    uint32_t codecID = 0;
    uint32_t customParamSize = 0;
    void* customParam = nullptr;
    bool isLanguageSpecific = false;
    bool isAutomaticStream = false;  // set by the stream manager
};

// Company and codec IDs the low-level IO gives a meaning to.
constexpr uint32_t SXCOMPANYID_INTERNAL = 0;
constexpr uint32_t SXCOMPANYID_EXTERNAL = 1;  // files named by the game, hashed to 64 bits
constexpr uint32_t SXCODECID_BANK = 0;
constexpr uint32_t SXCODECID_FILE_PACKAGE = 11;
constexpr uint32_t SXCODECID_RAW_NAME = 201;  // the name is a full path

// Filled by the resolver; owned by the stream once opened.
struct SxFileDesc {
    int64_t fileSize = 0;
    uint32_t sector = 0;       // first block of the file inside a larger file (packages)
    uint32_t customParam = 0;  // block size of the package holding the file; 0 for a plain file
    uint32_t reserved = 0;
    platform::File* file = nullptr;
    uint32_t deviceID = 0;
    void* owner = nullptr;  // the package the file lies in, kept alive while the file is open
};

struct SxAutoStmHeuristics {
    float throughput = 1.0f;  // bytes per ms
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;  // 0: no loop
    uint8_t minNumBuffers = 1;
    int8_t priority = 50;  // 0..100
};

struct SxAutoStmBufSettings {
    uint32_t bufferSize = 0;  // 0: none given
    uint32_t minBufferSize = 0;
    uint32_t blockSize = 0;
};

struct SxStreamInfo {
    uint32_t deviceID = 0;
    const wchar_t* name = nullptr;
    int64_t size = 0;
    bool isOpen = false;
};

struct SxIoHeuristics {
    float deadline = 0.0f;  // ms
    uint8_t priority = 50;
};

struct SxIOTransferInfo {
    uint64_t filePosition = 0;
    uint32_t bufferSize = 0;
    uint32_t requestedSize = 0;
};

struct SxDeviceDesc {
    uint32_t deviceID = 0;
    bool canRead = false;
    bool canWrite = false;
    wchar_t deviceName[64] = {};
};

constexpr uint32_t SX_INVALID_DEVICE_ID = 0xFFFFFFFFu;
constexpr uint32_t SX_INVALID_FILE_ID = 0xFFFFFFFFu;
constexpr uint32_t SX_MAX_PATH = 260;
constexpr uint32_t SX_MAX_LANGUAGE_NAME = 32;  // with the terminator

}  // namespace SX
