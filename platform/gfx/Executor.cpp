#include "platform/gfx/Executor.h"

#include "platform/Seam.h"

namespace platform::gfx {
namespace {
Seam<Executor> installedExecutor{"platform::gfx::Executor"};
}  // namespace

bool SetExecutor(Executor* executor) { return installedExecutor.Install(executor); }
void RemoveExecutor(Executor* executor) { installedExecutor.Remove(executor); }
Executor* InstalledExecutor() { return installedExecutor.Installed(); }

}  // namespace platform::gfx
