#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "SxHierarchyFixture.h"
#include "platform/os/Random.h"
#include "sound/engine/dialogue/CSxDialogueEvent.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

struct Node {
    uint32_t key, second;  // second: audio node at the deepest level, else first child | count << 16
    uint16_t weight, probability;
};

bw::Bytes Tree(const std::vector<Node>& nodes) {
    bw::Bytes bytes;
    for (const Node& n : nodes) {
        for (uint32_t v : {n.key, n.second})
            for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
        for (uint16_t v : {n.weight, n.probability})
            for (int b = 0; b < 2; ++b) bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
    return bytes;
}

uint32_t Children(uint16_t first, uint16_t count) { return first | uint32_t(count) << 16; }

// Two arguments. Under any first value (key 0): 20 gives 500. Under 10: any gives 600, 30 gives 700.
std::vector<Node> TwoLevels(uint16_t weight600 = 0, uint16_t weight700 = 0, uint16_t probability = 100) {
    return {{0, Children(1, 2), 0, 100}, {0, Children(3, 1), 0, 100},      {10, Children(4, 2), 0, 100},
            {20, 500, 0, probability},   {0, 600, weight600, probability}, {30, 700, weight700, probability}};
}

class DialogueEvents : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        platform::crt_srand(99);
    }
    void LoadEvent(uint8_t mode, const std::vector<Node>& tree, uint8_t probability = 100) {
        ASSERT_EQ(
            Load({bw::Record(SxHirc_Dialogue, bw::DialogueBody(80, {0x100, 0x200}, probability, mode, Tree(tree)))}),
            SX_Success);
    }
    static SxUniqueID Resolve(std::vector<uint32_t> values) {
        return SoundEngine::DynamicDialogue::ResolveDialogueEvent(80, values.data(),
                                                                  static_cast<uint32_t>(values.size()));
    }
    static std::map<SxUniqueID, int> Draws(std::vector<uint32_t> values, int count) {
        std::map<SxUniqueID, int> seen;
        for (int i = 0; i < count; ++i) ++seen[Resolve(values)];
        return seen;
    }
};

TEST_F(DialogueEvents, BestMatchFallsBackToAnyValue) {
    LoadEvent(CSxDialogueEvent::Mode_BestMatch, TwoLevels());
    struct Case {
        std::vector<uint32_t> values;
        SxUniqueID expected;
    } cases[] = {
        {{10, 30}, 700}, {{10, 99}, 600}, {{99, 20}, 500},
        {{10, 20}, 600}, {{99, 31}, 0},  // the fallback's children hold no 31 and no "any"
        {{10}, 0},                       // one value for two arguments
        {{0, 31}, 0},                    // a value of 0 takes no fallback: key 0 matches it exactly, and holds no 31
    };
    for (const Case& c : cases) EXPECT_EQ(Resolve(c.values), c.expected) << c.values[0];
    EXPECT_EQ(SoundEngine::DynamicDialogue::ResolveDialogueEvent(81, nullptr, 0), 0u) << "an unknown event";
}

TEST_F(DialogueEvents, WeightsChooseAmongEveryMatch) {
    struct Case {
        uint16_t weight600, weight700;
        int expected600;  // per 1000
    } cases[] = {{0, 0, 500}, {0, 100, 0}, {10, 30, 250}, {100, 100, 500}};
    for (const Case& c : cases) {
        LoadEvent(CSxDialogueEvent::Mode_Weighted, TwoLevels(c.weight600, c.weight700));
        const std::map<SxUniqueID, int> seen = Draws({10, 30}, 1000);
        const int got600 = seen.count(600) ? seen.at(600) : 0;
        const int got700 = seen.count(700) ? seen.at(700) : 0;
        EXPECT_EQ(got600 + got700, 1000);
        EXPECT_NEAR(got600, c.expected600, 60) << c.weight600 << "/" << c.weight700;
        Unload();
    }
}

TEST_F(DialogueEvents, ProbabilitiesDecideWhetherTheNodeIsGiven) {
    struct Case {
        uint8_t eventProbability;
        uint16_t nodeProbability;
        int expectedGiven;  // per 1000
    } cases[] = {{100, 100, 1000}, {0, 100, 0}, {100, 0, 0}, {50, 100, 500}};
    for (const Case& c : cases) {
        LoadEvent(CSxDialogueEvent::Mode_BestMatch, TwoLevels(0, 0, c.nodeProbability), c.eventProbability);
        const std::map<SxUniqueID, int> seen = Draws({10, 30}, 1000);
        EXPECT_NEAR(seen.count(700) ? seen.at(700) : 0, c.expectedGiven, 60) << int(c.eventProbability);
        Unload();
    }
}

TEST_F(DialogueEvents, MalformedRecordsAndTreesAreRefusedOrCutShort) {
    const bw::Bytes body = bw::DialogueBody(80, {0x100, 0x200}, 100, 0, Tree(TwoLevels()));
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_Dialogue, cut.data(), static_cast<uint32_t>(cut.size()), &object), SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    bw::Bytes ragged = bw::DialogueBody(80, {0x100}, 100, 0, Tree(TwoLevels()));
    ragged.pop_back();
    ragged[12] = static_cast<uint8_t>(ragged[12] - 1);  // a tree size that is no whole number of nodes
    const bw::Bytes bad[] = {bw::WithU32At(body, 4, 0x40000000), ragged};
    for (const bw::Bytes& b : bad) {
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_Dialogue, b.data(), static_cast<uint32_t>(b.size()), &object), SX_Fail);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_DialogueEvent).Count(), 0u);
    // Children past the tree's end, and 40 levels of a node that is its own "any" child: the
    // walk stays inside the tree and stops.
    std::vector<uint32_t> arguments(40, 0x100);
    ASSERT_EQ(Load({bw::Record(SxHirc_Dialogue, bw::DialogueBody(82, {1, 2}, 100, 1,
                                                                 Tree({{0, Children(1, 9), 0, 100}, {5, 1, 0, 100}}))),
                    bw::Record(SxHirc_Dialogue,
                               bw::DialogueBody(83, arguments, 100, 1, Tree({{0, Children(0, 1), 100, 100}})))}),
              SX_Success);
    const uint32_t values[40] = {5, 5, 5};
    EXPECT_EQ(SoundEngine::DynamicDialogue::ResolveDialogueEvent(82, values, 2), 0u);
    std::vector<uint32_t> many(40, 7);
    EXPECT_EQ(SoundEngine::DynamicDialogue::ResolveDialogueEvent(83, many.data(), 40), 0u);
}

}  // namespace
