// Group and Name components read from blueprint files, written back and read again.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "core/Logger.h"
#include "engine/Group.h"
#include "engine/Name.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "support/TempTree.h"

namespace {

std::string Header(const char* tag) {
    return std::string("<") + tag + " version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">";
}

std::string Blueprint(const std::string& name, const std::string& components) {
    return "<GameObjectBlueprint name=\"" + name + "\"><Components>" + components +
           "</Components></GameObjectBlueprint>\n";
}

class GroupNameBlueprintTest : public enginetest::EngineFixture {
protected:
    GroupNameBlueprintTest() {
        factory.RegisterComponentCreator("Group", SD::CID_Group, new SD::ComponentCreator<SD::Group>);
        factory.RegisterComponentCreator("Name", SD::kNameID, new SD::ComponentCreator<Name>);
        enginetest::UseXmlObjects(factory, tree);
        tree.Write("Assets/Objects/things.xml",
                   "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>\n" +
                       Blueprint("Lantern", Header("Group") + "<String name=\"Group Name\">Lanterns</String></Group>" +
                                                Header("Name") + "<String name=\"Name\">Lantern1</String></Name>") +
                       Blueprint("Bare", Header("Group") + "</Group>" + Header("Name") + "</Name>") +
                       Blueprint("Odd", Header("Group") + "<Float name=\"Group Name\" value=\"3\"/></Group>" +
                                            Header("Name") + "<Boolean name=\"Nom\" value=\"1\"/></Name>") +
                       "</GameObjectBlueprints>\n");
        tree.Write("Assets/Objects/objects.man", "PATH=\"../Assets/Objects\"\n\"things.xml\"\n");
        factory.LoadObjectManifest("../Assets/Objects/objects.man");
    }

    static size_t Members(const char* group) { return SD::Group::FindGroup(SD::SharedString(group)).Size(); }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
};

TEST_F(GroupNameBlueprintTest, BlueprintFieldsGroupAndNameTheObjectAndSaveBackUnchanged) {
    SD::GameObject* lantern = factory.CreateObject("Lantern", nullptr);
    ASSERT_NE(lantern, nullptr);
    lantern->Initialize(false);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Lantern1"), lantern);
    ASSERT_EQ(Members("Lanterns"), 1u);
    EXPECT_EQ(SD::Group::FindGroup(SD::SharedString("Lanterns")).First()->GetOwner(), lantern);

    tree.Write("Assets/Saved/readme.txt", "");
    factory.SetObjectPath("../Assets/Saved");
    ASSERT_TRUE(factory.SaveObject(lantern, "SavedLantern"));
    const std::string saved = tree.Read("Assets/Saved/SavedLantern.xml");
    EXPECT_NE(saved.find("Lanterns"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Lantern1"), std::string::npos) << saved;

    factory.AddBlueprint("../Assets/Saved/SavedLantern.xml");
    SD::GameObject* copy = factory.CreateObject("SavedLantern", nullptr);
    ASSERT_NE(copy, nullptr);
    copy->Initialize(false);
    EXPECT_EQ(Members("Lanterns"), 2u);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Lantern1"), copy);

    tree.Write("Assets/Again/readme.txt", "");
    factory.SetObjectPath("../Assets/Again");
    ASSERT_TRUE(factory.SaveObject(copy, "SavedLantern"));
    auto first = SD::SuperialDataMap::createFromFile("../Assets/Saved/SavedLantern.xml");
    auto second = SD::SuperialDataMap::createFromFile("../Assets/Again/SavedLantern.xml");
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(SD::SuperialValue::SameContent(first->Top(), second->Top()))
        << saved << tree.Read("Assets/Again/SavedLantern.xml");
}

TEST_F(GroupNameBlueprintTest, MissingOrMistypedFieldsLeaveTheDefaults) {
    for (const char* blueprint : {"Bare", "Odd"}) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        ASSERT_NE(object, nullptr) << blueprint;
        object->Initialize(false);
        auto* group = static_cast<SD::Group*>(object->GetComponent(SD::CID_Group));
        auto* name = static_cast<Name*>(object->GetComponent(SD::kNameID));
        ASSERT_TRUE(group && name) << blueprint;
        EXPECT_STREQ(group->GetGroupName(), "") << blueprint;
        EXPECT_EQ(name->GetName(), "") << blueprint;
        EXPECT_EQ(Members(""), 0u) << blueprint;
    }
}

}  // namespace
