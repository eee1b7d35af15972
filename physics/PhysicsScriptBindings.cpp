#include "physics/PhysicsScriptBindings.h"

#include <lua.hpp>

#include "engine/MathBindings.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "physics/Body.h"
#include "physics/PhysicsSystem.h"

namespace Gedankenexperiment {
namespace {

using SD::Vec3;

Body* SelfBody(lua_State* L) { return static_cast<Body*>(SD::LiveComponent(SD::CheckScriptValue(L, 1, "Body"))); }

const Vec3* Vec3Argument(lua_State* L) { return static_cast<const Vec3*>(SD::CheckScriptValue(L, 2, "Vec3")->object); }

template <Vec3 (*Get)(Body&), const char* Name>
int GetVector(lua_State* L) {
    Body* body = SelfBody(L);
    if (!body) return SD::ReportNullThis(L, "Body", Name, true);
    SD::PushVec3(L, Get(*body));
    return 1;
}

template <void (*Set)(Body&, const Vec3&), const char* Name>
int SetVector(lua_State* L) {
    Body* body = SelfBody(L);
    const Vec3* v = Vec3Argument(L);
    if (!body) return SD::ReportNullThis(L, "Body", Name, false);
    if (v) Set(*body, *v);
    return 0;
}

int SetMass(lua_State* L) {
    Body* body = SelfBody(L);
    const float mass = static_cast<float>(luaL_checknumber(L, 2));
    if (!body) return SD::ReportNullThis(L, "Body", "SetMass", false);
    body->SetMass(mass);
    return 0;
}

Vec3 Position(Body& b) { return b.GetPosition(); }
Vec3 Force(Body& b) { return b.GetForce(); }
Vec3 Velocity(Body& b) { return b.GetVelocity(); }
Vec3 Acceleration(Body& b) { return b.GetAcceleration(); }
void SetPos(Body& b, const Vec3& v) { b.SetPosition(v); }
void AddForce(Body& b, const Vec3& v) { b.AddForce(v.x, v.y, v.z); }
void SetVelocity(Body& b, const Vec3& v) { b.SetVelocity(v); }
void SetAppliedGravity(Body& b, const Vec3& v) { b.SetAppliedGravity(v); }

constexpr char kGetPos[] = "GetPos";
constexpr char kSetPos[] = "SetPos";
constexpr char kAddForce[] = "AddForce";
constexpr char kGetBodyForce[] = "GetBodyForce";
constexpr char kSetVelocity[] = "SetVelocity";
constexpr char kGetBodyVel[] = "GetBodyVel";
constexpr char kGetBodyAcc[] = "GetBodyAcc";
constexpr char kSetAppliedGravity[] = "SetAppliedGravity";

const SD::ScriptMethod kBodyMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {kGetPos, GetVector<Position, kGetPos>},
    {kSetPos, SetVector<SetPos, kSetPos>},
    {kAddForce, SetVector<AddForce, kAddForce>},
    {kGetBodyForce, GetVector<Force, kGetBodyForce>},
    {kSetVelocity, SetVector<SetVelocity, kSetVelocity>},
    {kGetBodyVel, GetVector<Velocity, kGetBodyVel>},
    {kGetBodyAcc, GetVector<Acceleration, kGetBodyAcc>},
    {"SetMass", SetMass},
    {kSetAppliedGravity, SetVector<SetAppliedGravity, kSetAppliedGravity>},
};

int SystemName(lua_State* L) {
    auto* system = static_cast<Physics_System*>(SD::CheckScriptValue(L, 1, "Physics_System")->object);
    if (!system) return SD::ReportNullThis(L, "Physics_System", "VName", true);
    lua_pushstring(L, system->GetName());
    return 1;
}

const SD::ScriptMethod kSystemMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"VName", SystemName},
};

}  // namespace

const SD::ScriptClass& BodyScriptClass() {
    static const SD::ScriptClass record{"Body", kBodyMethods, sizeof kBodyMethods / sizeof kBodyMethods[0], true};
    return record;
}

const SD::ScriptClass& PhysicsScriptClass() {
    static const SD::ScriptClass record{"Physics_System", kSystemMethods,
                                        sizeof kSystemMethods / sizeof kSystemMethods[0], false};
    return record;
}

}  // namespace Gedankenexperiment
