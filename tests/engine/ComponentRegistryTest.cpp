// Component IDs, their script constants, and the factory's table of creators.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "EngineTestSupport.h"

namespace {

using enginetest::EngineFixture;
using enginetest::kTagID;

// Every script constant names one number below the table's size, and the numbers data already
// holds stay: a saved script reaches the vehicle by its number (Assets/LuaScripts/PlayerReset.lua
// calls GetComponent(12)), so a kind's number never moves.
TEST(ComponentID, ConstantsNameDistinctNumbersThatNeverMove) {
    const SD::ComponentIDConstant* constants = SD::ComponentIDConstants();
    std::map<std::string, uint32_t> byName;
    std::set<uint32_t> values;
    for (size_t i = 0; i < SD::ComponentIDConstantCount(); ++i) {
        EXPECT_EQ(std::strncmp(constants[i].name, "CID_", 4), 0) << constants[i].name;
        EXPECT_TRUE(values.insert(constants[i].value).second) << constants[i].name << " shares its number";
        byName[constants[i].name] = constants[i].value;
    }
    EXPECT_EQ(byName.at("CID_Total"), *values.rbegin()) << "the table's size is the largest";
    const std::pair<const char*, uint32_t> held[] = {
        {"CID_Transform", 0}, {"CID_Player", 12}, {"CID_Floating", 22}, {"CID_RainSystem", 87}};
    for (const auto& [name, number] : held) EXPECT_EQ(byName.at(name), number) << name;
}

class CreatorTest : public EngineFixture {};

TEST_F(CreatorTest, CreatorsAreKeptByIdUnderTheNameAfterTheLastColon) {
    EXPECT_EQ(factory.GetComponentName(kTagID), "Tag");
    SD::ComponentID id;
    EXPECT_TRUE(factory.FindComponentID("Tag", &id));
    EXPECT_EQ(id, kTagID);
    EXPECT_FALSE(factory.FindComponentID("Game::Tag", &id));
    // A stand-alone transform through the factory, its ID stored.
    SD::Component* transform = factory.CreateComponent(SD::CID_Transform);
    ASSERT_NE(transform, nullptr);
    EXPECT_EQ(transform->GetID(), SD::CID_Transform);
    factory.DestroyComponent(transform);
    factory.DestroyComponent(nullptr);
    // IDs without a creator or beyond the table give nothing.
    for (uint32_t bad : {1u, 111u, 112u, 0xFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(factory.CreateComponent(static_cast<SD::ComponentID>(bad)), nullptr) << bad;
        EXPECT_EQ(factory.GetComponentName(static_cast<SD::ComponentID>(bad)), "") << bad;
    }
    factory.RegisterComponentCreator("Far", SD::CID_Total, new SD::ComponentCreator<enginetest::Tag>);
    EXPECT_FALSE(factory.FindComponentID("Far", &id));
    factory.RegisterComponentCreator("Nothing", SD::CID_Collider2D, nullptr);
    EXPECT_FALSE(factory.FindComponentID("Nothing", &id));
}

}  // namespace
