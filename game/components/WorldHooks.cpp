#include "game/components/WorldHooks.h"

namespace QV {
namespace {

WorldHooks* g_installed = nullptr;

}  // namespace

WorldHooks& GetWorldHooks() {
    static WorldHooks defaults;
    return g_installed ? *g_installed : defaults;
}

void SetWorldHooks(WorldHooks* hooks) { g_installed = hooks; }

bool WorldHooksInstalled() { return g_installed != nullptr; }

}  // namespace QV
