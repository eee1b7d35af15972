// Save and load of a level-sized data file: the cost must grow linearly with the objects.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"

namespace {

using SD::SuperialValue;

void AddVector(SuperialValue* parent, const char* name, int count, float base) {
    SuperialValue* v = SuperialValue::AppendChild(parent, SD::kSuperialArray);
    v->SetName(name);
    v->SetTag(count == 4 ? "Quaternion" : "Vector3");
    for (int i = 0; i < count; ++i) SuperialValue::AppendChild(v, SD::kSuperialNull)->SetFloat(base + i);
}

// One layer of the given number of placed objects, each with a transform and one component.
std::unique_ptr<SD::SuperialDataMap> BuildLevel(int objects) {
    auto map = std::make_unique<SD::SuperialDataMap>();
    SuperialValue* layer = map->Top();
    layer->SetTypeName("LevelLayer");
    layer->SetName("Main");
    SuperialValue* list = SuperialValue::AppendChildWithTypeName(layer, "GameObjects");
    for (int i = 0; i < objects; ++i) {
        SuperialValue* object = SuperialValue::AppendChildWithTypeName(list, "GameObject");
        SuperialValue::AddStringAttribute(object, "blueprint", "Crate" + std::to_string(i % 17));
        SuperialValue* components = SuperialValue::AppendChildWithTypeName(object, "Components");
        SuperialValue* transform = SuperialValue::AppendChildWithTypeName(components, "Transform");
        SuperialValue::AddIntegerAttribute(transform, "version", 1);
        AddVector(transform, "Position", 3, static_cast<float>(i));
        AddVector(transform, "Rotation", 4, 0.5f);
        AddVector(transform, "Scale", 3, 1.0f);
        SuperialValue* logic = SuperialValue::AppendChildWithTypeName(components, "Spinner");
        SuperialValue::AddBooleanAttribute(logic, "Play", true);
        SuperialValue::AppendChild(logic, SD::kSuperialNull)->Assign(2.5, "Speed", "Float");
        SuperialValue::AppendChild(logic, SD::kSuperialNull)->Assign(std::string("spin"), "Mode", "String");
    }
    return map;
}

void BM_SaveLevel(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto map = BuildLevel(objects);
        benchmark::DoNotOptimize(SD::SuperialDataMap::WriteToString(*map));
    }
    state.SetComplexityN(objects);
}
BENCHMARK(BM_SaveLevel)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_LoadLevel(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    const std::string text = SD::SuperialDataMap::WriteToString(*BuildLevel(objects));
    for (auto _ : state) benchmark::DoNotOptimize(SD::SuperialDataMap::parseXmlFromBuffer(text.c_str()));
    state.SetComplexityN(objects);
}
BENCHMARK(BM_LoadLevel)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
