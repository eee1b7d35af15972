// The reflected properties of the moon and the proximity triggers: the accessor names each
// class publishes, and each value written through its setter and read back through its getter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GameTestSupport.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/SeasonLogic.h"

namespace {

std::vector<std::string> Names(const IRTTIUser::ClassInfo& info) {
    std::vector<std::string> names;
    for (const auto& entry : info.functions) names.push_back(entry.name);
    return names;
}

MFCore::BoundFunction* Find(IRTTIUser::ClassInfo& info, const std::string& name) {
    for (auto& entry : info.functions)
        if (entry.name == name) return entry.function.get();
    return nullptr;
}

// Writes each float through its setter and reads it back through its getter.
void RoundTrip(IRTTIUser& object, const std::vector<std::pair<std::string, float>>& values) {
    IRTTIUser::ClassInfo info = object.GetBoundClassInfo();
    for (const auto& [property, value] : values) {
        MFCore::BoundFunction* set = Find(info, "Set" + property);
        MFCore::BoundFunction* get = Find(info, "Get" + property);
        ASSERT_TRUE(set && get) << property;
        std::vector<MFCore::Any> args{MFCore::Any(value)};
        set->Invoke(args);
        std::vector<MFCore::Any> none;
        get->Invoke(none);
        EXPECT_FLOAT_EQ(MFCore::Any::Extract<float>(*get->GetResult()), value) << property;
    }
}

class WorldLogicReflectionTest : public ::testing::Test {
protected:
    gametest::ReflectionScope reflection;
};

TEST_F(WorldLogicReflectionTest, MoonLogic) {
    QV::MoonLogic moon;
    EXPECT_EQ(Names(moon.GetClassInfo()),
              (std::vector<std::string>{"GetRadius", "SetRadius", "GetStartingZRotation", "SetStartingZRotation",
                                        "GetMoonScale", "SetMoonScale"}));
    RoundTrip(moon, {{"Radius", 2500.0f}, {"StartingZRotation", -45.0f}, {"MoonScale", 12.5f}});
    EXPECT_EQ(moon.GetRadius(), 2500.0f);
}

TEST_F(WorldLogicReflectionTest, ProximityTriggers) {
    QV::HackProximitySpawn hack;
    EXPECT_EQ(Names(hack.GetClassInfo()), (std::vector<std::string>{"GetProximity", "SetProximity"}));
    RoundTrip(hack, {{"Proximity", 300.0f}});
    QV::CameraTransitionTrigger camera;
    EXPECT_EQ(Names(camera.GetClassInfo()), (std::vector<std::string>{"GetTransRadius", "SetTransRadius"}));
    RoundTrip(camera, {{"TransRadius", 75.0f}});
    EXPECT_EQ(camera.GetTransRadius(), 75.0f);
}

}  // namespace
