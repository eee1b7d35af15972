#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "SxBankFixture.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "support/TempTree.h"
#include "tests/sound/engine/SxBankProbe.h"

namespace {

using namespace SX;
namespace bw = bankwriter;
using sxtest::AlignedBank;

// Every chunk the writer makes, with one media item and a named bank.
bw::BankFile FullBank() {
    bw::BankFile bank = sxtest::PlayableBank(90);
    bank.withSettings = true;
    bank.settings.stateGroups = {{700, 100, {{1, 2, 50}}}};
    bank.settings.switchMappings = {{710, 711, {{0.0f, 1, SxCurve_Constant}}}};
    bank.settings.gameParameterDefaults = {{711, 1.0f}};
    bank.withEnvironment = true;
    bank.environment[0] = {true, 0, {{0.0f, 0.0f, SxCurve_Linear}}};
    bank.media.push_back({311, bw::Bytes(40, 3)});
    bank.bankNames = {{91, "Other"}};
    return bank;
}

// Offset of a chunk's body.
size_t Body(const bw::Bytes& bank, const char* tag) { return bw::ChunkOffset(bank, tag) + 8; }
// The bank cut in the middle of a chunk's body.
bw::Bytes CutInside(const bw::Bytes& bank, const char* tag) {
    const size_t offset = bw::ChunkOffset(bank, tag);
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= uint32_t(bank[offset + 4 + i]) << (8 * i);
    return bw::Cut(bank, offset + 8 + size / 2);
}
bw::Bytes Appended(bw::Bytes bank, const bw::Bytes& tail) {
    bank.insert(bank.end(), tail.begin(), tail.end());
    return bank;
}

struct Case {
    const char* name;
    std::function<bw::Bytes(const bw::Bytes&)> make;
    SXRESULT expected;
};

class BankMalformed : public sxtest::BankEngine {};

// Each malformed bank fails with a clear result, loads nothing, leaks nothing, and leaves the
// engine able to load the good bank afterwards.
TEST_F(BankMalformed, EachFailsCleanlyAndLeavesNothingBehind) {
    const bw::Bytes good = bw::WriteBank(FullBank());
    const size_t stmg = Body(good, "STMG"), didx = Body(good, "DIDX"), envs = Body(good, "ENVS");
    const size_t stid = Body(good, "STID"), hirc = Body(good, "HIRC");
    const size_t groupTransitions = stmg + 4 + 2 + 4 + 8;
    const size_t switchCount = groupTransitions + 4 + 12;
    const size_t pointCount = switchCount + 4 + 8;
    const size_t defaultsCount = pointCount + 4 + 12;
    const Case cases[] = {
        {"first chunk not the header", [](const bw::Bytes& b) { return bw::WithU32At(b, 0, 0x44484B41); },
         SX_InvalidFile},
        {"version 61", [](const bw::Bytes& b) { return bw::WithU32At(b, 8, 61); }, SX_WrongBankVersion},
        {"header body below 16 bytes", [](const bw::Bytes& b) { return bw::WithU32At(b, 4, 8); }, SX_PartialRead},
        {"header size past the end", [](const bw::Bytes& b) { return bw::WithU32At(b, 4, 0xFFFFFFF0u); },
         SX_PartialRead},
        {"chunk header cut after 1 byte", [](const bw::Bytes& b) { return Appended(b, {'H'}); }, SX_InvalidFile},
        {"chunk header cut after 7 bytes",
         [](const bw::Bytes& b) {
             return Appended(b, {'H', 'I', 'R', 'C', 1, 0, 0});
         },
         SX_InvalidFile},
        {"settings cut short", [](const bw::Bytes& b) { return CutInside(b, "STMG"); }, SX_InvalidFile},
        {"environment cut short", [](const bw::Bytes& b) { return CutInside(b, "ENVS"); }, SX_InvalidFile},
        {"media index cut short", [](const bw::Bytes& b) { return CutInside(b, "DIDX"); }, SX_InvalidFile},
        {"media data cut short", [](const bw::Bytes& b) { return CutInside(b, "DATA"); }, SX_InvalidFile},
        {"string table cut short", [](const bw::Bytes& b) { return CutInside(b, "STID"); }, SX_InvalidFile},
        {"hierarchy cut short", [](const bw::Bytes& b) { return CutInside(b, "HIRC"); }, SX_InvalidFile},
        {"state groups past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, stmg + 6, 0x10000000u); },
         SX_InvalidFile},
        {"transitions past the chunk",
         [&](const bw::Bytes& b) { return bw::WithU32At(b, groupTransitions, 0xFFFFFFFFu); }, SX_InvalidFile},
        {"switch groups past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, switchCount, 0x40000000u); },
         SX_InvalidFile},
        {"switch points past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, pointCount, 0x15555556u); },
         SX_InvalidFile},
        {"defaults past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, defaultsCount, 0x20000000u); },
         SX_InvalidFile},
        {"environment points past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, envs, 0xFFFF0001u); },
         SX_InvalidFile},
        {"empty environment chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, envs - 4, 0); }, SX_Fail},
        {"bank names past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, stid + 4, 0x7FFFFFFFu); },
         SX_InvalidFile},
        {"bank name longer than the chunk",
         [&](const bw::Bytes& b) {
             bw::Bytes out = b;
             out[stid + 12] = 250;
             return out;
         },
         SX_InvalidFile},
        {"hierarchy count past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, hirc, 0x7FFFFFFFu); },
         SX_InvalidFile},
        {"hierarchy record past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, hirc + 5, 0xFFFFFF00u); },
         SX_InvalidFile},
        {"media offset past the data", [&](const bw::Bytes& b) { return bw::WithU32At(b, didx + 16, 4096); },
         SX_InvalidFile},
        {"media size past the data", [&](const bw::Bytes& b) { return bw::WithU32At(b, didx + 8, 4096); },
         SX_InvalidFile},
        {"media offset plus size wraps",
         [&](const bw::Bytes& b) { return bw::WithU32At(bw::WithU32At(b, didx + 4, 0xFFFFFFF0u), didx + 8, 0x20); },
         SX_InvalidFile},
        {"chunk size that wraps", [&](const bw::Bytes& b) { return bw::WithU32At(b, hirc - 4, 0xFFFFFFFFu); },
         SX_InvalidFile},
    };
    // The global settings a bank brings stay after it (they are the engine's, not the bank's):
    // one good load first, so that only what a failed load leaves behind is counted.
    {
        const AlignedBank bank(good);
        SxBankID id;
        ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
        ASSERT_EQ(SoundEngine::UnloadBank(90), SX_Success);
    }
    const uint32_t used = PoolUsed();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AlignedBank bank(c.make(good));
        SxBankID id;
        EXPECT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), c.expected);
        EXPECT_FALSE(qvtest::BankProbe::IsBankLoaded(*g_pBankMgr, 90));
        EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
        EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
        EXPECT_EQ(ObjectCount(), 0u);
        EXPECT_EQ(PoolUsed(), used);
    }
    const AlignedBank bank(good);
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
    EXPECT_EQ(ObjectCount(), 4u);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 2u);
    ASSERT_EQ(SoundEngine::UnloadBank(90), SX_Success);
}

// Read from a file, a hierarchy record that runs past the bank is a copy that could not be made
// (2) where a bank in memory is cut (7); a cut header is a short read either way.
TEST_F(BankMalformed, FromAFileACutHierarchyIsAFailedCopy) {
    qvtest::TempTree tree;
    SxSetBankFolder(tree.Root());
    const bw::Bytes good = bw::WriteBank(FullBank());
    const size_t hirc = Body(good, "HIRC");
    const Case cases[] = {
        {"hierarchy cut short", [](const bw::Bytes& b) { return CutInside(b, "HIRC"); }, SX_Fail},
        {"hierarchy record past the chunk", [&](const bw::Bytes& b) { return bw::WithU32At(b, hirc + 5, 0xFFFFFF00u); },
         SX_Fail},
        {"header size past the end", [](const bw::Bytes& b) { return bw::WithU32At(b, 4, 0xFFFFFFF0u); },
         SX_PartialRead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bw::Bytes bytes = c.make(good);
        tree.Write("Broken.bnk", std::string(bytes.begin(), bytes.end()));
        SxBankID id;
        EXPECT_EQ(SoundEngine::LoadBank("Broken.bnk", -1, id), c.expected);
        EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
        EXPECT_EQ(ObjectCount(), 0u);
    }
    SxSetBankFolder("");
}

// A hierarchy reader that runs out of memory refuses its bank on the bank thread, as a game
// loading the bank meets it; what the bank read before is released and the engine goes on.
TEST_F(BankMalformed, AReaderOutOfMemoryRefusesTheBank) {
    class OutOfMemory final : public ISxHircObjectReader {
    public:
        SXRESULT ReadHircObject(uint8_t type, const uint8_t*, uint32_t, SxBankID, CSxIndexable**) override {
            if (type == 12) throw std::bad_alloc();
            return SX_Refused;
        }
    } reader;
    SxSetHircObjectHook(&reader);
    bw::BankFile file = sxtest::PlayableBank(95);
    file.records.push_back(bw::Record(12, bw::Bytes(8, 0)));
    const AlignedBank bank(bw::WriteBank(file));
    SxBankID id;
    EXPECT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_InsufficientMemory);
    SxSetHircObjectHook(nullptr);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
    EXPECT_EQ(ObjectCount(), 0u);
    const AlignedBank good(bw::WriteBank(FullBank()));
    EXPECT_EQ(SoundEngine::LoadBank(good.Data(), good.Size(), id), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank(90), SX_Success);
}

// A settings chunk that counts past its end applies nothing, not even the groups before it.
TEST_F(BankMalformed, SettingsAreAppliedOnlyWhenTheWholeChunkReads) {
    const bw::Bytes good = bw::WriteBank(FullBank());
    const size_t defaultsCount = Body(good, "STMG") + 4 + 2 + 4 + 8 + 4 + 12 + 4 + 8 + 4 + 12;
    const AlignedBank bank(bw::WithU32At(good, defaultsCount, 9));
    SxBankID id;
    EXPECT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_InvalidFile);
    EXPECT_FALSE(g_pStateMgr->IsStateGroupRegistered(700));
}

// What a reader must take as it is: an unknown chunk, an empty bank, a media index in any
// order, a record type no reader claims, a media index whose size leaves a remainder.
TEST_F(BankMalformed, OddButValidBanksLoad) {
    bw::BankFile file = sxtest::PlayableBank(95);
    file.media = {{320, bw::Bytes(32, 1)}, {321, bw::Bytes(48, 2)}, {322, bw::Bytes(16, 3)}};
    bw::Bytes bank = bw::WriteBank(file);
    // Reverse the index entries: the data is found by offset, not by order.
    const size_t didx = Body(bank, "DIDX");
    bw::Bytes reversed = bank;
    for (int i = 0; i < 3; ++i)
        std::copy(bank.begin() + didx + 12 * (2 - i), bank.begin() + didx + 12 * (3 - i),
                  reversed.begin() + didx + 12 * i);
    reversed = Appended(reversed, bw::Chunk("ABCD", bw::Bytes(7, 0)));
    reversed = Appended(reversed, bw::Chunk("HIRC", bw::HircChunk({bw::Record(12, bw::Bytes(9, 0))})));
    const AlignedBank aligned(reversed);
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(aligned.Data(), aligned.Size(), id), SX_Success);
    for (uint32_t media = 320; media <= 322; ++media) {
        SxMediaRef ref;
        ASSERT_TRUE(g_pBankMgr->GetMedia(media, ref));
        EXPECT_EQ(ref.data[0], media - 319);
        EXPECT_EQ(ref.size, media == 320 ? 32u : media == 321 ? 48u : 16u);
        g_pBankMgr->ReleaseMedia(media, ref);
    }
    ASSERT_EQ(SoundEngine::UnloadBank(95), SX_Success);

    bw::BankFile empty;
    empty.id = 96;
    bw::Bytes remainder = bw::WriteBank(empty);
    remainder = Appended(remainder, bw::Chunk("DIDX", bw::Writer().U32(330).U32(0).U32(4).U32(1).Take()));
    remainder = Appended(remainder, bw::Chunk("DATA", bw::Bytes(16, 5)));
    const AlignedBank small(remainder);
    ASSERT_EQ(SoundEngine::LoadBank(small.Data(), small.Size(), id), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 1u);
    ASSERT_EQ(SoundEngine::UnloadBank(96), SX_Success);
}

}  // namespace

namespace {

using namespace SX;
namespace bw = bankwriter;

class BankFuzzFindings : public sxtest::BankEngine {};

// Found by the bank reader's fuzz target: a threshold a hair below 0 dB (bits 0x82700000)
// made the decibel table read one step past its end.
TEST_F(BankFuzzFindings, AThresholdJustBelowZeroDecibels) {
    float threshold;
    const uint32_t bits = 0x82700000u;
    std::memcpy(&threshold, &bits, 4);
    bw::BankFile file;
    file.id = 3;
    file.withSettings = true;
    file.settings.volumeThreshold = threshold;
    const sxtest::AlignedBank bank(bw::WriteBank(file));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
    EXPECT_FLOAT_EQ(g_fVolumeThreshold, 1.0f);
    ASSERT_EQ(SoundEngine::UnloadBank(3), SX_Success);
}

}  // namespace

namespace {

using namespace SX;
namespace bw = bankwriter;

class BankNames : public sxtest::BankEngine {};

// A name's length is one byte in the string table: the writer cuts a longer name to 255
// characters instead of letting the length wrap into a broken chunk.
TEST_F(BankNames, ALongNameIsCutNotWrapped) {
    bw::BankFile file;
    file.id = 4;
    file.bankNames = {{5, std::string(300, 'n')}, {6, "Next"}};
    const bw::Bytes bytes = bw::WriteBank(file);
    EXPECT_EQ(bytes.size(), bw::ChunkOffset(bytes, "STID") + 8 + 8 + (4 + 1 + 255) + (4 + 1 + 4));
    const sxtest::AlignedBank bank(bytes);
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank(4), SX_Success);
}

}  // namespace
