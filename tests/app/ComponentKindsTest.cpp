// The component kinds every library supplies to the whole game: each under a number of its own,
// made as the kind that answers with that number.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "app/GameStartup.h"
#include "engine/Component.h"
#include "engine/Factory.h"
#include "runtime/Registration.h"

namespace {

// A kind made under a number it does not answer with would be filed, found and removed as the
// wrong component.
TEST(ComponentKinds, EachKindIsMadeUnderTheNumberItAnswersWith) {
    SD::Registrations registrations;
    SD::SupplyEngineClasses(registrations);
    QV::SupplyWholeGame(registrations);
    EXPECT_TRUE(registrations.RefusedSupplies().empty()) << registrations.RefusedSupplies()[0];
    SD::Factory_ factory(16);
    registrations.RegisterComponents(factory);
    std::set<unsigned> numbers;
    for (const SD::ComponentRegistration& kind : registrations.SuppliedComponents()) {
        EXPECT_TRUE(numbers.insert(kind.id).second) << kind.name;
        std::unique_ptr<SD::Component> made(factory.CreateComponent(kind.id));
        ASSERT_NE(made, nullptr) << kind.name;
        EXPECT_EQ(made->VGetID(), kind.id) << kind.name;
    }
    factory.Shutdown();
}

}  // namespace
