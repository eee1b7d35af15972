#pragma once
// Script values of the math types: owned heap copies that the collector frees.
#include "core/Matrix.h"
#include "core/Vector.h"

struct lua_State;

namespace SD {

// Each pushes an owned copy with its class's metatable.
void PushVec2(lua_State* L, const Vec2& v);
void PushVec3(lua_State* L, const Vec3& v);
void PushVec4(lua_State* L, const Vec4& v);
void PushMtx33(lua_State* L, const Mtx33& m);
void PushMtx44(lua_State* L, const Mtx44& m);

}  // namespace SD
