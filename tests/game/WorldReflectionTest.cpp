// Every reflected property of the world logic components written through the reflection and
// read back, one table per component, and the accessor names each class publishes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GameTestSupport.h"
#include "WorldTestSupport.h"
#include "core/Delegate.h"

namespace {

using namespace worldtest;

struct Row {
    const char* getter;
    const char* setter;
    char kind;  // 'f' float, 'i' int, 'b' bool, 's' text
    double number;
    const char* text;
};

MFCore::BoundFunction* Find(IRTTIUser::ClassInfo& info, const std::string& name) {
    for (auto& entry : info.functions)
        if (entry.name == name) return entry.function.get();
    return nullptr;
}

std::vector<std::string> Names(const IRTTIUser::ClassInfo& info) {
    std::vector<std::string> names;
    for (const auto& entry : info.functions) names.push_back(entry.name);
    return names;
}

// Writes each row's value through its setter and reads it back through its getter.
void RoundTrip(IRTTIUser& object, const std::vector<Row>& rows) {
    IRTTIUser::ClassInfo info = object.GetBoundClassInfo();
    for (const Row& row : rows) {
        MFCore::BoundFunction* set = Find(info, row.setter);
        MFCore::BoundFunction* get = Find(info, row.getter);
        ASSERT_TRUE(set && get) << row.getter;
        std::vector<MFCore::Any> args;
        switch (row.kind) {
            case 'f': args.emplace_back(static_cast<float>(row.number)); break;
            case 'i': args.emplace_back(static_cast<int>(row.number)); break;
            case 'b': args.emplace_back(row.number != 0.0); break;
            default: args.emplace_back(static_cast<const char*>(row.text)); break;
        }
        set->Invoke(args);
        std::vector<MFCore::Any> none;
        get->Invoke(none);
        const MFCore::Any& result = *get->GetResult();
        switch (row.kind) {
            case 'f': EXPECT_FLOAT_EQ(MFCore::Any::Extract<float>(result), static_cast<float>(row.number)) << row.getter; break;
            case 'i': EXPECT_EQ(MFCore::Any::Extract<int>(result), static_cast<int>(row.number)) << row.getter; break;
            case 'b': EXPECT_EQ(MFCore::Any::Extract<bool>(result), row.number != 0.0) << row.getter; break;
            default: EXPECT_STREQ(MFCore::Any::Extract<const char*>(result), row.text) << row.getter; break;
        }
    }
}

class WorldReflectionTest : public WorldFixture {
protected:
    gametest::ReflectionScope reflection;
};

TEST_F(WorldReflectionTest, FloatingLogic) {
    QV::FloatingLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetMoveDelta", "SetMoveDelta", "GetMoveSpeed", "SetMoveSpeed"}));
    RoundTrip(logic, {{"GetMoveDelta", "SetMoveDelta", 'f', 7.5, nullptr}, {"GetMoveSpeed", "SetMoveSpeed", 'f', -1.25, nullptr}});
}

TEST_F(WorldReflectionTest, SpinningLogic) {
    QV::SpinningLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()).size(), 10u);
    RoundTrip(logic, {{"GetSpinAxis", "SetSpinAxis", 'i', 2, nullptr},
                      {"GetSpinSpeed", "SetSpinSpeed", 'f', 3.5, nullptr},
                      {"GetSpinActivationDistance", "SetSpinActivationDistance", 'f', 40.0, nullptr},
                      {"GetSpinTimeToActivate", "SetSpinTimeToActivate", 'f', 0.75, nullptr},
                      {"GetSpinStarted", "SetSpinStarted", 'b', 1, nullptr}});
}

TEST_F(WorldReflectionTest, Spawner) {
    QV::Spawner spawner;
    EXPECT_EQ(Names(spawner.GetClassInfo()).size(), 10u);
    RoundTrip(spawner, {{"GetSpawn_fn", "SetSpawn_fn", 's', 0, "Spawn_Green_Firefly"},
                        {"GetPos_fn", "SetPos_fn", 's', 0, "GeneratePos_AtSpawner"},
                        {"GetNum_active_objects", "SetNum_active_objects", 'i', 12, nullptr},
                        {"GetNum_active_objects", "SetNum_active_objects", 'i', 0, nullptr},
                        {"GetSpawn_rate", "SetSpawn_rate", 'f', 2.5, nullptr},
                        {"GetSpawn_state", "SetSpawn_state", 'b', 1, nullptr}});
}

TEST_F(WorldReflectionTest, GroupSpawner) {
    QV::GroupSpawner spawner;
    EXPECT_EQ(Names(spawner.GetClassInfo()),
              (std::vector<std::string>{"GetGroupName", "SetGroupName", "GetAction", "SetAction"}));
    RoundTrip(spawner, {{"GetGroupName", "SetGroupName", 's', 0, "Group_03"},
                        {"GetAction", "SetAction", 's', 0, "SpawnWithDelay"},
                        {"GetAction", "SetAction", 's', 0, "Invalid Action"}});
}

TEST_F(WorldReflectionTest, SpawnLogic) {
    QV::SpawnLogic logic;
    EXPECT_EQ(Names(logic.GetClassInfo()),
              (std::vector<std::string>{"GetDelay", "SetDelay", "GetDuration", "SetDuration", "GetActionName",
                                        "SetActionName", "GetSinkDepth", "SetSinkDepth"}));
    RoundTrip(logic, {{"GetDelay", "SetDelay", 'f', 2.5, nullptr},
                      {"GetDuration", "SetDuration", 'f', 3.0, nullptr},
                      {"GetActionName", "SetActionName", 's', 0, "RiseUp"},
                      {"GetSinkDepth", "SetSinkDepth", 'f', 12.0, nullptr}});
    // A negative duration reads back as 0; the sink depth's getter is the one bound without const.
    IRTTIUser::ClassInfo info = logic.GetBoundClassInfo();
    std::vector<MFCore::Any> args{MFCore::Any(-1.0f)};
    Find(info, "SetDuration")->Invoke(args);
    EXPECT_FLOAT_EQ(logic.GetDuration(), 0.0f);
    using SinkDepthGetter = MFCore::Delegate_0Parameters<float, QV::SpawnLogic>;
    EXPECT_NE(dynamic_cast<SinkDepthGetter*>(Find(info, "GetSinkDepth")), nullptr);
}

}  // namespace
