// One frame of the component manager and of the transformer over 10,000 registered entries.
#include <benchmark/benchmark.h>

#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transformer.h"
#include "engine/UpdateComponent.h"

namespace {

constexpr int kCount = 10000;
constexpr SD::ComponentID kSpinnerID = static_cast<SD::ComponentID>(104);

class Spinner : public SD::IUpdateComponent {
public:
    SD::ComponentID VGetID() const override { return kSpinnerID; }
    int VGetVersion() const override { return 0; }
    void VUpdate(float dt) override { GetOwner()->GetTransform().RotateLocalYRad(dt); }
};

void BM_ComponentManagerFrame(benchmark::State& state) {
    SD::ComponentManager_ manager;
    SD::Transformer_ transformer;
    SD::Factory_ factory(kCount);
    factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
    factory.RegisterComponentCreator("Spinner", kSpinnerID, new SD::ComponentCreator<Spinner>);
    for (int i = 0; i < kCount; ++i) {
        SD::GameObject* object = factory.NewGameObject();
        object->AddComponent(kSpinnerID);
        object->Initialize(false);
    }
    for (auto _ : state) manager.Update(0.016f);
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ComponentManagerFrame)->Unit(benchmark::kMicrosecond);

// Roots with `range(0)` children each, 10,000 transforms in all.
void BM_TransformerFrame(benchmark::State& state) {
    SD::Transformer_ transformer;
    SD::Factory_ factory(kCount);
    factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
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
