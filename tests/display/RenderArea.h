#pragma once
// Where the game's picture lies in a frame read back from the window: the render area,
// letterboxed to its aspect inside the back buffer, and the back buffer stretched over the
// window (they differ once the window has been resized; the device keeps its buffers).
#include <cmath>

#include "display/FrameMeasures.h"
#include "graphics/Graphics.h"

namespace displaytest {

inline qvdisplay::Box RenderArea(const qvdisplay::Frame& frame) {
    const Aperture::DX9Abstract& layer = Aperture::Graphics_::GetInstance()->GetDeviceLayer();
    const double bw = layer.GetBackBufferWidth(), bh = layer.GetBackBufferHeight();
    const double rw = layer.GetRenderWidth(), rh = layer.GetRenderHeight();
    const double sx = frame.width / bw, sy = frame.height / bh;
    const double left = (bw - rw) / 2, top = (bh - rh) / 2;
    return {int(std::lround(left * sx)), int(std::lround(top * sy)), int(std::lround((left + rw) * sx)),
            int(std::lround((top + rh) * sy))};
}

}  // namespace displaytest
