#pragma once
// Tells the game layer that the player has collected a flower.
#include "core/Message.h"
#include "core/MessageIds.h"

namespace QV {

class FlowerTrigger : public SD::IMessage {
public:
    FlowerTrigger() : SD::IMessage(SD::MessageIds::FlowerTrigger) {}
};

}  // namespace QV
