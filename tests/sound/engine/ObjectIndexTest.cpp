#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/index/CSxObjectIndex.h"

namespace {

using namespace SX;

std::atomic<int> g_destroyed{0};

class Probe : public CSxIndexable {
public:
    Probe(SxUniqueID id, SxIndexTable table) : CSxIndexable(id, table) {}
    ~Probe() override { ++g_destroyed; }
};

class ObjectIndex : public ::testing::Test {
protected:
    void SetUp() override {
        g_destroyed = 0;
        index.Init();
        g_pObjectIndex = &index;
    }
    void TearDown() override { g_pObjectIndex = nullptr; }

    Probe* Make(SxUniqueID id, SxIndexTable table = SxIndex_Node) {
        Probe* p = SxNew<Probe>(g_DefaultPoolId, id, table);
        index.AddToIndex(p);
        return p;
    }

    sxtest::TestMemory memory;
    CSxObjectIndex index;
};

TEST_F(ObjectIndex, FindsByIdAndTableWithAReference) {
    Probe* a = Make(7);
    Probe* b = Make(7 + 193);  // same bucket
    Probe* c = Make(7, SxIndex_Event);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Node, 7), a);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Node, 200), b);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Event, 7), c);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Node, 8), nullptr);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Action, 7), nullptr);
    EXPECT_EQ(a->RefCount(), 2u);
    EXPECT_EQ(index.Table(SxIndex_Node).Count(), 2u);

    // The last release takes the object out of its table and destroys it.
    EXPECT_EQ(a->Release(), 1u);
    EXPECT_EQ(a->Release(), 0u);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Node, 7), nullptr);
    EXPECT_EQ(index.GetPtrAndAddRef(SxIndex_Node, 200), b);
    for (Probe* p : {b, b, b, c, c}) p->Release();
    EXPECT_EQ(g_destroyed, 3);
    EXPECT_EQ(memory.Used(), 0u);
}

TEST_F(ObjectIndex, TermReleasesOnlyEngineMadeObjects) {
    Make(0x80000001u);
    Make(0x80000002u, SxIndex_FxCustom);
    Probe* bankObject = Make(5);
    Probe* engineEvent = Make(0x80000003u, SxIndex_Event);
    index.Term();
    EXPECT_EQ(g_destroyed, 2);
    EXPECT_EQ(index.Table(SxIndex_Node).Count(), 1u);
    bankObject->Release();
    engineEvent->Release();
    EXPECT_EQ(memory.Used(), 0u);
}

// Look-ups and releases from several threads while the creator drops its reference: every
// object is destroyed exactly once and never found after that.
TEST_F(ObjectIndex, ReferenceCountsHoldUnderConcurrentLookups) {
    constexpr int kObjects = 200;
    std::vector<Probe*> objects;
    for (int i = 0; i < kObjects; ++i) objects.push_back(Make(1000 + i));
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            while (!go) std::this_thread::yield();
            for (int round = 0; round < 50; ++round) {
                for (int i = 0; i < kObjects; ++i) {
                    if (CSxIndexable* p = index.GetPtrAndAddRef(SxIndex_Node, 1000 + (i * 7 + t) % kObjects))
                        p->Release();
                }
            }
        });
    }
    go = true;
    for (int i = 0; i < kObjects; ++i) objects[i]->Release();
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(g_destroyed, kObjects);
    EXPECT_EQ(index.Table(SxIndex_Node).Count(), 0u);
    EXPECT_EQ(memory.Used(), 0u);
}

}  // namespace
