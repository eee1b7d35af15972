#include "sound/engine/thread/SxThread.h"

#include "core/Logger.h"

namespace SX {

namespace {

platform::ThreadPriority ToPlatform(int32_t priority) {
    if (priority <= SxThreadPriority_Idle) return platform::ThreadPriority::Idle;
    if (priority >= SxThreadPriority_TimeCritical) return platform::ThreadPriority::TimeCritical;
    if (priority <= SxThreadPriority_Lowest) return platform::ThreadPriority::Lowest;
    if (priority >= SxThreadPriority_Highest) return platform::ThreadPriority::Highest;
    switch (priority) {
        case SxThreadPriority_BelowNormal:
            return platform::ThreadPriority::BelowNormal;
        case SxThreadPriority_AboveNormal:
            return platform::ThreadPriority::AboveNormal;
        default:
            return platform::ThreadPriority::Normal;
    }
}

}  // namespace

void SxThread::Create(SxThreadRoutine routine, void* context, const SxThreadProperties& properties,
                      SxThreadHandle& handle, const char* name) {
    handle.reset();
    if (!routine) return;
    platform::ThreadOptions options;
    options.name = name ? name : "";
    options.priority = ToPlatform(properties.priority);
    options.affinityMask = properties.affinityMask;
    options.stackSize = properties.stackSize;

    // Priority and affinity are applied before the routine runs; what the system refuses
    // leaves the thread running with its defaults.
    auto thread = std::make_unique<platform::Thread>();
    platform::ThreadStartResult result = thread->Start([routine, context] { routine(context); }, options);
    if (!result.started) {
        SD_WARNING(Debug::kLogData, "Thread %s could not be started", options.name.c_str());
        return;
    }
    if (!result.priorityApplied)
        SD_WARNING(Debug::kLogData, "Thread %s runs without its priority %d (refused by the system)",
                   options.name.c_str(), properties.priority);
    if (!result.affinityApplied)
        SD_WARNING(Debug::kLogData, "Thread %s runs without its affinity mask 0x%x (refused by the system)",
                   options.name.c_str(), properties.affinityMask);
    handle = std::move(thread);
}

}  // namespace SX
