// Component IDs, their script constants, and the factory's table of creators.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "EngineTestSupport.h"

namespace {

using enginetest::EngineFixture;
using enginetest::kTagID;

TEST(ComponentID, ConstantsNameTheirValues) {
    const SD::ComponentIDConstant* constants = SD::ComponentIDConstants();
    ASSERT_EQ(SD::ComponentIDConstantCount(), 86u);
    std::set<uint32_t> values;
    for (size_t i = 0; i < SD::ComponentIDConstantCount(); ++i) {
        EXPECT_EQ(std::strncmp(constants[i].name, "CID_", 4), 0);
        values.insert(constants[i].value);
    }
    EXPECT_EQ(values.size(), 86u);
    for (uint32_t none : {5u, 83u, 86u, 88u, 111u}) EXPECT_EQ(values.count(none), 0u) << none;
    EXPECT_EQ(*values.rbegin(), 112u);
    const std::pair<const char*, uint32_t> named[] = {
        {"CID_Transform", 0}, {"CID_Player", 12}, {"CID_Floating", 22}, {"CID_RainSystem", 87}, {"CID_Total", 112}};
    for (const auto& entry : named) {
        bool found = false;
        for (size_t i = 0; i < SD::ComponentIDConstantCount(); ++i)
            if (std::strcmp(constants[i].name, entry.first) == 0) found = constants[i].value == entry.second;
        EXPECT_TRUE(found) << entry.first;
    }
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
