// The text description of the sample banks: a line that cannot be read stops the reading and is
// named by its number; IDs written as numbers are kept as they stand; the banks it describes are
// written whole, every record and medium in its bank.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "tools/bankwriter/MusicRecords.h"
#include "tools/samplebanks/BankDescription.h"

namespace {

bool Read(const std::string& text, std::vector<samplebanks::NamedBank>& banks, std::string& error) {
    std::istringstream in(text);
    return samplebanks::ReadDescription(in, banks, error);
}

uint32_t RecordID(const bankwriter::Bytes& record) {
    uint32_t id;
    std::memcpy(&id, record.data() + 5, 4);
    return id;
}

TEST(BankDescription, MalformedLinesAreRefusedByNumber) {
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    EXPECT_FALSE(Read("tone A 440 1 -6\n", banks, error)) << "a medium before any bank";
    EXPECT_EQ(error.rfind("line 1:", 0), 0u) << error;
    const char* const kBad[] = {
        "bank",  // no name
        "unknown-verb X",
        "tone A 0 1 -6",   // no frequency
        "tone A 440 1 6",  // above full scale
        "chord A 1 -6",    // no notes
        "chord A 1 -6 440 nan",
        "chord A 1 -6 440 pcm 550",  // a note after the encoding
        "chord A 1 -6 pcm",          // no notes before it
        "phrase A 200 0 -6",         // no syllables
        "noise A 400 999 -6",        // too long
        "media A 100 300",           // fill above a byte
        "media A 99999999999 1",     // above the media of a bank
        "streamed Nothing",          // no such medium
        "phrase A 200 2 -6 mp3",     // no such encoding
        "phrase A 200 2 -6 pcm pcm",
        "sound A",               // no media
        "sound A M P Q",         // two parents
        "sound A M colour=red",  // unknown option
        "sound A M db=loud",
        "sound A M rtpc=P:volume:0:0",      // one point
        "sound A M rtpc=P:volume:1:0:0:1",  // x going back
        "sound A M rtpc=P:echo:0:0:1:1",    // no such node value
        "sound A M state=G:S",              // no volume
        "random A",                         // no children
        "sequence A B trigger=100",         // a rate without a chain
        "sequence A B continuous trigger=0",
        "sequence A B continuous trigger=soon",
        "mixer A B continuous",  // a mixer plays no chain
        "bus A duck=B:-6:100",   // no fade in
        "bus A duck=B:-6:-1:100",
        "bus A stray",
        "attenuation A 0:0",  // one point
        "attenuation A 10:0 5:-6",
        "limiter A 1 -3 0.2",  // ceiling above full scale
        "fdn-reverb A 0 -6",
        "bank A loud",  // no such kind of bank
        "motion-bus A stray",
        "rumble A 1 0.5 0.5",  // outside a motion bank
        "modal A -96 0",       // no modes
        "modal A -96 0 55",    // a mode with no bandwidth
        "modal A -96 0 55:0",
        "wind A 700 8 -6",                 // no speed curve
        "wind A 700 8 -6 P:0:4",           // one point
        "wind A 700 8 -6 P:0:0:30:48",     // no speed at rest
        "wind A 700 0 -6 P:0:4:30:48",     // no resonance
        "whoosh A -6 P:0:4:30:16",         // no deflectors
        "whoosh A -6 P:0:0:30:16 2000:5",  // no speed at rest
        "whoosh A -6 P:0:4:30:16 2000",    // a deflector with no Q
        "whoosh A -6 P:0:4:30:16 2000:0",
        "whoosh A 30 P:0:4:30:16 2000:5",  // far too loud
        "event A",
        "event A B,,C",
        "stop-event A",
        "state-transition Nowhere A B 10",  // group not declared
        "environment 4 0:0",
        "music-segment A 0 4 1000",
        "music-switch A G D sometime 300 - S:C",                     // no such sync
        "music-switch A G D bar 300 -",                              // no children
        "music-switch A G D bar 300 - S:C bus",                      // a plain word that is no pair
        "music-switch A G D bar 300 - S:C stinger=T:Seg:bar",        // no don't-repeat time
        "music-switch A G D bar 300 - S:C stinger=T:Seg:later:100",  // no such sync
        "switch A colour G D S:C",                                   // neither a switch nor a state group
        "switch A switch G D",                                       // no values
        "switch A switch G D S:",                                    // a value without children
        "switch A switch G D S:C+",
        "switch A state G D S:C bus",  // a plain word that is no value
        "random A B gap=100:200",      // a gap without a chain
        "random A B continuous gap=300:100",
        "random A B continuous gap=100",
        "random A B continuous gap=100:200 trigger=50",  // both at once
        "sequence A B loop",                             // a chain's loop without the chain
        "sound A M pitch-range=300:-300",
        "sound A M db-range=-6",
        "notes A harp 120 4 -6 C4:1",    // no such voice
        "notes A pluck 120 4 -6",        // no notes
        "notes A pluck 120 4 -6 H4:1",   // no such note
        "notes A pluck 120 4 -6 C#:1",   // no octave
        "notes A pluck 120 4 -6 C4",     // no length
        "notes A pluck 120 4 -6 C4+:1",  // an empty note in a chord
        "notes A pluck 120 4 -6 C4:0",
        "notes A pluck 120 99 -6 C4:1",  // longer than a stem may be
        "notes A pluck 120 4 -6 C4:1 pcm C4:1",
        "chirp A -6",              // no sweeps
        "chirp A -6 2000:3000",    // no length
        "chirp A -6 2000:3000:1",  // too short to hear
        "chirp A -6 2000:30000:50",
        "howl A 700 300 4 -6",                                         // low above high
        "howl A 300 700 0.5 -6",                                       // too short to loop
        "compressor A -12 0.5 0.01 0.1 0",                             // a ratio under 1
        "expander A -12 2 0.01",                                       // too few values
        "peak-limiter A 3 10 0.005 0.1 0",                             // a threshold above full scale
        "eq A 0",                                                      // no bands
        "eq A 0 shelf:100:3:1",                                        // no such band
        "eq A 0 peak:100:3",                                           // a band without its Q
        "eq A 0 peak:100:3:1 peak:200:3:1 peak:300:3:1 peak:400:3:1",  // four bands
        "delay A 0 50 50 0",                                           // no time
        "delay A 0.3 100 50 0",                                        // feedback that never dies away
        "room-reverb A 1 50 0 -12",                                    // no reverb level
        "meter A P 0.01 0.1 3",                                        // a floor above full scale
        "device-sim A 6000 400 10 100",                                // the band upside down
        "tone-gen A -6 chirp 400 800 0 0.01 0.1 -6 0.1 0.1",           // no such waveform
        "tone-gen A -6 sine 400 800 0 0.01 0.1 -6 0.1",                // no release
        "music-playlist P 0 A [random B",                              // a nested level left open
        "music-playlist P 0 A ]",                                      // a level closed that was not opened
        "music-playlist P 0 [random ]",                                // an empty level
        "music-playlist P 0 [jumbled A B ]",                           // no such order
        "music-playlist P 0 [random*x A B ]",
        "music-playlist P 0 random*2 A B",  // the root's loops come before its order
    };
    for (const char* line : kBad) {
        banks.clear();
        EXPECT_FALSE(Read(std::string("bank B\n# a comment\n") + line + "\n", banks, error)) << line;
        EXPECT_EQ(error.rfind("line 3:", 0), 0u) << line << ": " << error;
    }
}

TEST(BankDescription, NumbersStandAsIDsAndEveryObjectLandsInItsBank) {
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    ASSERT_TRUE(
        Read("bank One\n"
             "state-group 0xA1F25A7F 100\n"
             "bus Master\n"
             "bus Voice parent=Master duck=Master:-6:100:200\n"
             "bank Two\n"
             "chord Low 0.1 -6 220 330\n"
             "phrase Said 200 2 -6\n"
             "noise Hiss 1000 0.1 -12\n"
             "streamed Hiss\n"
             "sound Hiss_Sound Hiss\n"
             "attenuation Near 0:0 100:-24\n"
             "sound Low_Sound Low bus=Master 3d=Near loop state=0xA1F25A7F:0x4CE3F731:-6\n"
             "sound Said_Sound Said Both\n"
             "random Both Said_Sound Low_Sound rtpc=Speed:pitch:0:0:100:1200\n"
             "event 0x50B62F0E Low_Sound,Said_Sound\n"
             "switch Steps state 0xA1F25A7F Walk Walk:Hiss_Sound Run:Hiss_Sound follow\n"
             "stop-event Stop_Low Low_Sound\n"
             "pause-all Pause_All\n",
             banks, error))
        << error;
    ASSERT_EQ(banks.size(), 2u);
    EXPECT_EQ(banks[0].file.settings.stateGroups.at(0).id, 0xA1F25A7Fu);
    EXPECT_EQ(banks[0].file.records.size(), 2u) << "the two buses";
    EXPECT_EQ(banks[1].file.media.size(), 2u);
    ASSERT_EQ(banks[1].streamed.size(), 1u) << "the streamed medium leaves the bank";
    EXPECT_EQ(banks[1].streamed[0].id, SX::SoundEngine::GetIDFromString("Hiss"));
    std::vector<uint32_t> events;
    for (const bankwriter::Bytes& record : banks[1].file.records)
        if (record[0] == SX::SxHirc_Event) events.push_back(RecordID(record));
    const std::vector<uint32_t> expected = {0x50B62F0Eu, SX::SoundEngine::GetIDFromString("Stop_Low"),
                                            SX::SoundEngine::GetIDFromString("Pause_All")};
    EXPECT_EQ(events, expected);
    // The streamed sound names its file; the state object of the next comes before it.
    EXPECT_EQ(banks[1].file.records.at(0)[0], SX::SxHirc_Sound);
    uint32_t streamType;
    std::memcpy(&streamType, banks[1].file.records.at(0).data() + 13, 4);
    EXPECT_EQ(streamType, 1u);
    EXPECT_EQ(banks[1].file.records.at(2)[0], SX::SxHirc_State);
    EXPECT_EQ(banks[1].file.records.at(3)[0], SX::SxHirc_Sound);
    // The switch container: its record is the one the bank writer makes of the same values.
    bankwriter::Switch steps;
    steps.groupType = 1;
    steps.groupID = 0xA1F25A7F;
    steps.defaultSwitch = SX::SoundEngine::GetIDFromString("Walk");
    steps.continuousValidation = true;
    const uint32_t hiss = SX::SoundEngine::GetIDFromString("Hiss_Sound");
    steps.children = {hiss};
    steps.switches = {{steps.defaultSwitch, {hiss}}, {SX::SoundEngine::GetIDFromString("Run"), {hiss}}};
    const bankwriter::Bytes expectedSwitch = bankwriter::Record(
        SX::SxHirc_Switch,
        bankwriter::SwitchBody(SX::SoundEngine::GetIDFromString("Steps"), bankwriter::NodeBase(), steps));
    bool found = false;
    for (const bankwriter::Bytes& record : banks[1].file.records) found |= record == expectedSwitch;
    EXPECT_TRUE(found);
}

// A chain: the container's record is the one the bank writer makes of the same values, the
// trigger rate its transition of mode 5.
TEST(BankDescription, AChainIsWrittenContinuousAtItsTriggerRate) {
    const uint32_t a = SX::SoundEngine::GetIDFromString("A"), b = SX::SoundEngine::GetIDFromString("B");
    for (const auto& [line, mode, ms] : {std::tuple{"sequence Chain A B continuous trigger=250", 5, 250.0f},
                                         std::tuple{"sequence Chain A B continuous", 0, 0.0f}}) {
        std::vector<samplebanks::NamedBank> banks;
        std::string error;
        ASSERT_TRUE(Read(std::string("bank One\n") + line + "\n", banks, error)) << error;
        bankwriter::RanSeq chain;
        chain.playMode = 1;
        chain.continuous = true;
        chain.transitionMode = static_cast<uint8_t>(mode);
        chain.transitionMs = ms;
        chain.children = {a, b};
        chain.playList = {{a, 50000}, {b, 50000}};
        ASSERT_EQ(banks.at(0).file.records.size(), 1u) << line;
        EXPECT_EQ(
            banks[0].file.records[0],
            bankwriter::Record(SX::SxHirc_RanSeq, bankwriter::RanSeqBody(SX::SoundEngine::GetIDFromString("Chain"),
                                                                         bankwriter::NodeBase(), chain)))
            << line;
    }
}

TEST(BankDescription, WhooshStingersAndStreamedMusicAreWrittenAsTheirRecordsName) {
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    ASSERT_TRUE(
        Read("bank Sounds\n"
             "whoosh Rush -6 Speed:0:4:30:16 2000:5 3000:8\n"
             "sound Rush_Sound Rush loop\n"
             "chord Bell 0.5 -9 1108.73 pcm\n"
             "chord Pad 2.0 -9 261.63\n"
             "streamed-vorbis Bell\n"
             "music-track Bell_Track Bell 0 500\n"
             "music-track Pad_Track Pad 0 2000\n"
             "music-segment Sting 120 4 500 Bell_Track\n"
             "music-segment Bar 120 4 2000 Pad_Track\n"
             "music-switch Music G D bar 0 - D:Bar stinger=Step:Sting:beat:1000\n",
             banks, error))
        << error;
    ASSERT_EQ(banks.size(), 1u);
    const std::vector<bankwriter::Bytes>& records = banks[0].file.records;
    const auto find = [&records](uint8_t type, uint32_t id) -> const bankwriter::Bytes* {
        for (const bankwriter::Bytes& record : records)
            if (record[0] == type && RecordID(record) == id) return &record;
        return nullptr;
    };
    const auto id = [](const char* name) { return SX::SoundEngine::GetIDFromString(name); };
    // The whoosh: a source effect of the whoosh plug-in (its ID carries the source type), its
    // parameters 77 bytes, no centre deflector, then its two deflectors.
    const bankwriter::Bytes* rush = find(SX::SxHirc_FxCustom, (id("Rush") & ~15u) | SX::SxPluginType_Source);
    ASSERT_NE(rush, nullptr);
    uint32_t plugin, size;
    int16_t centre;
    uint16_t deflectors;
    std::memcpy(&plugin, rush->data() + 9, 4);
    std::memcpy(&size, rush->data() + 13, 4);
    std::memcpy(&centre, rush->data() + 17 + 75, 2);
    std::memcpy(&deflectors, rush->data() + 17 + 77, 2);
    EXPECT_EQ(plugin, SX::SxPluginKey(SX::SxPluginType_Source, 0, 120));
    EXPECT_EQ(size, 77u + 2 + 2 * 12 + 2 + 2 + 4 + 12) << "deflectors, no curves, a path of one point";
    EXPECT_EQ(centre, -1);
    EXPECT_EQ(deflectors, 2u);
    // The bell leaves the bank to be packed as Vorbis; the pad stays in it; the chord's "pcm"
    // makes the 16-bit medium the encoder reads.
    ASSERT_EQ(banks[0].streamed.size(), 1u);
    EXPECT_EQ(banks[0].vorbis, std::vector<uint32_t>{id("Bell")});
    EXPECT_EQ(banks[0].file.media.size(), 1u);
    // The streamed track names its file, and the switch its stinger.
    const bankwriter::Bytes* bellTrack = find(bankwriter::Hirc_MusicTrack, id("Bell_Track"));
    const bankwriter::Bytes* music = find(bankwriter::Hirc_MusicSwitch, id("Music"));
    ASSERT_TRUE(bellTrack && music);
    const auto holds = [](const bankwriter::Bytes& record, std::vector<uint32_t> words) {
        for (size_t at = 0; at + 4 * words.size() <= record.size(); ++at)
            if (std::memcmp(record.data() + at, words.data(), 4 * words.size()) == 0) return true;
        return false;
    };
    EXPECT_TRUE(holds(*bellTrack, {1u, id("Bell"), id("Bell")})) << "stream type 1, the medium and its file";
    EXPECT_TRUE(holds(*music, {id("Step"), id("Sting"), 3u, 1000u, 1u}))
        << "the stinger: trigger, segment, next beat, 1000 ms without repeat, one segment ahead";
}

// Chains that wait a drawn time between their children and go round for ever, and values drawn
// for each play: the records are the ones the bank writer makes of the same values.
TEST(BankDescription, GappedLoopingChainsAndDrawnValuesAreWrittenAsTheirRecordsName) {
    const auto id = [](const char* name) { return SX::SoundEngine::GetIDFromString(name); };
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    ASSERT_TRUE(Read("bank One\nrandom Calls A B continuous loop gap=250:1800 pitch-range=-300:300 db-range=-6:0\n",
                     banks, error))
        << error;
    bankwriter::RanSeq calls;
    calls.loopCount = 0;
    calls.continuous = true;
    calls.transitionMode = 3;
    calls.transitionMin = 250.0f;
    calls.transitionMax = 1800.0f;
    calls.avoidRepeat = 1;
    calls.children = {id("A"), id("B")};
    calls.playList = {{id("A"), 50000}, {id("B"), 50000}};
    bankwriter::NodeBase node;
    node.ranges = {bankwriter::RangeF(SX::SxProp_Pitch, -300.0f, 300.0f),
                   bankwriter::RangeF(SX::SxProp_Volume, -6.0f, 0.0f)};
    ASSERT_EQ(banks.at(0).file.records.size(), 1u);
    EXPECT_EQ(banks[0].file.records[0],
              bankwriter::Record(SX::SxHirc_RanSeq, bankwriter::RanSeqBody(id("Calls"), node, calls)));
}

// A playlist of nested levels is written depth first, each level counting its own children, its
// order and loops as written; a random level avoids repeating its last child.
TEST(BankDescription, ANestedPlaylistIsWrittenDepthFirstWithEachLevelsOrder) {
    const auto id = [](const char* name) { return SX::SoundEngine::GetIDFromString(name); };
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    ASSERT_TRUE(Read("bank One\nmusic-playlist Round 0 sequence [random-step A B ] C [sequence*2 D [random E F ] ]\n",
                     banks, error))
        << error;
    const uint32_t round = id("Round");
    const auto level = [round](uint32_t n, uint32_t children, uint32_t mode, uint16_t loops, uint16_t avoid) {
        bankwriter::PlaylistItem item;
        item.itemID = round + n;
        item.childCount = children;
        item.mode = mode;
        item.loopCount = loops;
        item.avoidRepeat = avoid;
        return item;
    };
    const auto segment = [round, id](uint32_t n, const char* name) {
        bankwriter::PlaylistItem item;
        item.segmentID = id(name);
        item.itemID = round + n;
        return item;
    };
    const std::vector<bankwriter::PlaylistItem> items = {
        level(0, 3, 0, 0, 0), level(1, 2, 3, 1, 1), segment(2, "A"),      segment(3, "B"), segment(4, "C"),
        level(5, 2, 0, 2, 0), segment(6, "D"),      level(7, 2, 2, 1, 1), segment(8, "E"), segment(9, "F")};
    bankwriter::MusicNode node;
    node.children = {id("A"), id("B"), id("C"), id("D"), id("E"), id("F")};
    bankwriter::TransitionRule exit;
    exit.syncType = 7;
    ASSERT_EQ(banks.at(0).file.records.size(), 1u);
    EXPECT_EQ(banks[0].file.records[0], bankwriter::Record(bankwriter::Hirc_MusicRanSeq,
                                                           bankwriter::MusicRanSeqBody(round, node, {exit}, items)));
}

// The effects, the tone generator and the silence: share sets (or, for the sources, a source
// effect a sound names) of their plug-ins, each block the size its plug-in reads.
TEST(BankDescription, EffectsAndTheToneGeneratorAreWrittenForTheirPlugins) {
    struct Case {
        const char* line;
        uint8_t record;
        uint32_t plugin;
        uint32_t size;
    };
    const Case kCases[] = {
        {"compressor A -20 2 0.02 0.3 1", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 0, 108), 22},
        {"expander A -50 2 0.005 0.2 0", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 0, 109), 22},
        {"peak-limiter A -3 20 0.005 0.2 0", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 0, 110),
         22},
        {"eq A 0 high-pass:120:0:0.7 high-shelf:8000:-3:0.7", SX::SxHirc_FxShareSet,
         SX::SxPluginKey(SX::SxPluginType_Effect, 0, 105), 56},
        {"delay A 0.375 35 30 0", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 0, 106), 18},
        {"room-reverb A 0.8 35 0 -16 -20", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 0, 118),
         186},
        {"meter A Level 0.01 0.5 -48", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 0, 129), 25},
        {"device-sim A 400 6000 15 100", SX::SxHirc_FxShareSet, SX::SxPluginKey(SX::SxPluginType_Effect, 256, 110),
         139},
        {"tone-gen A -9 triangle 1400 2800 200 0.005 0.06 -12 0.03 0.06", SX::SxHirc_FxCustom,
         SX::SxPluginKey(SX::SxPluginType_Source, 0, 102), 65},
        {"silence A 0.25 0 1.5", SX::SxHirc_FxCustom, SX::SxPluginKey(SX::SxPluginType_Source, 0, 101), 12},
    };
    for (const Case& c : kCases) {
        std::vector<samplebanks::NamedBank> banks;
        std::string error;
        ASSERT_TRUE(Read(std::string("bank One\n") + c.line + "\n", banks, error)) << c.line << ": " << error;
        ASSERT_EQ(banks.at(0).file.records.size(), 1u) << c.line;
        const bankwriter::Bytes& record = banks[0].file.records[0];
        uint32_t plugin, size;
        std::memcpy(&plugin, record.data() + 9, 4);
        std::memcpy(&size, record.data() + 13, 4);
        EXPECT_EQ(record[0], c.record) << c.line;
        EXPECT_EQ(plugin, c.plugin) << c.line;
        EXPECT_EQ(size, c.size) << c.line;
    }
}

}  // namespace
