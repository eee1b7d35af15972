#include "core/ProfileEvent.h"

#include "core/MessageSystem.h"

namespace SD {

ProfileScope::ProfileScope(const char* name) : own_(name ? name : ""), event_(own_) { stopwatch_.Restart(); }

ProfileScope::ProfileScope(ProfileEvent& event) : own_(std::string()), event_(event) { stopwatch_.Restart(); }

ProfileScope::~ProfileScope() {
    event_.seconds = stopwatch_.GetTime();
    Message_System::GetInstance()->SendMessage(event_);
}

}  // namespace SD
