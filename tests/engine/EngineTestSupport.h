#pragma once
// Components and a fixture shared by the engine tests: a factory with the engine's systems and
// two small component classes that record what happens to them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "core/MessageSystem.h"
#include "core/SharedString.h"
#include "engine/ChangeActiveState.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/LuaComponent.h"
#include "engine/LuaLogic.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transformer.h"
#include "engine/UpdateComponent.h"
#include "support/TempTree.h"

namespace enginetest {

// Every call that reaches a recorder, in order ("Mover:update", "Mover:enter", ...).
inline std::vector<std::string>& Journal() {
    static std::vector<std::string> journal;
    return journal;
}

constexpr SD::ComponentID kMoverID = SD::CID_Floating;
constexpr SD::ComponentID kTagID = SD::CID_Group;

// An update component with two fields, "Speed" and "Enabled".
class Mover : public SD::IUpdateComponent {
public:
    SD::ComponentID VGetID() const override { return kMoverID; }
    int VGetVersion() const override { return 3; }
    void VSerialize(SD::IStream& stream, int version) override {
        readVersion = version;
        stream.Serialize(speed, "Speed", "Float");
        stream.Serialize(enabled, "Enabled", "Boolean");
    }
    void VUpdate(float) override { Journal().push_back(label + ":update"); }
    void VOnDevPauseEnter() override { Journal().push_back(label + ":enter"); }
    void VOnDevPauseExit() override { Journal().push_back(label + ":exit"); }
    void VInitialize(bool) override {
        if (sleepOnInitialize) GetOwner()->Sleep();
    }

    float speed = 1.0f;
    bool enabled = false;
    int readVersion = -1;
    std::string label = "Mover";
    bool sleepOnInitialize = false;
};

// A component with a string field and no per-frame work.
class Tag : public SD::Component {
public:
    SD::ComponentID VGetID() const override { return kTagID; }
    int VGetVersion() const override { return 1; }
    void VSerialize(SD::IStream& stream, int) override { stream.Serialize(text, "Text", "String"); }
    void VRegister() override { Journal().push_back("Tag:register"); }
    void VUnregister() override { Journal().push_back("Tag:unregister"); }
    std::string text;
};

// The two script component classes, for the tests that run scripts on objects.
inline void RegisterScriptComponents(SD::Factory_& factory) {
    factory.RegisterComponentCreator("LuaLogic", SD::CID_LuaLogic, new SD::ComponentCreator<SD::LuaLogic>);
    factory.RegisterComponentCreator("LuaComponent", SD::kLuaComponentID, new SD::ComponentCreator<SD::LuaComponent>);
}

// A factory with the component manager and transformer, and the two classes registered.
class EngineFixture : public ::testing::Test {
protected:
    explicit EngineFixture(uint32_t totalObjects = 64) : factory(totalObjects) {
        Journal().clear();
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("Mover", kMoverID, new SD::ComponentCreator<Mover>);
        factory.RegisterComponentCreator("Game::Tag", kTagID, new SD::ComponentCreator<Tag>);
    }
    // Removes the factory's message handler even when a test stopped early.
    ~EngineFixture() override { factory.Shutdown(); }

    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory;
};

// Blueprint files read and written as xml, set through the factory's configuration the way the
// game sets it.
inline void UseXmlObjects(SD::Factory_& factory, const qvtest::TempTree& tree) {
    tree.Write("Assets/Config/xml-objects.ini", "[Factory]\nObjectInFormat=xml\nObjectOutFormat=xml\n");
    SD::ConfigFile config(tree.Path("Assets/Config/xml-objects.ini"));
    config.SetSection("Factory");
    factory.ReadConfig(config);
}

}  // namespace enginetest
