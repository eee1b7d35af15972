#include "platform/window/Window.h"

#include <utility>

#include "platform/Seam.h"
#include "platform/window/CloseRequest.h"
#include "platform/window/MessageIds.h"
#include "platform/window/WindowBackend.h"

namespace platform {
namespace {
Seam<WindowBackend> installedBackend{"platform::WindowBackend"};
}  // namespace

bool SetWindowBackend(WindowBackend* backend) { return installedBackend.Install(backend); }
void RemoveWindowBackend(WindowBackend* backend) { installedBackend.Remove(backend); }
WindowBackend* InstalledWindowBackend() { return installedBackend.Installed(); }

Window::Window(std::string title, uint32_t style, uint32_t exStyle, int width, int height)
    : title_(std::move(title)),
      style_(style),
      exStyle_(exStyle),
      rect_{0, 0, width, height},
      backend_(InstalledWindowBackend()) {
    if (backend_) backend_->Opened(*this);
}

Window::~Window() {
    if (backend_) backend_->Closed(*this);
}

void Window::SetRect(int x, int y, int width, int height) {
    const bool resized = width != rect_.Width() || height != rect_.Height();
    rect_ = {x, y, x + width, y + height};
    if (backend_ && resized) backend_->Reshaped(*this);
}

void Window::SetStyle(uint32_t style) {
    const bool changed = style != style_;
    style_ = style;
    if (backend_ && changed) backend_->Reshaped(*this);
}

void Window::Move(int x, int y) { SetRect(x, y, rect_.Width(), rect_.Height()); }

void Window::Resize(int width, int height) { SetRect(rect_.left, rect_.top, width, height); }

void Window::Post(const WindowMessage& message) {
    if (message.message == msg::kQuit) {
        PostQuit(static_cast<int>(message.wParam));
        return;
    }
    queue_.push_back(message);
}

int64_t Window::PostRawInput(const RawInput& record) {
    const int64_t handle = nextInputHandle_++;
    pendingInput_[handle] = record;
    queue_.push_back({msg::kInput, 0, handle, {}});
    return handle;
}

uint64_t Window::PostDropFiles(std::vector<std::string> paths) {
    const uint64_t drop = nextDrop_++;
    drops_[drop] = std::move(paths);
    queue_.push_back({msg::kDropFiles, drop, 0, {}});
    return drop;
}

void Window::PostQuit(int exitCode) {
    quitPosted_ = true;
    quitCode_ = exitCode;
}

bool Window::Peek(WindowMessage& out) {
    currentInputHandle_ = 0;
    currentInput_ = RawInput{};
    if (backend_ && !pumped_) {
        pumped_ = true;
        backend_->Pump(*this);
    }
    if (TakeWindowCloseRequest()) {
        out = {msg::kDestroy, 0, 0, {}};
        return true;
    }
    if (queue_.empty()) {
        if (!quitPosted_) {
            pumped_ = false;
            return false;
        }
        quitPosted_ = false;
        out = {msg::kQuit, static_cast<uint64_t>(quitCode_), 0, {}};
        return true;
    }
    out = queue_.front();
    queue_.pop_front();
    if (out.message == msg::kInput) {
        auto it = pendingInput_.find(out.lParam);
        if (it != pendingInput_.end()) {
            currentInputHandle_ = it->first;
            currentInput_ = std::move(it->second);
            pendingInput_.erase(it);
        }
    }
    return true;
}

bool Window::ReadRawInput(int64_t handle, RawInput& out) const {
    if (handle == 0 || handle != currentInputHandle_) return false;
    out = currentInput_;
    return true;
}

void Window::AddRawInputDevice(uint32_t device, const RawInputDeviceInfo& info) { devices_[device] = info; }

bool Window::GetRawInputDeviceInfo(uint32_t device, RawInputDeviceInfo& out) const {
    auto it = devices_.find(device);
    if (it == devices_.end()) return false;
    out = it->second;
    return true;
}

bool Window::RegisterRawInputDevices(const std::vector<RawInputRegistration>& devices) {
    if (registrationFails_) return false;
    registrations_.insert(registrations_.end(), devices.begin(), devices.end());
    return true;
}

uint32_t Window::DroppedFileCount(uint64_t drop) const {
    auto it = drops_.find(drop);
    return it == drops_.end() ? 0 : static_cast<uint32_t>(it->second.size());
}

std::string Window::DroppedFile(uint64_t drop, uint32_t index) const {
    auto it = drops_.find(drop);
    if (it == drops_.end() || index >= it->second.size()) return {};
    return it->second[index];
}

}  // namespace platform
