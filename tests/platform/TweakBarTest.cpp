#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakDefinition.h"
#include "platform/tweak/TweakInspect.h"

namespace tw = platform::tweak;

namespace {

class TweakBarTest : public ::testing::Test {
protected:
    void SetUp() override { tw::ResetForTests(); }
    void TearDown() override { tw::ResetForTests(); }
};

struct Probe {
    float value = 1.5f;
    int sets = 0;
};

void GetProbe(void* value, void* client) { *static_cast<float*>(value) = static_cast<Probe*>(client)->value; }
void SetProbe(const void* value, void* client) {
    auto* probe = static_cast<Probe*>(client);
    probe->value = *static_cast<const float*>(value);
    ++probe->sets;
}

void CopyString(char** destination, const char* source) {
    const size_t length = std::strlen(source);
    *destination = static_cast<char*>(std::realloc(*destination, length + 1));
    std::memcpy(*destination, source, length + 1);
}

TEST_F(TweakBarTest, BarsAreKnownByNameAndNamesAreUnique) {
    tw::Bar* first = tw::NewBar("Object Templates");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(tw::NewBar("Object Templates"), nullptr);
    EXPECT_EQ(tw::NewBar(""), nullptr);
    EXPECT_EQ(tw::NewBar(nullptr), nullptr);
    tw::Bar* second = tw::NewBar("Level Objects");
    EXPECT_EQ(tw::BarNames(), (std::vector<std::string>{"Object Templates", "Level Objects"}));
    EXPECT_EQ(tw::FindBar("Level Objects"), second);
    EXPECT_EQ(tw::Errors().size(), 3u);

    EXPECT_TRUE(tw::DeleteBar(first));
    EXPECT_FALSE(tw::DeleteBar(first)) << "a deleted bar is no longer known";
    EXPECT_EQ(tw::BarNames(), (std::vector<std::string>{"Level Objects"}));
    EXPECT_NE(tw::NewBar("Object Templates"), nullptr) << "its name is free again";
    EXPECT_TRUE(tw::DeleteAllBars());
    EXPECT_TRUE(tw::BarNames().empty());
}

TEST_F(TweakBarTest, DefinitionsSetBarAndItemParameters) {
    tw::Bar* bar = tw::NewBar("Cursor_3");
    Probe probe;
    ASSERT_TRUE(
        tw::AddVarCB(bar, "PosX", tw::kTypeFloat, SetProbe, GetProbe, &probe, "group='Transform'  step = 0.01 "));
    EXPECT_TRUE(
        tw::Define("'Cursor_3' color='0 0 0' text=light refresh=0.050000 position='10 10' size='200 570' "
                   "alpha=200 visible=true"));
    const auto params = tw::BarParams(bar);
    EXPECT_EQ(params.at("position"), "10 10");
    EXPECT_EQ(params.at("size"), "200 570");
    EXPECT_EQ(params.at("visible"), "true");
    EXPECT_EQ(params.at("text"), "light");
    EXPECT_TRUE(tw::Define("'Cursor_3' visible='false'"));
    EXPECT_EQ(tw::BarParams(bar).at("visible"), "false");
    EXPECT_EQ(tw::BarParams(bar).at("alpha"), "200") << "earlier parameters stay";

    tw::ItemInfo item;
    ASSERT_TRUE(tw::FindItem(bar, "PosX", &item));
    EXPECT_EQ(item.params.at("group"), "Transform");
    EXPECT_EQ(item.params.at("step"), "0.01");
    EXPECT_TRUE(tw::Define("'Cursor_3/PosX' label='X' opened"));
    ASSERT_TRUE(tw::FindItem(bar, "PosX", &item));
    EXPECT_EQ(item.params.at("label"), "X");
    EXPECT_EQ(item.params.at("opened"), "true");

    int one = 1;
    EXPECT_TRUE(tw::SetParam(bar, "Transform", "opened", tw::kParamInt32, 1, &one));
    EXPECT_EQ(tw::GroupParams(bar, "Transform").at("opened"), "1");
    // A group and an item of one name: the group takes the parameter.
    ASSERT_TRUE(tw::AddVarCB(bar, "Name", tw::kTypeFloat, SetProbe, GetProbe, &probe, "group='Name' "));
    EXPECT_TRUE(tw::SetParam(bar, "Name", "opened", tw::kParamInt32, 1, &one));
    EXPECT_EQ(tw::GroupParams(bar, "Name").at("opened"), "1");
    const float step = 0.5f;
    EXPECT_TRUE(tw::SetParam(bar, "PosX", "step", tw::kParamFloat, 1, &step));
    ASSERT_TRUE(tw::FindItem(bar, "PosX", &item));
    EXPECT_EQ(item.params.at("step"), "0.5");
}

TEST_F(TweakBarTest, MalformedDefinitionsAreRefusedWhole) {
    tw::Bar* bar = tw::NewBar("Bar");
    ASSERT_TRUE(tw::Define("'Bar' alpha=100"));
    const char* bad[] = {"",
                         "   ",
                         "'Bar",
                         "'Bar' size='1 2",
                         "'Bar' =3",
                         "'Nowhere' visible=true",
                         "'Bar/Nothing' label=x",
                         "'Bar' alpha=5 = 6"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(tw::Define(text));
    }
    EXPECT_FALSE(tw::Define(nullptr));
    EXPECT_EQ(tw::BarParams(bar).at("alpha"), "100");
    EXPECT_EQ(tw::BarParams(bar).size(), 1u);
    EXPECT_FALSE(tw::AddButton(
        bar, "Go", [](void*) {}, nullptr, "group='unclosed"))
        << "a bad item definition";
    EXPECT_TRUE(tw::Items(bar).empty());
}

TEST_F(TweakBarTest, CallbackAndStorageVariablesReadAndWrite) {
    tw::Bar* bar = tw::NewBar("Values");
    Probe probe;
    int count = 7;
    bool flag = false;
    double ratio = 0.25;
    unsigned short small = 9;
    std::string text = "abc";
    ASSERT_TRUE(tw::AddVarCB(bar, "Speed", tw::kTypeFloat, SetProbe, GetProbe, &probe, nullptr));
    ASSERT_TRUE(tw::AddVarCB(bar, "Shown", tw::kTypeFloat, nullptr, GetProbe, &probe, nullptr));
    ASSERT_TRUE(tw::AddVarRW(bar, "Count", tw::kTypeInt32, &count, nullptr));
    ASSERT_TRUE(tw::AddVarRW(bar, "Flag", tw::kTypeBool, &flag, nullptr));
    ASSERT_TRUE(tw::AddVarRW(bar, "Ratio", tw::kTypeDouble, &ratio, nullptr));
    ASSERT_TRUE(tw::AddVarRW(bar, "Small", tw::kTypeUInt16, &small, nullptr));
    ASSERT_TRUE(tw::AddVarRW(bar, "Text", tw::kTypeStdString, &text, nullptr));

    std::string value;
    ASSERT_TRUE(tw::ReadValue(bar, "Speed", &value));
    EXPECT_EQ(value, "1.5");
    EXPECT_TRUE(tw::WriteValue(bar, "Speed", "-2.25"));
    EXPECT_EQ(probe.value, -2.25f);
    EXPECT_EQ(probe.sets, 1);
    EXPECT_FALSE(tw::WriteValue(bar, "Shown", "3")) << "no set callback: read-only";
    ASSERT_TRUE(tw::ReadValue(bar, "Small", &value));
    EXPECT_EQ(value, "9");

    EXPECT_TRUE(tw::WriteValue(bar, "Count", "-12"));
    EXPECT_TRUE(tw::WriteValue(bar, "Flag", "true"));
    EXPECT_TRUE(tw::WriteValue(bar, "Ratio", "1e-3"));
    EXPECT_TRUE(tw::WriteValue(bar, "Text", "a b"));
    EXPECT_EQ(count, -12);
    EXPECT_TRUE(flag);
    EXPECT_EQ(ratio, 1e-3);
    EXPECT_EQ(text, "a b");

    const char* unparsable[][2] = {{"Count", "12x"}, {"Count", "99999999999"}, {"Count", ""},    {"Flag", "yes"},
                                   {"Speed", "nan"}, {"Speed", "1e40"},        {"Ratio", "inf"}, {"Missing", "1"}};
    for (auto& [name, text] : unparsable) {
        SCOPED_TRACE(std::string(name) + "=" + text);
        EXPECT_FALSE(tw::WriteValue(bar, name, text));
    }
    EXPECT_EQ(count, -12);
    EXPECT_EQ(probe.sets, 1);
}

TEST_F(TweakBarTest, CStringStorageIsWrittenThroughTheCopyFunction) {
    tw::Bar* bar = tw::NewBar("Group Bar");
    char* name = nullptr;
    ASSERT_TRUE(tw::AddVarRW(bar, "Group's Name:", tw::kTypeCString, &name, "group='Group Comp Default' "));
    std::string value;
    ASSERT_TRUE(tw::ReadValue(bar, "Group's Name:", &value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(tw::WriteValue(bar, "Group's Name:", "Rocks")) << "no copy function handed over yet";
    EXPECT_EQ(name, nullptr);

    tw::CopyCDStringToClientFunc(CopyString);
    EXPECT_TRUE(tw::WriteValue(bar, "Group's Name:", "Rocks"));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "Rocks");
    EXPECT_TRUE(tw::WriteValue(bar, "Group's Name:", "A much longer group name"));
    EXPECT_STREQ(name, "A much longer group name");
    std::free(name);
}

TEST_F(TweakBarTest, StructTypesAreNumberedAboveEveryBasicCode) {
    struct Vec {
        float x, y, z;
    };
    const tw::StructMember members[] = {{"X", tw::kTypeFloat, 0, " Step=0.01 "},
                                        {"Y", tw::kTypeFloat, 4, " Step=0.01 "},
                                        {"Z", tw::kTypeFloat, 8, " Step=0.01 "}};
    const uint32_t vec3 = tw::DefineStruct("Vec3", members, 3, sizeof(Vec), nullptr, nullptr);
    EXPECT_GE(vec3, tw::kFirstStructType);
    EXPECT_GT(vec3, static_cast<uint32_t>(tw::kTypeStdString));
    EXPECT_EQ(tw::DefineStruct("Vec3b", members, 3, 8, nullptr, nullptr), 0u) << "member Z lies past the size";
    EXPECT_EQ(tw::DefineStruct("", members, 3, 12, nullptr, nullptr), 0u);

    Vec v{1, 2, 3};
    tw::Bar* bar = tw::NewBar("Vectors");
    ASSERT_TRUE(tw::AddVarRW(bar, "Spot", vec3, &v, " opened"));
    std::string value;
    ASSERT_TRUE(tw::ReadValue(bar, "Spot", &value));
    EXPECT_EQ(value, "1 2 3");
    EXPECT_TRUE(tw::WriteValue(bar, "Spot", "4 -5.5 6"));
    EXPECT_EQ(v.y, -5.5f);
    EXPECT_FALSE(tw::WriteValue(bar, "Spot", "4 5"));
    EXPECT_FALSE(tw::WriteValue(bar, "Spot", "7 8 x"));
    EXPECT_EQ(v.x, 4.0f) << "a partly bad text changes nothing";
    EXPECT_FALSE(tw::AddVarRW(bar, "Other", vec3 + 1, &v, nullptr)) << "an undefined struct type";
}

struct SelfRemoval {
    tw::Bar* bar = nullptr;
    std::string item;
    bool recreate = false;
    int presses = 0;
};

void RemoveOwnBar(void* client) {
    auto* s = static_cast<SelfRemoval*>(client);
    ++s->presses;
    tw::DeleteBar(s->bar);
    // The name is free at once, though this callback's button is still running.
    if (s->recreate) tw::NewBar("Self");
}

void RemoveOwnButton(void* client) {
    auto* s = static_cast<SelfRemoval*>(client);
    ++s->presses;
    tw::RemoveVar(s->bar, s->item.c_str());
    tw::RemoveAllVars(s->bar);
}

TEST_F(TweakBarTest, ABarOrItemRemovedFromItsOwnCallbackGoesSafely) {
    SelfRemoval removal;
    removal.bar = tw::NewBar("Self");
    removal.recreate = true;
    ASSERT_TRUE(tw::AddButton(removal.bar, "Delete", RemoveOwnBar, &removal, nullptr));
    EXPECT_TRUE(tw::PressButton(removal.bar, "Delete"));
    EXPECT_EQ(removal.presses, 1);
    ASSERT_EQ(tw::BarNames(), std::vector<std::string>{"Self"});
    EXPECT_NE(tw::FindBar("Self"), nullptr);
    EXPECT_TRUE(tw::Items(tw::FindBar("Self")).empty()) << "the new bar, not the old one";

    SelfRemoval own;
    own.bar = tw::FindBar("Self");
    own.item = "Remove me";
    ASSERT_TRUE(tw::AddButton(own.bar, "Remove me", RemoveOwnButton, &own, nullptr));
    ASSERT_TRUE(tw::AddSeparator(own.bar, nullptr, nullptr));
    EXPECT_TRUE(tw::PressButton(own.bar, "Remove me"));
    EXPECT_EQ(own.presses, 1);
    EXPECT_TRUE(tw::Items(own.bar).empty());
    EXPECT_FALSE(tw::PressButton(own.bar, "Remove me"));
}

TEST_F(TweakBarTest, ItemsKeepTheirOrderAndNamesAreUniquePerBar) {
    tw::Bar* bar = tw::NewBar("Order");
    Probe probe;
    ASSERT_TRUE(tw::AddButton(
        bar, "Delete Name", [](void*) {}, nullptr, "group='Name' "));
    ASSERT_TRUE(tw::AddSeparator(bar, nullptr, nullptr));
    ASSERT_TRUE(tw::AddSeparator(bar, nullptr, nullptr)) << "unnamed separators never clash";
    ASSERT_TRUE(tw::AddVarCB(bar, "Value", tw::kTypeFloat, SetProbe, GetProbe, &probe, nullptr));
    EXPECT_FALSE(tw::AddVarCB(bar, "Value", tw::kTypeFloat, SetProbe, GetProbe, &probe, nullptr));
    EXPECT_FALSE(tw::AddVarCB(bar, "Odd", 5, SetProbe, GetProbe, &probe, nullptr)) << "an unknown type";
    EXPECT_FALSE(tw::AddVarCB(bar, "NoGet", tw::kTypeFloat, SetProbe, nullptr, &probe, nullptr));
    EXPECT_FALSE(tw::AddVarRW(nullptr, "NoBar", tw::kTypeFloat, &probe.value, nullptr));
    const auto items = tw::Items(bar);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, tw::ItemKind::kButton);
    EXPECT_EQ(items[1].kind, tw::ItemKind::kSeparator);
    EXPECT_EQ(items[3].name, "Value");
    EXPECT_FALSE(tw::ReadValue(bar, "Delete Name", nullptr));
    EXPECT_FALSE(tw::PressButton(bar, "Value"));
    EXPECT_TRUE(tw::RemoveVar(bar, "Value"));
    EXPECT_FALSE(tw::RemoveVar(bar, "Value"));
    EXPECT_EQ(tw::Items(bar).size(), 3u);
}

TEST_F(TweakBarTest, OnlyTheLatestErrorsAreKept) {
    for (int i = 0; i < 1000; ++i) tw::NewBar("");
    tw::RemoveVar(nullptr, "last");
    ASSERT_EQ(tw::Errors().size(), 256u);
    EXPECT_EQ(tw::Errors().back(), "no such bar to remove \"last\" from");
}

TEST_F(TweakBarTest, WindowSizeIsKeptAndNoWindowEventIsHandled) {
    EXPECT_TRUE(tw::WindowSize(1280, 800));
    EXPECT_EQ(tw::WindowWidth(), 1280);
    EXPECT_EQ(tw::WindowHeight(), 800);
    EXPECT_FALSE(tw::WindowSize(-1, 5));
    EXPECT_EQ(tw::EventWin(nullptr, 0x0201, 0, 0), 0);
}

}  // namespace
