// Creating objects from blueprints, and looking blueprints up, with and without the fast map.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/Transform.h"

namespace {

constexpr int kBlueprints = 500;
constexpr int kObjects = 5000;
constexpr int kFiles = 5;

// Five blueprint files of 100 blueprints each, every blueprint with a transform.
class BlueprintFolder {
public:
    BlueprintFolder() {
        char pattern[] = "/tmp/qv_factory_bench_XXXXXX";
        folder_ = mkdtemp(pattern) ? pattern : "/tmp";
        for (int f = 0; f < kFiles; ++f) {
            const std::string path = folder_ + "/blueprints" + std::to_string(f) + ".xml";
            std::ofstream out(path);
            out << "<GameObjectBlueprints>\n";
            for (int b = f; b < kBlueprints; b += kFiles) {
                out << "<GameObjectBlueprint name=\"Thing" << b << "\"><Components>"
                    << "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">"
                    << "<Vector3 name=\"position\"><Float value=\"" << b << "\"/><Float value=\"0\"/>"
                    << "<Float value=\"0\"/></Vector3></Transform></Components></GameObjectBlueprint>\n";
            }
            out << "</GameObjectBlueprints>\n";
            paths_.push_back(path);
        }
    }
    ~BlueprintFolder() {
        for (const std::string& path : paths_) std::remove(path.c_str());
        rmdir(folder_.c_str());
    }
    const std::vector<std::string>& Paths() const { return paths_; }

private:
    std::string folder_;
    std::vector<std::string> paths_;
};

void LoadInto(SD::Factory_& factory, const BlueprintFolder& folder, bool fast) {
    factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
    factory.SetObjectInFormat("xml");
    for (const std::string& path : folder.Paths()) factory.AddBlueprint(path.c_str());
    if (fast) factory.RebuildFastBlueprintLookupMap();
}

void BM_CreateObjectsFromBlueprints(benchmark::State& state) {
    BlueprintFolder folder;
    SD::Factory_ factory(kObjects);
    LoadInto(factory, folder, state.range(0) != 0);
    std::vector<std::string> names;
    for (int i = 0; i < kObjects; ++i) names.push_back("Thing" + std::to_string((i * 7) % kBlueprints));
    for (auto _ : state) {
        for (const std::string& name : names) benchmark::DoNotOptimize(factory.CreateObject(name.c_str(), nullptr));
        state.PauseTiming();
        factory.DestroyAllGameObjects();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_CreateObjectsFromBlueprints)->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GetBlueprint(benchmark::State& state) {
    BlueprintFolder folder;
    SD::Factory_ factory(1);
    LoadInto(factory, folder, state.range(0) != 0);
    std::vector<std::string> names;
    for (int i = 0; i < kObjects; ++i) names.push_back("Thing" + std::to_string((i * 7) % kBlueprints));
    for (auto _ : state) {
        for (const std::string& name : names) benchmark::DoNotOptimize(factory.GetBlueprint(name.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_GetBlueprint)->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
