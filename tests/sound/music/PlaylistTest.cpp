// Playlists read from their bank bytes and walked segment by segment: sequences, loops, step
// levels kept across plays, and random levels over many plays with a seeded generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/os/Random.h"
#include "sound/music/SxPlaylistIterator.h"

namespace SX {
namespace {

struct Item {
    uint32_t segmentID = 0;
    uint32_t itemID = 0;
    uint32_t childCount = 0;
    uint32_t mode = SxRSType_ContinuousSequence;
    uint16_t loopCount = 1;
    uint32_t weight = SxDefaultPlaylistWeight;
    uint16_t avoidRepeat = 0;
    uint8_t shuffle = 0;
};

Item Seg(uint32_t id, uint16_t loops = 1, uint32_t weight = SxDefaultPlaylistWeight) {
    Item item;
    item.segmentID = id;
    item.itemID = 1000 + id;
    item.loopCount = loops;
    item.weight = weight;
    return item;
}

Item Sub(uint32_t children, uint32_t mode, uint16_t loops = 1, uint16_t avoid = 0, uint8_t shuffle = 0) {
    Item item;
    item.childCount = children;
    item.mode = mode;
    item.loopCount = loops;
    item.avoidRepeat = avoid;
    item.shuffle = shuffle;
    return item;
}

template <typename T>
void Put(std::vector<uint8_t>& out, T value) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

std::vector<uint8_t> Bytes(const std::vector<Item>& items) {
    std::vector<uint8_t> out;
    Put<uint32_t>(out, static_cast<uint32_t>(items.size()));
    for (const Item& i : items) {
        Put(out, i.segmentID);
        Put(out, i.itemID);
        Put(out, i.childCount);
        Put(out, i.mode);
        Put(out, i.loopCount);
        Put(out, i.weight);
        Put(out, i.avoidRepeat);
        Put<uint8_t>(out, 0);
        Put(out, i.shuffle);
    }
    return out;
}

SXRESULT Load(const std::vector<Item>& items, CSxRSSub& root) {
    const std::vector<uint8_t> bytes = Bytes(items);
    SxReadCursor cursor(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return SxReadPlaylist(cursor, root);
}

// One play of the container: the segments in order, at most limit of them.
std::vector<uint32_t> Play(CSxRSSub& root, size_t limit = 64) {
    SxPlaylistIterator it;
    std::vector<uint32_t> played;
    if (it.First(root) != SX_Success) return played;
    it.Commit();
    while (it.HasNext() && played.size() < limit) {
        played.push_back(it.SegmentID());
        it.Next();
    }
    return played;
}

using Ids = std::vector<uint32_t>;

TEST(PlaylistTest, SequencesLoopsAndSegmentRepeats) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(3, SxRSType_ContinuousSequence, 2), Seg(1), Seg(2), Seg(3)}, root), SX_Success);
    EXPECT_EQ(Play(root), (Ids{1, 2, 3, 1, 2, 3}));

    ASSERT_EQ(Load({Sub(2, SxRSType_ContinuousSequence), Seg(1, 3), Seg(2)}, root), SX_Success);
    EXPECT_EQ(Play(root), (Ids{1, 1, 1, 2}));
    ASSERT_EQ(Load({Sub(2, SxRSType_ContinuousSequence), Seg(1, 0), Seg(2)}, root), SX_Success);
    EXPECT_EQ(Play(root, 10), Ids(10, 1));
    ASSERT_EQ(Load({Sub(1, SxRSType_ContinuousSequence, 0), Seg(4)}, root), SX_Success);
    EXPECT_EQ(Play(root, 7), Ids(7, 4));
}

TEST(PlaylistTest, NestedLevelsAndEmptySubPlaylists) {
    CSxRSSub root;
    // root: [A, [B, C] x2, [[], []], D]; the sub-playlist of empty ones is skipped.
    ASSERT_EQ(Load({Sub(4, SxRSType_ContinuousSequence), Seg(1), Sub(2, SxRSType_ContinuousSequence, 2), Seg(2), Seg(3),
                    Sub(2, SxRSType_ContinuousSequence), Sub(0, SxRSType_ContinuousSequence),
                    Sub(0, SxRSType_ContinuousRandom), Seg(4)},
                   root),
              SX_Success);
    EXPECT_TRUE(root.hasSegment);
    EXPECT_FALSE(static_cast<CSxRSSub&>(*root.children[2]).hasSegment);
    EXPECT_EQ(Play(root), (Ids{1, 2, 3, 2, 3, 4}));
    ASSERT_EQ(Load({Sub(1, SxRSType_ContinuousSequence), Sub(0, SxRSType_ContinuousSequence)}, root), SX_Success);
    EXPECT_EQ(Play(root), Ids{});
}

TEST(PlaylistTest, StartingAtAnItemGoesOnFromThere) {
    // Root sequence looped twice over 1, a sub-sequence {2, 3}, 4.
    CSxRSSub root;
    std::vector<Item> items{
        Sub(3, SxRSType_ContinuousSequence, 2), Seg(1), Sub(2, SxRSType_ContinuousSequence), Seg(2), Seg(3), Seg(4)};
    items[2].itemID = 77;
    ASSERT_EQ(Load(items, root), SX_Success);
    const auto playFrom = [&](uint32_t itemID) {
        Ids played;
        SxPlaylistIterator it;
        if (it.FirstAt(root, itemID) != SX_Success) return played;
        for (; it.HasNext() && played.size() < 16; it.Next()) played.push_back(it.SegmentID());
        return played;
    };
    EXPECT_EQ(playFrom(1003), (Ids{3, 4, 1, 2, 3, 4})) << "a leaf inside the sub-playlist";
    EXPECT_EQ(playFrom(77), (Ids{2, 3, 4, 1, 2, 3, 4})) << "the sub-playlist itself";
    EXPECT_EQ(playFrom(1004), (Ids{4, 1, 2, 3, 4}));
    EXPECT_TRUE(playFrom(555).empty()) << "no such item";
}

TEST(PlaylistTest, StepSequenceGoesOnAcrossEntriesAndPlays) {
    CSxRSSub root;
    // A continuous root entering a step sub-playlist three times: one child per entry.
    ASSERT_EQ(
        Load({Sub(1, SxRSType_ContinuousSequence, 3), Sub(3, SxRSType_StepSequence), Seg(1), Seg(2), Seg(3)}, root),
        SX_Success);
    EXPECT_EQ(Play(root), (Ids{1, 2, 3}));
    EXPECT_EQ(Play(root), (Ids{1, 2, 3}));
    // A step container plays one segment per play and goes on where the last play left it.
    ASSERT_EQ(Load({Sub(3, SxRSType_StepSequence), Seg(1), Seg(2), Seg(3)}, root), SX_Success);
    Ids plays;
    for (int i = 0; i < 5; ++i) {
        const Ids one = Play(root);
        ASSERT_EQ(one.size(), 1u);
        plays.push_back(one[0]);
    }
    EXPECT_EQ(plays, (Ids{1, 2, 3, 1, 2}));
}

TEST(PlaylistTest, TentativePlayLeavesTheStepStateWhenRestored) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(3, SxRSType_StepSequence), Seg(1), Seg(2), Seg(3)}, root), SX_Success);
    EXPECT_EQ(Play(root), Ids{1});
    {
        SxPlaylistIterator dropped;
        ASSERT_EQ(dropped.First(root), SX_Success);
        EXPECT_EQ(dropped.SegmentID(), 2u);
        dropped.Restore();
    }
    EXPECT_EQ(Play(root), Ids{2});
}

// Random levels over many plays with a seeded generator.
class RandomPlaylistTest : public ::testing::Test {
protected:
    void SetUp() override { platform::crt_srand(12345); }
};

TEST_F(RandomPlaylistTest, AvoidRepeatOneOverTwoAlternates) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(2, SxRSType_ContinuousRandom, 0, 1), Seg(1), Seg(2)}, root), SX_Success);
    const Ids played = Play(root, 200);
    ASSERT_EQ(played.size(), 200u);
    for (size_t i = 1; i < played.size(); ++i) ASSERT_NE(played[i], played[i - 1]) << i;
}

TEST_F(RandomPlaylistTest, ShufflePlaysEachOncePerCycleAndNeverRepeatsAcrossCycles) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(3, SxRSType_ContinuousRandom, 100, 0, 1), Seg(1), Seg(2), Seg(3)}, root), SX_Success);
    const Ids played = Play(root, 1000);
    ASSERT_EQ(played.size(), 300u);
    for (size_t cycle = 0; cycle < 100; ++cycle) {
        Ids one(played.begin() + cycle * 3, played.begin() + cycle * 3 + 3);
        std::sort(one.begin(), one.end());
        ASSERT_EQ(one, (Ids{1, 2, 3})) << cycle;
        if (cycle > 0) {
            ASSERT_NE(played[cycle * 3], played[cycle * 3 - 1]) << cycle;
        }
    }
}

TEST_F(RandomPlaylistTest, WeightsShareThePlaysAndDefaultWeightsAreNoWeights) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(3, SxRSType_ContinuousRandom, 0), Seg(1), Seg(2), Seg(3)}, root), SX_Success);
    EXPECT_FALSE(root.usesWeights);
    ASSERT_EQ(Load({Sub(3, SxRSType_ContinuousRandom, 0), Seg(1, 1, 10000), Seg(2, 1, 30000), Seg(3, 1, 60000)}, root),
              SX_Success);
    EXPECT_TRUE(root.usesWeights);
    std::map<uint32_t, int> counts;
    for (uint32_t id : Play(root, 10000)) ++counts[id];
    EXPECT_NEAR(counts[1], 1000, 150);
    EXPECT_NEAR(counts[2], 3000, 250);
    EXPECT_NEAR(counts[3], 6000, 300);
}

TEST_F(RandomPlaylistTest, SameSeedSamePlays) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(4, SxRSType_ContinuousRandom, 0, 2), Seg(1), Seg(2), Seg(3), Seg(4)}, root), SX_Success);
    const Ids first = Play(root, 500);
    platform::crt_srand(12345);
    EXPECT_EQ(Play(root, 500), first);
    // Avoid-repeat 2 over four: none of the last two comes back.
    for (size_t i = 2; i < first.size(); ++i) {
        ASSERT_NE(first[i], first[i - 1]);
        ASSERT_NE(first[i], first[i - 2]);
    }
}

TEST_F(RandomPlaylistTest, StepRandomPlaysOnePerPlayOverManyPlays) {
    CSxRSSub root;
    ASSERT_EQ(Load({Sub(3, SxRSType_StepRandom, 1, 0, 1), Seg(1), Seg(2), Seg(3)}, root), SX_Success);
    Ids plays;
    for (int i = 0; i < 300; ++i) {
        const Ids one = Play(root);
        ASSERT_EQ(one.size(), 1u);
        plays.push_back(one[0]);
    }
    for (size_t cycle = 0; cycle < 100; ++cycle) {
        Ids one(plays.begin() + cycle * 3, plays.begin() + cycle * 3 + 3);
        std::sort(one.begin(), one.end());
        ASSERT_EQ(one, (Ids{1, 2, 3})) << cycle;
    }
}

TEST(PlaylistRecordTest, MalformedRecordsAreRefused) {
    CSxRSSub root;
    const std::vector<std::vector<Item>> bad = {
        {},
        {Sub(3, SxRSType_ContinuousSequence), Seg(1), Seg(2)},     // fewer items than children
        {Sub(1, 9), Seg(1)},                                       // unknown root mode
        {Sub(1, SxRSType_ContinuousSequence), Sub(1, 7), Seg(1)},  // unknown sub mode
    };
    for (const auto& items : bad) {
        EXPECT_EQ(Load(items, root), SX_InvalidFile);
        EXPECT_TRUE(root.children.empty());
    }
    // A sub-playlist uses up the items its parent counted on; the bytes after the count hold one
    // more item, which is not the playlist's.
    std::vector<uint8_t> overrun =
        Bytes({Sub(2, SxRSType_ContinuousSequence), Sub(1, SxRSType_ContinuousSequence), Seg(1), Seg(2)});
    const uint32_t three = 3;
    std::memcpy(overrun.data(), &three, 4);
    SxReadCursor overrunCursor(overrun.data(), static_cast<uint32_t>(overrun.size()));
    EXPECT_EQ(SxReadPlaylist(overrunCursor, root), SX_InvalidFile);
    EXPECT_TRUE(root.children.empty());
    // Cut anywhere inside a good record.
    const std::vector<uint8_t> good = Bytes({Sub(2, SxRSType_ContinuousRandom), Seg(1), Seg(2)});
    for (uint32_t size = 0; size < good.size(); ++size) {
        SxReadCursor cursor(good.data(), size);
        EXPECT_EQ(SxReadPlaylist(cursor, root), SX_InvalidFile) << size;
    }
}

TEST(PlaylistRecordTest, NestingDeeperThanAllowedIsRefused) {
    auto nested = [](uint32_t levels) {
        std::vector<Item> items{Sub(1, SxRSType_ContinuousSequence)};
        for (uint32_t i = 1; i < levels; ++i) items.push_back(Sub(1, SxRSType_ContinuousSequence));
        items.push_back(Seg(1));
        return items;
    };
    CSxRSSub root;
    ASSERT_EQ(Load(nested(SxMaxPlaylistDepth), root), SX_Success);
    EXPECT_EQ(Play(root), Ids{1});
    EXPECT_EQ(Load(nested(SxMaxPlaylistDepth + 1), root), SX_InvalidFile);
    EXPECT_EQ(Load(nested(5000), root), SX_InvalidFile);
}

}  // namespace
}  // namespace SX
