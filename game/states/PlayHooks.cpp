#include "game/states/PlayHooks.h"

namespace QV {
namespace {

bool gEndOfGame = false;

}  // namespace

PlayHooks& GetPlayHooks() {
    static PlayHooks hooks;
    return hooks;
}

bool IsEndOfGame() { return GetPlayHooks().isEndOfGame ? GetPlayHooks().isEndOfGame() : gEndOfGame; }

void SetEndOfGame(bool ended) { gEndOfGame = ended; }

}  // namespace QV
