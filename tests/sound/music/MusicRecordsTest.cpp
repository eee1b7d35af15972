// Music records loaded through the music engine's hook as a bank's hierarchy chunk: the nodes
// they make, their grid, cues, clips, rules and playlists, and what broken records do.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sound/engine/SxBankFixture.h"
#include "sound/engine/SxHierarchyFixture.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/CSxMusicTrack.h"
#include "sound/music/SxMusicEngine.h"
#include "sound/music/SxPlaylistIterator.h"
#include "support/TempTree.h"
#include "tests/sound/music/SxMusicProbes.h"
#include "tools/bankwriter/MusicRecords.h"

namespace SX {
namespace {

namespace bw = bankwriter;

bw::Source Media(uint32_t id) {
    bw::Source source;
    source.mediaID = id;
    source.fileID = id;
    source.size = 64;
    return source;
}

bw::Bytes Track(uint32_t id, uint32_t trackType = 0, uint32_t subTracks = 1) {
    bw::MusicTrack track;
    track.sources = {Media(id + 1)};
    // A plain clip, one trimmed before its start, one trimmed to nothing.
    track.clips = {{0, id + 1, 0.0, 0.0, 0.0, 2000.0},
                   {0, id + 1, 2000.0, -500.0, 0.0, 2000.0},
                   {0, id + 1, 0.0, 1000.0, -1000.0, 2000.0}};
    track.subTrackCount = subTracks;
    track.trackType = trackType;
    track.lookAheadMs = 100;
    return bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(id, track));
}

bw::MusicNode Node(std::vector<uint32_t> children, bool grid = false, float tempo = 120.0f) {
    bw::MusicNode node;
    node.children = std::move(children);
    node.overrideGrid = grid;
    node.tempo = tempo;
    return node;
}

bw::Bytes Segment(uint32_t id, const bw::MusicNode& node) {
    return bw::Record(bw::Hirc_MusicSegment,
                      bw::MusicSegmentBody(id, node, 10000.0, {{1, 500.0}, {2, 1500.0}, {3, 8500.0}}));
}

class MusicRecords : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        SxTimingSettings::SetSampleRate(48000);
        ASSERT_EQ(MusicEngine::Init(nullptr), SX_Success);
    }
    void TearDown() override {
        MusicEngine::Term();
        HierarchyEngine::TearDown();
    }
};

TEST_F(MusicRecords, SegmentWithTracksOnItsGridAndCues) {
    ASSERT_EQ(Load({Track(100), Segment(200, Node({100}, true))}), SX_Success);
    ASSERT_EQ(loaded.size(), 2u);
    auto* segment = Find<CSxMusicSegment>(SxIndex_Node, 200);
    auto* track = Find<CSxMusicTrack>(SxIndex_Node, 100);
    ASSERT_TRUE(segment && track);
    EXPECT_EQ(segment->NodeCategory(), SxNodeCategory_MusicSegment);
    EXPECT_EQ(track->Parent(), segment);
    const SxSegmentTiming timing = segment->Timing();
    EXPECT_EQ(timing.duration, 480000);
    EXPECT_EQ(timing.PreEntry(), 24000);
    EXPECT_EQ(timing.Active(), 384000);
    EXPECT_EQ(timing.PostExit(), 72000);
    EXPECT_EQ(timing.grid.beat, 24000);
    EXPECT_EQ(timing.grid.bar, 96000);

    ASSERT_EQ(track->Clips().size(), 2u) << "the clip trimmed to nothing is dropped";
    EXPECT_EQ(track->Clips()[0].duration, 96000);
    EXPECT_EQ(track->Clips()[1].start, 72000);
    EXPECT_EQ(track->Clips()[1].duration, 120000);
    EXPECT_EQ(track->Clips()[1].sourceOffset, 72000) << "-500 ms into a 2000 ms source";
    EXPECT_EQ(track->LookAhead(), 4800);
    ASSERT_NE(track->Source(101), nullptr);
    EXPECT_EQ(track->Source(101)->lookAhead, 4800);
}

TEST_F(MusicRecords, GridsAreInheritedAndBadGridsRefused) {
    const bw::Bytes container =
        bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(300, Node({200, 201}, true, 60.0f), {},
                                                             {{0, 1, 2, 0, 1, 50000, 0, false}, {200, 2}, {201, 3}}));
    ASSERT_EQ(Load({Segment(200, Node({})), Segment(201, Node({}, true, 0.0f)), container}), SX_Success);
    auto* plain = Find<CSxMusicSegment>(SxIndex_Node, 200);
    auto* bad = Find<CSxMusicSegment>(SxIndex_Node, 201);
    ASSERT_TRUE(plain && bad);
    EXPECT_FALSE(qvtest::MusicNodeProbe::OverridesGrid(*bad));
    EXPECT_EQ(plain->GetMusicGrid().beat, 48000);
    EXPECT_EQ(bad->GetMusicGrid().beat, 48000);
    auto* ranseq = Find<CSxMusicRanSeqCntr>(SxIndex_Node, 300);
    ASSERT_TRUE(ranseq);
    SxPlaylistIterator it;
    ASSERT_EQ(it.First(ranseq->Playlist()), SX_Success);
    EXPECT_EQ(it.SegmentID(), 200u);
    it.Next();
    EXPECT_EQ(it.SegmentID(), 201u);
    it.Next();
    EXPECT_FALSE(it.HasNext());
}

TEST_F(MusicRecords, StingersOfChildrenReplaceTheirAncestorsOnes) {
    bw::MusicNode parent = Node({200}, true);
    parent.stingers = {{7, 50, 2}, {8, 51, 3}};
    bw::MusicNode child = Node({});
    child.stingers = {{7, 60, 4}};
    ASSERT_EQ(Load({Segment(200, child),
                    bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(400, parent, {}, 1, 9, 0, false, {}))}),
              SX_Success);
    auto* segment = Find<CSxMusicSegment>(SxIndex_Node, 200);
    ASSERT_TRUE(segment);
    const auto stingers = segment->GetStingers();
    ASSERT_EQ(stingers.size(), 2u);
    EXPECT_EQ(stingers[0].triggerID, 8u);
    EXPECT_EQ(stingers[1].triggerID, 7u);
    EXPECT_EQ(stingers[1].segmentID, 60u);
}

TEST_F(MusicRecords, SwitchContainerRulesAndSwitches) {
    bw::TransitionRule any;
    any.syncType = 7;
    bw::TransitionRule aToB;
    aToB.sourceID = 200;
    aToB.destinationID = 201;
    aToB.syncType = 2 | 0x20;
    aToB.sourceFade = {500, 1, -250};
    aToB.entryType = 0x0B;
    aToB.hasTransSegment = true;
    aToB.transSegmentID = 202;
    aToB.fadeOut = {100, 0, 10};
    ASSERT_EQ(Load({Segment(200, Node({})), Segment(201, Node({})),
                    bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(400, Node({200, 201}, true), {any, aToB}, 1, 9,
                                                                         1001, true, {{1001, 200}, {1002, 201}}))}),
              SX_Success);
    auto* sw = Find<CSxMusicSwitchCntr>(SxIndex_Node, 400);
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->NodeForSwitch(1002), 201u);
    EXPECT_EQ(sw->NodeForSwitch(5555), 200u) << "unknown switches play the default";
    EXPECT_TRUE(sw->ContinuePlayback());
    const SxMusicTransitionRule* rule = sw->GetTransitionRule(200, 201);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->syncType, 2u) << "only the low five bits hold the type";
    EXPECT_EQ(rule->sourceFade.offset, -12000);
    EXPECT_EQ(rule->entryType, 3u);
    EXPECT_TRUE(rule->hasTransSegment);
    EXPECT_EQ(rule->transSegment.fadeOut.offset, 480);
    EXPECT_EQ(sw->GetTransitionRule(201, 200)->syncType, 7u);
    // One change resolves at most 64 rules; after that the fallback rule ends it.
    uint32_t lookups = 0;
    for (uint32_t i = 0; i < SxMaxRuleLookups; ++i) ASSERT_EQ(sw->GetTransitionRule(200, 201, lookups), rule);
    EXPECT_EQ(sw->GetTransitionRule(200, 201, lookups), &CSxMusicTransAware::FallbackRule());
}

TEST_F(MusicRecords, ChildrenOfTheWrongKindAreRefused) {
    ASSERT_EQ(Load({Track(100)}), SX_Success);
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(400, Node({100}), {}, 1, 9, 0, false, {}))}),
              SX_WrongChildKind);
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(300, Node({100}), {}, {{}}))}),
              SX_WrongChildKind);
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 400), nullptr);
    EXPECT_NE(Find<CSxParameterNodeBase>(SxIndex_Node, 100), nullptr) << "the track stays loaded";
}

TEST_F(MusicRecords, ALoadedNodeIsKeptAndOnlyATrackIsReadAgain) {
    ASSERT_EQ(Load({Track(100), Segment(200, Node({100}, true))}), SX_Success);
    auto* segment = Find<CSxMusicSegment>(SxIndex_Node, 200);
    auto* track = Find<CSxMusicTrack>(SxIndex_Node, 100);
    bw::MusicTrack again;
    again.sources = {Media(101), Media(105)};
    again.clips = {{0, 105, 0.0, 0.0, 0.0, 1000.0}};
    ASSERT_EQ(Load({bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(100, again)),
                    bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(200, Node({}), 1.0, {}))}),
              SX_Success);
    EXPECT_EQ(Find<CSxMusicSegment>(SxIndex_Node, 200), segment);
    EXPECT_EQ(segment->Timing().duration, 480000) << "the second segment record is not read";
    EXPECT_EQ(Find<CSxMusicTrack>(SxIndex_Node, 100), track);
    EXPECT_EQ(qvtest::MusicTrackProbe::SourceCount(*track), 2u);
    ASSERT_EQ(track->Clips().size(), 1u);
    EXPECT_EQ(track->Clips()[0].sourceID, 105u);
    EXPECT_EQ(track->LookAhead(), 4800) << "reload mode stops before the look-ahead";
}

TEST_F(MusicRecords, SubTrackSelection) {
    ASSERT_EQ(Load({Track(100, 2, 3), Track(110, 1, 4), Track(120, 1, 0)}), SX_Success);
    auto* sequence = Find<CSxMusicTrack>(SxIndex_Node, 100);
    std::vector<uint32_t> picks;
    for (int i = 0; i < 5; ++i) picks.push_back(sequence->SelectSubTrack());
    EXPECT_EQ(picks, (std::vector<uint32_t>{0, 1, 2, 0, 1}));
    auto* random = Find<CSxMusicTrack>(SxIndex_Node, 110);
    for (int i = 0; i < 50; ++i) EXPECT_LT(random->SelectSubTrack(), 4u);
    EXPECT_EQ(Find<CSxMusicTrack>(SxIndex_Node, 120)->SelectSubTrack(), 0u);
}

TEST_F(MusicRecords, InitAgainKeepsTheHookAndTermRemovesIt) {
    SxMusicSettings settings;
    MusicEngine::GetDefaultInitSettings(settings);
    settings.fLookAheadScale = 2.0f;
    ASSERT_EQ(MusicEngine::Init(&settings), SX_Success);
    ASSERT_EQ(Load({Track(100)}), SX_Success);
    EXPECT_EQ(Find<CSxMusicTrack>(SxIndex_Node, 100)->LookAhead(), 9600) << "100 ms scaled by 2";
    MusicEngine::Term();
    MusicEngine::Term();
    ASSERT_EQ(Load({Segment(200, Node({}))}), SX_Success);
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 200), nullptr) << "without the music engine it is skipped";
    EXPECT_EQ(CSxMusicRenderer::LookAheadScale(), 1.0f);
}

// A reader installed before the music engine keeps the records: the music engine's Init is
// refused and its Term leaves the reader installed.
TEST_F(MusicRecords, AReaderInstalledFirstOutlastsTheMusicEngine) {
    class Reader final : public ISxHircObjectReader {
    public:
        std::vector<uint8_t> types;
        SXRESULT ReadHircObject(uint8_t type, const uint8_t*, uint32_t, SxBankID, CSxIndexable** object) override {
            types.push_back(type);
            *object = nullptr;
            return SX_Success;
        }
    } reader;
    MusicEngine::Term();
    SoundEngine::SetHircObjectHook(&reader);
    {
        qvtest::StderrCapture refusal;
        ASSERT_EQ(MusicEngine::Init(nullptr), SX_Success);
        EXPECT_NE(refusal.Text().find("SX::ISxHircObjectReader"), std::string::npos) << refusal.Text();
        MusicEngine::Term();
    }
    ASSERT_EQ(Load({Segment(200, Node({}))}), SX_Success);
    EXPECT_EQ(reader.types, (std::vector<uint8_t>{bw::Hirc_MusicSegment}));
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 200), nullptr) << "the music engine made nothing";
    SoundEngine::RemoveHircObjectHook(&reader);
    ASSERT_EQ(MusicEngine::Init(nullptr), SX_Success);  // for TearDown
}

TEST_F(MusicRecords, OtherTypesAreNotTheHooks) {
    CSxIndexable* object = reinterpret_cast<CSxIndexable*>(1);
    EXPECT_EQ(CSxMusicRenderer::HircObjectHook(9, nullptr, 0, 0, &object), SX_Refused);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CSxMusicRenderer::HircObjectHook(14, nullptr, 0, 0, &object), SX_Refused);
}

// Every record cut at every length, and a cue list out of order: the load fails with a logged
// error, nothing of the broken record stays, what was loaded before does.
// A bank whose music playlist counts more items than it has, loaded by the bank thread as a
// game loads it: the bank is refused with its result and the engine goes on.
TEST_F(MusicRecords, ABankWithAnOverrunPlaylistIsRefused) {
    std::vector<bw::PlaylistItem> items(4);
    items[0].childCount = 2;  // the root: its second child lies past the items counted
    items[1].childCount = 1;
    items[2].segmentID = 200;
    items[3].segmentID = 200;
    bw::Bytes body = bw::MusicRanSeqBody(300, Node({200}), {}, items);
    // The playlist ends the body; its item count says 3.
    const size_t at = body.size() - bw::Playlist(items).size();
    const uint32_t three = 3;
    std::memcpy(&body[at], &three, 4);
    bw::BankFile file;
    file.id = 70;
    file.records = {Segment(200, Node({})), bw::Record(bw::Hirc_MusicRanSeq, body)};
    const sxtest::AlignedBank bank(bw::WriteBank(file));
    SxBankID id = 0;
    EXPECT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_InvalidFile);
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 300), nullptr);
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 200), nullptr) << "what the bank read is released";
}

TEST_F(MusicRecords, BrokenRecordsFailCleanly) {
    ASSERT_EQ(Load({Track(100)}), SX_Success);
    const std::vector<bw::Bytes> bodies = {
        bw::MusicTrackBody(150, bw::MusicTrack{{Media(151)}, {{0, 151, 0.0, 0.0, 0.0, 500.0}}, 1, {}, 0, 10}),
        bw::MusicSegmentBody(250, Node({}, true), 1000.0, {{1, 0.0}, {2, 900.0}}),
        bw::MusicSwitchBody(450, Node({}), {bw::TransitionRule{}}, 1, 2, 3, false, {{3, 250}}),
        bw::MusicRanSeqBody(350, Node({}), {bw::TransitionRule{}}, {{0, 1, 0}}),
    };
    const uint8_t types[] = {bw::Hirc_MusicTrack, bw::Hirc_MusicSegment, bw::Hirc_MusicSwitch, bw::Hirc_MusicRanSeq};
    const size_t before = loaded.size();
    for (size_t b = 0; b < bodies.size(); ++b) {
        for (size_t length = 0; length < bodies[b].size(); ++length) {
            EXPECT_NE(Load({bw::Record(types[b], bw::Cut(bodies[b], length))}), SX_Success) << b << " " << length;
            ASSERT_EQ(loaded.size(), before);
        }
        ASSERT_EQ(Load({bw::Record(types[b], bodies[b])}), SX_Success) << b;
        Unload();
        ASSERT_EQ(Load({Track(100)}), SX_Success);
    }
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicSegment,
                               bw::MusicSegmentBody(260, Node({}), 1000.0, {{1, 500.0}, {2, 100.0}}))}),
              SX_InvalidFile);
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(261, Node({}), 1000.0, {{1, 1500.0}}))}),
              SX_InvalidFile);
    // Times that are not finite or do not fit in samples.
    const double nan = std::nan("");
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(262, Node({}), 1e300, {}))}),
              SX_InvalidFile);
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(263, Node({}), 1000.0, {{1, nan}}))}),
              SX_InvalidFile);
    bw::MusicTrack farClip;
    farClip.clips = {{0, 1, 1e20, 0.0, 0.0, 100.0}};
    EXPECT_EQ(Load({bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(264, farClip))}), SX_InvalidFile);
    bw::MusicNode badGrid = Node({}, true);
    badGrid.gridPeriodMs = nan;
    ASSERT_EQ(Load({Segment(265, badGrid)}), SX_Success);
    EXPECT_FALSE(qvtest::MusicNodeProbe::OverridesGrid(*Find<CSxMusicSegment>(SxIndex_Node, 265)))
        << "the grid is refused, not the node";
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 260), nullptr);
    EXPECT_NE(Find<CSxParameterNodeBase>(SxIndex_Node, 100), nullptr);
}

}  // namespace
}  // namespace SX
