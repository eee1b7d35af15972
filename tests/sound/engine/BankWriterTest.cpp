#include <gtest/gtest.h>

#include "tools/bankwriter/BankWriter.h"

namespace bw = bankwriter;

namespace {

// The records whose readers come with the containers and buses, checked against bytes
// written by hand from their layouts.
TEST(BankWriter, ContainerBusAndDialogueRecordsMatchHandWrittenBytes) {
    const char* const defaultNodeBlock =
        "00 00  00 00 00 00  00 00 00 00  00 00  00  00  00"  // no effects, bus, parent, flags, bundles, positioning
        "00 00 00 00 00 01 00 00 00"                          // advanced settings: a global limit
        "00 00 00 00  00 00";                                 // no state groups, no curves
    bw::RanSeq ranSeq;
    ranSeq.loopCount = 2;
    ranSeq.transitionMs = 1000.0f;
    ranSeq.avoidRepeat = 1;
    ranSeq.randomType = 1;
    ranSeq.resetAtEachPlay = true;
    ranSeq.children = {1, 2};
    ranSeq.playList = {{1, 50000}, {2, 50000}};
    EXPECT_EQ(bw::RanSeqBody(5, bw::NodeBase(), ranSeq),
              bw::FromHex((std::string("05 00 00 00") + defaultNodeBlock +
                           "02 00  00 00 7a 44  00 00 00 00  00 00 00 00  01 00"
                           "00 01 00 00 01 00 00 00"
                           "02 00 00 00  01 00 00 00  02 00 00 00"
                           "02 00  01 00 00 00 50 c3 00 00  02 00 00 00 50 c3 00 00")
                              .c_str()));

    bw::Bus bus;
    bus.props = {bw::PropF(0, -6.0f)};
    bus.killNewest = true;
    bus.maxInstances = 3;
    bus.ownInstanceLimit = true;
    bus.channels = 3;
    bus.recoveryMs = 500;
    bus.maxDuckVolume = -12.0f;
    bus.duckTargets = {{9, -6.0f, 100, 200, 4}};
    EXPECT_EQ(bw::BusBody(8, bus), bw::FromHex("08 00 00 00  00 00 00 00"
                                               "01 00  00 00 c0 c0"
                                               "01 00 03 00 01 03 00 00 00 00"
                                               "f4 01 00 00  00 00 40 c1  01 00 00 00"
                                               "09 00 00 00  00 00 c0 c0  64 00 00 00  c8 00 00 00  04"
                                               "00 00  00 00  00 00 00 00"));

    bw::Switch sw;
    sw.groupID = 0x10;
    sw.groupType = 1;
    sw.defaultSwitch = 0x11;
    sw.children = {3};
    sw.switches = {{0x11, {3}}};
    sw.childParams = {{3, true, false, 1, 100, 50}};
    EXPECT_EQ(bw::SwitchBody(6, bw::NodeBase(), sw),
              bw::FromHex((std::string("06 00 00 00") + defaultNodeBlock +
                           "10 00 00 00  01 00 00 00  11 00 00 00  00"
                           "01 00 00 00  03 00 00 00"
                           "01 00 00 00  11 00 00 00  01 00 00 00  03 00 00 00"
                           "01 00 00 00  03 00 00 00 01 00  01 00 00 00  64 00 00 00  32 00 00 00")
                              .c_str()));

    EXPECT_EQ(bw::DialogueBody(15, {0x100}, 100, 1, {0xAA, 0xBB}),
              bw::FromHex("0f 00 00 00  01 00 00 00  00 01 00 00  02 00 00 00  64 01  aa bb"));

    bw::Layer layer{40, {}, 0x77, {{3, {{0, -96.3f, 4}}}}};
    EXPECT_EQ(bw::LayerBody(layer), bw::FromHex("28 00 00 00  00 00  77 00 00 00  01 00 00 00"
                                                "03 00 00 00  01 00 00 00  00 00 00 00  9a 99 c0 c2  04 00 00 00"));

    bw::FeedbackSource motion{0, 406, -3.0f, {}};
    motion.source.pluginID = 0x01960005;  // a motion source plug-in with 2 parameter bytes
    motion.source.pluginParams = {1, 2};
    EXPECT_EQ(bw::FeedbackNodeBody(17, {motion}, bw::NodeBase()),
              bw::FromHex((std::string("11 00 00 00  01 00 00 00  00 00 96 01  00 00 40 c0"
                                       "05 00 96 01  00 00 00 00  00 00 00 00  00 00 00 00"
                                       "00 00 00 00  00 00 00 00  00  02 00 00 00  01 02") +
                           defaultNodeBlock)
                              .c_str()));
}

TEST(BankWriter, MalformedFormsCutPatchAndReorder) {
    const bw::Bytes bytes = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(bw::Cut(bytes, 2), (bw::Bytes{1, 2}));
    EXPECT_EQ(bw::Cut(bytes, 99), bytes);
    EXPECT_EQ(bw::WithU32At(bytes, 1, 0xAABBCCDD), (bw::Bytes{1, 0xDD, 0xCC, 0xBB, 0xAA, 6}));
    EXPECT_EQ(bw::WithU32At(bytes, 4, 0xAABBCCDD), (bw::Bytes{1, 2, 3, 4, 0xDD, 0xCC})) << "stops at the end";
    EXPECT_EQ(bw::Reordered({{1}, {2}, {3}}, {2, 0}), (std::vector<bw::Bytes>{{3}, {1}}));
    EXPECT_EQ(bw::FromHex("0a 1B\\nff x"), (bw::Bytes{0x0A, 0x1B, 0xFF}));
}

}  // namespace
