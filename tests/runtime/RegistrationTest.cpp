// The start-up registrations: the component creators and game states in their fixed order,
// which of them exist in this build, and the choice of the first state.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "GameStateTestSupport.h"
#include "core/ConfigFile.h"
#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "engine/Component.h"
#include "engine/Factory.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"

namespace {

// The classes built so far. The change that builds a class of the registration order adds
// its name here; every other name is expected among those still to come.
const std::set<std::string> kBuiltComponents = {"Transform", "LuaLogic", "LuaComponent", "Group", "Name"};
const std::set<std::string> kBuiltLevels = {};

std::string FiledName(const std::string& registered) {
    size_t colon = registered.rfind(':');
    return colon == std::string::npos ? registered : registered.substr(colon + 1);
}

TEST(Registration, TheOrderNamesEachClassOnceAndLeavesTenIdsFree) {
    const auto& order = SD::ComponentRegistrationOrder();
    EXPECT_EQ(order.size(), 102u);
    std::set<std::string> names;
    std::set<unsigned> ids;
    for (const auto& entry : order) {
        names.insert(FiledName(entry.name));
        ids.insert(entry.id);
    }
    EXPECT_EQ(names.size(), order.size());
    std::vector<unsigned> free;
    for (unsigned id = 0; id < SD::CID_Total; ++id)
        if (!ids.count(id)) free.push_back(id);
    EXPECT_EQ(free, (std::vector<unsigned>{1, 3, 10, 11, 16, 21, 31, 34, 50, 77}));
    EXPECT_EQ(order.front().name, std::string("Transform"));
    EXPECT_EQ(order.back().name, std::string("FloatingIslandGlowLogic"));

    const auto& levels = SD::LevelRegistrationOrder();
    EXPECT_EQ(levels.size(), 11u);
    EXPECT_EQ(std::set<std::string>(levels.begin(), levels.end()).size(), levels.size());
}

TEST(Registration, StartupRegistersTheBuiltClassesAndMarksTheRest) {
    SD::Factory_ factory(4);
    const SD::Registrations& startup = SD::StartupRegistrations();
    std::vector<std::string> registered = startup.RegisterComponents(factory);
    std::vector<std::string> toCome = startup.ComponentsToCome();
    EXPECT_EQ(registered.size() + toCome.size(), SD::ComponentRegistrationOrder().size());
    size_t next = 0;
    for (const auto& entry : SD::ComponentRegistrationOrder()) {
        SD::ComponentID id;
        bool found = factory.FindComponentID(FiledName(entry.name), &id);
        if (kBuiltComponents.count(entry.name)) {
            ASSERT_LT(next, registered.size());
            EXPECT_EQ(registered[next++], entry.name);
            EXPECT_TRUE(found) << entry.name;
            EXPECT_EQ(id, entry.id) << entry.name;
        } else {
            EXPECT_FALSE(found) << entry.name << " is registered but not marked as built";
            EXPECT_NE(std::find(toCome.begin(), toCome.end(), entry.name), toCome.end()) << entry.name;
        }
    }
    EXPECT_EQ(next, registered.size());

    SD::GameStateManager_ manager;
    std::vector<std::string> levels = startup.RegisterLevels(manager);
    EXPECT_EQ(std::set<std::string>(levels.begin(), levels.end()), kBuiltLevels);
    EXPECT_EQ(levels.size() + startup.LevelsToCome().size(), SD::LevelRegistrationOrder().size());
    factory.Shutdown();
}

class Probe : public SD::Component {
public:
    SD::ComponentID VGetID() const override { return SD::kTerrainID; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
};

TEST(Registration, NamespacedNamesAreFiledUnderTheirLastPart) {
    SD::Registrations registrations;
    EXPECT_TRUE(registrations.SupplyComponent("Aperture::Terrain", &SD::MakeComponentCreator<Probe>));
    EXPECT_FALSE(registrations.SupplyComponent("Terrain", &SD::MakeComponentCreator<Probe>));
    EXPECT_FALSE(registrations.SupplyComponent("Frobnicator", &SD::MakeComponentCreator<Probe>));
    EXPECT_FALSE(registrations.SupplyComponent("Geometry", nullptr));
    SD::Factory_ factory(4);
    EXPECT_EQ(registrations.RegisterComponents(factory), std::vector<std::string>{"Aperture::Terrain"});
    SD::ComponentID id;
    ASSERT_TRUE(factory.FindComponentID("Terrain", &id));
    EXPECT_EQ(id, SD::kTerrainID);
    EXPECT_FALSE(factory.FindComponentID("Aperture::Terrain", &id));
    EXPECT_EQ(registrations.ComponentsToCome().size(), 101u);
    for (unsigned freeId : {1u, 3u, 10u, 11u, 16u, 21u, 31u, 34u, 50u, 77u})
        EXPECT_EQ(factory.CreateComponent(static_cast<SD::ComponentID>(freeId)), nullptr) << freeId;
    factory.Shutdown();
}

class ProbeSystem : public SD::ISystem {
public:
    const char* GetName() const override { return "Probe"; }
    void Update(float) override {}
};

SD::ISystem* MakeProbeSystem() { return new ProbeSystem; }

// Systems of the layers above the runtime join the core where start-up asks for them by name.
TEST(Registration, SuppliedSystemsAreAddedWhereAsked) {
    SD::Registrations registrations;
    EXPECT_FALSE(registrations.SupplySystem("Frobnicator", &MakeProbeSystem, true));
    EXPECT_FALSE(registrations.SupplySystem("Physics_System", nullptr, true));
    SD::Core core;
    EXPECT_FALSE(registrations.AddSystem(core, "Physics_System"));
    EXPECT_TRUE(core.GetSystems().empty());
    EXPECT_TRUE(registrations.SupplySystem("Physics_System", &MakeProbeSystem, true));
    EXPECT_TRUE(registrations.AddSystem(core, "Physics_System"));
    ASSERT_EQ(core.GetSystems().size(), 1u);
    EXPECT_STREQ(core.GetSystems()[0]->GetName(), "Probe");
    EXPECT_EQ(SD::SystemRegistrationOrder().front(), "Physics_System");
}

std::vector<std::string> g_journal;
template <int N> SD::Level* MakeTraceLevel() { return new statetest::TraceLevel(g_journal, "L" + std::to_string(N)); }

class FirstStateTest : public ::testing::Test {
protected:
    ~FirstStateTest() override { SD::Message_System::DestroyInstance(); }
    void Configure(SD::GameStateManager_& manager, const char* starting) {
        tree.Write("Assets/Config/config.ini", std::string("[GameStateManager]\nStartingLevel=") + starting + "\n");
        SD::ConfigFile config;
        config.SetSection(manager.GetName());
        manager.ReadConfig(config);
    }
    qvtest::TempTree tree;
};

TEST_F(FirstStateTest, LevelsAreRegisteredInOrderAndLoadLevelReplacesTheStartingState) {
    SD::Registrations registrations;
    std::vector<SD::Level*> prepared;
    registrations.SetLoadLevelPreparer([&prepared](SD::Level& loading) { prepared.push_back(&loading); });
    EXPECT_FALSE(registrations.SupplyLevel("Nowhere", &MakeTraceLevel<0>));
    registrations.SupplyLevel("Logic_Test", &MakeTraceLevel<1>);
    registrations.SupplyLevel("World", &MakeTraceLevel<2>);
    registrations.SupplyLevel("SplashLevel", &MakeTraceLevel<3>);
    {
        SD::GameStateManager_ manager;
        EXPECT_EQ(registrations.RegisterLevels(manager), (std::vector<std::string>{"World", "SplashLevel", "Logic_Test"}));
        Configure(manager, "World");
        EXPECT_EQ(registrations.ChooseFirstState(manager), nullptr);  // no loading state yet
        EXPECT_EQ(manager.GetPendingLevel(), manager.FindLevel("World"));
        EXPECT_TRUE(prepared.empty());
    }
    registrations.SupplyLevel("LoadLevel", &MakeTraceLevel<4>);
    SD::GameStateManager_ manager;
    registrations.RegisterLevels(manager);
    Configure(manager, "World");
    SD::Level* loading = registrations.ChooseFirstState(manager);
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading, manager.FindLevel("LoadLevel"));
    EXPECT_EQ(prepared, std::vector<SD::Level*>{loading});
    g_journal.clear();
    manager.Update(0.1f);
    manager.Update(0.1f);
    EXPECT_EQ(g_journal, (std::vector<std::string>{"L3:Load", "L3:Initialize"}));
    EXPECT_EQ(registrations.LevelsToCome().size(), 7u);
}

}  // namespace
