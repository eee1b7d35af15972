// Name components: the object's name in the factory from data, and reflection.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/Name.h"

namespace {

class NameTest : public enginetest::EngineFixture {
protected:
    NameTest() { factory.RegisterComponentCreator("Name", SD::kNameID, new SD::ComponentCreator<Name>); }

    SD::GameObject* Named(const std::string& name) {
        SD::GameObject* object = factory.NewGameObject();
        static_cast<Name*>(object->AddComponent(SD::kNameID))->SetName(name);
        object->Initialize(false);
        return object;
    }
    static Name* NameOf(SD::GameObject* object) { return static_cast<Name*>(object->GetComponent(SD::kNameID)); }
};

TEST_F(NameTest, InitialisationNamesTheObjectInTheFactory) {
    SD::GameObject* lamp = Named("Lamp");
    EXPECT_EQ(lamp->GetName(), "Lamp");
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Lamp"), lamp);
    EXPECT_EQ(factory.GetGameObject(std::string("Lamp")), lamp);

    // A later object of the same name takes the name over.
    SD::GameObject* other = Named("Lamp");
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Lamp"), other);

    factory.DestroyGameObject(other);
    factory.Update(0.0f);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Lamp"), nullptr);
}

TEST_F(NameTest, SetNameAfterInitialisationChangesOnlyTheFieldUntilTheNextOne) {
    SD::GameObject* gate = Named("Gate");
    NameOf(gate)->SetName("Door");
    EXPECT_EQ(NameOf(gate)->GetName(), "Door");
    EXPECT_EQ(gate->GetName(), "Gate");
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Gate"), gate);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Door"), nullptr);

    NameOf(gate)->Initialize(false);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Door"), gate);
    EXPECT_EQ(SD::Factory_::GetGameObjectByName("Gate"), nullptr);
}

TEST_F(NameTest, ReflectedAccessorsReadAndWriteTheField) {
    RTTIClassRegistry::Create();
    SD::GameObject* well = Named("Well");
    Name* name = NameOf(well);
    const IRTTIUser::ClassInfo info = name->GetClassInfo();
    EXPECT_EQ(info.name, "Name");
    ASSERT_EQ(info.functions.size(), 2u);
    EXPECT_EQ(info.functions[0].name, "GetName");
    EXPECT_EQ(info.functions[1].name, "SetName");
    std::vector<MFCore::Any> args{MFCore::Any(name), MFCore::Any(std::string("Spring"))};
    info.functions[1].function->Invoke(args);
    EXPECT_EQ(name->GetName(), "Spring");
    EXPECT_EQ(well->GetName(), "Well");
    std::vector<MFCore::Any> self{MFCore::Any(name)};
    info.functions[0].function->Invoke(self);
    EXPECT_EQ(MFCore::Any::Extract<std::string>(*info.functions[0].function->GetResult()), "Spring");
    RTTIClassRegistry::Destroy();
}

}  // namespace
