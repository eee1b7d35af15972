// The editor's level files: the sample level loaded, edited through the tweak bars, saved and
// loaded again; a save written again unchanged once loaded, whatever moved in the world
// meanwhile; entries that make no object kept; failed saves; hostile and malformed input;
// autosaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "game/editor/ObjectLabel.h"
#include "game/player/PlayerLogic.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "support/CapturedLog.h"

namespace {

namespace tw = platform::tweak;
namespace fs = std::filesystem;
using gametest::EditorFixture;

class LevelFilesTest : public EditorFixture {
protected:
    explicit LevelFilesTest(const std::string& config = kConfig) : EditorFixture(config) {}
    // Objects alive once the factory has deleted those queued for destruction.
    size_t Alive() {
        factory.Update(0.0f);
        return factory.GetPool().GetLiveCount();
    }
    std::vector<std::string> Layers(const std::string& relative) {
        std::vector<std::string> names;
        auto map = SD::SuperialDataMap::createFromFile(tree.Path(relative).c_str());
        if (!map) return {"(unreadable)"};
        for (SD::SuperialValue* layer = map->Top()->FirstChild(); layer; layer = layer->Next())
            names.push_back(layer->Name());
        return names;
    }
    // The objects' entries of a layer of a level file, in file order, each written out alone.
    std::vector<std::string> Entries(const std::string& relative, const std::string& layer) {
        std::vector<std::string> entries;
        auto map = SD::SuperialDataMap::createFromFile(tree.Path(relative).c_str());
        if (!map) return {"(unreadable)"};
        for (SD::SuperialValue* node = map->Top()->FirstChild(); node; node = node->Next()) {
            if (node->Name() != layer) continue;
            SD::SuperialValue* objects = SD::SuperialValue::FindChildByTag(node, "GameObjects");
            for (SD::SuperialValue* entry = objects ? objects->FirstChild() : nullptr; entry; entry = entry->Next()) {
                SD::SuperialDataMap alone;
                alone.Top()->SetTypeName("Entry");
                SD::SuperialValue::AppendCopy(alone.Top(), *entry);
                entries.push_back(SD::SuperialDataMap::WriteToString(alone));
            }
        }
        return entries;
    }
    // The main record's object whose X position is `x`.
    SD::GameObject* MainObjectAt(float x) {
        for (const QV::LevelObjectRecord& record : editor->GetMainRecords())
            if (SD::GameObject* object = record.handle.get(); object && object->GetTransform().GetPosX() == x)
                return object;
        return nullptr;
    }
};

TEST_F(LevelFilesTest, TheSampleLevelSurvivesEditingSavingAndLoadingAgain) {
    // Every entry of every layer of the file makes one object: the template's layer, the main
    // records and the group's.
    const std::string file = "Assets/Levels/Meadow/objects.xml";
    size_t entries = 0;
    for (const std::string& layer : Layers(file)) entries += Entries(file, layer).size();
    const size_t before = Alive();
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    EXPECT_EQ(editor->GetLevelName(), "Meadow");
    EXPECT_EQ(Alive(), before + entries);
    ASSERT_EQ(editor->GetMainRecords().size(), Entries(file, "Main").size());
    ASSERT_EQ(editor->GetGroups().size(), 1u) << "the template's layer is no group";
    EXPECT_EQ(editor->GetGroups()[0].first, "Lanterns");
    EXPECT_EQ(editor->GetObjectHandles().size(), entries);
    EXPECT_EQ(editor->GetPlayerSpawnPos().z, -10.0f);
    EXPECT_EQ(editor->GetPlayerSpawnAngles().y, 90.0f);

    // Select the rock at x = 4 through its 'Level Objects' button and move it through its bar.
    SwitchOn();
    SD::GameObject* rock = MainObjectAt(4.0f);
    ASSERT_NE(rock, nullptr);
    tw::ItemInfo button;
    ASSERT_TRUE(tw::FindItem(tw::FindBar("Level Objects"), QV::ObjectLabel(rock), &button));
    EXPECT_EQ(button.params.at("group"), "Main");
    ASSERT_TRUE(tw::PressButton(tw::FindBar("Level Objects"), QV::ObjectLabel(rock)));
    EXPECT_EQ(editor->GetMode(), QV::kModeObjectEdit);
    EXPECT_EQ(editor->GetSelectedObject(), rock);
    tw::Bar* bar = tw::FindBar(QV::ObjectLabel(rock));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(tw::WriteValue(bar, "PosX", "12.5"));
    EXPECT_TRUE(tw::WriteValue(bar, "ScaleY", "3"));
    Tap({SD::key_ESCAPE});
    EXPECT_EQ(editor->GetMode(), QV::kModeMain);

    const size_t edited = Alive();
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    EXPECT_EQ(Alive(), edited) << "saving creates no objects";
    EXPECT_EQ(Layers("Assets/Levels/Meadow/objects.xml"), (std::vector<std::string>{"Sky", "Main", "Lanterns"}));

    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    EXPECT_EQ(Alive(), edited) << "the old objects went, as many came back";
    SD::GameObject* moved = MainObjectAt(12.5f);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->GetTransform().GetScaleY(), 3.0f);
    EXPECT_NE(MainObjectAt(-3.0f), nullptr);
    EXPECT_EQ(editor->GetGroups().size(), 1u);
    EXPECT_EQ(editor->GetPlayerSpawnPos().y, 1.5f);
    EXPECT_EQ(editor->GetPlayerSpawnAngles().y, 90.0f) << "without a player the stored spawn point is written";
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    EXPECT_EQ(Layers("Assets/Levels/Meadow/objects.xml"), (std::vector<std::string>{"Sky", "Main", "Lanterns"}))
        << "the template's layer is not written twice";
}

// What the world's logic moves while the editor looks on is not the designer's edit: a loaded
// object the editor did not change is written as the file had it, so a level saved, loaded and
// saved again is the same file, its objects in the same order, and the first save of a level
// kept in saved form changes only what was edited.
TEST_F(LevelFilesTest, ASavedLevelLoadedAndSavedAgainIsTheSameFile) {
    const std::string objects = "Assets/Levels/Meadow/objects.xml";
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    const std::vector<std::string> loaded = Entries(objects, "Main");
    ASSERT_EQ(loaded.size(), 2u);
    ASSERT_TRUE(editor->LoadLevel("Meadow"));

    SwitchOn();
    Cursor()->GetTransform().SetPos(SD::Vec3(9.0f, 0.0f, 9.0f));
    Tap({SD::key_SPACE});
    ASSERT_NE(editor->GetSelectedObject(), nullptr);
    Tap({SD::key_ESCAPE});
    // Selected and left as it was, and moved by the world without the editor.
    SD::GameObject* looked = MainObjectAt(4.0f);
    ASSERT_NE(looked, nullptr);
    ASSERT_TRUE(tw::PressButton(tw::FindBar("Level Objects"), QV::ObjectLabel(looked)));
    Tap({SD::key_ESCAPE});
    SD::GameObject* drifting = MainObjectAt(-3.0f);
    ASSERT_NE(drifting, nullptr);
    drifting->GetTransform().SetPosY(5.0f);
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    const std::string first = tree.Read(objects);
    const std::vector<std::string> saved = Entries(objects, "Main");
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0], loaded[0]) << "selected, unchanged";
    EXPECT_EQ(saved[1], loaded[1]) << "moved by the world, not by the editor";
    EXPECT_NE(saved[2].find("ObjectTemplates/Rock"), std::string::npos) << "the placed rock after them";

    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    EXPECT_EQ(tree.Read(objects), first);
}

// An object the world destroyed while it ran stays in the level; one the editor deleted goes.
TEST_F(LevelFilesTest, OnlyWhatTheEditorDeletesLeavesTheLevel) {
    const std::string objects = "Assets/Levels/Meadow/objects.xml";
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    const std::vector<std::string> loaded = Entries(objects, "Main");
    ASSERT_EQ(loaded.size(), 2u);
    SwitchOn();
    SD::GameObject* deleted = MainObjectAt(4.0f);
    SD::GameObject* destroyed = MainObjectAt(-3.0f);
    ASSERT_TRUE(deleted && destroyed);
    editor->SelectObject(deleted);
    Tap({SD::key_DELETE});
    factory.DestroyGameObject(destroyed);
    Frame();
    ASSERT_TRUE(editor->SaveLevel("Meadow"));
    EXPECT_EQ(Entries(objects, "Main"), std::vector<std::string>{loaded[1]});
}

// Entries the level makes no object of (an unknown blueprint, a layer whose name came before)
// are reported once per layer with the file's name, and every save keeps them where they were.
TEST_F(LevelFilesTest, EntriesThatMakeNoObjectAreKeptByEverySave) {
    auto entry = [](const char* blueprint, float x) {
        return std::string("<GameObject blueprint=\"") + blueprint + "\"><Components>" +
               gametest::TransformXml(x, 0, 0) + "</Components></GameObject>";
    };
    tree.Write("Assets/Levels/Odd/LevelData.ld", "2\n0 0 0\n0 0 0\n");
    tree.Write("Assets/Levels/Odd/objects.xml",
               "<LevelLayers><LevelLayer name=\"Main\" version=\"0\"><GameObjects>" + entry("ObjectTemplates/Rock", 1) +
                   entry("Gone/Thing", 2) + entry("ObjectTemplates/Rock", 3) +
                   "</GameObjects></LevelLayer><LevelLayer name=\"Sky\" version=\"0\"><GameObjects>" +
                   entry("ObjectTemplates/Lantern", 4) +
                   "</GameObjects></LevelLayer><LevelLayer name=\"Sky\" version=\"0\"><GameObjects>" +
                   entry("ObjectTemplates/Lantern", 5) + "</GameObjects></LevelLayer></LevelLayers>");
    qvtest::CapturedLog log;
    ASSERT_TRUE(editor->LoadLevel("Odd"));
    EXPECT_EQ(editor->GetMainRecords().size(), 3u);
    EXPECT_EQ(editor->GetObjectHandles().size(), 3u) << "two rocks and the template layer's lantern";
    EXPECT_NE(log.Text().find("Odd/objects.xml]: 1 objects of layer [Main]"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("Odd/objects.xml]: 1 objects of layer [Sky]"), std::string::npos) << log.Text();

    for (int save = 0; save < 2; ++save) {
        SCOPED_TRACE(save);
        ASSERT_TRUE(editor->SaveLevel("Odd"));
        EXPECT_EQ(Layers("Assets/Levels/Odd/objects.xml"), (std::vector<std::string>{"Sky", "Main", "Sky"}));
        const std::vector<std::string> main = Entries("Assets/Levels/Odd/objects.xml", "Main");
        ASSERT_EQ(main.size(), 3u);
        EXPECT_NE(main[1].find("Gone/Thing"), std::string::npos);
        EXPECT_NE(tree.Read("Assets/Levels/Odd/objects.xml").find("<Float value=\"5.000000\" />"), std::string::npos)
            << "the second Sky's lantern";
        ASSERT_TRUE(editor->LoadLevel("Odd"));
    }
}

TEST_F(LevelFilesTest, ASaveFailingMidwayLeavesTheFileItFailedOnWhole) {
    const std::string folder = "Assets/Levels/Meadow/";
    const std::string oldObjects = tree.Read(folder + "objects.xml");
    const std::string oldData = tree.Read(folder + "LevelData.ld");
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    SD::GameObject* rock = MainObjectAt(4.0f);
    ASSERT_NE(rock, nullptr);
    editor->SelectObject(rock);
    rock->GetTransform().SetPosX(99.0f);

    // Objects first: failing there writes nothing at all.
    fs::create_directories(tree.Path(folder + "objects.xml.tmp"));
    EXPECT_FALSE(editor->SaveLevel("Meadow"));
    EXPECT_EQ(tree.Read(folder + "objects.xml"), oldObjects);
    EXPECT_EQ(tree.Read(folder + "LevelData.ld"), oldData);
    fs::remove(tree.Path(folder + "objects.xml.tmp"));

    // Failing on the data file keeps it whole; the objects file is the new one, whole as well.
    fs::create_directories(tree.Path(folder + "LevelData.ld.tmp"));
    EXPECT_FALSE(editor->SaveLevel("Meadow"));
    EXPECT_EQ(tree.Read(folder + "LevelData.ld"), oldData);
    EXPECT_NE(tree.Read(folder + "objects.xml").find("99"), std::string::npos);
    EXPECT_EQ(Layers(folder + "objects.xml"), (std::vector<std::string>{"Sky", "Main", "Lanterns"}));
}

TEST_F(LevelFilesTest, HostileLevelNamesAreRefusedAndTouchNothing) {
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    const size_t alive = Alive();
    const char* names[] = {"../Evil", "Meadow/../../Evil", "",         "a\nb",   "/tmp/evil", "a//b", ".",
                           "..",      "Meadow/.",          "..\\Evil", "C:evil", "tab\there"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(QV::LevelEditor::IsAcceptableLevelName(name));
        EXPECT_FALSE(editor->SaveLevel(name));
        EXPECT_FALSE(editor->LoadLevel(name));
    }
    EXPECT_FALSE(editor->SaveLevel(nullptr));
    EXPECT_FALSE(editor->LoadLevel(nullptr));
    EXPECT_EQ(editor->GetLevelName(), "Meadow");
    EXPECT_EQ(Alive(), alive);
    EXPECT_FALSE(fs::exists(tree.Path("Assets/Evil")));
    EXPECT_FALSE(fs::exists(tree.Path("Evil")));
    EXPECT_FALSE(fs::exists(tree.Path("bin/Evil")));

    EXPECT_TRUE(editor->SaveLevel("Region/North"));
    EXPECT_TRUE(tree.Exists("Assets/Levels/Region/North/LevelData.ld")) << "a sub-path makes its folders";
}

TEST_F(LevelFilesTest, MalformedLevelFilesAreReportedAndTheCurrentLevelStays) {
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    const size_t alive = Alive();
    const std::string objects = tree.Read("Assets/Levels/Meadow/objects.xml");
    struct Case {
        const char* data;
        const char* objects;  // null: the good file
    };
    const Case cases[] = {
        {"", nullptr},
        {"2\n1 2\n", nullptr},
        {"two\n1 2 3\n", nullptr},
        {"2\n1 2 3\n4 5\n", nullptr},
        {"2\n1 x 3\n0 0 0\n", nullptr},
        {"2\n0 0 0\n0 0 0\n", ""},
        {"2\n0 0 0\n0 0 0\n", "<LevelLayers><LevelLayer name=\"A\">"},
        {"2\n0 0 0\n0 0 0\n", "not xml at all"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "Bad" + std::to_string(n++);
        SCOPED_TRACE(name);
        tree.Write("Assets/Levels/" + name + "/LevelData.ld", c.data);
        tree.Write("Assets/Levels/" + name + "/objects.xml", c.objects ? c.objects : objects);
        qvtest::StderrCapture capture;
        EXPECT_FALSE(editor->LoadLevel(name.c_str()));
        EXPECT_FALSE(capture.Text().empty()) << "the failure is logged";
        EXPECT_EQ(editor->GetLevelName(), "Meadow");
        EXPECT_EQ(Alive(), alive) << "nothing of the current level was cleared";
        EXPECT_EQ(editor->GetMainRecords().size(), 2u);
    }
}

TEST_F(LevelFilesTest, AMissingLevelBecomesTheCurrentNameAndTheNextSaveMakesIt) {
    EXPECT_FALSE(editor->LoadLevel("Fresh"));
    EXPECT_EQ(editor->GetLevelName(), "Fresh");
    EXPECT_TRUE(fs::is_directory(tree.Path("Assets/Levels/Fresh")));
    EXPECT_FALSE(fs::exists(tree.Path("bin/Fresh"))) << "the folder is made under the levels folder";
    const size_t alive = Alive();
    ASSERT_TRUE(editor->SaveLevel(editor->GetLevelName().c_str()));
    EXPECT_EQ(Alive(), alive);
    EXPECT_EQ(Layers("Assets/Levels/Fresh/objects.xml"), (std::vector<std::string>{"Sky", "Main"}));
    EXPECT_EQ(tree.Read("Assets/Levels/Fresh/LevelData.ld"), "2\n0 0 0\n0 0 0\n");
}

TEST_F(LevelFilesTest, VersionOneDataHasNoAnglesAndTheWriterAlwaysWritesVersionTwo) {
    tree.Write("Assets/Levels/Old/LevelData.ld", "1\n1.25 -2 3e2\n7 8 9\n");
    tree.Write("Assets/Levels/Old/objects.xml", "<LevelLayers/>");
    ASSERT_TRUE(editor->LoadLevel("Old"));
    EXPECT_EQ(editor->GetPlayerSpawnPos().x, 1.25f);
    EXPECT_EQ(editor->GetPlayerSpawnPos().z, 300.0f);
    EXPECT_EQ(editor->GetPlayerSpawnAngles().x, 0.0f);
    // The player's vehicle holds the reset point the save writes.
    factory.RegisterComponentCreator("PlayerLogic", SD::CID_Player, new SD::ComponentCreator<QV::PlayerLogic>);
    SD::GameObject* player = factory.NewGameObject();
    player->NameObject("Player");
    auto* vehicle = static_cast<QV::PlayerLogic*>(player->AddComponent(SD::CID_Player));
    ASSERT_NE(vehicle, nullptr);
    vehicle->SetReset(SD::Vec3(1.0f / 3.0f, 2e-7f, -1234567.0f), SD::Vec3(0.0f, 45.5f, 0.0f));
    ASSERT_TRUE(editor->SaveLevel("Old"));
    EXPECT_EQ(tree.Read("Assets/Levels/Old/LevelData.ld"), "2\n0.333333 2e-07 -1.23457e+06\n0 45.5 0\n");
    EXPECT_EQ(editor->GetPlayerSpawnAngles().y, 45.5f);
}

class AutoSaveTest : public LevelFilesTest {
protected:
    explicit AutoSaveTest(const std::string& config = kConfig) : LevelFilesTest(config) {}
    std::vector<std::string> Saves(const std::string& level) {
        std::vector<std::string> found;
        const std::string folder = tree.Path("Assets/Levels/" + level);
        if (!fs::is_directory(folder)) return found;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_directory() && entry.path().filename().string().rfind("save_", 0) == 0)
                found.push_back(entry.path().filename().string());
        return found;
    }
};

TEST_F(AutoSaveTest, AutosavesGoIntoTimeStampedFoldersOfTheLevel) {
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    editor->AutoSave(299.0f);
    EXPECT_TRUE(Saves("Meadow").empty());
    editor->AutoSave(1.0f);
    EXPECT_TRUE(Saves("Meadow").empty()) << "a countdown of exactly 0 is not below 0";
    editor->AutoSave(0.5f);
    const std::vector<std::string> saves = Saves("Meadow");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].size(), std::string("save_12-09-26_23-11-00").size());
    EXPECT_TRUE(tree.Exists("Assets/Levels/Meadow/" + saves[0] + "/objects.xml"));
    EXPECT_EQ(editor->GetAutoSaveCountdown(), 300.0f);
}

class DisabledAutoSaveTest : public AutoSaveTest {
protected:
    DisabledAutoSaveTest()
        : AutoSaveTest(
              "[LevelEditor]\nLevelManifest=../Assets/Objects/LevelTemplates.man\n"
              "AutoSaveDuration=-5\n") {}
};

TEST_F(DisabledAutoSaveTest, ANegativeDurationSwitchesAutosavingOff) {
    ASSERT_TRUE(editor->LoadLevel("Meadow"));
    EXPECT_EQ(editor->GetAutoSaveDuration(), -5.0f);
    for (int i = 0; i < 5; ++i) editor->AutoSave(100.0f);
    EXPECT_TRUE(Saves("Meadow").empty());
}

}  // namespace
