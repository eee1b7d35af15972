#include "platform/window/CloseRequest.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<bool> g_closeRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
}  // namespace

void RequestWindowClose() { g_closeRequested.store(true); }

bool TakeWindowCloseRequest() { return g_closeRequested.exchange(false); }

}  // namespace platform
