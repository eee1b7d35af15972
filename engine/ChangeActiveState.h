#pragma once
// Announces a change of the game's play state (0 Play, 1 Pause, 2 DevPause); the factory
// applies it to every object.
#include "core/Message.h"
#include "core/MessageIds.h"

namespace SD {

struct ChangeActiveState : public IMessage {
    ChangeActiveState(int newPlayState, int oldPlayState)
        : IMessage(MessageIds::ChangeActiveState), newState(newPlayState), oldState(oldPlayState) {}
    int newState;
    int oldState;
};

}  // namespace SD
