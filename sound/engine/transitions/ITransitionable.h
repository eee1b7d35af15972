#pragma once
#include <cstdint>

namespace SX {

// What a transition drives: each step hands the user its new value.
class ITransitionable {
public:
    // Target IDs of fades (a property index otherwise).
    static constexpr int32_t kPlayFade = 0x1000000;
    static constexpr int32_t kStopFade = 0x2000000;
    static constexpr int32_t kPauseFade = 0x4000000;
    static constexpr int32_t kFadeBits = 0xF000000;

    virtual void TransUpdateValue(int32_t targetID, float value, bool done) = 0;

protected:
    ~ITransitionable() = default;
};

}  // namespace SX
