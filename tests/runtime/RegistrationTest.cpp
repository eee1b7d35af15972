// The start-up registrations: the component kinds, game states and systems the libraries supply,
// the refusal of a second supply, and the choice of the first state.
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
#include "support/CapturedLog.h"
#include "support/TempTree.h"

namespace {

class Probe : public SD::Component {
public:
    SD::ComponentID VGetID() const override { return SD::kTerrainID; }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
};
class OtherProbe : public Probe {};

// The engine's own kinds join under their names and numbers, and each is made as the kind that
// answers with its number.
TEST(Registration, TheEngineKindsAreMadeUnderTheirNumbers) {
    SD::Registrations registrations;
    SD::SupplyEngineClasses(registrations);
    SD::Factory_ factory(4);
    const std::vector<std::string> registered = registrations.RegisterComponents(factory);
    EXPECT_EQ(std::set<std::string>(registered.begin(), registered.end()),
              (std::set<std::string>{"Transform", "LuaLogic", "LuaComponent", "Group", "Name"}));
    for (const SD::ComponentRegistration& kind : registrations.SuppliedComponents()) {
        SD::ComponentID id;
        ASSERT_TRUE(factory.FindComponentID(kind.name, &id)) << kind.name;
        EXPECT_EQ(id, kind.id) << kind.name;
        std::unique_ptr<SD::Component> made(factory.CreateComponent(id));
        ASSERT_NE(made, nullptr) << kind.name;
        EXPECT_EQ(made->VGetID(), kind.id) << kind.name;
    }
    factory.Shutdown();
}

// A number belongs to one kind and a kind to one number and one filed name: a supply that
// would share either is refused and noted, and the kind kept first stays.
TEST(Registration, ANumberOrANameGivenToASecondKindIsRefused) {
    struct Case {
        const char* name;
        SD::ComponentID id;
        const char* refusal;
    };
    const Case cases[] = {
        {"Terrain", SD::kTerrainID, "number 83 is \"Aperture::Terrain\"'s"},
        {"Aperture::Terrain", SD::CID_Geometry, "it is kept under number 83"},
        {"Photon::Terrain", SD::CID_Geometry, "it is filed like \"Aperture::Terrain\""},
    };
    for (const Case& c : cases) {
        SD::Registrations registrations;
        ASSERT_TRUE(
            registrations.SupplyComponent("Aperture::Terrain", SD::kTerrainID, &SD::MakeComponentCreator<Probe>));
        EXPECT_FALSE(registrations.SupplyComponent(c.name, c.id, &SD::MakeComponentCreator<Probe>)) << c.name;
        ASSERT_EQ(registrations.RefusedSupplies().size(), 1u) << c.name;
        EXPECT_NE(registrations.RefusedSupplies()[0].find(c.refusal), std::string::npos)
            << registrations.RefusedSupplies()[0];
        ASSERT_EQ(registrations.SuppliedComponents().size(), 1u) << c.name;
        EXPECT_EQ(registrations.SuppliedComponents()[0].name, "Aperture::Terrain");
    }
    SD::Registrations registrations;
    EXPECT_FALSE(registrations.SupplyComponent("Geometry", SD::CID_Geometry, nullptr));
    EXPECT_FALSE(registrations.SupplyComponent("Far", SD::CID_Total, &SD::MakeComponentCreator<Probe>));
    EXPECT_TRUE(registrations.SuppliedComponents().empty());
}

TEST(Registration, NamespacedNamesAreFiledUnderTheirLastPart) {
    SD::Registrations registrations;
    EXPECT_TRUE(registrations.SupplyComponent("Aperture::Terrain", SD::kTerrainID, &SD::MakeComponentCreator<Probe>));
    SD::Factory_ factory(4);
    EXPECT_EQ(registrations.RegisterComponents(factory), std::vector<std::string>{"Aperture::Terrain"});
    SD::ComponentID id;
    ASSERT_TRUE(factory.FindComponentID("Terrain", &id));
    EXPECT_EQ(id, SD::kTerrainID);
    EXPECT_FALSE(factory.FindComponentID("Aperture::Terrain", &id));
    factory.Shutdown();
}

std::vector<std::string> g_journal;
template <int N>
SD::Level* MakeTraceLevel() {
    return new statetest::TraceLevel(g_journal, "L" + std::to_string(N));
}

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

// Every supplied state is registered under its name; the chooser, once installed, picks the
// first state from the registered ones, and without it the configured starting state stays.
TEST_F(FirstStateTest, StatesAreRegisteredByNameAndTheChooserPicksTheFirst) {
    SD::Registrations registrations;
    registrations.SupplyLevel("World", &MakeTraceLevel<2>);
    registrations.SupplyLevel("SplashLevel", &MakeTraceLevel<3>);
    EXPECT_FALSE(registrations.SupplyLevel("Nowhere", nullptr));
    {
        SD::GameStateManager_ manager;
        EXPECT_EQ(registrations.RegisterLevels(manager), (std::vector<std::string>{"SplashLevel", "World"}));
        Configure(manager, "World");
        registrations.ChooseFirstState(manager);
        EXPECT_EQ(manager.GetPendingLevel(), manager.FindLevel("World")) << "no chooser: the configured state";
    }
    struct Chooser : SD::IFirstStateChooser {
        void ChooseFirstState(SD::GameStateManager_& states) override {
            ++calls;
            states.ChangeLevelTo("SplashLevel");
        }
        int calls = 0;
    } chooser;
    ASSERT_TRUE(registrations.SetFirstStateChooser(&chooser));
    SD::GameStateManager_ manager;
    registrations.RegisterLevels(manager);
    Configure(manager, "World");
    registrations.ChooseFirstState(manager);
    EXPECT_EQ(chooser.calls, 1);
    g_journal.clear();
    manager.Update(0.1f);
    manager.Update(0.1f);
    EXPECT_EQ(g_journal, (std::vector<std::string>{"L3:Load", "L3:Initialize"}));
}

}  // namespace

namespace {

// Records the frames it is updated in, into the order shared by the probes of one test.
class OrderProbe : public SD::ISystem {
public:
    OrderProbe(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    const char* GetName() const override { return name_.c_str(); }
    void Update(float) override { log_->push_back(name_); }

private:
    std::vector<std::string>* log_;
    std::string name_;
};

std::vector<std::string> g_updates;
OrderProbe g_editor(&g_updates, "LevelEditor");
SD::ISystem* MakeTweakables() { return new OrderProbe(&g_updates, "TweakableSystem"); }
SD::ISystem* TheEditor() { return &g_editor; }

// The program's own supplies again, with none of a test's.
void ResetStartup(SD::Registrations& startup) {
    startup = SD::Registrations();
    SD::SupplyEngineClasses(startup);
}

// The summary's parts keep the first supplier: a second is refused and leaves the first in place,
// the same one again is no conflict, and null empties the place so that the default shows.
TEST(Registration, TheSummaryKeepsItsFirstSuppliersAndNullRestoresTheDefault) {
    struct Counter : SD::IDrawCallCounter {
        explicit Counter(unsigned long n) : n(n) {}
        unsigned long LastFrameDrawCalls() const override { return n; }
        unsigned long n;
    } first(3), second(9);
    struct Reporter : SD::ISoundReporter {
        explicit Reporter(const char* text) : text(text) {}
        std::string SoundReport() const override { return text; }
        const char* text;
    } sound("sounds played 2"), otherSound("other");
    SD::Registrations registrations;
    EXPECT_EQ(registrations.CountDrawCalls(), 0u);
    EXPECT_EQ(registrations.ReportSound(), "");

    EXPECT_TRUE(registrations.SetDrawCallCounter(&first));
    EXPECT_TRUE(registrations.SetSoundReporter(&sound));
    {
        qvtest::StderrCapture refusals;
        EXPECT_FALSE(registrations.SetDrawCallCounter(&second));
        EXPECT_FALSE(registrations.SetSoundReporter(&otherSound));
        EXPECT_NE(refusals.Text().find("seam \"SD::IDrawCallCounter\": a second implementation refused"),
                  std::string::npos)
            << refusals.Text();
        EXPECT_NE(refusals.Text().find("seam \"SD::ISoundReporter\""), std::string::npos) << refusals.Text();
    }
    EXPECT_TRUE(registrations.SetDrawCallCounter(&first));
    EXPECT_EQ(registrations.CountDrawCalls(), 3u);
    EXPECT_EQ(registrations.ReportSound(), "sounds played 2");

    EXPECT_TRUE(registrations.SetDrawCallCounter(nullptr));
    EXPECT_TRUE(registrations.SetSoundReporter(nullptr));
    EXPECT_EQ(registrations.CountDrawCalls(), 0u);
    EXPECT_EQ(registrations.ReportSound(), "");
    EXPECT_TRUE(registrations.SetDrawCallCounter(&second));
    EXPECT_EQ(registrations.CountDrawCalls(), 9u);
}

struct QuietState : SD::Level {
    void Load() override {}
    void Unload() override {}
    void Update(float) override {}
};
struct FirstState : QuietState {};
struct OtherState : QuietState {};

// A component kind or a game state keeps the first maker supplied under its name, as a system
// does: another maker is refused and noted, the same one again is no conflict.
TEST(Registration, ASecondMakerOfAKindOrAStateIsRefusedAndNoted) {
    SD::Registrations registrations;
    EXPECT_TRUE(registrations.SupplyComponent("Aperture::Terrain", SD::kTerrainID, &SD::MakeComponentCreator<Probe>));
    EXPECT_TRUE(registrations.SupplyComponent("Aperture::Terrain", SD::kTerrainID, &SD::MakeComponentCreator<Probe>));
    EXPECT_FALSE(
        registrations.SupplyComponent("Aperture::Terrain", SD::kTerrainID, &SD::MakeComponentCreator<OtherProbe>));
    EXPECT_TRUE(registrations.SupplyLevel("TestLevel", &SD::MakeLevel<FirstState>));
    EXPECT_FALSE(registrations.SupplyLevel("TestLevel", &SD::MakeLevel<OtherState>));
    EXPECT_EQ(registrations.RefusedSupplies(),
              (std::vector<std::string>{"Component \"Aperture::Terrain\" supplied twice: the first supply is kept.",
                                        "Level \"TestLevel\" supplied twice: the first supply is kept."}));

    SD::Factory_ factory(4);
    registrations.RegisterComponents(factory);
    std::unique_ptr<SD::Component> made(factory.CreateComponent(SD::kTerrainID));
    EXPECT_EQ(dynamic_cast<OtherProbe*>(made.get()), nullptr) << "the first maker's kind is made";
    EXPECT_NE(made, nullptr);
    SD::GameStateManager_ manager;
    registrations.RegisterLevels(manager);
    EXPECT_NE(dynamic_cast<FirstState*>(manager.FindLevel("TestLevel")), nullptr);
    factory.Shutdown();
}

TEST(Registration, ASuppliedSystemIsMadeAndAddedByItsName) {
    SD::Registrations registrations;
    EXPECT_FALSE(registrations.SupplySystem("LevelEditor", nullptr, false, {}));
    EXPECT_TRUE(registrations.SupplySystem("TweakableSystem", &MakeTweakables, true, {{"Input"}, {}}));
    EXPECT_TRUE(registrations.SupplySystem("LevelEditor", &TheEditor, false, {{}, {"Window"}}));
    const std::vector<SD::PlacedSystem> places = registrations.SuppliedSystemPlaces();
    ASSERT_EQ(places.size(), 2u);
    for (const SD::PlacedSystem& placed : places)
        EXPECT_EQ(placed.place.after.empty(), placed.name == "LevelEditor") << placed.name << " keeps its place";

    g_updates.clear();
    {
        SD::Core core;
        EXPECT_EQ(registrations.AddSuppliedSystem(core, "Graphics_"), nullptr) << "not supplied";
        EXPECT_EQ(registrations.AddSuppliedSystem(core, "LevelEditor"), &g_editor);
        SD::ISystem* tweakables = registrations.AddSuppliedSystem(core, "TweakableSystem");
        ASSERT_NE(tweakables, nullptr);
        EXPECT_STREQ(tweakables->GetName(), "TweakableSystem");
        core.RunFrame();
    }  // the core deletes the system it owns; the singleton lives on
    EXPECT_EQ(g_updates, (std::vector<std::string>{"LevelEditor", "TweakableSystem"}));
    EXPECT_STREQ(g_editor.GetName(), "LevelEditor");
}

// Systems whose places cannot be met stop the run before any system is made, and the log says
// which system is at fault.
TEST(Registration, ARunWhoseSystemsCannotBeOrderedStopsWithTheReason) {
    SD::Registrations& startup = SD::StartupRegistrations();
    ResetStartup(startup);
    ASSERT_TRUE(startup.SupplySystem("LevelEditor", &TheEditor, false, {{"Nowhere"}, {}}));
    qvtest::TempTree tree;
    SD::RunOptions options;
    options.maxFrames = 2;
    g_updates.clear();
    qvtest::CapturedLog captured;
    const SD::RunSummary summary = SD::RunProgram(options);
    ResetStartup(startup);
    EXPECT_FALSE(summary.clean);
    EXPECT_EQ(summary.frames, 0u);
    EXPECT_NE(summary.error.find("\"LevelEditor\" runs after \"Nowhere\""), std::string::npos) << summary.error;
    EXPECT_NE(captured.Text().find(summary.error), std::string::npos) << captured.Text();
    EXPECT_TRUE(g_updates.empty());
}

// The first supplier of a system keeps it: another maker under the same name is refused, and
// the run logs the refusal once its logger exists; the same maker again is no conflict.
TEST(Registration, ASecondSupplyOfASystemIsRefusedAndTheRunLogsIt) {
    SD::Registrations& startup = SD::StartupRegistrations();
    ResetStartup(startup);
    EXPECT_TRUE(startup.SupplySystem("LevelEditor", &TheEditor, false, {}));
    EXPECT_TRUE(startup.SupplySystem("LevelEditor", &TheEditor, false, {}));
    EXPECT_TRUE(startup.RefusedSupplies().empty());
    EXPECT_FALSE(startup.SupplySystem("LevelEditor", &MakeTweakables, true, {}));
    ASSERT_EQ(startup.RefusedSupplies().size(), 1u);

    qvtest::TempTree tree;
    SD::RunOptions options;
    options.maxFrames = 2;
    g_updates.clear();
    qvtest::CapturedLog captured;
    const SD::RunSummary summary = SD::RunProgram(options);
    const std::string log = captured.Text();
    ResetStartup(startup);
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_NE(log.find("System \"LevelEditor\" supplied twice: the first supply is kept."), std::string::npos) << log;
    EXPECT_EQ(std::count(g_updates.begin(), g_updates.end(), "LevelEditor"), 2) << "the first maker's system ran";
    EXPECT_EQ(std::count(g_updates.begin(), g_updates.end(), "TweakableSystem"), 0);
}

}  // namespace
