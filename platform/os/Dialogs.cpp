#include "platform/os/Dialogs.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/Seam.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::vector<RecordedMessageBox> g_boxes;
int g_cursorCount = 0;
// Installed and called under `g_mutex`, so a sink removed is no longer in use.
Seam<ICursorSink> g_cursorSink{"platform::ICursorSink"};

}  // namespace

void ShowMessageBox(const std::string& title, const std::string& text) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
    g_boxes.push_back({title, text});
}

std::vector<RecordedMessageBox> RecordedMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_boxes;
}

void ClearRecordedMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_boxes.clear();
}

int ShowCursor(bool show) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const int count = show ? ++g_cursorCount : --g_cursorCount;
    if (ICursorSink* sink = g_cursorSink.Installed()) sink->CursorShown(count >= 0);
    return count;
}

bool SetCursorSink(ICursorSink* sink) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_cursorSink.Install(sink)) return false;
    if (sink) sink->CursorShown(g_cursorCount >= 0);
    return true;
}

void RemoveCursorSink(ICursorSink* sink) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_cursorSink.Remove(sink);
}

LocalTime GetLocalTime() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    int ms =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms};
}

}  // namespace platform
