#include "platform/os/Dialogs.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex g_mutex;
std::vector<RecordedMessageBox> g_boxes;
int g_cursorCount = 0;
std::function<void(bool)> g_cursorSink;

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
    if (g_cursorSink) g_cursorSink(count >= 0);
    return count;
}

void SetCursorSink(std::function<void(bool)> sink) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_cursorSink = std::move(sink);
    if (g_cursorSink) g_cursorSink(g_cursorCount >= 0);
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
