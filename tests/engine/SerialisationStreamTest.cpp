#include <gtest/gtest.h>

#include <string>

#include "core/SharedString.h"
#include "engine/LevelLayerSaveStream.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialUpdateStream.h"
#include "engine/SuperialValue.h"
#include "tests/engine/LevelLayerProbes.h"

namespace {

using SD::SuperialDataMap;
using SD::SuperialValue;

// A component with a field of every type, a vector and a header, serialised the way the
// engine's components are.
struct TestComponent {
    int version = 1;
    bool play = true, pause = false, devPause = false;
    std::string owner = "nobody";
    SD::SharedString ownerName = "none";
    double ratio = 0.5;
    float gain = 1.0f;
    unsigned flags = 0;

    float speed = 0;
    double weight = 0;
    int count = 0;
    unsigned mask = 0;
    bool enabled = false;
    std::string title;
    SD::SharedString kind;
    float position[3] = {0, 0, 0};

    void Serialize(SD::IStream& s) {
        s.BeginGroup(nullptr, "TestComponent", SD::kSuperialObject);
        s.SerializeNamed(version, "version");
        s.SerializeNamed(play, "Play");
        s.SerializeNamed(pause, "Pause");
        s.SerializeNamed(devPause, "DevPause");
        s.SerializeNamed(owner, "owner");
        s.SerializeNamed(ownerName, "ownerName");
        s.SerializeNamed(ratio, "ratio");
        s.SerializeNamed(gain, "gain");
        s.SerializeNamed(flags, "flags");
        s.Serialize(speed, "Speed", "Float");
        s.Serialize(weight, "Weight", "Float");
        s.Serialize(count, "Count", "Integer");
        s.Serialize(mask, "Mask", "Integer");
        s.Serialize(enabled, "Enabled", "Boolean");
        s.Serialize(title, "Title", "String");
        s.Serialize(kind, "Kind", "String");
        s.BeginGroup("Position", "Vector3", SD::kSuperialArray);
        for (float& v : position) s.Serialize(v, nullptr, "Float");
        s.EndGroup("Position", "Vector3", SD::kSuperialArray);
        s.EndGroup(nullptr, "TestComponent", SD::kSuperialObject);
    }

    bool operator==(const TestComponent& o) const {
        return version == o.version && play == o.play && pause == o.pause && devPause == o.devPause &&
               owner == o.owner && ownerName == o.ownerName && ratio == o.ratio && gain == o.gain && flags == o.flags &&
               speed == o.speed && weight == o.weight && count == o.count && mask == o.mask && enabled == o.enabled &&
               title == o.title && kind == o.kind && position[0] == o.position[0] && position[1] == o.position[1] &&
               position[2] == o.position[2];
    }
};

TestComponent Sample() {
    TestComponent c;
    c.version = 3;
    c.play = false;
    c.pause = true;
    c.devPause = true;
    c.owner = "A & B";
    c.ownerName = "<owner>";
    c.ratio = 0.25;
    c.gain = -2.5f;
    c.flags = 0xF0000001u;
    c.speed = 12.5f;
    c.weight = -0.125;
    c.count = -42;
    c.mask = 0x80000000u;
    c.enabled = true;
    c.title = "  The \"best\" car ";
    c.kind = "Vehicle";
    c.position[0] = 1;
    c.position[1] = -2.5f;
    c.position[2] = 1024;
    return c;
}

// Writes the component under a fresh document and returns the XML text.
std::string WriteToXml(TestComponent& c) {
    SuperialDataMap map;
    map.Top()->SetTypeName("Components");
    SD::SuperialOutStream out(map.Top());
    c.Serialize(out);
    return SuperialDataMap::WriteToString(map);
}

TEST(SerialisationStreams, OutWritesTheComponentInTheFileLayout) {
    TestComponent c = Sample();
    EXPECT_EQ(WriteToXml(c),
              "<?xml version=\"1.0\" ?>\n"
              "<Components >\n"
              "  <TestComponent version=\"3\" Play=\"0\" Pause=\"1\" DevPause=\"1\" owner=\"A &amp; B\" "
              "ownerName=\"&lt;owner&gt;\" ratio=\"0.250000\" gain=\"-2.500000\" flags=\"-268435455\" >\n"
              "    <Float name=\"Speed\" value=\"12.500000\" />\n"
              "    <Float name=\"Weight\" value=\"-0.125000\" />\n"
              "    <Integer name=\"Count\" value=\"-42\" />\n"
              "    <Integer name=\"Mask\" value=\"-2147483648\" />\n"
              "    <Boolean name=\"Enabled\" value=\"1\" />\n"
              "    <String name=\"Title\" >&#32; The &quot;best&quot; car&#32;</String>\n"
              "    <String name=\"Kind\" >Vehicle</String>\n"
              "    <Vector3 name=\"Position\" >\n"
              "      <Float value=\"1.000000\" />\n"
              "      <Float value=\"-2.500000\" />\n"
              "      <Float value=\"1024.000000\" />\n"
              "    </Vector3>\n"
              "  </TestComponent>\n"
              "</Components>\n"
              "\n");
}

TEST(SerialisationStreams, OutThroughXmlAndBackByPositionAndByName) {
    TestComponent written = Sample();
    auto map = SuperialDataMap::parseXmlFromBuffer(WriteToXml(written).c_str());
    ASSERT_NE(map, nullptr);
    SuperialValue* node = map->Top()->FirstChild();

    TestComponent read;
    SD::SuperialInStream in(node);
    read.Serialize(in);
    EXPECT_EQ(read, written);

    TestComponent updated;
    SD::SuperialUpdateStream update(node);
    EXPECT_TRUE(update.IsUpdate());
    EXPECT_EQ(update.GetDirection(), SD::IStream::kRead);
    updated.Serialize(update);
    EXPECT_EQ(updated, written);
}

TEST(SerialisationStreams, UpdateFindsFieldsByNameAndKeepsWhatIsMissingOrMisspelt) {
    auto map = SuperialDataMap::parseXmlFromBuffer(
        "<TestComponent version=\"7\" Pause=\"1\">\n"
        "  <String name=\"Title\">new</String>\n"
        "  <Float name=\"Sped\" value=\"99\" />\n"
        "  <Vector3 name=\"Position\"><Float value=\"4\"/><Float value=\"5\"/></Vector3>\n"
        "  <Integer name=\"Count\" value=\"9\" />\n"
        "</TestComponent>");
    ASSERT_NE(map, nullptr);
    TestComponent c = Sample();
    TestComponent expected = Sample();
    expected.version = 7;
    expected.pause = true;
    expected.title = "new";
    expected.count = 9;
    expected.position[0] = 4;
    expected.position[1] = 5;
    SD::SuperialUpdateStream update(map->Top());
    c.Serialize(update);
    EXPECT_EQ(c, expected);
}

TEST(SerialisationStreams, ValuesOfAnotherNumberTypeReachTheComponentByValue) {
    auto map = SuperialDataMap::parseXmlFromBuffer(
        "<TestComponent version=\"1.0\" Play=\"1.0\" flags=\"7.9\" gain=\"2\">\n"
        "  <Integer name=\"Speed\" value=\"3\" />\n"
        "  <Float name=\"Count\" value=\"-4.5\" />\n"
        "  <Float name=\"Enabled\" value=\"-0.0\" />\n"
        "</TestComponent>");
    ASSERT_NE(map, nullptr);
    TestComponent expected = Sample();
    expected.version = 1;
    expected.play = true;
    expected.flags = 7;
    expected.gain = 2.0f;
    expected.speed = 3.0f;
    expected.count = -4;
    expected.enabled = false;
    TestComponent c = Sample();
    SD::SuperialUpdateStream update(map->Top());
    c.Serialize(update);
    EXPECT_EQ(c, expected);
}

TEST(SerialisationStreams, InReadsByPositionWhateverTheLabels) {
    auto map = SuperialDataMap::parseXmlFromBuffer(
        "<TestComponent>\n"
        "  <Float name=\"Weight\" value=\"2\" />\n"
        "  <Float name=\"Speed\" value=\"3\" />\n"
        "</TestComponent>");
    ASSERT_NE(map, nullptr);
    TestComponent c = Sample();
    TestComponent expected = Sample();
    expected.speed = 2;
    expected.weight = 3;
    SD::SuperialInStream in(map->Top());
    c.Serialize(in);
    EXPECT_EQ(c, expected);
}

TEST(SerialisationStreams, ReadingStreamsSurviveMissingNodesAndUnbalancedGroups) {
    TestComponent c = Sample();
    SD::SuperialInStream in(nullptr);
    c.Serialize(in);
    in.EndGroup(nullptr, nullptr, 0);
    SD::SuperialUpdateStream update(nullptr);
    c.Serialize(update);
    update.EndGroup(nullptr, nullptr, 0);
    SuperialValue scalar;
    scalar.SetFloat(1);
    SD::SuperialOutStream out(&scalar);
    c.Serialize(out);
    EXPECT_EQ(scalar.FirstChild(), nullptr);
    EXPECT_EQ(c, Sample());
}

// A level save writes every field, also those equal to the blueprint's: the level entry read
// over the blueprint then gives the placed component, header flags included.
TEST(LevelLayerSaveStream, WritesTheHeaderAndEveryFieldWhateverTheBlueprintHolds) {
    TestComponent blueprintComponent = Sample();
    auto blueprint = SuperialDataMap::parseXmlFromBuffer(WriteToXml(blueprintComponent).c_str());
    ASSERT_NE(blueprint, nullptr);
    SuperialValue* blueprintNode = blueprint->Top()->FirstChild();

    TestComponent placed = Sample();
    placed.speed = 30;
    placed.position[1] = 7;
    placed.play = true;  // a header flag too

    SuperialDataMap level;
    SuperialValue* element = SuperialValue::AppendChildWithTypeName(level.Top(), "TestComponent");
    SD::LevelLayerSaveStream save(element, blueprintNode);
    EXPECT_EQ(save.GetDirection(), SD::IStream::kWrite);
    EXPECT_EQ(platform::TestProbe<SD::LevelLayerSaveStream>::BlueprintCounterpart(save), blueprintNode);
    placed.Serialize(save);
    std::string order;
    for (SuperialValue* n = element->FirstChild(); n; n = n->Next()) order += n->Name() + " ";
    EXPECT_EQ(order, "Speed Weight Count Mask Enabled Title Kind Position ");
    level.Top()->SetTag("Components");
    const std::string text = SuperialDataMap::WriteToString(level);
    EXPECT_NE(text.find("<TestComponent version=\"3\" Play=\"1\" Pause=\"1\" DevPause=\"1\" "), std::string::npos)
        << text;
    EXPECT_NE(text.find("<Float name=\"Speed\" value=\"30.000000\" />"), std::string::npos) << text;

    auto reread = SuperialDataMap::parseXmlFromBuffer(text.c_str());
    ASSERT_NE(reread, nullptr);
    for (const TestComponent& base : {blueprintComponent, TestComponent()}) {
        TestComponent loaded = base;
        SD::SuperialUpdateStream fromLevel(reread->Top()->FirstChild());
        loaded.Serialize(fromLevel);
        EXPECT_EQ(loaded, placed);
    }
}

TEST(LevelLayerSaveStream, WithoutABlueprintEveryFieldIsWritten) {
    TestComponent c = Sample();
    SuperialDataMap level;
    SuperialValue* element = SuperialValue::AppendChildWithTypeName(level.Top(), "TestComponent");
    SD::LevelLayerSaveStream save(element, nullptr);
    c.Serialize(save);
    int children = 0;
    for (SuperialValue* n = element->FirstChild(); n; n = n->Next()) ++children;
    EXPECT_EQ(children, 8);
    SuperialValue* position = SuperialValue::FindChildByName(element, "Position");
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->Type(), SD::kSuperialArray);
    EXPECT_EQ(position->Tag(), "Vector3");
    TestComponent back;
    SD::SuperialUpdateStream update(element);
    back.Serialize(update);
    EXPECT_EQ(back, c);
}

}  // namespace
