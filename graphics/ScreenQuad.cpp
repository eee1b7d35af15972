#include "graphics/ScreenQuad.h"

#include <cstring>

namespace Aperture {

ScreenQuad::ScreenQuad(platform::gfx::Device* d, const ClipRect& c) : device(d) {
    using namespace platform::gfx;
    if (!device) return;
    // Corners in clip space, top-left first, with their texture coordinates.
    const float corners[4][5] = {
        {c.left, c.top, 0, 0, 0}, {c.right, c.top, 0, 1, 0}, {c.left, c.bottom, 0, 0, 1}, {c.right, c.bottom, 0, 1, 1}};
    const uint16_t order[6] = {0, 1, 2, 2, 1, 3};
    void* data = nullptr;
    if (!Failed(device->CreateVertexBuffer(sizeof corners, Pool::kManaged, &vertices)) &&
        !Failed(vertices->Lock(0, 0, &data))) {
        std::memcpy(data, corners, sizeof corners);
        vertices->Unlock();
    }
    if (!Failed(device->CreateIndexBuffer(sizeof order, kFormatIndex16, Pool::kManaged, &indices)) &&
        !Failed(indices->Lock(0, 0, &data))) {
        std::memcpy(data, order, sizeof order);
        indices->Unlock();
    }
}

ScreenQuad::~ScreenQuad() {
    if (vertices) vertices->Release();
    if (indices) indices->Release();
}

void ScreenQuad::Draw() {
    if (!IsValid()) return;
    device->SetStreamSource(0, vertices, 0, kStride);
    device->SetIndices(indices);
    device->DrawIndexedPrimitive(platform::gfx::kTriangleList, 0, 0, 4, 0, 2);
}

}  // namespace Aperture
