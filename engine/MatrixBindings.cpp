// The script classes Mtx33 and Mtx44.
#include <lua.hpp>

#include <new>

#include "engine/MathBindings.h"
#include "engine/ScriptBuiltins.h"
#include "engine/ScriptValue.h"

namespace SD {
namespace {

template <class M>
const char* ClassName();
template <>
const char* ClassName<Mtx33>() {
    return "Mtx33";
}
template <>
const char* ClassName<Mtx44>() {
    return "Mtx44";
}

template <class M>
void Push(lua_State* L, const M& m) {
    ScriptValue* value = PushScriptValue(L, nullptr, ClassName<M>(), true);
    value->object = new (std::nothrow) M(m);
}

template <class M>
int Gc(lua_State* L) {
    ScriptValue* value = ToScriptValueOf(L, 1, ClassName<M>());
    if (!value) return 0;
    if (value->owned) delete static_cast<M*>(value->object);
    value->object = nullptr;
    return 0;
}

// A new matrix of zeros.
template <class M>
int New(lua_State* L) {
    Push(L, M::Zero());
    return 1;
}

template <class M>
int Identity(lua_State* L) {
    Push(L, M::Identity());
    return 1;
}

const ScriptMethod kMtx33Methods[] = {{"__gc", Gc<Mtx33>}, {"__call", New<Mtx33>}, {"Identity", Identity<Mtx33>}};
const ScriptMethod kMtx44Methods[] = {{"__gc", Gc<Mtx44>}, {"__call", New<Mtx44>}, {"Identity", Identity<Mtx44>}};

}  // namespace

void PushMtx33(lua_State* L, const Mtx33& m) { Push(L, m); }
void PushMtx44(lua_State* L, const Mtx44& m) { Push(L, m); }

const ScriptClass* MatrixScriptClasses(size_t* count) {
    static const ScriptClass kClasses[] = {
        {"Mtx33", kMtx33Methods, 3, false},
        {"Mtx44", kMtx44Methods, 3, false},
    };
    *count = 2;
    return kClasses;
}

}  // namespace SD
