#include <gtest/gtest.h>

#include "platform/os/Clock.h"
#include "sound/engine/positions/CSxPositionRepository.h"

namespace {

using SX::SxPositionInfo;

struct Repository : ::testing::Test {
    Repository() : scoped(clock) { repo.Init(); }
    ~Repository() override { repo.Term(); }

    int32_t Position(uint32_t id, bool extrapolate, SX::SXRESULT expected = SX::SX_Success) {
        int32_t ms = -1;
        EXPECT_EQ(repo.GetCurrPosition(id, &ms, extrapolate), expected);
        return ms;
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped;
    SX::CSxPositionRepository repo;
    const int voice = 0;
};

SxPositionInfo Info(uint32_t position, float rate, uint32_t duration, uint32_t sampleRate = 48000) {
    SxPositionInfo info;
    info.position = position;
    info.rate = rate;
    info.duration = duration;
    info.sampleRate = sampleRate;
    return info;
}

TEST_F(Repository, AnswersFailureUntilAPositionIsKnown) {
    EXPECT_EQ(Position(7, true, SX::SX_Fail), 0);
    repo.AddSource(7, &voice);
    EXPECT_EQ(Position(7, true, SX::SX_Fail), 0);
    repo.UpdatePosition(7, Info(48000, 1.0f, 480000, 0), &voice);
    EXPECT_EQ(Position(7, false, SX::SX_Fail), 0);
    repo.UpdatePosition(7, Info(48000, 1.0f, 480000), &voice);
    EXPECT_EQ(Position(7, false), 1000);
}

TEST_F(Repository, ExtrapolatesByRateAndCapsAtTheDuration) {
    struct Case {
        float rate;
        uint32_t duration;
        double elapsed;
        int32_t expected;
    } cases[] = {
        {1.0f, 480000, 0.5, 1500},                                   // moves with the time since the frame stamp
        {2.0f, 480000, 0.5, 2000},       {0.0f, 480000, 3.0, 1000},  // paused: frozen
        {1.0f, 60000, 3.0, 1250},                                    // never past the end
        {1.0f, 0xFFFFFFFFu, 0.25, 1250},                             // unknown duration
    };
    uint32_t id = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(id);
        repo.SetFrameTimeStamp();
        repo.UpdatePosition(id, Info(48000, c.rate, c.duration), &voice);
        clock.Advance(c.elapsed);
        EXPECT_EQ(Position(id, false), 1000);
        EXPECT_EQ(Position(id, true), c.expected);
        ++id;
    }
}

TEST_F(Repository, PauseFreezesFromTheFrameStamp) {
    repo.SetFrameTimeStamp();
    repo.UpdatePosition(3, Info(24000, 1.0f, 480000), &voice);
    clock.Advance(0.1);
    repo.SetFrameTimeStamp();
    repo.SetRate(3, 0.0f);
    clock.Advance(5.0);
    EXPECT_EQ(Position(3, true), 500);
}

TEST_F(Repository, OnlyTheOwnerUpdatesOrRemovesItsEntry) {
    const int other = 0;
    repo.UpdatePosition(9, Info(4800, 1.0f, 480000), &voice);
    repo.UpdatePosition(9, Info(9600, 1.0f, 480000), &other);
    EXPECT_EQ(Position(9, false), 100);
    repo.RemoveSource(9, &other);
    EXPECT_EQ(Position(9, false), 100);
    repo.RemoveSource(9, &voice);
    Position(9, false, SX::SX_Fail);

    repo.UpdatePosition(9, Info(4800, 1.0f, 480000), &voice);
    repo.RemovePlayingID(9);
    Position(9, false, SX::SX_Fail);
    EXPECT_FALSE(repo.HasEntries());
}

}  // namespace
