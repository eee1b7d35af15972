#pragma once
// The messages the graphics system takes: a new resolution and the background colour.
#include <cstdint>

#include "core/Message.h"
#include "core/MessageIds.h"

namespace SD {

struct ResolutionChange : IMessage {
    ResolutionChange(uint32_t w, uint32_t h) : IMessage(MessageIds::ResolutionChange), width(w), height(h) {}
    uint32_t width;
    uint32_t height;
};

}  // namespace SD

namespace Aperture {

struct BackgroundColorMessage : SD::IMessage {
    BackgroundColorMessage(float r, float g, float b)
        : IMessage(SD::MessageIds::BackgroundColor), red(r), green(g), blue(b) {}
    float red;
    float green;
    float blue;
};

}  // namespace Aperture
