#pragma once
// The game window, headless: a record of its title, styles, rectangle and show state, and the
// message queue its owner pumps each frame. Tests and input backends post into the queue;
// raw-input records and dropped-file lists travel beside it and are read through the handles
// the messages carry.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/window/RawInput.h"

namespace platform {

struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

struct WindowMessage {
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    // The proposed window rectangle of a size-calculation message.
    WindowRect rect;
};

class Window {
public:
    // A window of the given outer size at the screen's origin, not yet shown.
    Window(std::string title, uint32_t style, uint32_t exStyle, int width, int height);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& Title() const { return title_; }

    // Geometry and appearance.
    WindowRect GetRect() const { return rect_; }
    void SetRect(int x, int y, int width, int height);
    void Move(int x, int y);
    void Resize(int width, int height);
    uint32_t Style() const { return style_; }
    void SetStyle(uint32_t style);
    void SetExStyle(uint32_t exStyle) { exStyle_ = exStyle; }
    void Show(int command) { showCommand_ = command; }
    void RefreshFrame() { ++frameRefreshes_; }
    void SetAcceptFiles(bool accept) { acceptFiles_ = accept; }

    // The queue. A posted quit is handed out only once every other message is gone.
    void Post(const WindowMessage& message);
    void Post(uint32_t message, uint64_t wParam, int64_t lParam) { Post({message, wParam, lParam, {}}); }
    // Posts an input message whose lParam is the handle of the record.
    int64_t PostRawInput(const RawInput& record);
    // Posts a dropped-files message whose wParam is the handle of the list.
    uint64_t PostDropFiles(std::vector<std::string> paths);
    void PostQuit(int exitCode);
    // Takes the next message; false when the queue is empty. A close request made from
    // outside (see CloseRequest.h) comes first, as a destroy message. The first call of a
    // drain lets an installed window system post its events (WindowBackend.h).
    bool Peek(WindowMessage& out);
    size_t Pending() const { return queue_.size() + (quitPosted_ ? 1 : 0); }

    // The record of the input message last taken from the queue; false for any other handle.
    bool ReadRawInput(int64_t handle, RawInput& out) const;
    void AddRawInputDevice(uint32_t device, const RawInputDeviceInfo& info);
    // False for a device that is not attached.
    bool GetRawInputDeviceInfo(uint32_t device, RawInputDeviceInfo& out) const;
    bool RegisterRawInputDevices(const std::vector<RawInputRegistration>& devices);

    // Dropped files of a drop handle, valid until FinishDrop.
    uint32_t DroppedFileCount(uint64_t drop) const;
    std::string DroppedFile(uint64_t drop, uint32_t index) const;
    void FinishDrop(uint64_t drop) { drops_.erase(drop); }

private:
    friend struct platform::TestProbe<Window>;

    std::string title_;
    uint32_t style_;
    uint32_t exStyle_;
    WindowRect rect_;
    int showCommand_ = 0;
    int frameRefreshes_ = 0;
    bool acceptFiles_ = false;

    std::deque<WindowMessage> queue_;
    bool pumped_ = false;  // the window system has posted into this drain
    class WindowBackend* backend_;
    bool quitPosted_ = false;
    int quitCode_ = 0;

    std::map<int64_t, RawInput> pendingInput_;
    int64_t currentInputHandle_ = 0;
    RawInput currentInput_;
    int64_t nextInputHandle_ = 1;
    std::map<uint32_t, RawInputDeviceInfo> devices_;
    std::vector<RawInputRegistration> registrations_;
    bool registrationFails_ = false;

    std::map<uint64_t, std::vector<std::string>> drops_;
    uint64_t nextDrop_ = 1;
};

}  // namespace platform
