#pragma once
// Keeps every line the engine's logger prints while it lives, from any thread.
#include <mutex>
#include <string>

#include "core/Logger.h"

namespace qvtest {

class CapturedLog : public Debug::ILineSink {
public:
    CapturedLog() { Debug::SetLineSink(this); }
    ~CapturedLog() override { Debug::SetLineSink(nullptr); }
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
