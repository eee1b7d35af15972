#include "platform/window/CloseRequest.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<bool> gCloseRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
}  // namespace

void RequestWindowClose() { gCloseRequested.store(true); }

bool TakeWindowCloseRequest() { return gCloseRequested.exchange(false); }

}  // namespace platform
