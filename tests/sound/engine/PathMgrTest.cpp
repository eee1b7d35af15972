// Position paths run by the path manager: what position each attached instance is given
// frame by frame, how the play list is walked, and the manager's counts and limits.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/os/Random.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tests/sound/engine/SxTestMemory.h"

namespace {

using namespace SX;

// 21 ms is one frame at 48000 Hz.
constexpr uint32_t kTenFrames = 210;

struct RecordingInstance : ISxPathUser {
    void SetPathPosition(const SxVector& position) override { positions.push_back(position); }
    std::vector<SxVector> positions;
};

class PathMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        SxTimingSettings::SetSampleRate(48000);
        platform::crt_srand(7);
        ASSERT_EQ(mgr.Init(0), SX_Success);
        g_uSxAudioFrameCounter = 100;
    }
    void TearDown() override {
        mgr.Term();
        g_uSxAudioFrameCounter = 0;
    }

    CSxPath* StartedPath(const SxPathListItem* list, uint16_t count, uint32_t mode, bool looping,
                         SxPathState* saved = nullptr) {
        CSxPath* path = mgr.AddPathToList();
        EXPECT_NE(path, nullptr);
        mgr.AddPathUser(path);
        EXPECT_EQ(mgr.AddPBI(path, &instance), SX_Success);
        EXPECT_EQ(mgr.SetPathsList(path, list, count, mode, looping, saved), SX_Success);
        EXPECT_EQ(mgr.Start(path, saved), SX_Success);
        return path;
    }
    float XAt(uint32_t frame) {
        mgr.ProcessPathsList(frame);
        return instance.positions.back().x;
    }

    sxtest::TestMemory memory;
    CSxPathMgr mgr;
    RecordingInstance instance;
};

TEST_F(PathMgrTest, MovesLinearlyBetweenVerticesFrameByFrameAndStopsAtTheEndInStepMode) {
    const SxPathVertex vertices[] = {{0, 0, 0, kTenFrames}, {10, 5, -20, kTenFrames}};
    const SxPathListItem list[] = {{vertices, 2, 0, 0}};
    CSxPath* path = StartedPath(list, 1, 0, false);
    ASSERT_EQ(instance.positions.size(), 1u);  // the start is written at once
    for (uint32_t frame = 100; frame <= 110; ++frame) {
        mgr.ProcessPathsList(frame);
        const SxVector& at = instance.positions.back();
        const float ratio = static_cast<float>(frame - 100) / 10.0f;
        EXPECT_NEAR(at.x, 10.0f * ratio, 1e-3) << frame;
        EXPECT_NEAR(at.y, 5.0f * ratio, 1e-3) << frame;
        EXPECT_NEAR(at.z, -20.0f * ratio, 1e-3) << frame;
    }
    EXPECT_TRUE(path->IsIdle());
    const size_t written = instance.positions.size();
    mgr.ProcessPathsList(111);
    EXPECT_EQ(instance.positions.size(), written) << "an idle path writes nothing more";
}

TEST_F(PathMgrTest, SegmentLengthsAreWholeFramesOfAtLeastOne) {
    struct Case {
        uint32_t durationMs;
        uint32_t frames;
    } cases[] = {{0, 1}, {1, 1}, {21, 1}, {22, 2}, {kTenFrames, 10}};
    for (const Case& c : cases) {
        const SxPathVertex vertices[] = {{0, 0, 0, c.durationMs}, {1, 0, 0, 0}};
        const SxPathListItem list[] = {{vertices, 2, 0, 0}};
        CSxPath* path = StartedPath(list, 1, 0, false);
        for (uint32_t frame = 100; frame < 100 + c.frames; ++frame) {
            mgr.ProcessPathsList(frame);
            EXPECT_FALSE(path->IsIdle()) << c.durationMs << " ms, frame " << frame;
        }
        EXPECT_NEAR(XAt(100 + c.frames), 1.0f, 1e-3) << c.durationMs;
        EXPECT_TRUE(path->IsIdle()) << c.durationMs;
        mgr.RemovePBI(path, &instance);
        mgr.RemovePathUser(path);
        EXPECT_EQ(qvtest::PathMgrProbe::PathCount(mgr), 0u);
    }
}

TEST_F(PathMgrTest, ASingleVertexPathStaysPutForItsDuration) {
    const SxPathVertex vertices[] = {{3, 4, 5, kTenFrames}};
    const SxPathListItem list[] = {{vertices, 1, 100, 100}};
    CSxPath* path = StartedPath(list, 1, 0, false);
    for (uint32_t frame = 100; frame <= 110; ++frame) {
        mgr.ProcessPathsList(frame);
        EXPECT_FLOAT_EQ(instance.positions.back().x, 3.0f);
        EXPECT_FLOAT_EQ(instance.positions.back().z, 5.0f);
    }
    EXPECT_TRUE(path->IsIdle());
}

TEST_F(PathMgrTest, RandomRangesJitterTheVerticesWithinTheirBounds) {
    const SxPathVertex vertices[] = {{0, 0, 0, kTenFrames}, {10, 0, 10, kTenFrames}, {20, 0, 20, kTenFrames}};
    const SxPathListItem list[] = {{vertices, 3, 2, 3}};
    StartedPath(list, 1, 0, false);
    const SxVector start = instance.positions.back();
    EXPECT_LE(std::abs(start.x), 2.001f);
    EXPECT_LE(std::abs(start.z), 3.001f);
    EXPECT_FLOAT_EQ(start.y, 0.0f);
    mgr.ProcessPathsList(110);
    EXPECT_LE(std::abs(instance.positions.back().x - 10.0f), 2.001f);
    EXPECT_LE(std::abs(instance.positions.back().z - 10.0f), 3.001f);
}

// Two paths A (x 0 to 10) and B (x 100 to 110), in sequence and continuous: the arrivals at
// each ten-frame boundary show which path is walked.
TEST_F(PathMgrTest, ContinuousSequenceRepeatsWhenLoopingAndGoesIdleAfterTheLastOtherwise) {
    const SxPathVertex a[] = {{0, 0, 0, kTenFrames}, {10, 0, 0, kTenFrames}};
    const SxPathVertex b[] = {{100, 0, 0, kTenFrames}, {110, 0, 0, kTenFrames}};
    const SxPathListItem list[] = {{a, 2, 0, 0}, {b, 2, 0, 0}};
    struct Case {
        bool looping;
        std::vector<float> arrivals;
        bool idleAtEnd;
    } cases[] = {
        {true, {10, 100, 110, 0, 10, 100, 110, 0}, false},
        {false, {10, 100, 110, 110}, true},
    };
    for (const Case& c : cases) {
        g_uSxAudioFrameCounter = 100;
        instance.positions.clear();
        CSxPath* path = StartedPath(list, 2, CSxPath::kModeContinuous, c.looping);
        std::vector<float> arrivals;
        for (uint32_t segment = 1; segment <= c.arrivals.size(); ++segment) arrivals.push_back(XAt(100 + 10 * segment));
        EXPECT_EQ(arrivals, c.arrivals) << "looping " << c.looping;
        EXPECT_EQ(path->IsIdle(), c.idleAtEnd);
        mgr.RemovePBI(path, &instance);
        mgr.RemovePathUser(path);
    }
}

TEST_F(PathMgrTest, APauseDelaysTheArrivalByThePausedFrames) {
    const SxPathVertex vertices[] = {{0, 0, 0, kTenFrames}, {10, 0, 0, kTenFrames}};
    const SxPathListItem list[] = {{vertices, 2, 0, 0}};
    CSxPath* path = StartedPath(list, 1, 0, false);
    EXPECT_NEAR(XAt(104), 4.0f, 1e-3);
    g_uSxAudioFrameCounter = 104;
    ASSERT_EQ(mgr.Pause(path), SX_Success);
    EXPECT_EQ(mgr.Pause(path), SX_PathNotRunning);
    mgr.ProcessPathsList(110);  // a paused path is not stepped
    g_uSxAudioFrameCounter = 114;
    ASSERT_EQ(mgr.Resume(path), SX_Success);
    EXPECT_NEAR(XAt(115), 5.0f, 1e-3);
    EXPECT_NEAR(XAt(119), 9.0f, 1e-3);
    EXPECT_FALSE(path->IsIdle());
    EXPECT_NEAR(XAt(120), 10.0f, 1e-3);
    EXPECT_TRUE(path->IsIdle());
}

TEST_F(PathMgrTest, StepModeHandsTheNextPathToTheNextSoundAndBoundsASavedIndex) {
    const SxPathVertex a[] = {{0, 0, 0, kTenFrames}, {10, 0, 0, kTenFrames}};
    const SxPathVertex b[] = {{100, 0, 0, kTenFrames}, {110, 0, 0, kTenFrames}};
    const SxPathListItem list[] = {{a, 2, 0, 0}, {b, 2, 0, 0}};
    uint8_t played[2] = {};
    struct Case {
        uint16_t savedIndex;
        float start;
        uint16_t nextIndex;
    } cases[] = {{0, 0, 1}, {1, 100, 0}, {2, 0, 1}, {40000, 0, 1}};
    for (const Case& c : cases) {
        SxPathState saved{c.savedIndex, played};
        instance.positions.clear();
        CSxPath* path = StartedPath(list, 2, 0, false, &saved);
        EXPECT_FLOAT_EQ(instance.positions.front().x, c.start) << c.savedIndex;
        EXPECT_EQ(saved.index, c.nextIndex) << c.savedIndex;
        mgr.RemovePBI(path, &instance);
        mgr.RemovePathUser(path);
    }
}

TEST_F(PathMgrTest, RandomContinuousPathsStayInTheListAndEveryPathIsPlayed) {
    SxPathVertex vertices[3][1];
    SxPathListItem list[3];
    for (int i = 0; i < 3; ++i) {
        vertices[i][0] = SxPathVertex{static_cast<float>(i), 0, 0, 21};
        list[i] = SxPathListItem{vertices[i], 1, 0, 0};
    }
    CSxPath* path = StartedPath(list, 3, CSxPath::kModeRandom | CSxPath::kModeContinuous, true);
    bool seen[3] = {};
    for (uint32_t frame = 101; frame < 1101; ++frame) {
        mgr.ProcessPathsList(frame);
        ASSERT_LT(path->PathIndex(), 3);
        seen[path->PathIndex()] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
    EXPECT_FALSE(path->IsIdle());
}

TEST_F(PathMgrTest, ManagerCountsUsersAndInstancesAndFreesAPathNothingUses) {
    const SxPathVertex vertices[] = {{0, 0, 0, kTenFrames}};
    const SxPathListItem list[] = {{vertices, 1, 0, 0}};
    CSxPath* path = mgr.AddPathToList();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(mgr.Pause(path), SX_PathNotRunning);
    EXPECT_EQ(mgr.Resume(path), SX_PathNotPaused);
    EXPECT_EQ(mgr.SetPathsList(path, nullptr, 1, 0, false, nullptr), SX_InvalidParameter);
    EXPECT_EQ(mgr.SetPathsList(path, list, 0, 0, false, nullptr), SX_InvalidParameter);
    ASSERT_EQ(mgr.SetPathsList(path, list, 1, 0, false, nullptr), SX_Success);

    RecordingInstance instances[9];
    for (int i = 0; i < 8; ++i) EXPECT_EQ(mgr.AddPBI(path, &instances[i]), SX_Success);
    EXPECT_EQ(mgr.AddPBI(path, &instances[8]), SX_Fail);
    EXPECT_EQ(mgr.RemovePBI(path, &instances[8]), SX_PathNodeNotInList);
    EXPECT_EQ(mgr.RemovePBI(path, &instances[7]), SX_Success);
    EXPECT_EQ(mgr.AddPBI(path, &instances[0]), SX_PathNodeAlreadyInList);

    ASSERT_EQ(mgr.Start(path, nullptr), SX_Success);
    EXPECT_EQ(mgr.Resume(path), SX_PathNotPaused);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(instances[i].positions.size(), 1u);

    // The sound's user count saturates in its eight bits.
    for (int i = 0; i < 300; ++i) mgr.AddPathUser(path);
    EXPECT_EQ(path->UserCount(), 255);
    for (int i = 0; i < 300; ++i) mgr.RemovePathUser(path);
    EXPECT_EQ(qvtest::PathMgrProbe::PathCount(mgr), 1u) << "instances still hold the path";
    for (int i = 0; i < 6; ++i) mgr.RemovePBI(path, &instances[i]);
    EXPECT_EQ(qvtest::PathMgrProbe::PathCount(mgr), 1u);
    mgr.RemovePBI(path, &instances[6]);
    EXPECT_EQ(qvtest::PathMgrProbe::PathCount(mgr), 0u);
    EXPECT_EQ(mgr.RemovePathFromList(path), SX_PathNotFound);
}

TEST_F(PathMgrTest, AFullManagerMakesNoPath) {
    CSxPathMgr small;
    ASSERT_EQ(small.Init(2), SX_Success);
    EXPECT_NE(small.AddPathToList(), nullptr);
    EXPECT_NE(small.AddPathToList(), nullptr);
    EXPECT_EQ(small.AddPathToList(), nullptr);
    small.Term();
    EXPECT_EQ(qvtest::PathMgrProbe::MaxPaths(mgr), 255u);
}

TEST_F(PathMgrTest, AStartedOrRunningPathIsNotStartedAgain) {
    const SxPathVertex vertices[] = {{0, 0, 0, kTenFrames}, {10, 0, 0, kTenFrames}};
    const SxPathListItem list[] = {{vertices, 2, 0, 0}};
    CSxPath* path = StartedPath(list, 1, 0, false);
    EXPECT_EQ(mgr.Start(path, nullptr), SX_Fail);
    mgr.ProcessPathsList(110);
    ASSERT_TRUE(path->IsIdle());
    const size_t written = instance.positions.size();
    EXPECT_EQ(mgr.Start(path, nullptr), SX_Fail) << "a started path only writes its start again";
    EXPECT_EQ(instance.positions.size(), written + 1);

    const SxPathListItem empty[] = {{vertices, 0, 0, 0}};
    CSxPath* other = mgr.AddPathToList();
    ASSERT_EQ(mgr.SetPathsList(other, empty, 1, 0, false, nullptr), SX_Success);
    EXPECT_EQ(mgr.Start(other, nullptr), SX_PathNoVertices);
}

}  // namespace
