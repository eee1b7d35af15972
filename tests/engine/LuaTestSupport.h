#pragma once
// A script host with the standard libraries and the engine's bindings, published for the
// bindings, plus a capture of what scripts print on standard output.
#include <gtest/gtest.h>
#include <lua.hpp>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/Logger.h"
#include "engine/LuaState.h"
#include "engine/ScriptBindings.h"

namespace luatest {

class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        path_ =
            "/tmp/qvtest-stdout-" + std::to_string(getpid()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this));
        saved_ = dup(1);
        FILE* f = std::fopen(path_.c_str(), "w");
        dup2(fileno(f), 1);
        std::fclose(f);
    }
    ~StdoutCapture() {
        Text();
        std::remove(path_.c_str());
    }
    std::string Text() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            dup2(saved_, 1);
            close(saved_);
            saved_ = -1;
        }
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

private:
    std::string path_;
    int saved_ = -1;
};

class LuaHost {
public:
    LuaHost() : host(luaL_newstate()) {
        luaL_openlibs(host.L);
        SD::RegisterScriptBindings(host.L);
        SD::SetLuaState(&host);
    }
    ~LuaHost() { SD::SetLuaState(nullptr); }

    // Runs a chunk; false when it failed to load or raised an error.
    bool Run(const std::string& code) { return host.executeString(code.c_str()); }
    // Runs a chunk and returns what it printed, and whether it ran.
    std::string RunPrinted(const std::string& code, bool* ran = nullptr) {
        StdoutCapture capture;
        bool ok = Run(code);
        if (ran) *ran = ok;
        return capture.Text();
    }
    double Number(const char* global) {
        lua_getglobal(host.L, global);
        double value = lua_tonumber(host.L, -1);
        lua_pop(host.L, 1);
        return value;
    }
    std::string Text(const char* global) {
        lua_getglobal(host.L, global);
        const char* text = lua_tostring(host.L, -1);
        std::string value = text ? text : "(not a string)";
        lua_pop(host.L, 1);
        return value;
    }
    bool Boolean(const char* global) {
        lua_getglobal(host.L, global);
        bool value = lua_toboolean(host.L, -1) != 0;
        lua_pop(host.L, 1);
        return value;
    }

    Debug::GlobalLogger logger;
    SD::LuaState host;
};

}  // namespace luatest
