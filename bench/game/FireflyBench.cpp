// One frame of the firefly manager with 500 fireflies running every behaviour (the escort
// step, the action lists, wings, facing and glow). Anchor: the same 500 fireflies all still.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "physics/Body.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/SplineSystem.h"

namespace {

constexpr int kFireflies = 500;

void Frame(benchmark::State& state, bool everyBehaviour) {
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::Message_System::GetInstance()->Initialize();
    {
        SD::ComponentManager_ components;
        SD::Factory_ factory(4 * kFireflies);
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Gedankenexperiment::Body>);
        factory.RegisterComponentCreator("Firefly", SD::CID_Firefly, new SD::ComponentCreator<QV::Firefly>);
        SD::Spline_System& splines = SD::Spline_System::GetInstance();
        splines.CreateSpline({SD::Vec3(0, 0, 0), SD::Vec3(1, 1, 0), SD::Vec3(0, 2, 0), SD::Vec3(-1, 1, 0)},
                             {1.0, 1.0, 1.0}, SD::SharedString("FigureEight"));
        splines.CreateSpline({SD::Vec3(1, 0, 0), SD::Vec3(0, 1, 0), SD::Vec3(-1, 0, 0), SD::Vec3(0, -1, 0)},
                             {1.0, 1.0, 1.0}, SD::SharedString("Circle"));
        QV::Firefly_Manager& manager = QV::Firefly_Manager::GetInstance();
        manager.Initialize();

        SD::GameObject* player = factory.NewGameObject();
        player->AddComponent(SD::CID_Body);
        player->NameObject("Player");
        player->Initialize(false);

        const std::vector<SD::SharedString>& names = QV::Firefly::BehaviourNames();
        for (int i = 0; i < kFireflies; ++i) {
            SD::GameObject* object = factory.NewGameObject();
            object->AddComponent(SD::CID_Body);
            object->AddComponent(SD::CID_Firefly);
            object->GetTransform().SetPos(SD::Vec3(static_cast<float>(i % 50) * 20.0f, 0.0f, (i / 50) * 20.0f));
            object->Initialize(false);
            auto* firefly = static_cast<QV::Firefly*>(object->GetComponent(SD::CID_Firefly));
            manager.CreateGroupFor(object->GetTransform().GetLocalPos(), firefly,
                                   SD::SharedString(everyBehaviour ? "" : "Still"));
            if (!everyBehaviour) continue;
            const SD::SharedString& name = names[i % names.size()];
            firefly->PutOnLane(name == "Blink" ? QV::Firefly::kLaneBlink : QV::Firefly::kLaneIdle, name);
        }
        for (auto _ : state) {
            SD::InterpolatorSystem::GetInstance().Update(0.016f);
            manager.Update(0.016f);
        }
        state.SetItemsProcessed(state.iterations() * kFireflies);
        factory.Shutdown();
        QV::Firefly_Manager::DestroyInstance();
        SD::Spline_System::DestroyInstance();
    }
    SD::InterpolatorSystem::DestroyInstance();
    SD::Message_System::DestroyInstance();
}

void BM_FireflyManagerFrameEveryBehaviour(benchmark::State& state) { Frame(state, true); }
void BM_FireflyManagerFrameAllStillAnchor(benchmark::State& state) { Frame(state, false); }
BENCHMARK(BM_FireflyManagerFrameEveryBehaviour);
BENCHMARK(BM_FireflyManagerFrameAllStillAnchor);

}  // namespace
