#include "runtime/Window.h"

#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "platform/os/Dialogs.h"
#include "platform/window/MessageIds.h"
#include "platform/window/Screen.h"
#include "runtime/Input.h"
#include "runtime/WindowMessages.h"

namespace SD {
namespace {
Window_* instance = nullptr;
constexpr uint32_t kFramedStyles = platform::style::kOverlappedWindow;
}  // namespace

Window_* Window_::GetInstance() { return instance; }

Window_::Window_(const std::string& title, uint32_t width, uint32_t height, bool fullScreen, int showCommand)
    : width_(width), height_(height), fullScreen_(fullScreen), title_(title) {
    instance = this;
    style_ = fullScreen ? platform::style::kPopup : platform::style::kFixedFrame;
    exStyle_ = fullScreen ? platform::style::kExTopmost : platform::style::kExEdges;
    rect_ = OuterRect(width, height, style_);
    window_ = std::make_unique<platform::Window>(title_, style_, exStyle_, rect_.Width(), rect_.Height());
    Centre();
    window_->SetAcceptFiles(true);
    window_->Show(showCommand);
}

Window_::~Window_() {
    if (instance == this) instance = nullptr;
}

platform::WindowRect Window_::OuterRect(uint32_t width, uint32_t height, uint32_t style) const {
    platform::WindowRect rect{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    // A frameless window's outer size is its client size.
    if (style & kFramedStyles) {
        rect.right += 2 * platform::kFrameWidth;
        rect.bottom += 2 * platform::kFrameHeight + platform::kCaptionHeight;
    }
    return rect;
}

void Window_::Update(float) {
    platform::WindowMessage message;
    while (window_->Peek(message)) {
        // Quitting is the core's flag; a quit message stays queued and ends this frame's pumping.
        if (message.message == platform::msg::kQuit) {
            window_->PostQuit(0);
            break;
        }
        HandleMessage(message);
    }
}

void Window_::SetSize(uint32_t width, uint32_t height) {
    width_ = width;
    height_ = height;
    const platform::WindowRect outer = OuterRect(width, height, window_->Style());
    rect_.right = outer.right;
    rect_.bottom = outer.bottom;
    window_->Resize(outer.Width(), outer.Height());
    if (!fullScreen_) Centre();
}

void Window_::SetFullscreen(bool fullScreen) {
    fullScreen_ = fullScreen;
    if (fullScreen) window_->SetStyle(platform::style::kPopup);
}

void Window_::ApplyWindowedStyle() {
    window_->Resize(rect_.Width(), rect_.Height());
    window_->SetExStyle(platform::style::kExEdges);
    window_->RefreshFrame();
    window_->SetStyle(platform::style::kOverlappedWindow);
    window_->RefreshFrame();
    Centre();
    window_->SetAcceptFiles(true);
}

void Window_::Centre() {
    const platform::WindowRect rect = window_->GetRect();
    window_->Move((platform::ScreenWidth() - rect.Width()) / 2, (platform::ScreenHeight() - rect.Height()) / 2);
}

void Window_::Minimize() { window_->Show(platform::show::kMinimize); }

void Window_::RefreshFrame() { window_->RefreshFrame(); }

void Window_::ShowCursor(bool show) { platform::ShowCursor(show); }

void Window_::OnClientSize(int width, int height) {
    // A minimised window reports a frame larger than itself; such sizes are not client sizes.
    if (width <= 0 || height <= 0) return;
    Resize resize(width, height);
    Message_System::GetInstance()->SendMessage(resize);
    width_ = static_cast<uint32_t>(width);
    height_ = static_cast<uint32_t>(height);
}

void Window_::HandleMessage(const platform::WindowMessage& message) {
    WindowsMessage forwarded(window_.get(), message.message, message.wParam, message.lParam);
    Message_System::GetInstance()->SendMessage(forwarded);
    switch (message.message) {
        case platform::msg::kDestroy:
            if (Core* core = Core::GetInstance()) core->Quit();
            break;
        case platform::msg::kNcCalcSize:
            if (message.wParam != 0) {
                const platform::WindowRect& r = message.rect;
                OnClientSize(r.right - 2 * platform::kFrameWidth - r.left,
                             r.bottom - r.top - 2 * platform::kFrameHeight - platform::kCaptionHeight);
            }
            break;
        case platform::msg::kInput:
            if (Input_* input = Input_::GetInstance()) input->OnRawInput(message.wParam, message.lParam);
            break;
        case platform::msg::kChar:
            if (Input_* input = Input_::GetInstance()) input->SetTypedChar(static_cast<uint8_t>(message.wParam & 0xFF));
            break;
        case platform::msg::kSysCommand: {
            const uint64_t command = message.wParam & platform::syscmd::kMask;
            if (command == platform::syscmd::kMinimize || command == platform::syscmd::kMaximize) {
                const platform::WindowRect r = window_->GetRect();
                OnClientSize(r.Width() - 2 * platform::kFrameWidth,
                             r.Height() - 2 * platform::kFrameHeight - platform::kCaptionHeight);
            }
            break;
        }
        case platform::msg::kMouseMove:
            cursorX_ = static_cast<int>(message.lParam & 0xFFFF);
            cursorY_ = static_cast<int>((message.lParam >> 16) & 0xFFFF);
            break;
        case platform::msg::kDeviceChange:
            if (Input_* input = Input_::GetInstance()) input->ScanPads();
            Message_System::GetInstance()->PostMessage(DeviceChange(DeviceChange::KindOf(message.wParam)),
                                                       DeviceChange::kDelay);
            break;
        case platform::msg::kDropFiles:
            OnDropFiles(message.wParam);
            break;
        default:
            break;
    }
}

void Window_::OnDropFiles(uint64_t drop) {
    const uint32_t count = window_->DroppedFileCount(drop);
    for (uint32_t i = 0; i < count; ++i) {
        const std::string path = window_->DroppedFile(drop, i);
        FileDrop message(path, FileDrop::ExtensionIndexOf(path));
        Message_System::GetInstance()->SendMessage(message);
    }
    // An empty drop is released too.
    window_->FinishDrop(drop);
}

}  // namespace SD
