#pragma once
// Sent by the factory, at once, for every object it creates from a blueprint.
#include "core/Message.h"
#include "core/MessageIds.h"

namespace SD {

class GameObject;

struct ObjectCreated : public IMessage {
    explicit ObjectCreated(GameObject* created) : IMessage(MessageIds::ObjectCreated), object(created) {}
    GameObject* object;
};

}  // namespace SD
