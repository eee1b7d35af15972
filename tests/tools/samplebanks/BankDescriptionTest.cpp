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

}  // namespace
