// The game's component classes join start-up under their names and numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "GameTestSupport.h"
#include "engine/GameObject.h"
#include "game/GameRegistration.h"
#include "runtime/Registration.h"

namespace {

class GameRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        SD::SupplyEngineClasses(registrations);
        QV::SupplyGameClasses(registrations);
        registered = registrations.RegisterComponents(factory);
    }
    void TearDown() override { factory.Shutdown(); }

    SD::Registrations registrations;
    SD::Factory_ factory{16};
    std::vector<std::string> registered;
};

// A class made under its registered number answers with that number: a class whose VGetID
// named another kind would be filed, found and removed as the wrong component.
TEST_F(GameRegistrationTest, EachClassIsMadeUnderTheNumberItAnswersWith) {
    ASSERT_FALSE(registered.empty());
    std::set<unsigned> numbers;
    for (const auto& entry : SD::ComponentRegistrationOrder()) {
        if (std::find(registered.begin(), registered.end(), entry.name) == registered.end()) continue;
        EXPECT_TRUE(numbers.insert(entry.id).second) << entry.name;
        SD::Component* made = factory.CreateComponent(entry.id);
        ASSERT_NE(made, nullptr) << entry.name;
        EXPECT_EQ(made->VGetID(), entry.id) << entry.name;
        factory.DestroyComponent(made);
    }
}

}  // namespace
