#pragma once
// The game's current play state (engine/PlayState.h) as the engine reads it. The
// game-state manager that owns it sits above the engine, so it installs itself as the query
// while it lives; until then the game counts as playing.
#include <cstdint>

#include "engine/PlayState.h"

namespace SD {

class IPlayStateQuery {
public:
    virtual uint32_t CurrentPlayState() const = 0;

protected:
    ~IPlayStateQuery() = default;
};

// The first query installed is asked until it is removed; returns whether `query` is the one
// asked. Null restores the default (always Play).
bool SetPlayStateQuery(IPlayStateQuery* query);
// Removes `query` if it is the one asked.
void RemovePlayStateQuery(IPlayStateQuery* query);
uint32_t GetCurrentPlayState();

}  // namespace SD
