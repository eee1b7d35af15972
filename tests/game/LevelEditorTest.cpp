// The level editor at work: switching it on and off, creating, selecting, editing and deleting
// objects, its bars and buttons, group mode and spline mode, driven by keys as a user would.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "engine/Group.h"
#include "game/components/SpawnLogic.h"
#include "game/editor/ObjectLabel.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "runtime/WindowMessages.h"

namespace {

namespace tw = platform::tweak;
using gametest::EditorFixture;

class LevelEditorTest : public EditorFixture {
protected:
    bool Drew(const std::string& text) {
        for (const QV::DebugText& line : editor->GetDebugText())
            if (line.text == text) return true;
        return false;
    }
    std::vector<std::string> ItemNames(const char* bar) {
        std::vector<std::string> names;
        for (const tw::ItemInfo& item : tw::Items(tw::FindBar(bar))) names.push_back(item.name);
        return names;
    }
    SD::Component* MainCamera() { return Named("LE_CursorCamera")->GetComponent(SD::CID_SphericalCamera); }
};

TEST_F(LevelEditorTest, SetupMakesTheCursorCamerasBarsAndTemplateButtons) {
    ASSERT_NE(Cursor(), nullptr);
    ASSERT_NE(Named("LE_CursorCamera"), nullptr);
    EXPECT_EQ(Named("LE_3DCursorCamera"), nullptr) << "no such blueprint here";
    EXPECT_EQ(editor->GetCameraSlot(0), MainCamera());
    EXPECT_EQ(editor->GetTemplates(), (std::vector<std::string>{"ObjectTemplates/Rock", "ObjectTemplates/Lantern"}));
    EXPECT_EQ(ItemNames("Object Templates"), (std::vector<std::string>{"Rock", "Lantern"}));
    const auto templates = tw::BarParams(tw::FindBar("Object Templates"));
    EXPECT_EQ(templates.at("position"), "1070 10");
    EXPECT_EQ(templates.at("size"), "200 380");
    EXPECT_EQ(templates.at("visible"), "false");
    EXPECT_EQ(tw::BarParams(tw::FindBar("Level Objects")).at("position"), "1070 400");
    EXPECT_FALSE(editor->IsActive());
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
}

TEST_F(LevelEditorTest, SwitchingOnPausesAndRestyles_SwitchingOffRestores) {
    const SD::Vec3 ambient = graphics.GetSeasonLook().GetAmbientColor();
    SwitchOn();
    EXPECT_TRUE(editor->AreMenusVisible());
    EXPECT_EQ(tw::BarParams(tw::FindBar("Level Objects")).at("visible"), "true");
    EXPECT_EQ(states.GetPlayState(), SD::GameStateManager_::kDevPause);
    EXPECT_FALSE(QV::SowlarSystem_::GetInstance().IsFogEnabled());
    EXPECT_FLOAT_EQ(graphics.GetSeasonLook().GetAmbientColor().x, 165.0f / 255.0f);
    EXPECT_EQ(graphics.GetActiveCamera(), MainCamera());
    editor->SetActive(true);  // a second switch-on saves nothing again

    SD::Component* gameCamera = editor->GetCameraSlot(0);
    editor->SetReturnCamera(gameCamera);
    ActivateOtherCamera();
    Tap({SD::key_ESCAPE});
    EXPECT_FALSE(editor->IsActive());
    EXPECT_FALSE(editor->AreMenusVisible());
    EXPECT_EQ(states.GetPlayState(), SD::GameStateManager_::kPlay);
    EXPECT_TRUE(QV::SowlarSystem_::GetInstance().IsFogEnabled());
    EXPECT_EQ(graphics.GetSeasonLook().GetAmbientColor().y, ambient.y);
    EXPECT_EQ(graphics.GetActiveCamera(), gameCamera) << "the return camera is active again";

    input.SetDevKeysEnabled(false);
    Tap({SD::key_F2});
    EXPECT_FALSE(editor->IsActive()) << "F2 is a developer key";
}

TEST_F(LevelEditorTest, CreatedObjectsAreEditedThroughTheirBarAndListed) {
    SwitchOn();
    Cursor()->GetTransform().SetPos(SD::Vec3(5.0f, 1.0f, -2.0f));
    EXPECT_TRUE(Drew("ObjectTemplates/Rock"));
    Tap({SD::key_RIGHT});
    EXPECT_EQ(editor->GetTemplateIndex(), 1u);
    Tap({SD::key_RIGHT});
    EXPECT_EQ(editor->GetTemplateIndex(), 0u) << "the choice wraps";
    Tap({SD::key_LEFT});
    EXPECT_EQ(editor->GetTemplateIndex(), 1u);
    Tap({SD::key_LEFT});

    Tap({SD::key_SPACE});
    SD::GameObject* rock = editor->GetSelectedObject();
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->GetBlueprintName(), "ObjectTemplates/Rock");
    EXPECT_EQ(rock->GetTransform().GetPosX(), 5.0f);
    EXPECT_EQ(editor->GetMode(), QV::kModeObjectEdit);
    EXPECT_TRUE(Drew("Object editing:"));
    EXPECT_TRUE(Drew("ObjectTemplates/Rock")) << "the bottom line names the edited object's template";
    EXPECT_FALSE(Drew("cube")) << "not its model";
    tw::Bar* bar = tw::FindBar(QV::ObjectLabel(rock));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(tw::WriteValue(bar, "PosZ", "8"));
    EXPECT_EQ(rock->GetTransform().GetPosZ(), 8.0f);
    Frame();
    EXPECT_EQ(Cursor()->GetTransform().GetPosZ(), 8.0f) << "the cursor stays on the edited object";

    keys.insert(SD::key_R);
    Frame();
    keys.erase(SD::key_R);
    // A turn about Y by -0.048 radians (3 radians a second) moves the facing axis to -x.
    EXPECT_NEAR(rock->GetTransform().GetDir().x, -std::sin(0.048f), 1e-4f) << "R turns the object left";

    Tap({SD::key_ESCAPE});
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
    EXPECT_EQ(tw::FindBar(QV::ObjectLabel(rock)), nullptr);
    ASSERT_EQ(editor->GetMainRecords().size(), 1u);
    tw::ItemInfo button;
    ASSERT_TRUE(tw::FindItem(tw::FindBar("Level Objects"), QV::ObjectLabel(rock), &button));
    EXPECT_EQ(button.params.at("group"), "Main");

    // A template's button chooses it, as Left and Right do: nothing is placed until Space places
    // it at the cursor.
    const size_t alive = factory.GetPool().GetLiveCount();
    ASSERT_TRUE(tw::PressButton(tw::FindBar("Object Templates"), "Lantern"));
    Frame();
    EXPECT_EQ(editor->GetTemplateIndex(), 1u);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), alive) << "the click placed an object";
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
    EXPECT_TRUE(Drew("ObjectTemplates/Lantern"));
    Tap({SD::key_SPACE});
    ASSERT_NE(editor->GetSelectedObject(), nullptr);
    EXPECT_EQ(editor->GetSelectedObject()->GetBlueprintName(), "ObjectTemplates/Lantern");
    EXPECT_EQ(editor->GetSelectedObject()->GetTransform().GetPos(), Cursor()->GetTransform().GetPos());
    EXPECT_EQ(editor->GetMainRecords().size(), 2u);
}

TEST_F(LevelEditorTest, DeletingAComponentFromItsOwnBarAndTheObjectWithItsKey) {
    SwitchOn();
    ASSERT_TRUE(tw::PressButton(tw::FindBar("Object Templates"), "Lantern"));
    Tap({SD::key_SPACE});
    SD::GameObject* lantern = editor->GetSelectedObject();
    ASSERT_NE(lantern, nullptr);
    const std::string label = QV::ObjectLabel(lantern);
    ASSERT_TRUE(tw::PressButton(tw::FindBar(label), "Delete Group"));
    Frame();
    EXPECT_EQ(lantern->GetComponent(SD::CID_Group), nullptr);
    ASSERT_NE(tw::FindBar(label), nullptr) << "the bar is built again";
    EXPECT_FALSE(tw::FindItem(tw::FindBar(label), "GroupName", nullptr));

    Tap({SD::key_DELETE});
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
    EXPECT_EQ(tw::FindBar(label), nullptr);
    EXPECT_FALSE(tw::FindItem(tw::FindBar("Level Objects"), label, nullptr)) << "its button went with it";
    EXPECT_TRUE(editor->GetMainRecords()[0].removed);
    Frame();
    EXPECT_EQ(std::count(tw::Errors().begin(), tw::Errors().end(), "bar \"Level Objects\" has no \"" + label + "\""), 0)
        << "the button is not removed twice";
}

TEST_F(LevelEditorTest, SelectingTheTouchedObjectAndCyclingCameras) {
    SwitchOn();
    SD::GameObject* rock = factory.CreateObject("ObjectTemplates/Rock", nullptr);
    rock->Initialize(false);
    rock->GetTransform().SetPos(SD::Vec3(3.0f, 0.0f, 3.0f));
    editor->OnCursorContact(rock);
    keys.insert(SD::key_RETURN);
    Frame();
    keys.erase(SD::key_RETURN);
    EXPECT_EQ(GeometryColor(Cursor()).x, 1.0f);
    EXPECT_EQ(GeometryColor(Cursor()).y, 0.0f) << "red while touching";
    EXPECT_EQ(editor->GetSelectedObject(), rock);
    EXPECT_EQ(editor->GetMode(), QV::kModeObjectEdit);
    EXPECT_EQ(Cursor()->GetTransform().GetPosX(), 3.0f);
    Tap({SD::key_ESCAPE});
    Frame();
    EXPECT_EQ(GeometryColor(Cursor()).y, 1.0f) << "white again once nothing is touched";

    ActivateOtherCamera();
    for (int i = 0; i < 3; ++i) {
        Tap({SD::key_C});
        EXPECT_EQ(editor->GetCameraSlotIndex(), 0u) << "only slot 0 holds a camera";
        EXPECT_EQ(graphics.GetActiveCamera(), MainCamera());
    }
}

TEST_F(LevelEditorTest, F7BringsTheCursorToThePlayerAndF8ThePlayerToTheCursor) {
    SwitchOn();
    SD::GameObject* player = factory.CreateObject("ObjectTemplates/Lantern", nullptr);
    player->Initialize(false);
    player->NameObject("Player");
    player->GetTransform().SetPos(SD::Vec3(5.0f, 1.0f, 2.0f));
    Cursor()->GetTransform().SetPos(SD::Vec3(-3.0f, 0.5f, 4.0f));
    Tap({SD::key_F7});
    EXPECT_EQ(Cursor()->GetTransform().GetPos(), SD::Vec3(5.0f, 1.0f, 2.0f)) << "the cursor went to the player";
    EXPECT_EQ(player->GetTransform().GetPos(), SD::Vec3(5.0f, 1.0f, 2.0f)) << "the player stayed";
    Cursor()->GetTransform().SetPos(SD::Vec3(-3.0f, 0.5f, 4.0f));
    Tap({SD::key_F8});
    EXPECT_EQ(player->GetTransform().GetPos(), SD::Vec3(-3.0f, 0.5f, 4.0f)) << "the player went to the cursor";
    EXPECT_EQ(Cursor()->GetTransform().GetPos(), SD::Vec3(-3.0f, 0.5f, 4.0f)) << "the cursor stayed";
}

TEST_F(LevelEditorTest, DroppedFilesCreateTheirTemplateUnlessSomethingIsSelected) {
    SwitchOn();
    SD::FileDrop unknown("C:\\art\\Tree.xml", 1);
    SD::Message_System::GetInstance()->SendMessage(unknown);
    EXPECT_EQ(editor->GetSelectedObject(), nullptr);
    SD::FileDrop drop("/home/art/Rock.png", 7);
    SD::Message_System::GetInstance()->SendMessage(drop);
    ASSERT_NE(editor->GetSelectedObject(), nullptr);
    EXPECT_EQ(editor->GetSelectedObject()->GetBlueprintName(), "ObjectTemplates/Rock");
    SD::FileDrop again("/home/art/Lantern.xml", 1);
    SD::Message_System::GetInstance()->SendMessage(again);
    EXPECT_EQ(editor->GetMainRecords().size(), 1u) << "ignored while an object is selected";
}

TEST_F(LevelEditorTest, GroupModePlacesNamedGroupMembers) {
    SwitchOn();
    keys.insert(SD::key_CONTROL);
    Tap({SD::key_G});
    keys.erase(SD::key_CONTROL);
    Frame();
    EXPECT_EQ(editor->GetMode(), QV::kModeGroup);
    tw::Bar* bar = tw::FindBar("Group Bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(ItemNames("Group Bar"), (std::vector<std::string>{"Group's Name:", "Delay Time:", "Duration Amount:",
                                                                "Action Name:", "Adds Spawn Logic:"}));
    EXPECT_EQ(tw::BarParams(bar).at("position"), "590 10") << "the left edge is the window height less 210";
    std::string action;
    ASSERT_TRUE(tw::ReadValue(bar, "Action Name:", &action));
    EXPECT_EQ(action, "ScaleIn");
    EXPECT_TRUE(Drew("Waiting until a group name is given..."));
    Tap({SD::key_SPACE});
    EXPECT_TRUE(editor->GetGroups().empty()) << "nothing is placed without a name";

    ASSERT_TRUE(tw::WriteValue(bar, "Group's Name:", "Sto'nes\n"));
    Tap({SD::key_SPACE});
    SD::GameObject* member = editor->GetSelectedObject();
    ASSERT_NE(member, nullptr);
    auto* group = static_cast<SD::Group*>(member->GetComponent(SD::CID_Group));
    ASSERT_NE(group, nullptr);
    EXPECT_STREQ(group->GetGroupName(), "Stones") << "control characters and quotes are dropped";
    EXPECT_EQ(member->GetComponent(SD::CID_SpawnLogic), nullptr) << "no spawn logic unless asked";
    ASSERT_EQ(editor->GetGroups().size(), 1u);
    EXPECT_EQ(editor->GetGroups()[0].first, "Stones");
    tw::ItemInfo button;
    ASSERT_TRUE(tw::FindItem(tw::FindBar("Level Objects"), QV::ObjectLabel(member), &button));
    EXPECT_EQ(button.params.at("group"), "Stones");
    EXPECT_EQ(editor->GetMode(), QV::kModeObjectEdit);

    Tap({SD::key_ESCAPE});
    EXPECT_EQ(editor->GetMode(), QV::kModeGroup);
    EXPECT_EQ(tw::FindBar("Group Bar"), bar) << "the group's bar and name stay";
    Tap({SD::key_ESCAPE});
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
    EXPECT_EQ(tw::FindBar("Group Bar"), nullptr);

    ASSERT_TRUE(editor->SaveLevel("Grouped"));
    EXPECT_NE(tree.Read("Assets/Levels/Grouped/objects.xml").find("name=\"Stones\""), std::string::npos);
}

TEST_F(LevelEditorTest, GroupModeGivesItsSpawnLogicTheBarsDelayDurationAndAction) {
    factory.RegisterComponentCreator("SpawnLogic", SD::CID_SpawnLogic, new SD::ComponentCreator<QV::SpawnLogic>);
    SwitchOn();
    keys.insert(SD::key_CONTROL);
    Tap({SD::key_G});
    keys.erase(SD::key_CONTROL);
    Frame();
    tw::Bar* bar = tw::FindBar("Group Bar");
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(tw::WriteValue(bar, "Group's Name:", "Rocks"));
    ASSERT_TRUE(tw::WriteValue(bar, "Delay Time:", "2.5"));
    ASSERT_TRUE(tw::WriteValue(bar, "Duration Amount:", "-1"));
    ASSERT_TRUE(tw::WriteValue(bar, "Action Name:", "RiseUp"));
    ASSERT_TRUE(tw::WriteValue(bar, "Adds Spawn Logic:", "1"));
    Tap({SD::key_SPACE});
    SD::GameObject* member = editor->GetSelectedObject();
    ASSERT_NE(member, nullptr);
    auto* spawn = static_cast<QV::SpawnLogic*>(member->GetComponent(SD::CID_SpawnLogic));
    ASSERT_NE(spawn, nullptr);
    EXPECT_FLOAT_EQ(spawn->GetDelay(), 2.5f);
    EXPECT_FLOAT_EQ(spawn->GetDuration(), 0.0f) << "clamped to at least 0";
    EXPECT_STREQ(spawn->GetActionName(), "RiseUp");
}

class SplineModeTest : public LevelEditorTest {
protected:
    SplineModeTest() { std::filesystem::create_directories(tree.Path("Assets/Splines")); }
    void EnterSplineMode() {
        SwitchOn();
        keys.insert(SD::key_CONTROL);
        Tap({SD::key_K});
        keys.erase(SD::key_CONTROL);
        Frame();
        ASSERT_EQ(editor->GetMode(), QV::kModeSpline);
    }
    void PointAt(float x, float z) {
        Cursor()->GetTransform().SetPos(SD::Vec3(x, 2.0f, z));
        Tap({SD::key_SPACE});
    }
    void WithCtrl(uint32_t code) {
        keys.insert(SD::key_CONTROL);
        Tap({code});
        keys.erase(SD::key_CONTROL);
    }
    std::vector<std::string> SplineLines() {
        std::vector<std::string> lines;
        std::istringstream in(tree.Exists("Assets/Splines/Splines.txt") ? tree.Read("Assets/Splines/Splines.txt") : "");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(SplineModeTest, PointsAreRecordedUndoneRedoneAndCommitted) {
    EnterSplineMode();
    EXPECT_FALSE(editor->AreMenusVisible());
    ASSERT_NE(tw::FindBar("Spline Bar"), nullptr);
    EXPECT_TRUE(Drew("Waiting until a spline name is given..."));
    PointAt(1, 1);
    EXPECT_TRUE(editor->GetSplinePoints().empty());

    ASSERT_TRUE(tw::WriteValue(tw::FindBar("Spline Bar"), "Spline's Name:", "River\nRun"));
    ASSERT_TRUE(tw::WriteValue(tw::FindBar("Spline Bar"), "Interval Time:", "2.5"));
    PointAt(1, 1);
    PointAt(2, 4);
    PointAt(3, 9);
    PointAt(4, 16);
    ASSERT_EQ(editor->GetSplinePoints().size(), 4u);

    // Ctrl + Z held takes one point a frame; Ctrl + Y gives them back one a press.
    keys.insert(SD::key_CONTROL);
    keys.insert(SD::key_Z);
    Frame();
    Frame();
    keys.erase(SD::key_Z);
    Frame();
    keys.erase(SD::key_CONTROL);
    EXPECT_EQ(editor->GetSplinePoints().size(), 2u);
    WithCtrl(SD::key_Y);
    ASSERT_EQ(editor->GetSplinePoints().size(), 3u);
    EXPECT_EQ(editor->GetSplinePoints().back().z, 9.0f);

    WithCtrl(SD::key_RETURN);
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
    EXPECT_EQ(tw::FindBar("Spline Bar"), nullptr);
    EXPECT_TRUE(editor->AreMenusVisible());
    const std::vector<std::string> lines = SplineLines();
    ASSERT_EQ(lines.size(), 1u + 1u + 9u + 2u);
    EXPECT_EQ(lines[0], "RiverRun") << "a newline in the name would split the record";
    EXPECT_EQ(lines[1], "3");
    EXPECT_EQ(lines[2], "1.000000");
    EXPECT_EQ(lines[11], "2.500000");
}

TEST_F(SplineModeTest, ASplineOfFewerThanTwoPointsIsNotWritten) {
    EnterSplineMode();
    ASSERT_TRUE(tw::WriteValue(tw::FindBar("Spline Bar"), "Spline's Name:", "Short"));
    WithCtrl(SD::key_RETURN);
    EXPECT_EQ(editor->GetMode(), QV::kModeSpline) << "the commit is refused, the mode stays";
    PointAt(0, 0);
    WithCtrl(SD::key_RETURN);
    EXPECT_EQ(editor->GetMode(), QV::kModeSpline);
    EXPECT_TRUE(SplineLines().empty());
    PointAt(5, 5);
    WithCtrl(SD::key_Z);
    PointAt(6, 6);
    WithCtrl(SD::key_Y);
    EXPECT_EQ(editor->GetSplinePoints().size(), 2u) << "a new point drops what could be redone";
    Tap({SD::key_ESCAPE});
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);
    EXPECT_EQ(editor->GetSplinePoints().size(), 2u) << "the points stay until the next spline starts";
}

TEST_F(SplineModeTest, ASplineHoldsABoundedNumberOfPoints) {
    EnterSplineMode();
    ASSERT_TRUE(tw::WriteValue(tw::FindBar("Spline Bar"), "Spline's Name:", "Long"));
    for (size_t i = 0; i <= QV::LevelEditor::kMaxSplinePoints; ++i) Tap({SD::key_SPACE});
    EXPECT_EQ(editor->GetSplinePoints().size(), QV::LevelEditor::kMaxSplinePoints);
    EXPECT_EQ(editor->GetSplineTimes().size(), QV::LevelEditor::kMaxSplinePoints);
}

TEST_F(LevelEditorTest, ShortTemplateNamesMakeButtonsOfTheWholeName) {
    tree.Write("Assets/Objects/Tiny.xml",
               "<GameObjectBlueprints><GameObjectBlueprint name=\"Tiny\"><Components/></GameObjectBlueprint>"
               "</GameObjectBlueprints>");
    tree.Write("Assets/Objects/Prefix.xml",
               "<GameObjectBlueprints><GameObjectBlueprint name=\"ObjectTemplates/\"><Components/>"
               "</GameObjectBlueprint></GameObjectBlueprints>");
    tree.Write("Assets/Objects/Short.man", "PATH=\"../Assets/Objects\"\n\"Tiny.xml\"\n\"Prefix.xml\"\n");
    tree.Write("Assets/Config/config.ini", "[LevelEditor]\nLevelManifest=../Assets/Objects/Short.man\n");
    SD::ConfigFile settings("../Assets/Config/config.ini");
    editor->ReadConfig(settings);
    editor->Setup();
    EXPECT_EQ(editor->GetTemplates(), (std::vector<std::string>{"Tiny", "ObjectTemplates/"}));
    EXPECT_EQ(ItemNames("Object Templates"), (std::vector<std::string>{"Tiny", "ObjectTemplates/"}));
    SwitchOn();
    ASSERT_TRUE(tw::PressButton(tw::FindBar("Object Templates"), "Tiny"));
    Tap({SD::key_SPACE});
    ASSERT_NE(editor->GetSelectedObject(), nullptr);
    EXPECT_EQ(editor->GetSelectedObject()->GetBlueprintName(), "Tiny");
}

}  // namespace
