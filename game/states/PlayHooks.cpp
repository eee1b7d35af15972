#include "game/states/PlayHooks.h"

namespace QV {
namespace {

bool g_endOfGame = false;

}  // namespace

PlayHooks& GetPlayHooks() {
    static PlayHooks hooks;
    return hooks;
}

bool IsEndOfGame() { return GetPlayHooks().isEndOfGame ? GetPlayHooks().isEndOfGame() : g_endOfGame; }

void SetEndOfGame(bool ended) { g_endOfGame = ended; }

}  // namespace QV
