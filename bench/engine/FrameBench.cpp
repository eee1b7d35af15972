// One frame of the component manager and the transformer over 1k, 10k and 100k objects, each
// with a component that turns its object, beside the anchor: the same math over a contiguous
// array. The per-object cost should not grow with the count.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/Matrix.h"
#include "core/Vector.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "engine/UpdateComponent.h"

namespace {

class Spinner : public SD::IUpdateComponent {
public:
    SD::ComponentID VGetID() const override { return SD::kSpinningLogicID; }
    int VGetVersion() const override { return 0; }
    void VUpdate(float dt) override { GetOwner()->GetTransform().RotateLocalYRad(dt); }
};

void Register(SD::Factory_& factory) {
    factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
    factory.RegisterComponentCreator("Spinner", SD::kSpinningLogicID, new SD::ComponentCreator<Spinner>);
}

void BM_Frame(benchmark::State& state) {
    const auto count = static_cast<uint32_t>(state.range(0));
    SD::ComponentManager_ manager;
    SD::Transformer_ transformer;
    SD::Factory_ factory(count);
    Register(factory);
    for (uint32_t i = 0; i < count; ++i) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(SD::Vec3(static_cast<float>(i), 0.0f, 1.0f));
        object->AddComponent(SD::kSpinningLogicID);
        object->Initialize(false);
    }
    for (auto _ : state) {
        manager.Update(0.016f);
        transformer.Update(0.016f);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns/object"] = benchmark::Counter(static_cast<double>(state.iterations()) * count,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Frame)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The anchor: the fields the frame reads and writes, one object after another in one array,
// with the spinner's turn and the transformer's refresh done by the same math. The world
// matrix is written in place, element by element, as plain code would; built through the
// sixteen-value constructor, out of line and fed through the stack, it cost the anchor a fifth
// of its time.
struct PlainTransform {
    SD::Vec3 position, previousPosition, positionDelta, angularDelta, previousAngularDelta;
    SD::Vec3 scale{1.0f, 1.0f, 1.0f};
    SD::Mtx33 orientation;
    SD::Mtx44 global, previousGlobal;
    uint32_t changeCount = 0;
};

void BM_FrameAnchor_ContiguousArray(benchmark::State& state) {
    const auto count = static_cast<uint32_t>(state.range(0));
    std::vector<PlainTransform> objects(count);
    for (uint32_t i = 0; i < count; ++i) objects[i].position = SD::Vec3(static_cast<float>(i), 0.0f, 1.0f);
    const float dt = 0.016f;
    for (auto _ : state) {
        for (PlainTransform& t : objects) {
            t.angularDelta += t.orientation.GetColumn(1) * dt;
            t.orientation = t.orientation * SD::Mtx33::RotationY(dt);
            ++t.changeCount;
        }
        for (PlainTransform& t : objects) {
            t.positionDelta = t.position - t.previousPosition;
            t.previousPosition = t.position;
            if (t.changeCount > SD::Transform::kOrthonormalizeThreshold) {
                t.orientation.Orthonormalize();
                t.changeCount = 0;
            }
            t.previousGlobal = t.global;
            const SD::Mtx33& m = t.orientation;
            const SD::Vec3& s = t.scale;
            float* g = t.global.m;
            for (int r = 0; r < 3; ++r) {
                g[4 * r] = m(r, 0) * s.x;
                g[4 * r + 1] = m(r, 1) * s.y;
                g[4 * r + 2] = m(r, 2) * s.z;
            }
            g[3] = t.position.x;
            g[7] = t.position.y;
            g[11] = t.position.z;
            g[12] = g[13] = g[14] = 0.0f;
            g[15] = 1.0f;
            t.previousAngularDelta = t.angularDelta;
            t.angularDelta = SD::Vec3();
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["ns/object"] = benchmark::Counter(static_cast<double>(state.iterations()) * count,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FrameAnchor_ContiguousArray)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Roots with `range(0)` children each, 10,000 transforms in all: the transformer alone.
void BM_TransformerFrame(benchmark::State& state) {
    constexpr int kCount = 10000;
    SD::Transformer_ transformer;
    SD::Factory_ factory(kCount);
    Register(factory);
    const int perRoot = static_cast<int>(state.range(0)) + 1;
    SD::GameObject* root = nullptr;
    for (int i = 0; i < kCount; ++i) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(SD::Vec3(1.0f, 0.0f, 0.0f));
        object->GetTransform().RotateLocalZRad(0.01f);
        if (i % perRoot == 0)
            root = object;
        else
            root->AttachChild(object);
    }
    for (const SD::ObjectPool::Slot& slot : factory.GetPool().GetSlots())
        if (slot.object && !slot.object->GetParent()) slot.object->Initialize(false);
    for (auto _ : state) transformer.Update(0.016f);
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_TransformerFrame)->ArgName("children")->Arg(0)->Arg(9)->Unit(benchmark::kMicrosecond);

}  // namespace
