#include "engine/PlayStateQuery.h"

namespace SD {

namespace {
PlayStateQuery g_query = nullptr;
}

void SetPlayStateQuery(PlayStateQuery query) { g_query = query; }

uint32_t GetCurrentPlayState() { return g_query ? g_query() : 0; }

}  // namespace SD
