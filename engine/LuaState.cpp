#include "engine/LuaState.h"

#include <lua.hpp>

#include <cstdarg>

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "platform/os/Files.h"

namespace SD {
namespace {

LuaState* g_luaState = nullptr;
// The host LuaDoFile runs through; always the same as g_luaState.
LuaState* g_doFileState = nullptr;

}  // namespace

LuaState::LuaState(lua_State* state) : L(state) {}

LuaState::~LuaState() {
    if (L && ownsState_) lua_close(L);
    L = nullptr;
}

void LuaState::ReadConfig(ConfigFile& config) {
    config.SetSection("Global");
    folder_ = config.GetString("LuaFilePath", "LuaScripts") + "/";
}

bool LuaState::executeFile(const char* fileName) {
    const std::string path = platform::NativePath(folder_ + (fileName ? fileName : ""));
    int status = luaL_loadfile(L, path.c_str());
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    if (status == 0) return true;
    const char* message = lua_tostring(L, -1);
    SD_WARNING(Debug::kLogData, "%s\n", message ? message : "");
    DumpLuaStack(L);
    lua_pop(L, 1);
    return false;
}

bool LuaState::executeString(const char* text) {
    int status = luaL_loadbuffer(L, text, std::char_traits<char>::length(text), text);
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    if (status == 0) return true;
    const char* message = lua_tostring(L, -1);
    LuaPrintf("%s\n", message ? message : "");
    lua_pop(L, 1);
    return false;
}

LuaState* GetLuaState() { return g_luaState; }

void SetLuaState(LuaState* state) {
    g_luaState = state;
    g_doFileState = state;
}

void LuaDoFile(const char* fileName) {
    if (!g_doFileState) return;
    g_doFileState->executeFile(fileName);
}

void LuaPrintf(const char* format, ...) {
    lua_State* L = g_luaState ? g_luaState->L : nullptr;
    lua_Debug record;
    if (L && lua_getstack(L, 1, &record) && lua_getinfo(L, "Sl", &record)) {
        if (record.currentline != -1) {
            std::printf("%s(%d): ", record.short_src, record.currentline);
        } else {
            std::printf("Lua Error(-1): ");
        }
    }
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

bool LuaState::FirstReport(const std::string& text) {
    if (reported_.count(text)) return false;
    if (reported_.size() < kMaxRememberedReports) reported_.insert(text);
    return true;
}

void ReportLuaError(lua_State* L, const char* function, const char* file, int line) {
    const char* message = lua_tostring(L, -1);
    const std::string text = std::string("Lua function '") + (function ? function : "") +
                             "' failed: " + (message ? message : "(no message)");
    LuaState* host = GetLuaState();
    if (!host || host->L != L || host->FirstReport(text))
        Debug::LogWarning(Debug::kLogData, file, line, "SD::ReportLuaError",
                          "%s (a repeat of this failure is not logged)", text.c_str());
    lua_pop(L, 1);
}

void PushRawGlobal(lua_State* L, const char* name) {
    lua_pushstring(L, name ? name : "");
    lua_rawget(L, LUA_GLOBALSINDEX);
}

void DumpLuaStack(lua_State* L) {
    int top = lua_gettop(L);
    for (int i = 1; i <= top; ++i) {
        std::fprintf(stderr, "[%d] - ", i);
        switch (lua_type(L, i)) {
            case LUA_TSTRING:
                std::fprintf(stderr, "String: \"%s\"\n", lua_tostring(L, i));
                break;
            case LUA_TBOOLEAN:
                std::fprintf(stderr, "Boolean: %s\n", lua_toboolean(L, i) ? "true" : "false");
                break;
            case LUA_TNUMBER:
                std::fprintf(stderr, "Number: %g\n", lua_tonumber(L, i));
                break;
            default:
                std::fprintf(stderr, "Other Type: %s - %p\n", luaL_typename(L, i), lua_topointer(L, i));
                break;
        }
    }
}

}  // namespace SD
