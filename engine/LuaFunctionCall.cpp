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
            SD_WARNING(Debug::kLogError, "stack overflow (%s)", "Lua stack is full.");
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
                SD_WARNING(Debug::kLogError, "Bad argument type found in argument descriptor.  '%c' is not valid.",
                           *letter);
                return false;
        }
        ++pushed;
    }
    return true;
}

// What one pass over a signature tells: how many letters stand before the first ':' (or the
// end) and after it, where the results begin, and whether every letter is 'n', the common call
// that passes and returns numbers only.
struct Shape {
    int arguments = 0;
    int results = 0;
    const char* firstResult = nullptr;
    bool numbersOnly = true;
};

Shape ReadShape(const char* signature) {
    Shape shape;
    const char* c = signature;
    for (; *c && *c != ':'; ++c) shape.numbersOnly &= *c == 'n';
    shape.arguments = static_cast<int>(c - signature);
    if (*c == ':') ++c;
    shape.firstResult = c;
    for (; *c; ++c) shape.numbersOnly &= *c == 'n';
    shape.results = static_cast<int>(c - shape.firstResult);
    return shape;
}

const char* TypeName(lua_State* L, int index) {
    return lua_type(L, index) == LUA_TNONE ? "no value" : luaL_typename(L, index);
}

// Logs a result of the wrong type for `kind` (nil most likely means too many results asked for);
// always false.
bool ReportMismatch(lua_State* L, int index, const char* kind) {
    if (lua_isnil(L, index)) {
        SD_WARNING(Debug::kLogData,
                   "Return type descriptor mismatch.  User wanted %s, Lua is trying to return a nil.  "
                   "Did you ask for too many parameters?",
                   kind);
    } else {
        SD_WARNING(Debug::kLogData, "Return type descriptor mismatch.  User wanted %s, Lua is trying to return a %s.",
                   kind, TypeName(L, index));
    }
    return false;
}

// A value that reads as 0 may be no number at all; only then is it asked.
bool ReadNumber(lua_State* L, int index, double* out) {
    const double value = lua_tonumber(L, index);
    if (value != 0.0 || lua_isnumber(L, index)) {
        *out = value;
        return true;
    }
    return ReportMismatch(L, index, "a number ('n')");
}

bool ReadInteger(lua_State* L, int index, int* out) {
    const double value = lua_tonumber(L, index);
    if (value != 0.0 || lua_isnumber(L, index)) {
        // Truncated toward zero, held to the int range; not a number reads as 0.
        *out = value != value           ? 0
               : value >= 2147483647.0  ? 2147483647
               : value <= -2147483648.0 ? (-2147483647 - 1)
                                        : static_cast<int>(value);
        return true;
    }
    return ReportMismatch(L, index, "an integer ('n')");
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
                SD_WARNING(Debug::kLogData,
                           "Error when calling Lua function \"%s\" with user-given signature \"%s\".  Return type "
                           "descriptor mismatch.  User wanted a boolean ('b'), Lua is trying to return a nil.  "
                           "Did you ask for too many parameters?",
                           name, signature);
            } else {
                SD_WARNING(Debug::kLogData,
                           "Error when calling Lua function \"%s\" with user-given signature \"%s\".  Return type "
                           "descriptor mismatch.  User wanted a boolean ('b'), Lua is trying to return a %s.",
                           name, signature, TypeName(L, index));
            }
            return false;
        }
        case 'i':
            return ReadInteger(L, index, va_arg(args, int*));
        case 'n':
            return ReadNumber(L, index, va_arg(args, double*));
        case 'v':
            return true;
        default:
            SD_WARNING(Debug::kLogError,
                       "Bad signature type found in return types when trying to call a Lua function.  '%c' is "
                       "not valid.  Lua was trying to return a %s.",
                       letter, TypeName(L, index));
            return false;
    }
}

// The call with the function already pushed: pushes the arguments, calls and converts the
// results, leaving the stack at `base`.
bool CallPushed(LuaState& host, lua_State* L, const char* name, const char* sig, const Shape& shape, int base,
                bool roomMade, va_list& args) {
    const bool numbers = shape.numbersOnly && roomMade;
    int pushed = 0;
    if (numbers) {
        for (; pushed < shape.arguments; ++pushed) lua_pushnumber(L, va_arg(args, double));
    } else {
        const char* letter = sig;
        if (!PushArguments(L, letter, args, pushed, roomMade)) {
            DumpLuaStack(L);
            lua_settop(L, base);
            return false;
        }
        if (!roomMade && !lua_checkstack(L, shape.results)) {
            SD_WARNING(Debug::kLogError, "stack overflow (%s)", "Lua stack is full.");
            lua_settop(L, base);
            return false;
        }
    }
    if (lua_pcall(L, pushed, shape.results, 0) != 0) {
        const char* message = lua_tostring(L, -1);
        const std::string text = std::string("Error calling Lua function '") + (name ? name : "") +
                                 "': " + (message ? message : "(no message)");
        if (host.FirstReport(text))
            SD_WARNING(Debug::kLogData, "%s (a repeat of this failure is not logged)", text.c_str());
        lua_settop(L, base);
        return false;
    }
    bool converted = true;
    for (int i = 0; i < shape.results && converted; ++i) {
        const int index = base + 1 + i;
        converted = numbers ? ReadNumber(L, index, va_arg(args, double*))
                            : ReadResult(L, index, shape.firstResult[i], args, name, sig);
        if (!converted) DumpLuaStack(L);
    }
    lua_settop(L, base);
    return converted;
}

}  // namespace

bool LuaState::executeFunction(const char* name, const char* signature, ...) {
    const char* sig = signature ? signature : "";
    const int base = lua_gettop(L);
    // When the whole call fits, room for the function, its arguments and its results is made at
    // once; otherwise each push is checked as it is made, and the first that does not fit fails
    // as it always has. Lua keeps LUA_MINSTACK slots free above the base of every frame, so a
    // small call on a short stack fits without asking.
    const Shape shape = ReadShape(sig);
    const int slots = 1 + shape.arguments + shape.results;
    const bool roomMade =
        base + slots <= LUA_MINSTACK || (base + shape.arguments < kMaxStackSlots && lua_checkstack(L, slots));
    lua_pushstring(L, name ? name : "");
    lua_rawget(L, LUA_GLOBALSINDEX);
    va_list args;
    va_start(args, signature);
    const bool done = CallPushed(*this, L, name, sig, shape, base, roomMade, args);
    va_end(args);
    return done;
}

}  // namespace SD
