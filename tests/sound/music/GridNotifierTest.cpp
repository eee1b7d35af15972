// The music callbacks of a two-segment playlist at a known tempo, frame by frame: each at
// exactly the sample where its beat, bar, cue or grid line falls.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxGridNotifier.h"
#include "sound/music/SxPlaylistIterator.h"
#include "tools/bankwriter/MusicRecords.h"

namespace SX {
namespace {

using Event = std::tuple<int64_t, uint32_t>;  // absolute sample, callback bit

class GridNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        SxTimingSettings::SetSampleRate(48000);
        SxMusicGridFields fields{500.0, 0.0, 120.0f, 4, 4};  // beat 24000, bar 96000, grid 24000
        SxMusicGrid grid;
        ASSERT_EQ(SxComputeMusicGrid(fields, grid), SX_Success);
        // A: two bars with a user cue at 1.5 s and half a beat of post-exit; B: one bar.
        a.grid = b.grid = grid;
        a.duration = 204000;
        a.cues = {{1, 0}, {2, 72000}, {3, 192000}};
        b.duration = 96000;
        b.cues = {{1, 0}, {2, 96000}};
    }
    SxSegmentTiming a, b;
};

TEST_F(GridNotifierTest, TwoSegmentPlaylistCallbacksAtTheirSamples) {
    const bankwriter::Bytes bytes = bankwriter::Playlist({{0, 1, 2, 0, 1}, {10, 2}, {20, 3}});
    SxReadCursor cursor(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CSxRSSub root;
    ASSERT_EQ(SxReadPlaylist(cursor, root), SX_Success);
    std::map<uint32_t, const SxSegmentTiming*> segments{{10, &a}, {20, &b}};

    // Each segment's entry cue lands on the previous one's exit cue.
    struct Scheduled {
        const SxSegmentTiming* segment;
        int64_t entryTime;
    };
    std::vector<Scheduled> schedule;
    SxPlaylistIterator it;
    ASSERT_EQ(it.First(root), SX_Success);
    int64_t entry = 0;
    while (it.HasNext()) {
        const SxSegmentTiming* segment = segments.at(it.SegmentID());
        schedule.push_back({segment, entry});
        int32_t sync;
        ASSERT_EQ(SxGetNextSyncPosition(*segment, 0, SxSyncType_ExitMarker, true, sync), SX_Success);
        entry += sync;
        it.Next();
    }
    ASSERT_EQ(schedule.size(), 2u);
    EXPECT_EQ(schedule[1].entryTime, 192000);

    std::vector<Event> heard;
    for (int64_t frame = 0; frame < 320 * 1024; frame += 1024) {
        for (const Scheduled& s : schedule) {
            std::vector<SxMusicNotification> out;
            const int32_t p0 = static_cast<int32_t>(frame - s.entryTime);
            SxNotifyGrid(*s.segment, p0, p0 + 1024, 0x3F00, out);
            for (const SxMusicNotification& n : out) {
                ASSERT_GE(n.offset, 0);
                ASSERT_LT(n.offset, 1024);
                heard.emplace_back(frame + n.offset, n.bit);
            }
        }
    }
    std::vector<Event> expected{{0, 0x400}, {72000, 0x2000}, {192000, 0x800}, {192000, 0x400}, {288000, 0x800}};
    for (int64_t t : {0, 96000, 192000}) expected.emplace_back(t, 0x200);
    for (int64_t t = 0; t < 288000; t += 24000) {
        expected.emplace_back(t, 0x100);
        expected.emplace_back(t, 0x1000);
    }
    std::sort(heard.begin(), heard.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(heard, expected);
}

TEST_F(GridNotifierTest, OnlyTheAskedCallbacksAndNoneWithoutAGrid) {
    std::vector<SxMusicNotification> out;
    SxNotifyGrid(a, 95000, 97024, 0x00FF, out);
    EXPECT_TRUE(out.empty());
    SxNotifyGrid(a, 95000, 97024, SxMusicCallback_Bar, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].offset, 1000);
    out.clear();
    a.grid = SxMusicGrid{};
    SxNotifyGrid(a, -512, 512, 0xFF00, out);
    ASSERT_EQ(out.size(), 1u) << "the entry only";
    EXPECT_EQ(out[0].bit, static_cast<uint32_t>(SxMusicCallback_Entry));
    EXPECT_EQ(out[0].offset, 512);
    out.clear();
    // The pre-entry and the post-exit have no bars or beats.
    a.grid = b.grid;
    SxNotifyGrid(a, -30000, -1, 0xFF00, out);
    SxNotifyGrid(a, 192001, 204000, 0xFF00, out);
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace SX
