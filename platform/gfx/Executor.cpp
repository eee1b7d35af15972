#include "platform/gfx/Executor.h"

#include <atomic>

namespace platform::gfx {
namespace {
std::atomic<Executor*> installedExecutor{nullptr};
}  // namespace

void SetExecutor(Executor* executor) { installedExecutor.store(executor); }
Executor* InstalledExecutor() { return installedExecutor.load(); }

}  // namespace platform::gfx
