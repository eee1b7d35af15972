// Level files: layers created from blueprints with the level's own values, malformed files,
// adding components from the level, saving and reloading, and the manager's life cycle.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "EngineTestSupport.h"
#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "engine/LevelLayer.h"
#include "engine/LevelLayerFile.h"
#include "engine/LevelLayerManager.h"
#include "engine/TweakVariableTarget.h"
#include "platform/os/Dialogs.h"
#include "support/CapturedLog.h"
#include "support/TempTree.h"
#include "tests/engine/LevelLayerProbes.h"

namespace {

const auto& LayersOf(const SD::LevelLayerFile& file) { return platform::TestProbe<SD::LevelLayerFile>::Layers(file); }

using enginetest::kMoverID;
using enginetest::kTagID;
using enginetest::Mover;
using enginetest::Tag;

std::string Vec3Xml(const char* name, float x, float y, float z) {
    return std::string("<Vector3 name=\"") + name + "\"><Float value=\"" + std::to_string(x) + "\"/><Float value=\"" +
           std::to_string(y) + "\"/><Float value=\"" + std::to_string(z) + "\"/></Vector3>";
}

std::string TransformXml(float x, float y, float z) {
    return "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" + Vec3Xml("position", x, y, z) +
           "</Transform>";
}

std::string MoverXml(float speed) {
    return "<Mover version=\"3\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Speed\" value=\"" +
           std::to_string(speed) + "\"/></Mover>";
}

std::string TagXml(const std::string& text) {
    return "<Tag version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String name=\"Text\">" + text + "</String></Tag>";
}

std::string Object(const std::string& blueprint, const std::string& components) {
    return "<GameObject blueprint=\"" + blueprint + "\"><Components>" + components + "</Components></GameObject>";
}

std::string Layer(const std::string& name, const std::string& objects) {
    return "<LevelLayer name=\"" + name + "\" version=\"0\"><GameObjects>" + objects + "</GameObjects></LevelLayer>";
}

const char* const kBlueprints =
    "<GameObjectBlueprints>"
    "<GameObjectBlueprint name=\"Car\"><Components>"
    "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Vector3 name=\"position\"><Float value=\"1\"/>"
    "<Float value=\"2\"/><Float value=\"3\"/></Vector3></Transform>"
    "<Mover version=\"3\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Speed\" value=\"5\"/>"
    "<Boolean name=\"Enabled\" value=\"1\"/></Mover></Components></GameObjectBlueprint>"
    "<GameObjectBlueprint name=\"Sign\"><Components><Tag version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\">"
    "<String name=\"Text\">plain</String></Tag></Components></GameObjectBlueprint>"
    "</GameObjectBlueprints>";

class LevelLayerTest : public enginetest::EngineFixture {
protected:
    LevelLayerTest() {
        platform::ClearRecordedMessageBoxes();
        factory.SetObjectInFormat("xml");
        tree.Write("Assets/Objects/things.xml", kBlueprints);
        factory.AddBlueprint("../Assets/Objects/things.xml");
        manager.Initialize();
        tree.Write("Assets/Levels/Town/objects.xml",
                   "<LevelLayers>" +
                       Layer("Ground", Object("Car", TransformXml(7, 8, 9) + MoverXml(9)) + Object("Ghost", "") +
                                           "<GameObject/>" + Object("Sign", TagXml("level"))) +
                       Layer("Sky", Object("Sign", MoverXml(2))) + "<LevelLayer name=\"Empty\"/>" + "</LevelLayers>");
    }
    ~LevelLayerTest() override {
        manager.Shutdown();
        SD::GameObject::SetSupportAddingComponentsFromLevelFile(true);
        platform::ClearRecordedMessageBoxes();
    }

    SD::GameObject* ObjectOf(SD::LevelLayerFile* file, const char* layer, size_t index) {
        SD::LevelLayer* found = file ? file->FindLayer(layer) : nullptr;
        if (!found || index >= found->GetObjects().size()) return nullptr;
        return found->GetObjects()[index].get();
    }
    std::string Log() { return capture.Text(); }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    qvtest::StderrCapture capture;
    SD::LevelLayerManager manager;
};

TEST_F(LevelLayerTest, LayersCreateTheirObjectsWithTheLevelsValues) {
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/objects.xml");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(LayersOf(*file).size(), 3u);
    EXPECT_EQ(LayersOf(*file)[0]->GetName(), "Ground");
    EXPECT_EQ(LayersOf(*file)[1]->GetName(), "Sky");
    EXPECT_EQ(LayersOf(*file)[2]->GetOwner(), file);
    EXPECT_TRUE(file->FindLayer("Empty")->GetObjects().empty());

    ASSERT_EQ(file->FindLayer("Ground")->GetObjects().size(), 2u);
    SD::GameObject* car = ObjectOf(file, "Ground", 0);
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->GetTransform().GetLocalPos(), SD::Vec3(7, 8, 9));
    auto* mover = static_cast<Mover*>(car->GetComponent(kMoverID));
    ASSERT_NE(mover, nullptr);
    EXPECT_EQ(mover->speed, 9.0f);
    EXPECT_TRUE(mover->enabled);         // kept from the blueprint
    EXPECT_TRUE(mover->IsRegistered());  // initialised
    EXPECT_EQ(static_cast<Tag*>(ObjectOf(file, "Ground", 1)->GetComponent(kTagID))->text, "level");

    const std::string log = Log();
    EXPECT_NE(log.find("Failed to create [Ghost] found in LevelLayer.  Is its blueprint not loaded?"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("<LevelLayer> didn't have a <GameObjects> node inside it.  Taking no further action to create "
                       "a LevelLayer.  Layer was [Empty]."),
              std::string::npos);
    auto boxes = platform::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error!");
    EXPECT_NE(boxes[0].text.find("LevelLayer.cpp("), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(") : GameObject in LevelLayer [Ground] is missing its \"blueprint\" name field."),
              std::string::npos)
        << boxes[0].text;
}

TEST_F(LevelLayerTest, AddingComponentsFromTheLevelFileFollowsTheConfiguration) {
    struct Case {
        const char* ini;
        bool added;
    } cases[] = {
        {"", true},
        {"[LevelData]\nSupportAddingComponentsFromLevelFile=false\n", false},
        {"[LevelData]\nSupportAddingComponentsFromLevelFile=TRUE\n", true},
        {"[LevelLayerManager]\nSupportAddingComponentsFromLevelFile=false\n", true},
    };
    for (const Case& c : cases) {
        tree.Write("Assets/Config/config.ini", c.ini);
        SD::ConfigFile config;
        config.SetSection(manager.GetName());
        manager.ReadConfig(config);
        SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/objects.xml");
        SD::GameObject* sign = ObjectOf(file, "Sky", 0);
        ASSERT_NE(sign, nullptr) << c.ini;
        EXPECT_EQ(sign->GetComponent(kMoverID) != nullptr, c.added) << c.ini;
        EXPECT_NE(sign->GetComponent(kTagID), nullptr);
    }
    EXPECT_EQ(platform::TestProbe<SD::LevelLayerManager>::Files(manager).size(), std::size(cases));
}

TEST_F(LevelLayerTest, SavedFileReloadsToTheSameObjects) {
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/objects.xml");
    ASSERT_NE(file, nullptr);
    SD::GameObject* car = ObjectOf(file, "Ground", 0);
    car->GetTransform().SetPos(SD::Vec3(-1, 0.5f, 4));
    static_cast<Mover*>(car->GetComponent(kMoverID))->speed = 12.0f;
    ObjectOf(file, "Ground", 1)->Destroy();  // destroyed elsewhere: dropped from the save
    // Flags changed on components whose fields all equal the blueprint's.
    car->GetTransform().SetActiveIn(SD::kPlayStateDevPause, false);
    ObjectOf(file, "Sky", 0)->GetComponent(kTagID)->SetActiveIn(SD::kPlayStatePause, false);
    factory.Update(0.0f);
    ASSERT_TRUE(file->SaveAs("../Assets/Levels/Town/saved.xml"));
    EXPECT_EQ(file->GetPath(), "../Assets/Levels/Town/saved.xml");
    const std::string saved = tree.Read("Assets/Levels/Town/saved.xml");

    manager.Shutdown();
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
    SD::LevelLayerFile* reloaded = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/saved.xml");
    ASSERT_NE(reloaded, nullptr);
    ASSERT_EQ(LayersOf(*reloaded).size(), 3u);
    EXPECT_EQ(reloaded->FindLayer("Ground")->GetObjects().size(), 1u);
    EXPECT_TRUE(reloaded->FindLayer("Empty")->GetObjects().empty());
    SD::GameObject* again = ObjectOf(reloaded, "Ground", 0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetBlueprintName(), "Car");
    EXPECT_EQ(again->GetTransform().GetLocalPos(), SD::Vec3(-1, 0.5f, 4));
    EXPECT_EQ(static_cast<Mover*>(again->GetComponent(kMoverID))->speed, 12.0f);
    SD::GameObject* sign = ObjectOf(reloaded, "Sky", 0);
    ASSERT_NE(sign, nullptr);
    EXPECT_NE(sign->GetComponent(kMoverID), nullptr);  // the added component is saved too
    EXPECT_FALSE(again->GetTransform().IsActiveIn(SD::kPlayStateDevPause));
    EXPECT_TRUE(again->GetTransform().IsActiveIn(SD::kPlayStatePause));
    SD::Component* tag = sign->GetComponent(kTagID);
    ASSERT_NE(tag, nullptr);
    EXPECT_FALSE(tag->IsActiveIn(SD::kPlayStatePause));
    EXPECT_EQ(static_cast<Tag*>(tag)->text, "plain");
    EXPECT_NE(saved.find("<String name=\"Text\" >plain</String>"), std::string::npos)
        << "fields equal to the blueprint's are written too\n"
        << saved;

    ASSERT_TRUE(reloaded->Save());
    EXPECT_EQ(tree.Read("Assets/Levels/Town/saved.xml"), saved);
    EXPECT_NE(saved.find("<LevelLayer name=\"Empty\""), std::string::npos) << saved;
}

TEST_F(LevelLayerTest, AComponentElementWithAttributesOnlySetsTheHeader) {
    tree.Write("Assets/Levels/Town/flags.xml",
               "<LevelLayers>" +
                   Layer("Ground", Object("Sign", "<Tag version=\"1\" Play=\"1\" Pause=\"0\" DevPause=\"0\"/>") +
                                       Object("Car", "<Mover Play=\"0\"/>")) +
                   "</LevelLayers>");
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/flags.xml");
    ASSERT_NE(file, nullptr);
    SD::GameObject* sign = ObjectOf(file, "Ground", 0);
    SD::GameObject* car = ObjectOf(file, "Ground", 1);
    ASSERT_NE(sign, nullptr);
    ASSERT_NE(car, nullptr);
    SD::Component* tag = sign->GetComponent(kTagID);
    EXPECT_TRUE(tag->IsActiveIn(SD::kPlayStatePlay));
    EXPECT_FALSE(tag->IsActiveIn(SD::kPlayStatePause));
    EXPECT_FALSE(tag->IsActiveIn(SD::kPlayStateDevPause));
    EXPECT_EQ(static_cast<Tag*>(tag)->text, "plain");
    auto* mover = static_cast<Mover*>(car->GetComponent(kMoverID));
    EXPECT_FALSE(mover->IsActiveIn(SD::kPlayStatePlay));
    EXPECT_TRUE(mover->IsActiveIn(SD::kPlayStatePause));
    EXPECT_EQ(mover->speed, 5.0f);
}

// A level's values stored with a version the component does not read are told naming the level
// file and the object's blueprint.
TEST_F(LevelLayerTest, AVersionTheComponentDoesNotReadIsToldByTheLevelFile) {
    tree.Write("Assets/Levels/Town/future.xml",
               "<LevelLayers>" +
                   Layer("Ground", Object("Car",
                                          "<Mover version=\"12\" Play=\"1\" Pause=\"1\" DevPause=\"1\">"
                                          "<Float name=\"Speed\" value=\"8\"/></Mover>")) +
                   "</LevelLayers>");
    qvtest::CapturedLog log;
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/future.xml");
    ASSERT_NE(file, nullptr);
    auto* mover = static_cast<Mover*>(ObjectOf(file, "Ground", 0)->GetComponent(kMoverID));
    EXPECT_EQ(mover->readVersion, 12);
    EXPECT_EQ(qvtest::Occurrences(log.Text(),
                                  "[Mover] of an object (blueprint [Car]) in "
                                  "[../Assets/Levels/Town/future.xml] has version 12"),
              1u)
        << log.Text();
}

TEST_F(LevelLayerTest, PathsWithBackslashesLoadAndSave) {
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("..\\Assets\\Levels\\Town\\objects.xml");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(LayersOf(*file).size(), 3u);
    ASSERT_TRUE(file->SaveAs("..\\Assets\\Levels\\Town\\copy.xml"));
    EXPECT_TRUE(tree.Exists("Assets/Levels/Town/copy.xml"));
    EXPECT_NE(SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/copy.xml"), nullptr);
}

TEST_F(LevelLayerTest, AFailedSaveIsReportedAndLeavesTheOldFile) {
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/objects.xml");
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->SaveAs("../Assets/Levels/Nowhere/objects.xml"));
    EXPECT_FALSE(tree.Exists("Assets/Levels/Nowhere"));
    EXPECT_NE(Log().find("Failed to save level layer file [../Assets/Levels/Nowhere/objects.xml]"), std::string::npos);

    // A directory standing where the file should go: the rename fails and the old entry stays.
    tree.Write("Assets/Levels/Blocked/objects.xml/keep.txt", "kept");
    EXPECT_FALSE(file->SaveAs("../Assets/Levels/Blocked/objects.xml"));
    EXPECT_EQ(tree.Read("Assets/Levels/Blocked/objects.xml/keep.txt"), "kept");
}

TEST_F(LevelLayerTest, MalformedFilesAreReportedAndNothingElseIsLost) {
    ASSERT_NE(SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Town/objects.xml"), nullptr);
    const uint32_t alive = factory.GetPool().GetLiveCount();
    struct Case {
        const char* name;
        const char* text;
    } cases[] = {
        {"truncated.xml", "<LevelLayers><LevelLayer name=\"A\"><GameObjects>"},
        {"empty.xml", ""},
        {"text.xml", "just words"},
    };
    for (const Case& c : cases) {
        tree.Write(std::string("Assets/Levels/Bad/") + c.name, c.text);
        EXPECT_EQ(SD::LevelLayerManager::LoadLayerFile(std::string("../Assets/Levels/Bad/") + c.name), nullptr)
            << c.name;
    }
    EXPECT_EQ(SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Bad/missing.xml"), nullptr);
    EXPECT_EQ(platform::TestProbe<SD::LevelLayerManager>::Files(manager).size(), 1u);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), alive);

    // Odd elements inside a layer: a scalar without a blueprint and an unknown component.
    tree.Write("Assets/Levels/Bad/odd.xml",
               "<LevelLayers>" + Layer("Odd", "<Integer value=\"3\"/>" + Object("Sign", "<Frobnicator/>")) +
                   "<Unrelated/></LevelLayers>");
    SD::LevelLayerFile* odd = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Bad/odd.xml");
    ASSERT_NE(odd, nullptr);
    ASSERT_EQ(LayersOf(*odd).size(), 1u);
    EXPECT_EQ(odd->FindLayer("Odd")->GetObjects().size(), 1u);
    EXPECT_EQ(platform::RecordedMessageBoxes().size(), 2u);  // the town's and the scalar's

    const std::string log = Log();
    for (const char* name : {"truncated.xml", "empty.xml", "text.xml", "missing.xml"}) {
        std::string path = std::string("../Assets/Levels/Bad/") + name;
        EXPECT_NE(log.find("Failed to load level layer file [" + path + "]."), std::string::npos) << name;
        EXPECT_NE(log.find("Failed to load level layer from [" + path + "]."), std::string::npos) << name;
    }
}

TEST_F(LevelLayerTest, AWrongRootIsReportedButItsLayersLoad) {
    tree.Write("Assets/Levels/Old/objects.xml", "<Level>" + Layer("A", Object("Sign", "")) + "</Level>");
    SD::LevelLayerFile* file = SD::LevelLayerManager::LoadLayerFile("../Assets/Levels/Old/objects.xml");
    ASSERT_NE(file, nullptr);
    EXPECT_NE(Log().find("Bad level file [../Assets/Levels/Old/objects.xml].  Root node is not <LevelLayers>."),
              std::string::npos);
    ASSERT_NE(file->FindLayer("A"), nullptr);
    EXPECT_EQ(file->FindLayer("A")->GetObjects().size(), 1u);
}

TEST_F(LevelLayerTest, LoadingAgainCreatesOnlyTheLayersThatAreNew) {
    SD::LevelLayerFile file;
    ASSERT_TRUE(file.LoadFromFile("../Assets/Levels/Town/objects.xml"));
    const uint32_t alive = factory.GetPool().GetLiveCount();
    tree.Write("Assets/Levels/Town/more.xml", "<LevelLayers>" + Layer("Sky", Object("Car", "")) +
                                                  Layer("Water", Object("Car", "")) + "</LevelLayers>");
    ASSERT_TRUE(file.LoadFromFile("../Assets/Levels/Town/more.xml"));
    ASSERT_EQ(LayersOf(file).size(), 4u);
    EXPECT_EQ(LayersOf(file)[3]->GetName(), "Water");
    EXPECT_EQ(factory.GetPool().GetLiveCount(), alive + 1);
    file.CreateNonexistentLayersFromDataMap(nullptr);
    EXPECT_NE(Log().find("Did you forget to load a level file first?"), std::string::npos);
    file.Unload();
    EXPECT_TRUE(LayersOf(file).empty());
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
}

TEST_F(LevelLayerTest, DestroyingALayerTakesTheWholeTreeOfEachObject) {
    SD::LevelLayer layer("Props");
    SD::GameObject* root = factory.NewGameObject();
    SD::GameObject* child = factory.NewGameObject();
    root->AttachChild(child);
    SD::GameObject* other = factory.NewGameObject();
    layer.AddObject(child);
    layer.AddObject(nullptr);
    EXPECT_EQ(layer.GetObjects().size(), 1u);
    auto boxes = platform::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(") : Tried to add a NULL GameObject to a LevelLayer."), std::string::npos);
    layer.DestroyObjects();
    EXPECT_TRUE(layer.GetObjects().empty());
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 1u);
    EXPECT_NE(other->GetHandle().get(), nullptr);
}

struct RecordingTarget : SD::TweakVariableTarget {
    void AddStringVariable(std::string* value, const SD::SharedString& name, const char* definition) override {
        edited = value;
        variable = name.c_str();
        this->definition = definition;
    }
    std::string* edited = nullptr;
    std::string variable;
    std::string definition;
};

TEST_F(LevelLayerTest, TheLayersNameIsOfferedForEditing) {
    SD::LevelLayer layer("Ground");
    RecordingTarget target;
    layer.RegisterTweakables(target);
    EXPECT_EQ(target.variable, "Ground_Name");
    EXPECT_EQ(target.definition, " label='Name' ");
    ASSERT_NE(target.edited, nullptr);
    *target.edited = "Hills";
    EXPECT_EQ(layer.GetName(), "Hills");
}

}  // namespace
