// The script classes Vec2, Vec3 and Vec4.
#include <lua.hpp>

#include <cmath>
#include <cstdio>
#include <new>

#include "engine/LuaState.h"
#include "engine/MathBindings.h"
#include "engine/ScriptBuiltins.h"
#include "engine/ScriptValue.h"

namespace SD {
namespace {

template <class V>
struct VectorTraits;

template <>
struct VectorTraits<Vec2> {
    static constexpr int kCount = 2;
    static constexpr const char* kName = "Vec2";
    // The text form of a Vec2 has no line end; Vec3 and Vec4 texts and every printout do.
    static constexpr bool kTextNewline = false;
};
template <>
struct VectorTraits<Vec3> {
    static constexpr int kCount = 3;
    static constexpr const char* kName = "Vec3";
    static constexpr bool kTextNewline = true;
};
template <>
struct VectorTraits<Vec4> {
    static constexpr int kCount = 4;
    static constexpr const char* kName = "Vec4";
    static constexpr bool kTextNewline = true;
};

// The vector's components as an array (the types are plain floats in order).
template <class V>
float* Components(V* v) {
    return &v->x;
}

template <class V>
V* Self(lua_State* L, int index) {
    return static_cast<V*>(CheckScriptValue(L, index, VectorTraits<V>::kName)->object);
}

template <class V>
void Push(lua_State* L, const V& v) {
    ScriptValue* value = PushScriptValue(L, nullptr, VectorTraits<V>::kName, true);
    value->object = new (std::nothrow) V(v);
}

template <class V>
int Null(lua_State* L, const char* method, bool returnsValue = true) {
    return ReportNullThis(L, VectorTraits<V>::kName, method, returnsValue);
}

template <class V>
int Gc(lua_State* L) {
    ScriptValue* value = ToScriptValueOf(L, 1, VectorTraits<V>::kName);
    if (!value) return 0;
    if (value->owned) delete static_cast<V*>(value->object);
    value->object = nullptr;
    return 0;
}

template <class V>
int New(lua_State* L) {
    Push(L, V());
    return 1;
}

template <class V, V (*Op)(const V&, const V&)>
int Binary(lua_State* L, const char* method) {
    V* a = Self<V>(L, 1);
    V* b = Self<V>(L, 2);
    if (!a || !b) return Null<V>(L, method);
    Push(L, Op(*a, *b));
    return 1;
}

template <class V>
V Sum(const V& a, const V& b) {
    return a + b;
}
template <class V>
V Difference(const V& a, const V& b) {
    return a - b;
}
template <class V>
V Product(const V& a, const V& b) {
    V r;
    for (int i = 0; i < VectorTraits<V>::kCount; ++i) {
        Components(&r)[i] = Components(const_cast<V*>(&a))[i] * Components(const_cast<V*>(&b))[i];
    }
    return r;
}

template <class V>
int Add(lua_State* L) {
    return Binary<V, Sum<V>>(L, "__add");
}
template <class V>
int Sub(lua_State* L) {
    return Binary<V, Difference<V>>(L, "__sub");
}
template <class V>
int Dot(lua_State* L) {
    return Binary<V, Product<V>>(L, "Dot");
}

template <class V>
int Unm(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "__unm");
    Push(L, -*a);
    return 1;
}

template <class V>
int Mul(lua_State* L) {
    V* a = Self<V>(L, 1);
    double s = lua_tonumber(L, 2);
    if (!a) return Null<V>(L, "__mul");
    V r;
    for (int i = 0; i < VectorTraits<V>::kCount; ++i) {
        Components(&r)[i] = static_cast<float>(Components(a)[i] * s);
    }
    Push(L, r);
    return 1;
}

// The components as "%10f" fields separated by one blank, cut to the buffer.
template <class V>
void FormatComponents(V* v, bool newline, char* text, size_t size) {
    size_t used = 0;
    for (int i = 0; i < VectorTraits<V>::kCount && used < size; ++i) {
        int n = std::snprintf(text + used, size - used, i == 0 ? "%10f" : " %10f", Components(v)[i]);
        if (n < 0) break;
        used += static_cast<size_t>(n);
    }
    if (newline && used + 1 < size) std::snprintf(text + used, size - used, "\n");
}

template <class V>
int ToString(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "__tostring");
    char text[128];
    FormatComponents(a, VectorTraits<V>::kTextNewline, text, sizeof text);
    lua_pushstring(L, text);
    return 1;
}

template <class V>
int Print(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "Print", false);
    char text[256];
    FormatComponents(a, true, text, sizeof text);
    std::fputs(text, stdout);
    return 0;
}

template <class V>
float LengthSq(const V& v) {
    float sum = 0.0f;
    for (int i = 0; i < VectorTraits<V>::kCount; ++i)
        sum += Components(const_cast<V*>(&v))[i] * Components(const_cast<V*>(&v))[i];
    return sum;
}

template <class V>
V Normalized(const V& v) {
    V r = v;
    float factor = 1.0f / std::sqrt(LengthSq(v));
    for (int i = 0; i < VectorTraits<V>::kCount; ++i) Components(&r)[i] *= factor;
    return r;
}

template <class V>
int Normalize(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "Norm");
    Push(L, Normalized(*a));
    return 1;
}

template <class V>
int NormalizeThis(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "NormThis");
    *a = Normalized(*a);
    Push(L, *a);
    return 1;
}

template <class V>
int GetLength(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "GetLength");
    lua_pushnumber(L, std::sqrt(LengthSq(*a)));
    return 1;
}

template <class V>
int GetLengthSq(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, "GetLengthSq");
    lua_pushnumber(L, LengthSq(*a));
    return 1;
}

constexpr const char* kGetNames[] = {"GetX", "GetY", "GetZ", "GetW"};
constexpr const char* kSetNames[] = {"SetX", "SetY", "SetZ", "SetW"};

// Accessors of a value without a copy behave like the other operations: message and nil.
template <class V, int I>
int Get(lua_State* L) {
    V* a = Self<V>(L, 1);
    if (!a) return Null<V>(L, kGetNames[I]);
    lua_pushnumber(L, Components(a)[I]);
    return 1;
}

template <class V, int I>
int Set(lua_State* L) {
    V* a = Self<V>(L, 1);
    double value = lua_tonumber(L, 2);
    if (!a) return Null<V>(L, kSetNames[I], false);
    Components(a)[I] = static_cast<float>(value);
    return 0;
}

const ScriptMethod kVec2Methods[] = {
    {"__gc", Gc<Vec2>},
    {"__call", New<Vec2>},
    {"__add", Add<Vec2>},
    {"__sub", Sub<Vec2>},
    {"__unm", Unm<Vec2>},
    {"__mul", Mul<Vec2>},
    {"Dot", Dot<Vec2>},
    {"__tostring", ToString<Vec2>},
    {"Print", Print<Vec2>},
    {"Normalize", Normalize<Vec2>},
    {"Norm", Normalize<Vec2>},
    {"NormalizeThis", NormalizeThis<Vec2>},
    {"NormThis", NormalizeThis<Vec2>},
    {"SetX", Set<Vec2, 0>},
    {"GetX", Get<Vec2, 0>},
    {"SetY", Set<Vec2, 1>},
    {"GetY", Get<Vec2, 1>},
    {"GetLength", GetLength<Vec2>},
    {"GetLengthSq", GetLengthSq<Vec2>},
    {"SetR", Set<Vec2, 0>},
    {"GetR", Get<Vec2, 0>},
    {"SetG", Set<Vec2, 1>},
    {"GetG", Get<Vec2, 1>},
};

const ScriptMethod kVec3Methods[] = {
    {"__gc", Gc<Vec3>},
    {"__call", New<Vec3>},
    {"__add", Add<Vec3>},
    {"__sub", Sub<Vec3>},
    {"__unm", Unm<Vec3>},
    {"__mul", Mul<Vec3>},
    {"Dot", Dot<Vec3>},
    {"__tostring", ToString<Vec3>},
    {"Print", Print<Vec3>},
    {"Normalize", Normalize<Vec3>},
    {"Norm", Normalize<Vec3>},
    {"NormalizeThis", NormalizeThis<Vec3>},
    {"NormThis", NormalizeThis<Vec3>},
    {"SetX", Set<Vec3, 0>},
    {"GetX", Get<Vec3, 0>},
    {"SetY", Set<Vec3, 1>},
    {"GetY", Get<Vec3, 1>},
    {"SetZ", Set<Vec3, 2>},
    {"GetZ", Get<Vec3, 2>},
    {"GetLength", GetLength<Vec3>},
    {"GetLengthSq", GetLengthSq<Vec3>},
    {"SetR", Set<Vec3, 0>},
    {"GetR", Get<Vec3, 0>},
    {"SetG", Set<Vec3, 1>},
    {"GetG", Get<Vec3, 1>},
    {"SetB", Set<Vec3, 2>},
    {"GetB", Get<Vec3, 2>},
};

const ScriptMethod kVec4Methods[] = {
    {"__gc", Gc<Vec4>},
    {"__call", New<Vec4>},
    {"__add", Add<Vec4>},
    {"__sub", Sub<Vec4>},
    {"__unm", Unm<Vec4>},
    {"__mul", Mul<Vec4>},
    {"Dot", Dot<Vec4>},
    {"__tostring", ToString<Vec4>},
    {"Print", Print<Vec4>},
    {"Normalize", Normalize<Vec4>},
    {"Norm", Normalize<Vec4>},
    {"NormalizeThis", NormalizeThis<Vec4>},
    {"NormThis", NormalizeThis<Vec4>},
    {"SetX", Set<Vec4, 0>},
    {"GetX", Get<Vec4, 0>},
    {"SetY", Set<Vec4, 1>},
    {"GetY", Get<Vec4, 1>},
    {"SetZ", Set<Vec4, 2>},
    {"GetZ", Get<Vec4, 2>},
    {"SetW", Set<Vec4, 3>},
    {"GetW", Get<Vec4, 3>},
    {"SetR", Set<Vec4, 0>},
    {"GetR", Get<Vec4, 0>},
    {"SetG", Set<Vec4, 1>},
    {"GetG", Get<Vec4, 1>},
    {"SetB", Set<Vec4, 2>},
    {"GetB", Get<Vec4, 2>},
    {"SetA", Set<Vec4, 3>},
    {"GetA", Get<Vec4, 3>},
};

}  // namespace

void PushVec2(lua_State* L, const Vec2& v) { Push(L, v); }
void PushVec3(lua_State* L, const Vec3& v) { Push(L, v); }
void PushVec4(lua_State* L, const Vec4& v) { Push(L, v); }

const ScriptClass* VectorScriptClasses(size_t* count) {
    static const ScriptClass kClasses[] = {
        {"Vec2", kVec2Methods, sizeof kVec2Methods / sizeof kVec2Methods[0], false},
        {"Vec3", kVec3Methods, sizeof kVec3Methods / sizeof kVec3Methods[0], false},
        {"Vec4", kVec4Methods, sizeof kVec4Methods / sizeof kVec4Methods[0], false},
    };
    *count = 3;
    return kClasses;
}

}  // namespace SD
