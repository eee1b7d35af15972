#pragma once
// Fonts with fixed metrics: every character is one cell wide (the width given, or half the
// height when the width is 0) and every line one height tall. Drawn text is recorded as
// kDrawText: the text in name, the rectangle's left, top, right, bottom in a[0..3], the colour
// in a[4], the format in a[5], the cell width and line height in v[0] and v[1].
#include <cstdint>
#include <string>

#include "platform/gfx/Objects.h"
#include "platform/gfx/Types.h"

namespace platform::gfx {

class Device;

enum TextFormat : uint32_t { kTextTopLeft = 0, kTextCalcRect = 0x400 };

class Font : public DeviceObject {
public:
    // Only measures with kTextCalcRect: right and bottom of the rectangle are set from its
    // left and top. Returns the height of the text (0 for empty text, which is not drawn)
    // and 0 while the font is released for a lost device.
    int DrawText(const char* text, int length, Rect* rect, uint32_t format, uint32_t color);
    // Gives up and takes back what the font keeps on the device.
    Result OnLostDevice();
    Result OnResetDevice();
    uint32_t CellWidth() const { return cellWidth_; }
    uint32_t LineHeight() const { return height_; }
    const std::string& Face() const { return face_; }

protected:
    bool HoldsDeviceMemory() const override { return !lost_; }

private:
    friend Result CreateFont(Device*, int, uint32_t, uint32_t, const std::string&, Font**);
    Font(Device* device, uint32_t height, uint32_t width, std::string face);
    uint32_t height_;
    uint32_t cellWidth_;
    std::string face_;
    bool lost_ = false;
};

// kInvalidCall for a height below 1 or an empty face name.
Result CreateFont(Device* device, int height, uint32_t width, uint32_t weight, const std::string& face, Font** out);

}  // namespace platform::gfx
