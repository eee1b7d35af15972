#include "engine/PlayStateQuery.h"

#include "platform/Seam.h"

namespace SD {

namespace {
platform::Seam<IPlayStateQuery> g_query{"SD::IPlayStateQuery"};
}

bool SetPlayStateQuery(IPlayStateQuery* query) { return g_query.Install(query); }

void RemovePlayStateQuery(IPlayStateQuery* query) { g_query.Remove(query); }

uint32_t GetCurrentPlayState() {
    const IPlayStateQuery* query = g_query.Installed();
    return query ? query->CurrentPlayState() : kPlayStatePlay;
}

}  // namespace SD
