#pragma once
// Starts the engine's worker threads (audio, bank and IO) with the stack size, priority and
// processor affinity of the platform settings, and names them.
#include <cstdint>
#include <memory>

#include "platform/os/Threads.h"

namespace SX {

// Thread priority values as the settings give them.
enum SxThreadPriority : int32_t {
    SxThreadPriority_Idle = -15,
    SxThreadPriority_Lowest = -2,
    SxThreadPriority_BelowNormal = -1,
    SxThreadPriority_Normal = 0,
    SxThreadPriority_AboveNormal = 1,
    SxThreadPriority_Highest = 2,
    SxThreadPriority_TimeCritical = 15,
};

struct SxThreadProperties {
    int32_t priority = SxThreadPriority_Normal;
    uint32_t affinityMask = 0;  // 0: any processor
    uint32_t stackSize = 8 * 1024;
};

using SxThreadRoutine = void (*)(void* context);
using SxThreadHandle = std::unique_ptr<platform::Thread>;

struct SxThread {
    // Starts the routine on a new thread; the handle is null when it could not start. A
    // priority or affinity the system refuses is logged as a warning and the thread runs on;
    // a stack below the system's minimum is raised to it.
    static void Create(SxThreadRoutine routine, void* context, const SxThreadProperties& properties,
                       SxThreadHandle& handle, const char* name);
};

}  // namespace SX
