#pragma once
// Keeps every line the engine's logger prints while it lives, from any thread; counts a text's
// occurrences in a log or a program's output.
#include <cstddef>
#include <mutex>
#include <string>

#include "core/Logger.h"

namespace qvtest {

// How often `what` occurs in `text`, overlapping occurrences included.
inline size_t Occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

class CapturedLog : public Debug::ILineSink {
public:
    CapturedLog() { Debug::SetLineSink(this); }
    ~CapturedLog() override { Debug::RemoveLineSink(this); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    void Line(const char* line) override {
        std::lock_guard<std::mutex> lock(mutex_);
        text_ += line;
    }
    // The lines so far, each ending in a line break.
    std::string Text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;  // guarded by mutex_
};

}  // namespace qvtest
