#pragma once
// Preparation of a list in order: a failure undoes what was prepared before it, so that a
// failed preparation leaves every count as it found it.
#include <cstddef>

#include "sound/engine/SxTypes.h"

namespace SX {

template <typename Items, typename Prepare, typename Unprepare>
SXRESULT SxPrepareAll(const Items& items, Prepare prepare, Unprepare unprepare) {
    for (size_t i = 0; i < items.size(); ++i) {
        const SXRESULT result = prepare(items[i]);
        if (result == SX_Success) continue;
        while (i-- > 0) unprepare(items[i]);
        return result;
    }
    return SX_Success;
}

}  // namespace SX
