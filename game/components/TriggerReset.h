#pragma once
// Re-arms the trigger of the object it names.
#include "core/Message.h"
#include "core/MessageIds.h"
#include "engine/GameObjectHandle.h"

namespace QV {

class TriggerReset : public SD::IMessage {
public:
    explicit TriggerReset(const SD::GameObjectHandle& object = SD::GameObjectHandle())
        : SD::IMessage(SD::MessageIds::TriggerReset), object(object) {}

    SD::GameObjectHandle object;
};

}  // namespace QV
