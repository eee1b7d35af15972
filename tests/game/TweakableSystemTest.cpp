// Tweak bars of game objects: what a bar shows for an object, values passing through the
// components' accessors both ways, the Delete buttons, and bars of objects that go away.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "GameTestSupport.h"
#include "core/TypeId.h"
#include "game/editor/ObjectLabel.h"
#include "game/systems/TweakableSystem.h"
#include "platform/tweak/TweakBar.h"

namespace {

namespace tw = platform::tweak;
using gametest::Gauge;

class TweakableSystemTest : public gametest::FactoryFixture {
protected:
    TweakableSystemTest() { system.Initialize(); }
    ~TweakableSystemTest() override { system.Shutdown(); }

    tw::Bar* BarOf(SD::GameObject* object) { return tw::FindBar(QV::ObjectLabel(object)); }
    std::vector<std::string> Names(tw::Bar* bar) {
        std::vector<std::string> names;
        for (const tw::ItemInfo& item : tw::Items(bar)) names.push_back(item.name.empty() ? "--" : item.name);
        return names;
    }
    std::string Read(tw::Bar* bar, const std::string& name) {
        std::string text;
        EXPECT_TRUE(tw::ReadValue(bar, name, &text)) << name;
        return text;
    }

    QV::TweakableSystem system;
};

TEST_F(TweakableSystemTest, ABarHasAGroupPerComponentWithTheTransformFirst) {
    SD::GameObject* rock = Make("ObjectTemplates/Rock", {SD::kNameID, gametest::kGaugeID});
    system.ShowObject(rock);
    tw::Bar* bar = BarOf(rock);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(QV::ObjectLabel(rock), "Rock_" + std::to_string(rock->GetObjectId()));

    const auto params = tw::BarParams(bar);
    // At the left, below the editor's mode and its note, down to above the name at the bottom
    // of the 1280 x 800 window.
    EXPECT_EQ(params.at("position"), "10 62");
    EXPECT_EQ(params.at("size"), "200 702");
    EXPECT_EQ(params.at("visible"), "true");
    EXPECT_EQ(params.at("alpha"), "200");

    EXPECT_EQ(Names(bar),
              (std::vector<std::string>{"PosX",    "PosY",         "PosZ",    "ScaleX", "ScaleY",      "ScaleZ",
                                        "RotateX", "RotateY",      "RotateZ", "--",     "Delete Name", "Name",
                                        "--",      "Delete Gauge", "Speed",   "Count",  "On",          "Ratio",
                                        "Small",   "Spot",         "Turn",    "Label",  "Total"}));
    for (const char* group : {"Transform", "Name", "Gauge"})
        EXPECT_EQ(tw::GroupParams(bar, group).at("opened"), "1") << group;

    tw::ItemInfo item;
    ASSERT_TRUE(tw::FindItem(bar, "PosX", &item));
    EXPECT_EQ(item.definition, "group='Transform'  step = 0.01 ") << "two blanks between group and step";
    EXPECT_EQ(item.type, static_cast<uint32_t>(tw::kTypeFloat));
    ASSERT_TRUE(tw::FindItem(bar, "Spot", &item));
    EXPECT_EQ(item.type, system.GetVec3Type());
    EXPECT_EQ(item.definition, "group='Gauge'  opened");
    ASSERT_TRUE(tw::FindItem(bar, "Name", &item));
    EXPECT_EQ(item.type, static_cast<uint32_t>(tw::kTypeStdString));
    EXPECT_FALSE(item.readOnly);
    ASSERT_TRUE(tw::FindItem(bar, "Delete Gauge", &item));
    EXPECT_EQ(item.params.at("group"), "Gauge");

    struct Case {
        const char* name;
        bool readOnly;
    };
    // A getter followed by a setter of another name adds nothing; the last getter, and one
    // followed by another getter, are read-only.
    for (const Case& c : {Case{"Label", true}, Case{"Total", true}, Case{"Count", false}}) {
        ASSERT_TRUE(tw::FindItem(bar, c.name, &item)) << c.name;
        EXPECT_EQ(item.readOnly, c.readOnly) << c.name;
    }
    for (const char* absent : {"A", "B", "Flat"}) EXPECT_FALSE(tw::FindItem(bar, absent, nullptr)) << absent;
}

TEST_F(TweakableSystemTest, ValuesTravelThroughTheComponentsOwnAccessors) {
    SD::GameObject* rock = Make("Rock", {SD::kNameID, SD::CID_Group, gametest::kGaugeID});
    auto* gauge = static_cast<Gauge*>(rock->GetComponent(gametest::kGaugeID));
    auto* group = static_cast<SD::Group*>(rock->GetComponent(SD::CID_Group));
    system.ShowObject(rock);
    tw::Bar* bar = BarOf(rock);
    ASSERT_NE(bar, nullptr);

    struct Case {
        const char* variable;
        const char* written;
        const char* read;
    };
    const Case cases[] = {
        {"PosX", "3.5", "3.5"},          {"Speed", "-0.25", "-0.25"},    {"Count", "42", "42"},
        {"On", "true", "true"},          {"Ratio", "0.125", "0.125"},    {"Small", "65535", "65535"},
        {"Spot", "4 5 -6", "4 5 -6"},    {"Turn", "0 1 0 0", "0 1 0 0"}, {"Name", "Boulder", "Boulder"},
        {"GroupName", "Rocks", "Rocks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable);
        EXPECT_TRUE(tw::WriteValue(bar, c.variable, c.written));
        EXPECT_EQ(Read(bar, c.variable), c.read);
    }
    EXPECT_EQ(rock->GetTransform().GetPosX(), 3.5f);
    EXPECT_EQ(gauge->speed, -0.25f);
    EXPECT_EQ(gauge->count, 42);
    EXPECT_TRUE(gauge->on);
    EXPECT_EQ(gauge->small, 65535);
    EXPECT_EQ(gauge->spot.z, -6.0f);
    EXPECT_EQ(gauge->turn.x, 1.0f);
    EXPECT_EQ(static_cast<Name*>(rock->GetComponent(SD::kNameID))->GetName(), "Boulder");
    EXPECT_STREQ(group->GetGroupName(), "Rocks");
    EXPECT_EQ(Read(bar, "Total"), "84") << "a read-only value follows the component";

    gauge->speed = 9.0f;
    EXPECT_EQ(Read(bar, "Speed"), "9") << "the bar reads the component each time";
    EXPECT_FALSE(tw::WriteValue(bar, "Total", "1"));
    EXPECT_FALSE(tw::WriteValue(bar, "Small", "70000"));
    EXPECT_EQ(gauge->small, 65535);
}

TEST_F(TweakableSystemTest, TheVec3TypeIsTheStructTypeAndCollidesWithNoCounterId) {
    EXPECT_GE(system.GetVec3Type(), tw::kFirstStructType);
    EXPECT_EQ(MFCore::TypeIdOf<SD::Vec3>(), system.GetVec3Type());
    struct Elsewhere {};
    EXPECT_NE(MFCore::TypeIdOf<Elsewhere>(), system.GetVec3Type());
    EXPECT_FALSE(MFCore::IsFixedTypeId(system.GetVec3Type()));
}

TEST_F(TweakableSystemTest, DeleteButtonsRemoveTheirComponentAtTheNextUpdate) {
    SD::GameObject* rock = Make("Rock", {SD::kNameID, gametest::kGaugeID});
    system.ShowObject(rock);
    tw::Bar* bar = BarOf(rock);
    ASSERT_TRUE(tw::PressButton(bar, "Delete Name"));
    ASSERT_TRUE(tw::PressButton(bar, "Delete Name")) << "pressed twice before the update";
    EXPECT_NE(rock->GetComponent(SD::kNameID), nullptr) << "nothing is freed while the button runs";
    EXPECT_EQ(BarOf(rock), bar);

    system.Update(0.0f);
    EXPECT_EQ(rock->GetComponent(SD::kNameID), nullptr);
    EXPECT_NE(rock->GetComponent(gametest::kGaugeID), nullptr);
    tw::Bar* rebuilt = BarOf(rock);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(system.BarCount(), 1u);
    EXPECT_FALSE(tw::FindItem(rebuilt, "Delete Name", nullptr));
    EXPECT_FALSE(tw::FindItem(rebuilt, "Name", nullptr));
    EXPECT_TRUE(tw::FindItem(rebuilt, "Delete Gauge", nullptr));
    EXPECT_TRUE(tw::WriteValue(rebuilt, "Speed", "1"));

    // A request whose object is gone by the update does nothing.
    ASSERT_TRUE(tw::PressButton(rebuilt, "Delete Gauge"));
    rock->Destroy();
    factory.Update(0.0f);
    system.Update(0.0f);
    EXPECT_EQ(system.BarCount(), 0u);
    EXPECT_TRUE(tw::BarNames().empty());
}

TEST_F(TweakableSystemTest, BarsGoWithTheirObjectOnHideOrAtShutdown) {
    SD::GameObject* a = Make("A", {});
    SD::GameObject* b = Make("Folder/B", {SD::kNameID});
    system.ShowObject(a);
    system.ShowObject(b);
    system.ShowObject(b);  // a bar of that name is open: refused
    system.ShowObject(nullptr);
    EXPECT_EQ(system.BarCount(), 2u);
    EXPECT_TRUE(system.IsShown(b));

    b->Destroy();
    factory.Update(0.0f);
    system.Update(0.0f);
    EXPECT_EQ(tw::BarNames(), std::vector<std::string>{QV::ObjectLabel(a)});
    system.HideObject(a);
    EXPECT_TRUE(tw::BarNames().empty());
    EXPECT_FALSE(system.IsShown(a));

    system.ShowObject(a);
    system.Shutdown();
    EXPECT_EQ(system.BarCount(), 0u);
    EXPECT_TRUE(tw::BarNames().empty());
}

TEST(TweakableCopy, CopiesGrowTheTargetOnlyWhenNeeded) {
    char* text = nullptr;
    QV::TweakableSystem::CopyCDString(&text, "Rocks");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Rocks");
    QV::TweakableSystem::CopyCDString(&text, "");
    EXPECT_STREQ(text, "");
    QV::TweakableSystem::CopyCDString(&text, "A longer name than before");
    EXPECT_STREQ(text, "A longer name than before");
    QV::TweakableSystem::CopyCDString(&text, nullptr);
    EXPECT_STREQ(text, "");
    std::free(text);
    QV::TweakableSystem::CopyCDString(nullptr, "ignored");
}

}  // namespace
