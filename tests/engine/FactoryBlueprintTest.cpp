// Blueprints: loading from the object manifest, creating objects, children, lookups, level
// overrides, reloading and saving back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "EngineTestSupport.h"
#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "engine/BlueprintFileSupport.h"
#include "engine/ObjectCreated.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "support/CapturedLog.h"
#include "support/TempTree.h"

namespace {

using enginetest::BlueprintFileText;
using enginetest::EngineFixture;
using enginetest::kMoverID;
using enginetest::kTagID;
using enginetest::Mover;
using enginetest::Tag;

std::string Vec3Xml(const char* name, float x, float y, float z) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "<Vector3 name=\"%s\"><Float value=\"%f\"/><Float value=\"%f\"/><Float value=\"%f\"/></Vector3>",
                  name, x, y, z);
    return text;
}

const char* const kIdentityXml =
    "<Matrix3x3 name=\"orientation\"><Float value=\"1\"/><Float value=\"0\"/><Float value=\"0\"/>"
    "<Float value=\"0\"/><Float value=\"1\"/><Float value=\"0\"/><Float value=\"0\"/><Float value=\"0\"/>"
    "<Float value=\"1\"/></Matrix3x3>";

std::string TransformXml(float x, float y, float z) {
    return "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" + Vec3Xml("position", x, y, z) +
           Vec3Xml("scale", 1, 1, 1) + kIdentityXml + "</Transform>";
}

std::string Blueprint(const std::string& name, const std::string& components, const std::string& extra = "") {
    return "<GameObjectBlueprint name=\"" + name + "\"><Components>" + components + "</Components>" + extra +
           "</GameObjectBlueprint>\n";
}

const std::string kMoverXml =
    "<Mover version=\"1\" Play=\"1\" Pause=\"0\" DevPause=\"1\"><Float name=\"Speed\" value=\"5\"/>"
    "<Boolean name=\"Enabled\" value=\"1\"/></Mover>";

std::string TagXml(const std::string& text) {
    return "<Tag version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String name=\"Text\">" + text + "</String></Tag>";
}

// Laid out the way a hand-edited file is: the name on its own indented line.
std::string Child(const std::string& blueprint, const std::string& overrides = "") {
    return "\n    <Child>\n      <String name=\"Blueprint Name\">\n        " + blueprint + "\n      </String>" +
           overrides + "\n    </Child>\n";
}

class BlueprintTest : public EngineFixture {
protected:
    BlueprintTest() {
        enginetest::UseXmlObjects(factory, tree);
        tree.Write("Assets/Objects/vehicles.xml",
                   BlueprintFileText(Blueprint("Car", TransformXml(1, 2, 3) + kMoverXml) +
                                     Blueprint("Wheel", TagXml("round")) + Blueprint("Vehicles/Van", TagXml("van")) +
                                     Blueprint("Truck", TransformXml(0, 0, 0),
                                               "<Children>" +
                                                   Child("Wheel", "<Components>" + TagXml("big") + "</Components>") +
                                                   "<Wheel/>" + Child("Wheel") + Child("Missing") + "</Children>") +
                                     Blueprint("Odd", "<Frobnicator/><Whatsit/>" + kMoverXml, "<Extra/>") +
                                     Blueprint("Loop", "", "<Children>" + Child("Loop") + "</Children>") +
                                     Blueprint("Ping", "", "<Children>" + Child("Pong") + "</Children>") +
                                     Blueprint("Pong", "", "<Children>" + Child("Ping") + "</Children>") +
                                     Blueprint("Dup", TagXml("first"))));
        tree.Write("Assets/Objects/more.xml", BlueprintFileText(Blueprint("Dup", TagXml("second"))));
        tree.Write("Assets/Objects/broken.xml", "<GameObjectBlueprints><GameObjectBlueprint name=\"X\">");
        tree.Write("Assets/Objects/empty.xml", "<Something/>");
        tree.Write("Assets/Objects/objects.man",
                   "PATH=\"../Assets/Objects\"\n\"vehicles.xml\"\n\"missing.xml\"\n\"broken.xml\"\n"
                   "\"empty.xml\"\n\"more.xml\"\n");
        capture.reset(new qvtest::StderrCapture);
        factory.LoadObjectManifest("../Assets/Objects/objects.man");
        SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::ObjectCreated, this,
                                                           &BlueprintTest::OnCreated);
    }
    ~BlueprintTest() override {
        SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::ObjectCreated, this);
    }

    void OnCreated(SD::IMessage* message) { created.push_back(static_cast<SD::ObjectCreated*>(message)->object); }
    std::string Log() { return capture->Text(); }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    std::unique_ptr<qvtest::StderrCapture> capture;
    std::vector<SD::GameObject*> created;
};

TEST_F(BlueprintTest, BadFilesInTheManifestAreReportedAndTheRestLoads) {
    const std::string log = Log();
    EXPECT_NE(log.find("[../Assets/Objects/missing.xml] was bad."), std::string::npos) << log;
    EXPECT_NE(log.find("[../Assets/Objects/broken.xml] was bad."), std::string::npos) << log;
    EXPECT_NE(log.find("Failed to find any GameObjectBlueprints in [../Assets/Objects/empty.xml]."), std::string::npos)
        << log;
    EXPECT_NE(factory.GetBlueprint("Car"), nullptr);
    EXPECT_NE(factory.GetBlueprint("Dup"), nullptr);
    EXPECT_EQ(factory.GetBlueprint("X"), nullptr);
}

TEST_F(BlueprintTest, PlainBlueprintGivesComponentsWithTheirData) {
    SD::GameObject* car = factory.CreateObject("Car", nullptr);
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->GetBlueprintName(), "Car");
    EXPECT_EQ(car->GetTransform().GetLocalPos(), SD::Vec3(1, 2, 3));
    auto* mover = static_cast<Mover*>(car->GetComponent(kMoverID));
    ASSERT_NE(mover, nullptr);
    EXPECT_EQ(mover->speed, 5.0f);
    EXPECT_TRUE(mover->enabled);
    EXPECT_EQ(mover->readVersion, 1);  // the version the data was written with
    EXPECT_FALSE(mover->IsActiveIn(SD::kPlayStatePause));
    EXPECT_FALSE(mover->IsRegistered());  // not initialised yet
    EXPECT_EQ(created, std::vector<SD::GameObject*>{car});
    car->Initialize(false);
    EXPECT_TRUE(mover->IsRegistered());

    EXPECT_EQ(factory.CreateObject("Nothing", nullptr), nullptr);
    EXPECT_NE(Log().find("Blueprint [Nothing]; the object is not created."), std::string::npos) << Log();
    ASSERT_NE(factory.CreateObject("Vehicles\\Van", nullptr), nullptr);
    EXPECT_EQ(created.back()->GetBlueprintName(), "Vehicles/Van");
}

TEST_F(BlueprintTest, UnknownComponentTagsAndStrayElementsAreSkipped) {
    SD::GameObject* odd = factory.CreateObject("Odd", nullptr);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->GetComponents().size(), 1u);
    EXPECT_NE(odd->GetComponent(kMoverID), nullptr);
    EXPECT_NE(Log().find("GameObject couldn't serialize in a <Extra> node."), std::string::npos);
    // A kind no layer has registered yet is named once, however many objects carry it.
    ASSERT_NE(factory.CreateObject("Odd", nullptr), nullptr);
    const std::string log = Log();
    const std::string report = "Component kind [Whatsit] is not registered";
    const size_t first = log.find(report);
    EXPECT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(report, first + 1), std::string::npos) << log;
}

TEST_F(BlueprintTest, ChildrenAreCreatedAttachedAndOverridden) {
    SD::GameObject* truck = factory.CreateObject("Truck", nullptr);
    ASSERT_NE(truck, nullptr);
    std::vector<std::string> texts;
    for (SD::GameObject* child : truck->GetChildren()) {
        EXPECT_EQ(child->GetParent(), truck);
        texts.push_back(static_cast<Tag*>(child->GetComponent(kTagID))->text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"big", "round"}));
    // Children are announced before their parent.
    ASSERT_EQ(created.size(), 3u);
    EXPECT_EQ(created.back(), truck);
    const std::string log = Log();
    EXPECT_NE(log.find("Found a [Wheel] node where a Child node was expected."), std::string::npos);
    EXPECT_NE(log.find("Is the Blueprint for [Missing] loaded?"), std::string::npos);
    // The whole tree goes at the next update.
    truck->Destroy();
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
}

TEST_F(BlueprintTest, BlueprintsThatContainThemselvesStop) {
    SD::GameObject* loop = factory.CreateObject("Loop", nullptr);
    ASSERT_NE(loop, nullptr);
    EXPECT_TRUE(loop->GetChildren().Empty());
    SD::GameObject* ping = factory.CreateObject("Ping", nullptr);
    ASSERT_NE(ping, nullptr);
    ASSERT_EQ(ping->GetChildren().Size(), 1u);
    EXPECT_TRUE(ping->GetChildren().First()->GetChildren().Empty());
    EXPECT_NE(Log().find("Blueprint [Ping] contains itself"), std::string::npos);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 3u);
}

TEST_F(BlueprintTest, DuplicateNamesResolveToTheFirstFileUnlessTheFastMapIsOn) {
    auto text = [](SD::SuperialValue* blueprint) {
        SD::SuperialValue* components = SD::SuperialValue::FindChildByTag(blueprint, "Components");
        SD::SuperialValue* tag = SD::SuperialValue::FindChildByTag(components, "Tag");
        return SD::SuperialValue::FindChildByName(tag, "Text")->GetText();
    };
    EXPECT_EQ(text(factory.GetBlueprint("Dup")), "first");
    factory.RebuildFastBlueprintLookupMap();
    EXPECT_EQ(text(factory.GetBlueprint("Dup")), "second");
    // Creation always takes the first file's blueprint.
    SD::GameObject* dup = factory.CreateObject("Dup", nullptr);
    EXPECT_EQ(static_cast<Tag*>(dup->GetComponent(kTagID))->text, "first");
    // Adding a file switches the fast map off.
    factory.AddBlueprint("../Assets/Objects/more.xml");
    EXPECT_NE(Log().find("Fast blueprint lookup is no longer available!"), std::string::npos);
    EXPECT_EQ(text(factory.GetBlueprint("Dup")), "first");
}

TEST_F(BlueprintTest, ManifestCanReportOneBlueprintNamePerFile) {
    std::vector<std::string> names;
    factory.LoadObjectManifest("../Assets/Objects/objects.man", &names, true);
    // A file that adds nothing repeats the last name of the file added before it.
    EXPECT_EQ(names, (std::vector<std::string>{"Dup", "Dup", "Dup", "Dup", "Dup"}));
    names.clear();
    factory.LoadObjectManifest("../Assets/Objects/none.man", &names, true);
    EXPECT_TRUE(names.empty());
}

TEST_F(BlueprintTest, LevelDataOverridesFieldsAndMayAddComponents) {
    auto level = SD::SuperialDataMap::parseXmlFromBuffer(
        ("<GameObject><Components><Mover><Float name=\"Speed\" value=\"9\"/></Mover>" + TagXml("added") +
         "</Components></GameObject>")
            .c_str());
    ASSERT_TRUE(level);
    SD::GameObject* car = factory.CreateObject("Car", nullptr);
    SD::GameObject::SetSupportAddingComponentsFromLevelFile(false);
    SD::GameObject::SerializeIn(level->Top(), car, true);
    auto* mover = static_cast<Mover*>(car->GetComponent(kMoverID));
    EXPECT_EQ(mover->speed, 9.0f);
    EXPECT_TRUE(mover->enabled);  // absent from the level: kept
    EXPECT_EQ(car->GetComponent(kTagID), nullptr);
    SD::GameObject::SetSupportAddingComponentsFromLevelFile(true);
    SD::GameObject::SerializeIn(level->Top(), car, true);
    ASSERT_NE(car->GetComponent(kTagID), nullptr);
    EXPECT_EQ(static_cast<Tag*>(car->GetComponent(kTagID))->text, "added");
}

// A version the component does not read (above its own, below zero) is told once for its file,
// however often the blueprint is made, and handed to the component as it is; a version it reads
// passes without a word.
TEST_F(BlueprintTest, AVersionTheComponentDoesNotReadIsToldOncePerFile) {
    auto mover = [](const char* version) {
        return std::string("<Mover version=\"") + version +
               "\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Speed\" value=\"5\"/></Mover>";
    };
    tree.Write("Assets/Objects/versions.xml",
               BlueprintFileText(Blueprint("Future", mover("9")) + Blueprint("Negative", mover("-1")) +
                                 Blueprint("Older", mover("2"))));
    factory.AddBlueprint("../Assets/Objects/versions.xml");
    qvtest::CapturedLog log;
    const struct {
        const char* blueprint;
        int read;
        const char* said;
    } cases[] = {{"Future", 9,
                  "[Mover] of an object (blueprint [Future]) in [../Assets/Objects/versions.xml] has "
                  "version 9, which this game does not read (it reads version 3)"},
                 {"Negative", -1, "(blueprint [Negative]) in [../Assets/Objects/versions.xml] has version -1"},
                 {"Older", 2, nullptr}};
    for (const auto& c : cases) {
        for (int twice = 0; twice < 2; ++twice) {
            SD::GameObject* object = factory.CreateObject(c.blueprint, nullptr);
            ASSERT_NE(object, nullptr);
            auto* read = static_cast<Mover*>(object->GetComponent(kMoverID));
            EXPECT_EQ(read->readVersion, c.read) << c.blueprint;
        }
        if (c.said) {
            EXPECT_EQ(qvtest::Occurrences(log.Text(), c.said), 1u) << log.Text();
        }
    }
    EXPECT_EQ(qvtest::Occurrences(log.Text(), "\n"), 2u) << log.Text();
}

TEST_F(BlueprintTest, SavedObjectLoadsBackAsTheSameBlueprint) {
    SD::GameObject* car = factory.CreateObject("Car", nullptr);
    car->GetTransform().SetPos(SD::Vec3(4, 5, 6));
    car->GetTransform().RotateLocalYRad(0.3f);
    static_cast<Mover*>(car->GetComponent(kMoverID))->speed = 7.5f;
    static_cast<Tag*>(car->AddComponent(kTagID))->text = "one";
    static_cast<Tag*>(car->AddComponent(kTagID))->text = "two";
    tree.Write("Assets/Saved/readme.txt", "");
    factory.SetObjectPath("../Assets/Saved");
    ASSERT_TRUE(factory.SaveObject(car, "SavedCar"));
    EXPECT_EQ(car->GetBlueprintName(), "Car");

    factory.AddBlueprint("../Assets/Saved/SavedCar.xml");
    SD::GameObject* copy = factory.CreateObject("SavedCar", nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(static_cast<Tag*>(copy->GetComponent(kTagID)->GetHandle()->current)->text, "two");
    // The copy saved again gives the same tree.
    tree.Write("Assets/Again/readme.txt", "");
    factory.SetObjectPath("../Assets/Again");
    ASSERT_TRUE(factory.SaveObject(copy, "SavedCar"));
    auto first = SD::SuperialDataMap::createFromFile("../Assets/Saved/SavedCar.xml");
    auto second = SD::SuperialDataMap::createFromFile("../Assets/Again/SavedCar.xml");
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(SD::SuperialValue::SameContent(first->Top(), second->Top()))
        << tree.Read("Assets/Saved/SavedCar.xml") << tree.Read("Assets/Again/SavedCar.xml");
    EXPECT_NE(tree.Read("Assets/Saved/SavedCar.xml").find("<GameObjectBlueprint name=\"SavedCar\""), std::string::npos);
}

TEST_F(BlueprintTest, SavingReportsFailureWhenNothingWasWritten) {
    SD::GameObject* car = factory.CreateObject("Car", nullptr);
    factory.SetObjectPath("../Assets/NoSuchFolder");
    EXPECT_FALSE(factory.SaveObject(car, "Car"));
    EXPECT_FALSE(factory.SaveObject(nullptr, "Car"));
}

TEST_F(BlueprintTest, UpdatingKeepsTheLoadedBlueprintsWhenTheFileNoLongerReads) {
    tree.Write("Assets/Objects/vehicles.xml", "<GameObjectBlueprints><broken");
    EXPECT_FALSE(factory.UpdateBlueprint("Car"));
    SD::GameObject* car = factory.CreateObject("Car", nullptr);
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->GetTransform().GetLocalPos(), SD::Vec3(1, 2, 3));
    EXPECT_FALSE(factory.UpdateBlueprint("Unlisted"));

    tree.Write("Assets/Objects/vehicles.xml", BlueprintFileText(Blueprint("Car", TransformXml(7, 8, 9))));
    car->UpdateBlueprints();
    SD::GameObject* updated = factory.CreateObject("Car", nullptr);
    ASSERT_NE(updated, nullptr);
    EXPECT_EQ(updated->GetTransform().GetLocalPos(), SD::Vec3(7, 8, 9));
}

TEST_F(BlueprintTest, LevelEntryRecordsTheBlueprintAndEveryComponent) {
    SD::GameObject* car = factory.CreateObject("Car", nullptr);
    car->AddComponent(kTagID);
    auto level = std::make_unique<SD::SuperialDataMap>();
    SD::SuperialValue* entry = level->Top();
    entry->SetTypeName("GameObject");
    SD::GameObject::SaveToLevelLayerFile(car, entry, true);
    std::string blueprint;
    EXPECT_TRUE(entry->GetAttribute("blueprint", blueprint));
    EXPECT_EQ(blueprint, "Car");
    SD::SuperialValue* components = SD::SuperialValue::FindChildByTag(entry, "Components");
    ASSERT_NE(components, nullptr);
    EXPECT_NE(SD::SuperialValue::FindChildByTag(components, "Transform"), nullptr);
    EXPECT_NE(SD::SuperialValue::FindChildByTag(components, "Mover"), nullptr);
    EXPECT_NE(SD::SuperialValue::FindChildByTag(components, "Tag"), nullptr);

    // An object whose blueprint is gone is refused with the warning.
    car->SetBlueprintName("Gone");
    auto other = std::make_unique<SD::SuperialDataMap>();
    other->Top()->SetTypeName("GameObject");
    SD::GameObject::SaveToLevelLayerFile(car, other->Top(), true);
    EXPECT_NE(Log().find("Blueprint is [Gone]."), std::string::npos);
}

}  // namespace

namespace {

TEST(FactoryStartUp, ConfigurationChoosesFormatsAndTheManifestLoadsAtInitialize) {
    qvtest::TempTree tree;
    tree.Write("Assets/Config/config.ini",
               "[Factory]\nObjectInFormat=xml\nObjectOutFormat=xml\nObjectManifest=../Assets/Objects/objects.man\n");
    tree.Write("Assets/Objects/objects.man", "PATH=\"../Assets/Objects\"\n\"things.xml\"\n");
    tree.Write("Assets/Objects/things.xml",
               "<GameObjectBlueprints><GameObjectBlueprint name=\"Thing\"><Components/></GameObjectBlueprint>"
               "</GameObjectBlueprints>");
    SD::Factory_ factory(4);
    SD::ConfigFile config("../Assets/Config/config.ini");
    config.SetSection("Factory");
    factory.ReadConfig(config);
    factory.Initialize();
    SD::GameObject* thing = factory.CreateObject("Thing", nullptr);
    ASSERT_NE(thing, nullptr);
    // Saved under the default object folder in the configured format.
    ASSERT_TRUE(factory.SaveObject(thing, "Saved"));
    EXPECT_TRUE(std::ifstream(tree.Path("Assets/Objects/Saved.xml")).good());
    factory.Shutdown();
    EXPECT_EQ(factory.GetBlueprint("Thing"), nullptr);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), 0u);
}

}  // namespace
