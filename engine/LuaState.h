#pragma once
// The engine's one script host: the Lua state, the folder scripts are read from, and the ways
// engine code runs script code (files, text, global functions with typed arguments).
#include <cstdio>
#include <string>
#include <unordered_set>

struct lua_State;

namespace SD {

class ConfigFile;

class LuaState {
public:
    // Deepest the stack may grow while arguments are pushed for a call.
    static constexpr int kMaxStackSlots = 8000;

    explicit LuaState(lua_State* state);
    // Closes the state when this object owns it.
    ~LuaState();
    LuaState(const LuaState&) = delete;
    LuaState& operator=(const LuaState&) = delete;

    // Section "Global", key "LuaFilePath" (default "LuaScripts"); the folder ends in "/".
    void ReadConfig(ConfigFile& config);
    void SetFolder(const std::string& folder) { folder_ = folder; }
    lua_State* GetState() const { return L; }

    // Loads folder + name and runs it; false (logged, stack printed) on a load or run error.
    bool executeFile(const char* fileName);
    // Runs a chunk of text; false (printed) on an error.
    bool executeString(const char* text);
    // Calls the global function `name`. Each signature letter before ':' takes one argument:
    //   S (const char*, unsigned length)  b (int)  i (int)  n (double)  s (const char*)  v (none)
    // each letter after ':' one result pointer, in order:
    //   S (char* buffer, unsigned size)  b (bool*)  i (int*)  n (double*)  s (char* buffer, unsigned size)
    //   v (none: the result is skipped)
    // String results are cut to fit their buffer and always end in a zero. False when the
    // signature is bad, the call fails or a result has the wrong type.
    bool executeFunction(const char* name, const char* signature, ...);

    // True the first time a failure text is given, false for a repeat: a script that fails
    // every frame is logged once. The texts remembered are bounded; past the bound every
    // failure is logged.
    bool FirstReport(const std::string& text);

    lua_State* L;

private:
    static constexpr size_t kMaxRememberedReports = 1024;

    std::string folder_;
    bool ownsState_ = true;
    std::unordered_set<std::string> reported_;
};

// The published script host (null when there is none).
LuaState* GetLuaState();
void SetLuaState(LuaState* state);

// Runs folder + name through the published host, loading the file directly.
void LuaDoFile(const char* fileName);

// printf to standard output, prefixed with "source(line): " of the calling script function.
void LuaPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Logs "Lua function 'function' failed: <the error message on top of the stack>" at the calling
// engine source position, once per text while L is the published host's state, and pops the
// message.
void ReportLuaError(lua_State* L, const char* function, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE());
// Pushes the global `name` without running metamethods, so a guarded global table cannot
// raise an error outside a protected call.
void PushRawGlobal(lua_State* L, const char* name);
// Prints every stack slot to standard error; the stack is left unchanged.
void DumpLuaStack(lua_State* L);

}  // namespace SD
