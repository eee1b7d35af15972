#pragma once
// The quad that covers the screen (or a rectangle of it), drawn by every full-screen step, its
// texture coordinates from 0 at the top-left to 1. It lives in memory the device keeps across a
// reset.
#include "platform/gfx/Device.h"

namespace Aperture {

class ScreenQuad {
public:
    // Vertex layout: position (three floats) and texture coordinate (two floats).
    static constexpr uint32_t kStride = 20;

    // Corners in clip space (y grows towards the target's top).
    struct ClipRect {
        float left, top, right, bottom;
    };
    // Over the whole target.
    explicit ScreenQuad(platform::gfx::Device* device) : ScreenQuad(device, {-1.0f, 1.0f, 1.0f, -1.0f}) {}
    ScreenQuad(platform::gfx::Device* device, const ClipRect& corners);
    ~ScreenQuad();
    ScreenQuad(const ScreenQuad&) = delete;
    ScreenQuad& operator=(const ScreenQuad&) = delete;

    bool IsValid() const { return vertices && indices; }
    // Binds its buffers and draws its two triangles.
    void Draw();

private:
    platform::gfx::Device* device;
    platform::gfx::VertexBuffer* vertices = nullptr;
    platform::gfx::IndexBuffer* indices = nullptr;
};

}  // namespace Aperture
