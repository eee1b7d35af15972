// LuaState::executeFunction: a global script function called with arguments and results
// described by a signature text.
#include <lua.hpp>

#include <cstdarg>
#include <cstring>

#include "core/Logger.h"
#include "engine/LuaState.h"

namespace SD {
namespace {

// Copies the text of the value at `index` into a buffer of `size` bytes, cut to fit.
void CopyCut(lua_State* L, int index, char* buffer, unsigned size) {
    if (!buffer || size == 0) return;
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    size_t n = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

bool IsStringOrNumber(lua_State* L, int index) {
    int type = lua_type(L, index);
    return type == LUA_TSTRING || type == LUA_TNUMBER;
}

// Pushes one argument per letter; false (logged) at a bad letter or a full stack. Room for
// each value is checked before its push unless the caller has made room for them all.
bool PushArguments(lua_State* L, const char*& letter, va_list& args, int& pushed, bool roomMade) {
    for (; *letter && *letter != ':'; ++letter) {
        if (!roomMade && (lua_gettop(L) >= LuaState::kMaxStackSlots || !lua_checkstack(L, 1))) {
            SD_WARNING(2, "stack overflow (%s)", "Lua stack is full.");
            return false;
        }
        switch (*letter) {
            case 'S': {
                const char* text = va_arg(args, const char*);
                unsigned length = va_arg(args, unsigned);
                lua_pushlstring(L, text, length);
                break;
            }
            case 'b':
                lua_pushboolean(L, (va_arg(args, int) & 0xFF) != 0);
                break;
            case 'i':
                lua_pushnumber(L, va_arg(args, int));
                break;
            case 'n':
                lua_pushnumber(L, va_arg(args, double));
                break;
            case 's':
                lua_pushstring(L, va_arg(args, const char*));
                break;
            case 'v':
                lua_pushnil(L);
                break;
            default:
                SD_WARNING(2, "Bad argument type found in argument descriptor.  '%c' is not valid.", *letter);
                return false;
        }
        ++pushed;
    }
    return true;
}

// The letters before the first ':' (or the end) and those after it.
void CountLetters(const char* signature, int& arguments, int& results) {
    const char* c = signature;
    while (*c && *c != ':') ++c;
    arguments = static_cast<int>(c - signature);
    if (*c != ':') return;
    const char* first = ++c;
    while (*c) ++c;
    results = static_cast<int>(c - first);
}

const char* TypeName(lua_State* L, int index) {
    return lua_type(L, index) == LUA_TNONE ? "no value" : luaL_typename(L, index);
}

// Logs a result of the wrong type for `kind` (nil most likely means too many results asked for);
// always false.
bool ReportMismatch(lua_State* L, int index, const char* kind) {
    if (lua_isnil(L, index)) {
        SD_WARNING(3, "Return type descriptor mismatch.  User wanted %s, Lua is trying to return a nil.  "
                      "Did you ask for too many parameters?", kind);
    } else {
        SD_WARNING(3, "Return type descriptor mismatch.  User wanted %s, Lua is trying to return a %s.", kind,
                   TypeName(L, index));
    }
    return false;
}

// Converts the result at `index` for `letter`; false (logged) on a mismatch.
bool ReadResult(lua_State* L, int index, char letter, va_list& args, const char* name, const char* signature) {
    switch (letter) {
        case 'S':
        case 's': {
            char* buffer = va_arg(args, char*);
            unsigned size = va_arg(args, unsigned);
            if (IsStringOrNumber(L, index)) {
                CopyCut(L, index, buffer, size);
                return true;
            }
            return ReportMismatch(L, index, letter == 'S' ? "a (safe) string ('S')" : "a string ('s')");
        }
        case 'b': {
            bool* out = va_arg(args, bool*);
            if (lua_isboolean(L, index)) {
                *out = lua_toboolean(L, index) != 0;
                return true;
            }
            if (lua_isnil(L, index)) {
                SD_WARNING(3, "Error when calling Lua function \"%s\" with user-given signature \"%s\".  Return type "
                              "descriptor mismatch.  User wanted a boolean ('b'), Lua is trying to return a nil.  "
                              "Did you ask for too many parameters?", name, signature);
            } else {
                SD_WARNING(3, "Error when calling Lua function \"%s\" with user-given signature \"%s\".  Return type "
                              "descriptor mismatch.  User wanted a boolean ('b'), Lua is trying to return a %s.",
                           name, signature, TypeName(L, index));
            }
            return false;
        }
        case 'i':
        case 'n': {
            int* outInt = letter == 'i' ? va_arg(args, int*) : nullptr;
            double* outNumber = letter == 'n' ? va_arg(args, double*) : nullptr;
            // A value that reads as 0 may be no number at all; only then is it asked.
            const double value = lua_tonumber(L, index);
            if (value != 0.0 || lua_isnumber(L, index)) {
                if (outNumber) {
                    *outNumber = value;
                } else if (value != value) {
                    *outInt = 0;
                } else {
                    // Truncated toward zero, held to the int range.
                    *outInt = value >= 2147483647.0 ? 2147483647 : value <= -2147483648.0 ? (-2147483647 - 1)
                                                                                            : static_cast<int>(value);
                }
                return true;
            }
            return ReportMismatch(L, index, letter == 'i' ? "an integer ('n')" : "a number ('n')");
        }
        case 'v':
            return true;
        default:
            SD_WARNING(2, "Bad signature type found in return types when trying to call a Lua function.  '%c' is "
                          "not valid.  Lua was trying to return a %s.", letter, TypeName(L, index));
            return false;
    }
}

}  // namespace

bool LuaState::executeFunction(const char* name, const char* signature, ...) {
    const char* sig = signature ? signature : "";
    int base = lua_gettop(L);
    // When the whole call fits, one check makes room for the function, its arguments and its
    // results; otherwise each push is checked as it is made, and the first that does not fit
    // fails as it always has.
    int argumentCount = 0, resultLetters = 0;
    CountLetters(sig, argumentCount, resultLetters);
    const bool roomMade =
        base + argumentCount < kMaxStackSlots && lua_checkstack(L, 1 + argumentCount + resultLetters);
    PushRawGlobal(L, name);
    va_list args;
    va_start(args, signature);
    const char* letter = sig;
    int pushed = 0;
    if (!PushArguments(L, letter, args, pushed, roomMade)) {
        DumpLuaStack(L);
        lua_settop(L, base);
        va_end(args);
        return false;
    }
    if (*letter == ':') ++letter;
    const char* results = letter;
    const int resultCount = resultLetters;
    if (!roomMade && !lua_checkstack(L, resultCount)) {
        SD_WARNING(2, "stack overflow (%s)", "Lua stack is full.");
        lua_settop(L, base);
        va_end(args);
        return false;
    }
    if (lua_pcall(L, pushed, resultCount, 0) != 0) {
        const char* message = lua_tostring(L, -1);
        LuaPrintf("Error calling Lua function '%s'.\n%s", name, message ? message : "");
        lua_settop(L, base);
        va_end(args);
        return false;
    }
    bool converted = true;
    for (int i = 0; i < resultCount && converted; ++i) {
        converted = ReadResult(L, base + 1 + i, results[i], args, name, sig);
        if (!converted) DumpLuaStack(L);
    }
    va_end(args);
    lua_settop(L, base);
    return converted;
}

}  // namespace SD
