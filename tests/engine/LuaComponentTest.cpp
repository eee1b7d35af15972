// Objects whose behaviour is written in script: Lua components updated by the component
// manager, and Lua logics updated through the script table of active objects.
#include <gtest/gtest.h>

#include <fstream>

#include "EngineTestSupport.h"
#include "LuaTestSupport.h"
#include "engine/LuaComponent.h"
#include "engine/LuaComponentManager.h"
#include "engine/LuaLogic.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "engine/TextFileDataStream.h"
#include "support/CapturedLog.h"
#include "support/TempTree.h"
#include "tests/engine/ComponentListProbes.h"

namespace {

using enginetest::EngineFixture;

std::string LuaComponentXml(const char* file, const char* init, const char* update) {
    return std::string("<LuaComponent version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">") +
           "<String name=\"Lua File\">" + file + "</String><String name=\"Initialize Function\">" + init +
           "</String><String name=\"Update Function\">" + update + "</String></LuaComponent>";
}

std::string LuaLogicXml(const char* init, const char* update) {
    return std::string("<LuaLogic version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\">") +
           "<String name=\"Initialize Function\">" + init + "</String><String name=\"Update Function\">" + update +
           "</String></LuaLogic>";
}

std::string Blueprint(const char* name, const std::string& components) {
    return std::string("<GameObjectBlueprint name=\"") + name + "\"><Components>" + components +
           "</Components></GameObjectBlueprint>";
}

class LuaComponentTest : public EngineFixture {
protected:
    LuaComponentTest() : manager(&lua.host) {
        enginetest::RegisterScriptComponents(factory);
        factory.SetObjectInFormat("xml");
        lua.host.SetFolder("../Assets/LuaScripts/");
        std::ifstream in(qvtest::SourceDir() + "/Assets/LuaScripts/InitLuaStuff.lua");
        std::stringstream init;
        init << in.rdbuf();
        tree.Write("Assets/LuaScripts/InitLuaStuff.lua", init.str());
        tree.Write("Assets/LuaScripts/counter.lua", R"(
            loads = (loads or 0) + 1
            function CounterInit(o) inits = (inits or 0) + 1 initName = o:GetName() end
            function CounterUpdate(o, dt)
              frames = (frames or 0) + 1
              total = (total or 0) + dt
              o:GetTransform():SetPosX(frames)
            end
            function BadUpdate(o, dt) error('bad frame') end
            function LogicInit(o) logicInits = (logicInits or 0) + 1 end
            function LogicUpdate(o, dt) logicFrames = (logicFrames or 0) + 1 o:GetTransform():SetPosY(dt) end
        )");
        tree.Write("Assets/Objects/scripted.xml",
                   "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>" +
                       Blueprint("Counter", LuaComponentXml("counter.lua", "CounterInit", "CounterUpdate")) +
                       Blueprint("Missing", LuaComponentXml("counter.lua", "CounterInit", "NoSuchFunction")) +
                       Blueprint("Bad", LuaComponentXml("counter.lua", "CounterInit", "BadUpdate")) +
                       Blueprint("NoFile", LuaComponentXml("", "CounterInit", "CounterUpdate")) +
                       Blueprint("Logic", LuaLogicXml("LogicInit", "LogicUpdate")) + "</GameObjectBlueprints>\n");
        factory.AddBlueprint("../Assets/Objects/scripted.xml");
        EXPECT_TRUE(lua.host.executeFile("InitLuaStuff.lua"));
    }

    SD::GameObject* Create(const char* blueprint) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        if (object) object->Initialize(false);
        return object;
    }

    // Runs frames of the component manager and the Lua component manager; returns standard error.
    std::string Frames(int count, float dt) {
        qvtest::StderrCapture err;
        for (int i = 0; i < count; ++i) {
            components.Update(dt);
            manager.Update(dt);
        }
        return err.Text();
    }

    qvtest::TempTree tree;
    luatest::LuaHost lua;
    SD::LuaComponentManager manager;
};

TEST_F(LuaComponentTest, UpdateRunsEveryFrameWithTheObjectAndFrameTime) {
    SD::GameObject* object = Create("Counter");
    ASSERT_NE(object, nullptr);
    object->NameObject("counted");
    EXPECT_EQ(lua.Number("loads"), 1);
    EXPECT_EQ(lua.Number("inits"), 1);
    std::string log = Frames(3, 0.5f);
    EXPECT_EQ(log, "");
    EXPECT_EQ(lua.Number("frames"), 3);
    EXPECT_EQ(lua.Number("total"), 1.5);
    EXPECT_EQ(object->GetTransform().GetPosX(), 3.0f);

    SD::ReloadLuaComponentScripts();
    EXPECT_EQ(lua.Number("loads"), 2);
}

// A script that fails every frame is logged once, on a line of its own naming the function;
// another failure is logged in its turn.
TEST_F(LuaComponentTest, AnUpdateThatFailsEveryFrameIsLoggedOnce) {
    ASSERT_NE(Create("Missing"), nullptr);
    ASSERT_NE(Create("Bad"), nullptr);
    std::string log = Frames(3, 0.1f);
    EXPECT_EQ(qvtest::Occurrences(log, "attempt to call a nil value"), 1u) << log;
    EXPECT_EQ(qvtest::Occurrences(log, "bad frame"), 1u) << log;
    EXPECT_NE(log.find("Lua function 'NoSuchFunction' failed: attempt to call a nil value"), std::string::npos) << log;
    EXPECT_EQ(qvtest::Occurrences(log, "\n"), 2u) << log;
    EXPECT_EQ(lua_gettop(lua.host.L), 0);
    ASSERT_TRUE(lua.Run("function BadUpdate(o, dt) error('worse frame') end"));
    log = Frames(3, 0.1f);
    EXPECT_EQ(qvtest::Occurrences(log, "worse frame"), 1u) << log;
    EXPECT_EQ(qvtest::Occurrences(log, "nil value"), 0u) << log;
}

TEST_F(LuaComponentTest, EmptyScriptFileIsReportedAndInitialiseStillRuns) {
    qvtest::StderrCapture err;
    ASSERT_NE(Create("NoFile"), nullptr);
    EXPECT_NE(err.Text().find("cannot read ../Assets/LuaScripts/"), std::string::npos);
    qvtest::StderrCapture quiet;
    EXPECT_EQ(lua.Number("inits"), 0);  // the file defining it never ran
    ASSERT_TRUE(lua.host.executeFile("counter.lua"));
    ASSERT_NE(Create("NoFile"), nullptr);
    EXPECT_EQ(lua.Number("inits"), 1);
}

TEST_F(LuaComponentTest, LogicIsUpdatedThroughTheActiveObjectTable) {
    ASSERT_TRUE(lua.host.executeFile("counter.lua"));
    SD::GameObject* object = Create("Logic");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(lua.Number("logicInits"), 1);
    EXPECT_EQ(platform::TestProbe<SD::LuaComponentManager>::ActiveObjects(manager).Size(), 1u);
    EXPECT_EQ(Frames(2, 0.25f), "");
    EXPECT_EQ(lua.Number("logicFrames"), 2);
    EXPECT_EQ(object->GetTransform().GetPosY(), 0.25f);

    object->Destroy();
    factory.Update(0.0f);
    EXPECT_EQ(platform::TestProbe<SD::LuaComponentManager>::ActiveObjects(manager).Size(), 0u);
    EXPECT_EQ(Frames(1, 0.25f), "");
    EXPECT_EQ(lua.Number("logicFrames"), 2);
    ASSERT_TRUE(
        lua.Run("left = 0 for k, v in pairs(ActiveLuaGameObjects.objects) do "
                "if type(v) == 'userdata' then left = left + 1 end end"));
    EXPECT_EQ(lua.Number("left"), 0);
}

TEST_F(LuaComponentTest, ManagerCopesWithABrokenOrMissingTable) {
    struct Broken {
        const char* setup;
        const char* logged;
    } cases[] = {
        {"ActiveLuaGameObjects = nil", ""},
        {"ActiveLuaGameObjects = 5", ""},
        {"ActiveLuaGameObjects = { objects = {}, update = function() error('walk failed') end }",
         "Error updating ActiveLuaGameObjects.  [string"},
        {"ActiveLuaGameObjects = { objects = 7 }", "Error updating ActiveLuaGameObjects."},
    };
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.setup);
        ASSERT_TRUE(lua.Run(c.setup));
        ASSERT_TRUE(lua.host.executeFile("counter.lua"));
        ASSERT_NE(Create("Logic"), nullptr);
        std::string log = Frames(1, 0.1f);
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        EXPECT_EQ(lua_gettop(lua.host.L), 0);
    }
}

TEST_F(LuaComponentTest, LogicDataOfEachVersion) {
    tree.Write("bin/v0.txt", "OnlyUpdate\n");
    tree.Write("bin/v1.txt", "Init Update\n");
    struct Version {
        const char* file;
        int version;
        const char* init;
        const char* update;
    } cases[] = {{"v0.txt", 0, "nil", "OnlyUpdate"}, {"v1.txt", 1, "Init", "Update"}, {"v1.txt", 7, "", ""}};
    for (const Version& c : cases) {
        SCOPED_TRACE(c.version);
        SD::LuaLogic logic;
        Data::TextFileDataStream stream;
        ASSERT_TRUE(stream.openFile(c.file, "rt"));
        logic.VReadData(stream, c.version);
        EXPECT_EQ(logic.InitializeFunction(), c.init);
        EXPECT_EQ(logic.UpdateFunction(), c.update);
    }

    SD::LuaLogic written;
    written.InitializeFunction() = "A";
    written.UpdateFunction() = "B";
    SD::SuperialDataMap map;
    SD::SuperialValue* node = map.Top();
    written.VWriteSuperial(node, 0);
    for (bool byName : {true, false}) {
        SD::LuaLogic read;
        read.VReadSuperial(node, byName);
        EXPECT_EQ(read.InitializeFunction(), "A");
        EXPECT_EQ(read.UpdateFunction(), "B");
    }
}

// The sample component script shipped with the game turns its object.
TEST_F(LuaComponentTest, SampleSpinnerScriptTurnsItsObject) {
    std::ifstream in(qvtest::SourceDir() + "/Assets/LuaScripts/Spinner.lua");
    std::stringstream spinner;
    spinner << in.rdbuf();
    ASSERT_FALSE(spinner.str().empty());
    tree.Write("Assets/LuaScripts/Spinner.lua", spinner.str());
    tree.Write("Assets/Objects/spinner.xml",
               "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>" +
                   Blueprint("Spinner", LuaComponentXml("Spinner.lua", "SpinnerInit", "SpinnerUpdate")) +
                   "</GameObjectBlueprints>\n");
    factory.AddBlueprint("../Assets/Objects/spinner.xml");
    SD::GameObject* object = Create("Spinner");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Frames(10, 0.1f), "");
    EXPECT_EQ(object->GetTransform().GetScale(), SD::Vec3(1, 1, 1));
    EXPECT_GT(object->GetTransform().GetDir().x, 0.9f);
}

// An initialise function of "nil" is no function: nothing is called, nothing is reported.
TEST_F(LuaComponentTest, LogicWithoutInitialiseFunctionCallsNone) {
    tree.Write("Assets/Objects/nil.xml", "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>" +
                                             Blueprint("NilInit", LuaLogicXml("nil", "LogicUpdate")) +
                                             "</GameObjectBlueprints>\n");
    factory.AddBlueprint("../Assets/Objects/nil.xml");
    ASSERT_TRUE(lua.host.executeFile("counter.lua"));
    qvtest::StderrCapture err;
    ASSERT_NE(Create("NilInit"), nullptr);
    EXPECT_EQ(err.Text(), "");
    EXPECT_EQ(Frames(1, 0.1f), "");
    EXPECT_EQ(lua.Number("logicFrames"), 1);
}

}  // namespace
