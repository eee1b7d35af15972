// One audio frame of music bookkeeping for 16 playing segments, each with a transition
// pending: its callbacks for the frame and the plan of its change to another segment on the
// next bar (anchor: the same frame's callbacks alone, without the transition plans).
#include <benchmark/benchmark.h>

#include <vector>

#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxGridNotifier.h"
#include "sound/music/SxTransitionPlan.h"

namespace {

using namespace SX;

constexpr int kContexts = 16;

struct Music {
    Music() {
        SxTimingSettings::SetSampleRate(48000);
        SxMusicGridFields fields{500.0, 0.0, 120.0f, 4, 4};
        SxComputeMusicGrid(fields, segment.grid);
        segment.duration = 48000 * 60;
        segment.cues = {{1, 24000}, {2, 480000}, {3, 960000}, {4, 48000 * 58}};
        rule.syncType = SxSyncType_NextBar;
        rule.sourceFade = {500, 1, 0};
        rule.destinationFade = {250, 1, 0};
    }
    SxSegmentTiming segment;
    SxMusicTransitionRule rule;
    std::vector<SxMusicNotification> out;
};

void Frame(Music& m, int64_t& frame, bool plan) {
    m.out.clear();
    for (int c = 0; c < kContexts; ++c) {
        const int32_t p0 = static_cast<int32_t>((frame + c * 4096) % (48000 * 56));
        SxNotifyGrid(m.segment, p0, p0 + 1024, 0x3F00, m.out);
        if (plan) {
            SxTransitionPlan result;
            benchmark::DoNotOptimize(SxPlanTransition(m.segment, p0, m.rule, m.segment, 4800, result));
            benchmark::DoNotOptimize(result);
        }
    }
    benchmark::DoNotOptimize(m.out.data());
    frame += 1024;
}

void BM_SixteenContextsWithTransitionsPending(benchmark::State& state) {
    Music m;
    int64_t frame = 0;
    for (auto _ : state) Frame(m, frame, true);
}
BENCHMARK(BM_SixteenContextsWithTransitionsPending);

void BM_Anchor_SixteenContextsCallbacksOnly(benchmark::State& state) {
    Music m;
    int64_t frame = 0;
    for (auto _ : state) Frame(m, frame, false);
}
BENCHMARK(BM_Anchor_SixteenContextsCallbacksOnly);

}  // namespace
