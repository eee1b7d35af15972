#include "sound/engine/SxAudioThread.h"

#include <atomic>
#include <thread>

namespace SX {

platform::CriticalSection g_csMain;

namespace {
std::atomic<std::thread::id> g_audioThreadId{};
}

void SetCurrentThreadIsAudioThread(bool isAudioThread) {
    g_audioThreadId.store(isAudioThread ? std::this_thread::get_id() : std::thread::id());
}

bool IsAudioThread() { return g_audioThreadId.load() == std::this_thread::get_id(); }

}  // namespace SX
