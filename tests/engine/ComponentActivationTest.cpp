// Registration of components with their system as play state, sleep and start change.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "engine/Component.h"

namespace {

class CountingComponent : public SD::Component {
public:
    SD::ComponentID VGetID() const override { return SD::CID_Geometry; }
    int VGetVersion() const override { return 0; }
    void VRegister() override { ++registers; }
    void VUnregister() override { ++unregisters; }
    int registers = 0;
    int unregisters = 0;
};

struct ActivationCase {
    const char* label;
    bool play, pause, devPause;
    bool asleep;
    bool started;
    std::vector<uint32_t> states;  // applied in order after starting
    bool registered;
};

class ActivationTable : public ::testing::TestWithParam<ActivationCase> {};

TEST_P(ActivationTable, RegisteredExactlyWhenStartedActiveAndAwake) {
    const ActivationCase& c = GetParam();
    CountingComponent component;
    component.SetActiveIn(0, c.play);
    component.SetActiveIn(1, c.pause);
    component.SetActiveIn(2, c.devPause);
    if (c.asleep) component.Sleep();
    if (c.started) component.Start();
    for (uint32_t s : c.states) component.ApplyPlayState(s);
    EXPECT_EQ(component.IsRegistered(), c.registered);
    // The system saw exactly the calls that match the flag.
    EXPECT_EQ(component.registers - component.unregisters, c.registered ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Component, ActivationTable,
    ::testing::Values(ActivationCase{"all flags, play", true, true, true, false, true, {0}, true},
                      ActivationCase{"no pause flag, pause", true, false, true, false, true, {0, 1}, false},
                      ActivationCase{"no pause flag, back to play", true, false, true, false, true, {0, 1, 0}, true},
                      ActivationCase{"no play flag, play", false, true, true, false, true, {0}, false},
                      ActivationCase{"no play flag, then pause", false, true, true, false, true, {0, 1}, true},
                      ActivationCase{"asleep, play", true, true, true, true, true, {0}, false},
                      ActivationCase{"asleep, pause", true, true, true, true, true, {1}, false},
                      ActivationCase{"asleep, devpause", true, true, true, true, true, {0, 2}, true},
                      ActivationCase{"asleep, devpause flag clear", true, true, false, true, true, {2}, false},
                      ActivationCase{"asleep, devpause then play", true, true, true, true, true, {2, 0}, false},
                      ActivationCase{"state 3 changes nothing", true, false, true, false, true, {3}, true},
                      ActivationCase{"state 3 after pause", true, false, true, false, true, {1, 3}, false},
                      ActivationCase{"never started", true, true, true, false, false, {0, 1, 2, 0}, false},
                      ActivationCase{"never started, asleep", true, true, true, true, false, {2}, false},
                      ActivationCase{"started without state", true, true, true, false, true, {}, true},
                      ActivationCase{"devpause only flag", false, false, true, false, true, {0, 1, 2}, true},
                      ActivationCase{"devpause only flag, leave", false, false, true, false, true, {2, 1}, false}),
    [](const ::testing::TestParamInfo<ActivationCase>& info) {
        std::string name = info.param.label;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(ComponentSleep, SleepUnregistersAndAwakeReappliesTheStoredState) {
    CountingComponent component;
    component.Start();
    component.ApplyPlayState(0);
    component.Sleep();
    EXPECT_FALSE(component.IsRegistered());
    component.Awake();
    EXPECT_TRUE(component.IsRegistered());
    component.SetActiveIn(0, false);
    component.Sleep();
    component.Awake();
    EXPECT_FALSE(component.IsRegistered());
    EXPECT_EQ(component.registers, 2);
    EXPECT_EQ(component.unregisters, 2);
}

TEST(ComponentHandle, RemovingChainMembersKeepsTheBlockConsistent) {
    // Newest of three removed: the block's current goes back to the second.
    auto* a = new CountingComponent;
    auto* b = new CountingComponent;
    auto* c = new CountingComponent;
    a->CreateHandle();
    b->ShareHandle(a);
    c->ShareHandle(a);
    const SD::Component::HandleBlock* block = a->GetHandle();
    EXPECT_EQ(block->first, a);
    EXPECT_EQ(block->current, c);
    EXPECT_EQ(block->count, 3u);
    delete c;
    EXPECT_EQ(block->current, b);
    EXPECT_EQ(b->GetNext(), nullptr);
    // Oldest removed: the block's first moves to the second.
    delete a;
    EXPECT_EQ(block->first, b);
    EXPECT_EQ(block->current, b);
    EXPECT_EQ(block->count, 1u);
    delete b;

    // A middle member is unlinked from the chain.
    auto* x = new CountingComponent;
    auto* y = new CountingComponent;
    auto* z = new CountingComponent;
    x->CreateHandle();
    y->ShareHandle(x);
    z->ShareHandle(x);
    delete y;
    EXPECT_EQ(x->GetNext(), z);
    EXPECT_EQ(x->GetHandle()->count, 2u);
    delete x;
    delete z;
}

}  // namespace
