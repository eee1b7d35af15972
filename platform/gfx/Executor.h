#pragma once
// A renderer that carries out what the device records: while one is installed, the device
// hands it every live call once the device's own checks have passed, and the executor reads
// whatever else it needs (bound targets, streams, states, the active effect pass) from the
// device. The executor then owns the contents of render targets; the device no longer clears
// or copies them in memory. Objects carry content versions so that only changed data is sent.
#include <cstdint>

#include "platform/gfx/Types.h"

namespace platform::gfx {

class Device;
class DeviceObject;
class Effect;
class Font;
class Surface;

class Executor {
public:
    virtual ~Executor() = default;
    // A draw call (kDrawPrimitive or kDrawIndexedPrimitive, arguments as recorded).
    virtual void Draw(const Device& device, const Command& draw) = 0;
    // Clears the bound render targets and, by the flags, the depth surface.
    virtual void Clear(const Device& device, uint32_t flags, uint32_t argb, float z, uint32_t stencil) = 0;
    virtual void StretchRect(const Device& device, const Surface& source, const Surface& destination,
                             const Rect& destinationRect) = 0;
    // One kDrawText command of the font, into the bound render target.
    virtual void Text(const Device& device, const Font& font, const Command& text) = 0;
    // The back buffer holds the finished frame.
    virtual void Present(const Device& device) = 0;
    // The device was reset: its back buffer and depth surface may have a new size.
    virtual void Reset(const Device& device) = 0;
    // Called as the object goes, so whatever mirrors it can go too.
    virtual void ObjectDestroyed(const DeviceObject& object) = 0;
    virtual void EffectCreated(const Effect& effect) = 0;
    virtual void EffectDestroyed(const Effect& effect) = 0;
};

// The installed executor, or null (the default: the device only records). A seam
// (docs/seams.md): while one is installed another is refused.
bool SetExecutor(Executor* executor);
// Removes `executor` only if it is the one installed.
void RemoveExecutor(Executor* executor);
Executor* InstalledExecutor();

}  // namespace platform::gfx
