#pragma once
// Stands for the game-state manager as the engine's play-state query while it lives: the engine
// reads whatever the test keeps in the state it names.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/PlayStateQuery.h"

namespace qvtest {

class PlayStateDouble : public SD::IPlayStateQuery {
public:
    explicit PlayStateDouble(const uint32_t& state) : state_(state) {
        EXPECT_TRUE(SD::SetPlayStateQuery(this)) << "another play-state query is installed";
    }
    ~PlayStateDouble() { SD::RemovePlayStateQuery(this); }
    PlayStateDouble(const PlayStateDouble&) = delete;
    PlayStateDouble& operator=(const PlayStateDouble&) = delete;

    uint32_t CurrentPlayState() const override { return state_; }

private:
    const uint32_t& state_;
};

}  // namespace qvtest
