#pragma once
// Sent by the engine core when its pause flag changes.
#include "core/Message.h"
#include "core/MessageIds.h"

namespace SD {

class GamePause : public IMessage {
public:
    explicit GamePause(bool isPaused) : IMessage(MessageIds::GamePause), paused(isPaused) {}
    bool paused;
};

}  // namespace SD
