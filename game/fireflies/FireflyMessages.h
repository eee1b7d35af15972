#pragma once
// The messages of the fireflies: the blink wave the manager spreads through the escort, the
// recruiting that draws grouped fireflies into the escort, and the announcement of a blink.
#include "core/Message.h"
#include "core/MessageIds.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"

namespace QV {

// Stage 2 restarts the wave in every group of the first escort set, stage 1 grows it.
struct FireflyBlinkWaveMessage : SD::IMessage {
    explicit FireflyBlinkWaveMessage(int stage) : SD::IMessage(SD::MessageIds::FireflyBlinkWave), stage(stage) {}
    int stage;
};

// Fireflies of groups made on request within 20 of the position join the escort.
struct FireflyRecruitMessage : SD::IMessage {
    explicit FireflyRecruitMessage(const SD::Vec3& at) : SD::IMessage(SD::MessageIds::FireflyRecruit), position(at) {}
    int field = 0;
    SD::Vec3 position;
};

// Sent when a firefly starts to blink.
struct BlinkEvent : SD::IMessage {
    explicit BlinkEvent(const SD::GameObjectHandle& object)
        : SD::IMessage(SD::MessageIds::BlinkEvent), object(object) {}
    SD::GameObjectHandle object;
};

}  // namespace QV
