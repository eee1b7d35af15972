#pragma once
// The quad that covers the screen, drawn by every full-screen step. It lives in memory the
// device keeps across a reset.
#include "platform/gfx/Device.h"

namespace Aperture {

class ScreenQuad {
public:
    // Vertex layout: position (three floats) and texture coordinate (two floats).
    static constexpr uint32_t kStride = 20;

    explicit ScreenQuad(platform::gfx::Device* device);
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
