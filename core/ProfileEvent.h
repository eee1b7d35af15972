#pragma once
// The time a named scope took, broadcast when the scope ends.
#include <string>

#include "core/Message.h"
#include "core/MessageIds.h"
#include "core/Timer.h"

namespace SD {

class ProfileEvent : public IMessage {
public:
    explicit ProfileEvent(std::string scopeName, double elapsedSeconds = 0.0)
        : IMessage(MessageIds::ProfileEvent), name(std::move(scopeName)), seconds(elapsedSeconds) {}
    std::string name;
    double seconds;
};

// Times its own life on the performance counter and broadcasts a ProfileEvent with the
// elapsed seconds when it ends.
class ProfileScope {
public:
    explicit ProfileScope(const char* name);
    // Fills and broadcasts the caller's event instead of one of its own: a scope entered every
    // frame keeps one event, so that naming it allocates nothing once its name has fitted.
    explicit ProfileScope(ProfileEvent& event);
    ~ProfileScope();
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

private:
    Stopwatch stopwatch_;
    ProfileEvent own_;
    ProfileEvent& event_;
};

}  // namespace SD
