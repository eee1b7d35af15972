#include "core/TimeStamp.h"

#include "core/EngineCore.h"

namespace SD {

void StampTime(TimeStamp& stamp) {
    stamp.time = Core::GetTime();
    stamp.extra = 0;
}

}  // namespace SD
