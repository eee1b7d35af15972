#include "game/EmptyHook.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "core/Logger.h"

namespace QV {
namespace {

struct EmptyHookLog {
    std::mutex lock;
    std::vector<std::string> called;
    std::set<std::string> logged;
    const Debug::GlobalLogger* loggedWith = nullptr;
};

EmptyHookLog& Log() {
    static EmptyHookLog log;
    return log;
}

}  // namespace

void NoteEmptyHook(const char* name) {
    EmptyHookLog& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    if (std::find(log.called.begin(), log.called.end(), name) == log.called.end()) log.called.push_back(name);
    const Debug::GlobalLogger* logger = Debug::GetGlobalLogger();
    if (!logger) return;
    // Each run of the program logs each empty hook once.
    if (logger != log.loggedWith) {
        log.logged.clear();
        log.loggedWith = logger;
    }
    if (log.logged.insert(name).second) SD_WARNING(Debug::kLogError, "Hook %s is empty: nothing done", name);
}

std::vector<std::string> EmptyHooksCalled() {
    std::lock_guard<std::mutex> hold(Log().lock);
    return Log().called;
}

void ForgetEmptyHooks() {
    std::lock_guard<std::mutex> hold(Log().lock);
    Log().called.clear();
}

const std::vector<std::string>& HooksEmptyOnPurpose() {
    static const std::vector<std::string> names;
    return names;
}

}  // namespace QV
