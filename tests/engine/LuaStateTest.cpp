// The script host: running files and text, and calling global script functions through
// signature letters.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "LuaTestSupport.h"
#include "core/ConfigFile.h"
#include "engine/LuaComponentManager.h"
#include "engine/ScriptHost.h"
#include "support/TempTree.h"

namespace {

using luatest::LuaHost;

const char* const kScript = R"(
function echo(...) return ... end
function len(s) return #s end
function both(s, n) return #s == n, n * 2 end
function count_args(...) return select('#', ...), 3.5 end
function touch() touched = (touched or 0) + 1 end
function one() return 1 end
function ten() return "abcdefghij" end
function fail() error("boom") end
function atable() return {} end
)";

struct CallCase {
    const char* name;
    std::function<bool(SD::LuaState&, std::string&)> call;  // writes what it read back
    bool ok;
    const char* read;    // expected read-back when ok
    const char* logged;  // expected fragment of the log or printout ("" for none)
};

std::string Num(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

const CallCase kCallCases[] = {
    {"S argument keeps zero bytes",
     [](SD::LuaState& s, std::string& out) {
         int n = 0;
         bool ok = s.executeFunction("len", "S:i", "a\0b", 3u, &n);
         out = Num(n);
         return ok;
     },
     true, "3", ""},
    {"b argument uses the low byte",
     [](SD::LuaState& s, std::string& out) {
         bool a = false, b = true;
         bool ok = s.executeFunction("echo", "b:b", 1, &a) && s.executeFunction("echo", "b:b", 0x100, &b);
         out = std::string(a ? "T" : "F") + (b ? "T" : "F");
         return ok;
     },
     true, "TF", ""},
    {"i and n round trip",
     [](SD::LuaState& s, std::string& out) {
         int i = 0;
         double n = 0;
         bool ok = s.executeFunction("echo", "in:in", 42, 2.5, &i, &n);
         out = Num(i) + " " + Num(n);
         return ok;
     },
     true, "42 2.5", ""},
    {"s argument and result",
     [](SD::LuaState& s, std::string& out) {
         char buffer[16];
         bool ok = s.executeFunction("echo", "s:s", "hello", buffer, 16u);
         out = buffer;
         return ok;
     },
     true, "hello", ""},
    {"v pushes nil and skips a result",
     [](SD::LuaState& s, std::string& out) {
         double n = 0;
         bool ok = s.executeFunction("count_args", "v:vn", &n);
         out = Num(n);
         return ok;
     },
     true, "3.5", ""},
    {"empty signature and lone colon call without arguments",
     [](SD::LuaState& s, std::string& out) {
         bool ok = s.executeFunction("touch", "") && s.executeFunction("touch", ":");
         int n = 0;
         s.executeFunction("echo", "i:i", 0, &n);
         lua_getglobal(s.L, "touched");
         out = Num(lua_tonumber(s.L, -1));
         lua_pop(s.L, 1);
         return ok;
     },
     true, "2", ""},
    {"sn:bi reads a boolean and an integer in order",
     [](SD::LuaState& s, std::string& out) {
         bool b = false;
         int i = 0;
         bool ok = s.executeFunction("both", "sn:bi", "abc", 3.0, &b, &i);
         out = std::string(b ? "T " : "F ") + Num(i);
         return ok;
     },
     true, "T 6", ""},
    {"i result truncates toward zero",
     [](SD::LuaState& s, std::string& out) {
         int a = 0, b = 0, c = 0;
         bool ok = s.executeFunction("echo", "n:i", 2.9, &a) && s.executeFunction("echo", "n:i", -2.9, &b) &&
                   s.executeFunction("echo", "s:i", "12", &c);
         out = Num(a) + " " + Num(b) + " " + Num(c);
         return ok;
     },
     true, "2 -2 12", ""},
    {"S result is cut to its buffer",
     [](SD::LuaState& s, std::string& out) {
         char buffer[8];
         std::memset(buffer, 'x', sizeof buffer);
         bool ok = s.executeFunction("ten", ":S", buffer, 8u);
         out = std::string(buffer, strnlen(buffer, sizeof buffer));
         return ok;
     },
     true, "abcdefg", ""},
    {"s result is cut to its buffer",
     [](SD::LuaState& s, std::string& out) {
         char buffer[4];
         bool ok = s.executeFunction("ten", ":s", buffer, 4u);
         out = std::string(buffer, strnlen(buffer, sizeof buffer));
         return ok;
     },
     true, "abc", ""},
    {"bad argument letter calls nothing", [](SD::LuaState& s, std::string&) { return s.executeFunction("touch", "x"); },
     false, "", "'x' is not valid."},
    {"bad result letter", [](SD::LuaState& s, std::string&) { return s.executeFunction("one", ":q"); }, false, "",
     "Bad signature type found in return types when trying to call a Lua function.  'q' is not valid.  Lua was "
     "trying to return a number."},
    {"boolean wanted, number returned",
     [](SD::LuaState& s, std::string&) {
         bool b = false;
         return s.executeFunction("one", ":b", &b);
     },
     false, "",
     "Error when calling Lua function \"one\" with user-given signature \":b\".  Return type descriptor mismatch.  "
     "User wanted a boolean ('b'), Lua is trying to return a number."},
    {"string wanted, boolean returned",
     [](SD::LuaState& s, std::string&) {
         char buffer[8];
         return s.executeFunction("echo", "b:s", 1, buffer, 8u);
     },
     false, "", "User wanted a string ('s'), Lua is trying to return a boolean."},
    {"more results asked than returned",
     [](SD::LuaState& s, std::string&) {
         double a = 0, b = 0;
         return s.executeFunction("one", ":nn", &a, &b);
     },
     false, "", "User wanted a number ('n'), Lua is trying to return a nil.  Did you ask for too many parameters?"},
    {"unknown function", [](SD::LuaState& s, std::string&) { return s.executeFunction("nosuch", ""); }, false, "",
     "Error calling Lua function 'nosuch': "},
    {"error inside the function", [](SD::LuaState& s, std::string&) { return s.executeFunction("fail", ""); }, false,
     "", "Error calling Lua function 'fail': [string"},
    {"more arguments than the stack holds",
     [](SD::LuaState& s, std::string&) { return s.executeFunction("touch", std::string(9000, 'v').c_str()); }, false,
     "", "Lua stack is full."},
    {"a full stack is found before a bad letter behind it",
     [](SD::LuaState& s, std::string&) { return s.executeFunction("touch", (std::string(9000, 'v') + "x").c_str()); },
     false, "", "Lua stack is full."},
    {"more results than the stack holds",
     [](SD::LuaState& s, std::string&) { return s.executeFunction("touch", (":" + std::string(9000, 'v')).c_str()); },
     false, "", "Lua stack is full."},
    {"a result of 0 and a numeric string are numbers",
     [](SD::LuaState& s, std::string& out) {
         double zero = 1.0;
         int twelve = 0;
         bool ok = s.executeFunction("echo", "is:ni", 0, "12", &zero, &twelve);
         out = Num(zero) + " " + std::to_string(twelve);
         return ok;
     },
     true, "0 12", ""},
    {"a table is no number",
     [](SD::LuaState& s, std::string&) {
         double n = 0;
         return s.executeFunction("atable", ":n", &n);
     },
     false, "", "User wanted a number ('n'), Lua is trying to return a table."},
};

TEST(LuaStateCallTest, SignatureLetters) {
    LuaHost lua;
    ASSERT_TRUE(lua.Run(kScript));
    for (const CallCase& c : kCallCases) {
        SCOPED_TRACE(c.name);
        int top = lua_gettop(lua.host.L);
        std::string read;
        bool ok;
        std::string printed, logged;
        {
            qvtest::StderrCapture err;
            luatest::StdoutCapture out;
            ok = c.call(lua.host, read);
            printed = out.Text();
            logged = err.Text();
        }
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(read, c.read);
        }
        EXPECT_NE((printed + logged).find(c.logged), std::string::npos) << printed << logged;
        EXPECT_EQ(lua_gettop(lua.host.L), top);
    }
}

// Calls made on a stack that already holds values, from the host and from inside a C function
// the script calls: the results are found and the stack is left as it was, however deep.
SD::LuaState* gNestedHost = nullptr;

int CallSumFromInside(lua_State* L) {
    const int depth = static_cast<int>(lua_tonumber(L, 1));
    if (!lua_checkstack(L, depth + 3)) return 0;
    for (int i = 0; i < depth; ++i) lua_pushnumber(L, i);
    double sum = 0.0;
    const bool ok = gNestedHost->executeFunction("sum3", "nnn:nn", 1.0, 2.0, 4.0, &sum, &sum);
    lua_pushboolean(L, ok);
    lua_pushnumber(L, sum);
    lua_pushnumber(L, lua_gettop(L) - depth - 3);
    return 3;
}

TEST(LuaStateCallTest, NumberCallsAtAnyStackDepth) {
    LuaHost lua;
    ASSERT_TRUE(
        lua.Run("function sum3(a, b, c) return a + b + c, a + b + c end\n"
                "function nested(depth) return callsum(depth) end"));
    lua_State* L = lua.host.L;
    gNestedHost = &lua.host;
    lua_register(L, "callsum", CallSumFromInside);
    for (int depth : {0, 13, 14, 15, 40, 7000}) {
        SCOPED_TRACE(depth);
        lua_settop(L, 0);
        ASSERT_TRUE(lua_checkstack(L, depth));
        for (int i = 0; i < depth; ++i) lua_pushnumber(L, i);
        double sum = 0.0, again = 0.0;
        EXPECT_TRUE(lua.host.executeFunction("sum3", "nnn:nn", 1.0, 2.0, 4.0, &sum, &again));
        EXPECT_EQ(sum, 7.0);
        EXPECT_EQ(again, 7.0);
        EXPECT_EQ(lua_gettop(L), depth);
        if (depth > 100) continue;
        lua_settop(L, 0);
        double inside = 0.0;
        bool ran = false;
        double left = -1.0;
        EXPECT_TRUE(lua.host.executeFunction("nested", "n:bnn", static_cast<double>(depth), &ran, &inside, &left));
        EXPECT_TRUE(ran);
        EXPECT_EQ(inside, 7.0);
        EXPECT_EQ(left, 0.0);  // the inner call left its frame as it found it
    }
    lua_settop(L, 0);
    gNestedHost = nullptr;
}

class LuaFileTest : public ::testing::Test {
protected:
    qvtest::TempTree tree;
    LuaHost lua;
    void SetUp() override { lua.host.SetFolder("../Assets/LuaScripts/"); }
};

TEST_F(LuaFileTest, RunsFilesAndReportsBrokenOnes) {
    tree.Write("Assets/LuaScripts/good.lua", "loaded = 'yes'\n");
    tree.Write("Assets/LuaScripts/syntax.lua", "x = = 1\n");
    tree.Write("Assets/LuaScripts/raises.lua", "\n\nerror('bad')\n");
    EXPECT_TRUE(lua.host.executeFile("good.lua"));
    EXPECT_EQ(lua.Text("loaded"), "yes");

    struct Broken {
        const char* name;
        const char* logged;
    } cases[] = {{"missing.lua", "cannot open ../Assets/LuaScripts/missing.lua"},
                 {"syntax.lua", "syntax.lua:1:"},
                 {"raises.lua", "raises.lua:3: bad"}};
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        int top = lua_gettop(lua.host.L);
        qvtest::StderrCapture err;
        EXPECT_FALSE(lua.host.executeFile(c.name));
        std::string text = err.Text();
        EXPECT_NE(text.find("warning in function SD::LuaState::executeFile"), std::string::npos) << text;
        EXPECT_NE(text.find(c.logged), std::string::npos) << text;
        EXPECT_EQ(lua_gettop(lua.host.L), top);
    }
}

// A name is a file name, never script text: quotes reach the file system and backslashes
// separate folders, as the game's scripts expect.
TEST_F(LuaFileTest, DoFileLoadsNamesWithQuotesAndBackslashes) {
    tree.Write("Assets/LuaScripts/it's/odd.lua", "odd = true\n");
    SD::LuaDoFile("it's\\odd.lua");
    EXPECT_TRUE(lua.Boolean("odd"));

    qvtest::StderrCapture err;
    SD::LuaDoFile("x'); injected = true; --");
    EXPECT_FALSE(lua.Boolean("injected"));
}

TEST_F(LuaFileTest, ExecuteStringReportsErrors) {
    bool ran = true;
    std::string printed = lua.RunPrinted("error('nope')", &ran);
    EXPECT_FALSE(ran);
    EXPECT_NE(printed.find("nope"), std::string::npos) << printed;
    printed = lua.RunPrinted("this is not lua", &ran);
    EXPECT_FALSE(ran);
    EXPECT_EQ(lua_gettop(lua.host.L), 0);
}

// Scripts are found in the configured folder, the path given without its closing slash.
TEST(LuaConfigTest, ScriptsRunFromTheConfiguredFolder) {
    qvtest::TempTree tree;
    tree.Write("bin/LuaScripts/where.lua", "where = 'default'");
    tree.Write("Assets/Scripts/where.lua", "where = 'configured'");
    SD::LuaState host(luaL_newstate());
    const auto where = [&] {
        lua_getglobal(host.GetState(), "where");
        const std::string value = lua_tostring(host.GetState(), -1);
        lua_pop(host.GetState(), 1);
        return value;
    };
    SD::ConfigFile config;
    host.ReadConfig(config);
    ASSERT_TRUE(host.executeFile("where.lua"));
    EXPECT_EQ(where(), "default");
    tree.Write("Assets/Config/config.ini", "[Global]\nLuaFilePath=../Assets/Scripts\n");
    host.ReadConfig(config);
    ASSERT_TRUE(host.executeFile("where.lua"));
    EXPECT_EQ(where(), "configured");
}

// The game's configuration and scripts write paths with backslashes.
TEST(LuaConfigTest, FolderAndScriptPathsWithBackslashesLoad) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    tree.Write("Assets/LuaScripts/Sub/thing.lua", "loaded = 7");
    tree.Write("Assets/Config/config.ini", "[Global]\nLuaFilePath=..\\Assets\\LuaScripts\n");
    SD::LuaState host(luaL_newstate());
    SD::ConfigFile config;
    host.ReadConfig(config);
    ASSERT_TRUE(host.executeFile("Sub\\thing.lua"));
    lua_getglobal(host.L, "loaded");
    EXPECT_EQ(lua_tointeger(host.L, -1), 7);
    lua_pop(host.L, 1);
}

// Start-up: the sample InitLuaStuff.lua from the configured folder defines the table the Lua
// component manager walks; shutdown closes everything again.
TEST(ScriptHostTest, OpenRunsInitScriptAndCloseClearsTheHost) {
    qvtest::TempTree tree;
    std::ifstream in(qvtest::SourceDir() + "/Assets/LuaScripts/InitLuaStuff.lua");
    std::stringstream init;
    init << in.rdbuf();
    ASSERT_FALSE(init.str().empty());
    tree.Write("Assets/LuaScripts/InitLuaStuff.lua", init.str());
    tree.Write("Assets/Config/config.ini", "[Global]\nLuaFilePath=../Assets/LuaScripts\n");
    Debug::GlobalLogger logger;
    SD::ConfigFile config;

    SD::LuaState* host = SD::OpenScripting(config);
    ASSERT_EQ(SD::GetLuaState(), host);
    ASSERT_NE(SD::LuaComponentManager::GetInstance(), nullptr);
    bool isTable = false;
    EXPECT_TRUE(
        host->executeString("isTable = type(ActiveLuaGameObjects.objects) == 'table' and "
                            "type(ActiveLuaGameObjects.update) == 'function' and CID_Total == 112"));
    lua_getglobal(host->L, "isTable");
    isTable = lua_toboolean(host->L, -1) != 0;
    lua_pop(host->L, 1);
    EXPECT_TRUE(isTable);
    SD::LuaComponentManager::GetInstance()->Update(0.016f);

    SD::CloseScripting();
    EXPECT_EQ(SD::GetLuaState(), nullptr);
    EXPECT_EQ(SD::LuaComponentManager::GetInstance(), nullptr);
}

TEST(ScriptHostTest, MissingInitScriptIsLoggedAndStartUpGoesOn) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    SD::ConfigFile config;
    qvtest::StderrCapture err;
    ASSERT_NE(SD::OpenScripting(config), nullptr);
    EXPECT_NE(err.Text().find("cannot open LuaScripts/InitLuaStuff.lua"), std::string::npos);
    SD::LuaComponentManager::GetInstance()->Update(0.016f);
    SD::CloseScripting();
}

}  // namespace
