#pragma once
// Sent after a window message has been handed to the tweak bars: their result (non-zero when
// they took the message) and the window message it was made for.
#include <cstdint>

#include "core/Message.h"
#include "core/MessageIds.h"
#include "runtime/WindowMessages.h"

namespace QV {

struct TweakBarMessage : SD::IMessage {
    TweakBarMessage(uint32_t handled, SD::WindowsMessage* message)
        : SD::IMessage(SD::MessageIds::TweakBarMessage), handled(handled), message(message) {}
    uint32_t handled;
    SD::WindowsMessage* message;
};

}  // namespace QV
