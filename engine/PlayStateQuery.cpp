#include "engine/PlayStateQuery.h"

namespace SD {

namespace {
PlayStateQuery gQuery = nullptr;
}

void SetPlayStateQuery(PlayStateQuery query) { gQuery = query; }

uint32_t GetCurrentPlayState() { return gQuery ? gQuery() : 0; }

}  // namespace SD
