#pragma once
// Message boxes never block here: they are written to standard error and recorded so that
// tests can read them. The cursor keeps a show counter (ShowCursor).
#include <string>
#include <vector>

namespace platform {

struct RecordedMessageBox {
    std::string title;
    std::string text;
};

void ShowMessageBox(const std::string& title, const std::string& text);
std::vector<RecordedMessageBox> RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

// Adds one to (show) or takes one from (hide) the display counter and returns it;
// the cursor shows while the counter is at least 0.
int ShowCursor(bool show);
// Where the cursor's visibility also goes: a real window's pointer. The sink hears the
// visibility when installed and after every show or hide; it must not show or hide itself.
class ICursorSink {
public:
    virtual void CursorShown(bool shown) = 0;

protected:
    ~ICursorSink() = default;
};
// The first sink installed hears the cursor until it is removed; returns whether `sink` is the
// one. Null removes any sink.
bool SetCursorSink(ICursorSink* sink);
// Removes `sink` if it is the one installed.
void RemoveCursorSink(ICursorSink* sink);

struct LocalTime {
    int year, month, day, hour, minute, second, milliseconds;
};
LocalTime GetLocalTime();

}  // namespace platform
