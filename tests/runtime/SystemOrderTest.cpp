// The update order worked out from the places the systems give: every relation holds, systems
// without one between them follow their names, and places that cannot be met are named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/SystemOrder.h"

namespace {

struct OrderCase {
    const char* what;
    std::vector<SD::PlacedSystem> systems;
    std::vector<std::string> order;  // empty when no order holds
    const char* error;               // a part of the error, when no order holds
};

const OrderCase kCases[] = {
    {"a chain of afters", {{"c", {{"b"}, {}}}, {"b", {{"a"}, {}}}, {"a", {}}}, {"a", "b", "c"}, ""},
    {"a system put between two of a chain",
     {{"Input", {}},
      {"Window", {{"Input"}, {}}},
      {"Splines", {{"Window"}, {}}},
      {"Physics", {{"Window"}, {"Splines"}}}},
     {"Input", "Window", "Physics", "Splines"},
     ""},
    {"unrelated systems by name, whatever the order given", {{"b", {}}, {"c", {}}, {"a", {}}}, {"a", "b", "c"}, ""},
    {"a before alone moves a system ahead of a smaller name", {{"a", {}}, {"z", {{}, {"a"}}}}, {"z", "a"}, ""},
    {"an after naming no system", {{"a", {{"ghost"}, {}}}}, {}, "\"a\" runs after \"ghost\", which no one supplied"},
    {"a before naming no system", {{"a", {{}, {"ghost"}}}}, {}, "\"a\" runs before \"ghost\", which no one supplied"},
    {"two systems after each other", {{"a", {{"b"}, {}}}, {"b", {{"a"}, {}}}, {"c", {}}}, {}, "cycle"},
    {"a system both after and before another", {{"a", {{"b"}, {"b"}}}, {"b", {}}}, {}, "cycle"},
    {"the same relation given from both sides", {{"a", {{"b"}, {}}}, {"b", {{}, {"a"}}}}, {"b", "a"}, ""},
    {"one name given twice", {{"a", {}}, {"a", {}}}, {}, "\"a\" is given twice"},
};

TEST(SystemOrder, RelationsHoldAndPlacesThatCannotBeMetAreNamed) {
    for (const OrderCase& c : kCases) {
        std::string error;
        EXPECT_EQ(SD::OrderSystems(c.systems, error), c.order) << c.what;
        if (c.order.empty())
            EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
        else
            EXPECT_EQ(error, "") << c.what;
    }
}

// A cycle names the systems caught in it and leaves out those that could be ordered.
TEST(SystemOrder, ACycleNamesItsSystems) {
    std::string error;
    SD::OrderSystems({{"free", {}}, {"x", {{"y"}, {}}}, {"y", {{"x"}, {}}}}, error);
    EXPECT_NE(error.find("\"x\" \"y\""), std::string::npos) << error;
    EXPECT_EQ(error.find("free"), std::string::npos) << error;
}

}  // namespace
