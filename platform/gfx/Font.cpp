#include "platform/gfx/Font.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/Device.h"
#include "platform/gfx/Executor.h"

namespace platform::gfx {

Font::Font(Device* device, uint32_t height, uint32_t width, std::string face)
    : DeviceObject(device, Pool::kDefault),
      height_(height),
      cellWidth_(width ? width : (height + 1) / 2),
      face_(std::move(face)) {}

Result CreateFont(Device* device, int height, uint32_t width, uint32_t weight, const std::string& face, Font** out) {
    (void)weight;
    if (!device || !out || height < 1 || face.empty()) return kInvalidCall;
    *out = new Font(device, static_cast<uint32_t>(height), width, face);
    return kOk;
}

int Font::DrawText(const char* text, int length, Rect* rect, uint32_t format, uint32_t color) {
    if (lost_ || !text || !rect || !device_) return 0;
    size_t size = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    if (size == 0) return 0;
    size_t lines = 1, longest = 0, current = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\n') {
            ++lines;
            current = 0;
        } else {
            longest = std::max(longest, ++current);
        }
    }
    const int height = static_cast<int>(lines * height_);
    if (format & kTextCalcRect) {
        rect->right = rect->left + static_cast<int32_t>(longest * cellWidth_);
        rect->bottom = rect->top + height;
        return height;
    }
    Command c;
    c.op = Op::kDrawText;
    c.name.assign(text, size);
    c.a[0] = static_cast<uint32_t>(rect->left);
    c.a[1] = static_cast<uint32_t>(rect->top);
    c.a[2] = static_cast<uint32_t>(rect->right);
    c.a[3] = static_cast<uint32_t>(rect->bottom);
    c.a[4] = color;
    c.a[5] = format;
    // The metrics travel with the text so that a real device can draw it without the font.
    c.v[0] = static_cast<float>(cellWidth_);
    c.v[1] = static_cast<float>(height_);
    if (Executor* executor = InstalledExecutor(); executor && !device_->IsLost()) executor->Text(*device_, *this, c);
    device_->Record(std::move(c));
    return height;
}

Result Font::OnLostDevice() {
    lost_ = true;
    return kOk;
}

Result Font::OnResetDevice() {
    lost_ = false;
    return kOk;
}

}  // namespace platform::gfx
