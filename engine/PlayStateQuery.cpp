#include "engine/PlayStateQuery.h"

#include "platform/SeamSlot.h"

namespace SD {

namespace {
platform::SeamSlot<IPlayStateQuery> g_query;
}

bool SetPlayStateQuery(IPlayStateQuery* query) { return g_query.Install(query); }

void RemovePlayStateQuery(IPlayStateQuery* query) { g_query.Remove(query); }

uint32_t GetCurrentPlayState() {
    const IPlayStateQuery* query = g_query.Installed();
    return query ? query->CurrentPlayState() : kPlayStatePlay;
}

}  // namespace SD
