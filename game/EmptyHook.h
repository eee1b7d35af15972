#pragma once
// The game's layers meet through hook tables the game fills at start-up. A hook still at its
// do-nothing default when it is called notes that here: the first call of each such hook in a
// run logs one line naming it, so a missing wire shows in the first run instead of as a
// silent gap. `Hook` is the function slot of the tables whose hooks are plain functions.
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace QV {

// Logs "Hook <name> is empty" the first time it is called while the program runs (the engine's
// logger exists); every call is kept for EmptyHooksCalled.
void NoteEmptyHook(const char* name);
// The names of the empty hooks called since the last ForgetEmptyHooks, in first-call order.
std::vector<std::string> EmptyHooksCalled();
void ForgetEmptyHooks();

// The hooks the game leaves empty on purpose: nothing in the game gives them an effect.
const std::vector<std::string>& HooksEmptyOnPurpose();

template <class Signature>
class Hook;

template <class Result, class... Args>
class Hook<Result(Args...)> {
public:
    explicit Hook(const char* name) : name_(name) {}
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, Hook>>>
    Hook& operator=(F&& function) {
        function_ = std::forward<F>(function);
        return *this;
    }
    Hook& operator=(std::nullptr_t) {
        function_ = nullptr;
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(function_); }
    const char* Name() const { return name_; }

    // An empty hook is noted and answers a default value.
    Result operator()(Args... args) const {
        if (function_) return function_(std::forward<Args>(args)...);
        NoteEmptyHook(name_);
        return Result();
    }

private:
    const char* name_;
    std::function<Result(Args...)> function_;
};

}  // namespace QV
