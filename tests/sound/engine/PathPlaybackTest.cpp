#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxTimedVoices.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

constexpr SxGameObjectID kObject = 5;

// Sound 1 moves along (0,0,0) -> (10,0,0) -> (10,0,10), 105 ms a leg (five frames of 21 ms);
// event 100 plays it.
class PathPlayback : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        CSxLEngineCmds::SetVoiceLayer(&voices);
        voices.lengths = {{1, 5000.0f}};
        SoundEngine::RegisterGameObj(kObject);
        bw::NodeBase node;
        node.positioning.vertices = {{0, 0, 0, 105}, {10, 0, 0, 105}, {10, 0, 10, 0}};
        node.positioning.items = {{0, 3}};
        LoadSound(node);
    }
    void LoadSound(bw::NodeBase node) {
        Unload();
        node.positioning.overrideParent = true;
        node.positioning.is3D = true;
        node.positioning.type = 2;
        ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), node)),
                        bw::Record(SxHirc_Action, bw::ActionBody(200, 0x0403, 1, {}, {}, bw::PlayParams(4, 0))),
                        bw::Record(SxHirc_Event, bw::EventBody(100, {200}))}),
                  SX_Success);
    }
    void TearDown() override {
        SoundEngine::StopAll();
        RunFrame();
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }

    // The positions the first instance reaches, one per frame.
    std::vector<SxVector> Follow(int frames) {
        std::vector<SxVector> seen;
        CSxPBI* instance = voices.voices.at(0).instance;
        for (int frame = 0; frame < frames; ++frame) {
            SxVector position;
            instance->PathPosition(position);
            seen.push_back(position);
            RunFrame();
        }
        return seen;
    }

    sxtest::TimedVoices voices;
};

TEST_F(PathPlayback, APlayingSoundMovesAlongItsVertices) {
    SoundEngine::PostEvent(100, kObject);
    RunFrame();
    ASSERT_EQ(voices.voices.size(), 1u);
    CSxPBI* instance = voices.voices[0].instance;
    ASSERT_TRUE(qvtest::PBIProbe::FollowsPath(*instance));
    EXPECT_EQ(qvtest::PathMgrProbe::PathCount(*g_pPathMgr), 1u);
    // Each frame covers a fifth of a leg: 2 units on x, then 2 units on z.
    std::vector<SxVector> seen;
    for (int frame = 0; frame < 14; ++frame) {
        SxVector position;
        ASSERT_TRUE(instance->PathPosition(position));
        seen.push_back(position);
        RunFrame();
    }
    auto near = [](float a, float b) { return std::fabs(a - b) < 1e-4f; };
    SxVector last = seen.front();
    EXPECT_LE(last.x, 2.0f);
    bool reachedCorner = false, reachedEnd = false;
    for (const SxVector& p : seen) {
        EXPECT_FLOAT_EQ(p.y, 0.0f);
        const bool firstLeg = p.z == 0.0f;
        if (!firstLeg) {
            EXPECT_FLOAT_EQ(p.x, 10.0f) << "the second leg starts at the corner";
        }
        const float step = firstLeg ? p.x - last.x : p.z - last.z;
        EXPECT_TRUE(near(step, 0.0f) || near(step, 2.0f)) << "a frame covers a fifth of a leg: " << step;
        reachedCorner |= near(p.x, 10.0f) && p.z == 0.0f;
        reachedEnd |= near(p.x, 10.0f) && near(p.z, 10.0f);
        last = p;
    }
    EXPECT_TRUE(reachedCorner);
    EXPECT_TRUE(reachedEnd);
    // Its end lets the path go.
    SoundEngine::StopAll();
    RunFrame();
    RunFrame();
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(qvtest::PathMgrProbe::PathCount(*g_pPathMgr), 0u);
}

TEST_F(PathPlayback, APausedSoundHoldsItsPlaceOnThePath) {
    SoundEngine::PostEvent(100, kObject);
    RunFrame();
    RunFrame();
    ASSERT_EQ(voices.voices.size(), 1u);
    CSxPBI* instance = voices.voices[0].instance;
    SoundEngine::ExecuteActionOnEvent(100, SxActionOnEvent_Pause, kObject);
    RunFrame();
    ASSERT_TRUE(instance->IsPaused());
    SxVector before, after;
    instance->PathPosition(before);
    for (int i = 0; i < 10; ++i) RunFrame();
    instance->PathPosition(after);
    EXPECT_EQ(after.x, before.x);
    EXPECT_LT(before.x, 10.0f);
    SoundEngine::ExecuteActionOnEvent(100, SxActionOnEvent_Resume, kObject);
    for (int i = 0; i < 10; ++i) RunFrame();
    instance->PathPosition(after);
    EXPECT_GT(after.x, before.x) << "it moves on after the resume";
}

TEST_F(PathPlayback, TheTransitionTimeLeadsFromTheLastVertexToTheNextPath) {
    // One path there and back for ever: (0,0,0) -> (10,0,0) in 105 ms, then 210 ms back to the
    // start of the path, whatever duration the bank gave the last vertex.
    bw::NodeBase node;
    node.positioning.vertices = {{0, 0, 0, 105}, {10, 0, 0, 0}};
    node.positioning.items = {{0, 2}};
    node.positioning.pathMode = CSxPath::kModeContinuous;
    node.positioning.looping = true;
    node.positioning.transitionMs = 210;
    LoadSound(node);
    SoundEngine::PostEvent(100, kObject);
    RunFrame();
    ASSERT_EQ(voices.voices.size(), 1u);
    const std::vector<SxVector> seen = Follow(24);
    size_t corner = 0;
    while (corner < seen.size() && std::fabs(seen[corner].x - 10.0f) > 1e-4f) ++corner;
    ASSERT_LT(corner, seen.size() - 11);
    // Ten frames back, a unit each.
    for (size_t i = 1; i <= 10; ++i) EXPECT_NEAR(seen[corner + i].x, 10.0f - static_cast<float>(i), 1e-3f) << i;
}

TEST_F(PathPlayback, EachSoundOfANodeTakesTheNextPathInStepMode) {
    // Three one-vertex paths at x = 0, 10 and 20, in sequence, one per sound.
    bw::NodeBase node;
    node.positioning.vertices = {{0, 0, 0, 0}, {10, 0, 0, 0}, {20, 0, 0, 0}};
    node.positioning.items = {{0, 1}, {1, 1}, {2, 1}};
    LoadSound(node);
    std::vector<float> starts;
    for (int play = 0; play < 4; ++play) {
        SoundEngine::PostEvent(100, kObject);
        RunFrame();
        ASSERT_EQ(voices.voices.size(), static_cast<size_t>(play + 1));
        SxVector position;
        ASSERT_TRUE(voices.voices.back().instance->PathPosition(position));
        starts.push_back(position.x);
    }
    EXPECT_EQ(starts, (std::vector<float>{0, 10, 20, 0})) << "the play list starts over after its last path";
}

}  // namespace
