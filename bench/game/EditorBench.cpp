// Building the tweak bar of an object with 20 reflected components, and saving and loading a
// level of 5,000 objects through the level editor. Anchors: a bar of one component, and writing
// and parsing the same level file without the editor.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/FileUtil.h"
#include "core/RTTI.h"
#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/LevelLayerManager.h"
#include "engine/SuperialDataMap.h"
#include "engine/Transform.h"
#include "game/editor/LevelEditor.h"
#include "game/systems/TweakableSystem.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"

namespace {

constexpr int kComponents = 20;
constexpr int kLevelObjects = 5000;
constexpr unsigned kFirstId = 30;

// A reflected component of four float and two int properties; one class per component ID.
template <unsigned Id>
class Part : public SD::Component, public RTTIUser<Part<Id>> {
public:
    SD::ComponentID VGetID() const override { return static_cast<SD::ComponentID>(Id); }
    int VGetVersion() const override { return 0; }
    void VRegister() override {}
    void VUnregister() override {}
    void RegisterFunctions() override {
        this->RegisterGetter(&Part::GetA, "&Part::GetA");
        this->RegisterSetter(&Part::SetA, "&Part::SetA");
        this->RegisterGetter(&Part::GetB, "&Part::GetB");
        this->RegisterSetter(&Part::SetB, "&Part::SetB");
        this->RegisterGetter(&Part::GetC, "&Part::GetC");
        this->RegisterSetter(&Part::SetC, "&Part::SetC");
    }
    IRTTIUser::ClassInfo GetBoundClassInfo() override { return this->BindClassInfo(this); }
    float GetA() { return a; }
    void SetA(float v) { a = v; }
    int GetB() { return b; }
    void SetB(int v) { b = v; }
    float GetC() { return c; }
    void SetC(float v) { c = v; }
    float a = 0, c = 0;
    int b = 0;
};

template <unsigned... Ids>
void RegisterParts(SD::Factory_& factory, std::integer_sequence<unsigned, Ids...>) {
    (factory.RegisterComponentCreator("Part" + std::to_string(Ids), static_cast<SD::ComponentID>(kFirstId + Ids),
                                      new SD::ComponentCreator<Part<kFirstId + Ids>>),
     ...);
}

void BarOf(benchmark::State& state, int components) {
    platform::tweak::ResetForTests();
    RTTIClassRegistry::Create();
    {
        SD::Factory_ factory(16);
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        RegisterParts(factory, std::make_integer_sequence<unsigned, kComponents>{});
        QV::TweakableSystem system;
        SD::GameObject* object = factory.NewGameObject();
        object->SetBlueprintName("Bench/Thing");
        for (int i = 0; i < components; ++i) object->AddComponent(static_cast<SD::ComponentID>(kFirstId + i));
        object->Initialize(false);
        for (auto _ : state) {
            system.ShowObject(object);
            system.HideObject(object);
        }
        factory.Shutdown();
    }
    RTTIClassRegistry::Destroy();
    platform::tweak::ResetForTests();
}

void BM_BarOfTwentyComponents(benchmark::State& state) { BarOf(state, kComponents); }
void BM_BarOfOneComponentAnchor(benchmark::State& state) { BarOf(state, 1); }
BENCHMARK(BM_BarOfTwentyComponents);
BENCHMARK(BM_BarOfOneComponentAnchor);

void WriteText(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

// A temporary install entered at its bin folder with a level of 5,000 objects saved once.
class BigLevel {
public:
    BigLevel() : factory(3 * kLevelObjects) {
        char pattern[] = "/tmp/qv_editor_bench_XXXXXX";
        const std::string root = mkdtemp(pattern) ? pattern : "/tmp";
        for (const char* folder : {"/bin", "/Assets", "/Assets/Levels"}) mkdir((root + folder).c_str(), 0755);
        if (chdir((root + "/bin").c_str()) != 0) return;
        WriteText("../Assets/Levels/template.xml", "<LevelLayers/>");
        WriteText("../Assets/rock.xml",
                  "<GameObjectBlueprints><GameObjectBlueprint name=\"ObjectTemplates/Rock\"><Components>"
                  "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components>"
                  "</GameObjectBlueprint></GameObjectBlueprints>");
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.SetObjectInFormat("xml");
        factory.AddBlueprint("../Assets/rock.xml");
        layers.Initialize();
        editor = &QV::LevelEditor::GetInstance();
        editor->Setup();
        for (int i = 0; i < kLevelObjects; ++i) {
            SD::GameObject* rock = factory.CreateObject("ObjectTemplates/Rock", nullptr);
            rock->GetTransform().SetPos(SD::Vec3(static_cast<float>(i), 0.0f, static_cast<float>(i % 7)));
            editor->PlaceInCurrentMode(rock);
            editor->PopMode();
        }
        editor->SaveLevel("Big");
        std::vector<unsigned char> bytes;
        SD::ReadWholeFile("../Assets/Levels/Big/objects.xml", bytes);
        text.assign(bytes.begin(), bytes.end());
    }
    SD::Factory_ factory;
    SD::LevelLayerManager layers;
    QV::LevelEditor* editor = nullptr;
    std::string text;
};

BigLevel& Level() {
    static BigLevel level;
    return level;
}

void BM_SaveLevelOf5000Objects(benchmark::State& state) {
    BigLevel& level = Level();
    for (auto _ : state) benchmark::DoNotOptimize(level.editor->SaveLevel("Big"));
}

void BM_WriteSameFileAnchor(benchmark::State& state) {
    BigLevel& level = Level();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            SD::WriteWholeFile("../Assets/Levels/anchor.xml", nullptr, 0, level.text.data(), level.text.size()));
}

void BM_LoadLevelOf5000Objects(benchmark::State& state) {
    BigLevel& level = Level();
    for (auto _ : state) {
        benchmark::DoNotOptimize(level.editor->LoadLevel("Big"));
        state.PauseTiming();
        level.factory.Update(0.0f);  // deletes the objects the next load's clearing queues
        state.ResumeTiming();
    }
}

void BM_ParseSameFileAnchor(benchmark::State& state) {
    BigLevel& level = Level();
    for (auto _ : state) benchmark::DoNotOptimize(SD::SuperialDataMap::parseXmlFromBuffer(level.text.c_str()));
}

BENCHMARK(BM_SaveLevelOf5000Objects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSameFileAnchor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLevelOf5000Objects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSameFileAnchor)->Unit(benchmark::kMillisecond);

}  // namespace
