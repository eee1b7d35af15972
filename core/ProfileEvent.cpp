#include "core/ProfileEvent.h"

#include "core/MessageSystem.h"

namespace SD {

ProfileScope::ProfileScope(const char* name) : event_(name ? name : "") { stopwatch_.Restart(); }

ProfileScope::~ProfileScope() {
    event_.seconds = stopwatch_.GetTime();
    Message_System::GetInstance()->SendMessage(event_);
}

}  // namespace SD
