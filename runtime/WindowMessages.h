#pragma once
// The messages the window sends: every window message as it arrives, dropped files, client
// size changes and device changes.
#include <cstdint>
#include <string>
#include <utility>

#include "core/Message.h"
#include "core/MessageIds.h"

namespace platform {
class Window;
}

namespace SD {

struct WindowsMessage : IMessage {
    WindowsMessage(platform::Window* window, uint32_t message, uint64_t wParam, int64_t lParam)
        : IMessage(MessageIds::WindowsMessage), window(window), message(message), wParam(wParam), lParam(lParam) {}
    platform::Window* window;
    uint32_t message;
    uint64_t wParam;
    int64_t lParam;
    // 1 when sent; a receiver may store its own result here.
    uint32_t handled = 1;
};

struct FileDrop : IMessage {
    static constexpr uint32_t kExtensionCount = 8;
    static constexpr uint32_t kNoExtension = kExtensionCount;
    // Known extensions, by index.
    static const char* const kExtensions[kExtensionCount];

    FileDrop(std::string path, uint32_t extensionIndex)
        : IMessage(MessageIds::FileDrop), path(std::move(path)), extensionIndex(extensionIndex) {}
    // The index of the path's extension (the text after its last dot, matched exactly), or
    // kNoExtension.
    static uint32_t ExtensionIndexOf(const std::string& path);
    // The file name without its folder and extension.
    std::string GetFileName() const;

    std::string path;
    uint32_t extensionIndex;
};

struct Resize : IMessage {
    Resize(int32_t width, int32_t height) : IMessage(MessageIds::Resize), width(width), height(height) {}
    int32_t width;
    int32_t height;
};

struct DeviceChange : IMessage {
    enum Kind : uint32_t { kOther = 0, kArrival = 1, kRemoveComplete = 2, kNodesChanged = 3 };
    static constexpr float kDelay = 3.0f;  // seconds before it is delivered

    explicit DeviceChange(uint32_t kind) : IMessage(MessageIds::DeviceChange), kind(kind) {}
    static uint32_t KindOf(uint64_t wParam);
    uint32_t kind;
};

}  // namespace SD
