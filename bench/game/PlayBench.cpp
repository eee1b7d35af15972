// One frame of play with 100 wind spheres about the player: physics (the player against the
// spheres), the player, the follow and chase cameras and the winds, the messages, the wind
// field and the season cycle. Anchor: the same frame without the wind spheres.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "game/cameras/ChaseCameras.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/Wind.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "game/systems/WindSystem.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "physics/Shapes.h"
#include "runtime/InterpolatorSystem.h"

namespace {

void AddSphere(SD::GameObject* object, float radius, bool ghost) {
    auto* collider = static_cast<Gedankenexperiment::Collider*>(object->AddComponent(SD::CID_Collider));
    auto sphere = std::make_unique<Gedankenexperiment::Sphere>();
    sphere->radius = radius;
    collider->SetShape(std::move(sphere));
    collider->ghost = ghost;
}

void PlayFrame(benchmark::State& state) {
    const int spheres = static_cast<int>(state.range(0));
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::Message_System::GetInstance()->Initialize();
    {
        SD::ComponentManager_ components;
        SD::Transformer_ transformer;
        SD::Factory_ factory(1024);
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Gedankenexperiment::Body>);
        factory.RegisterComponentCreator("Collider", SD::CID_Collider,
                                         new SD::ComponentCreator<Gedankenexperiment::Collider>);
        factory.RegisterComponentCreator("PlayerLogic", SD::CID_Player, new SD::ComponentCreator<QV::PlayerLogic>);
        factory.RegisterComponentCreator("VernholmCameraLogic", SD::CID_VernholmCameraLogic,
                                         new SD::ComponentCreator<QV::VernholmCameraLogic>);
        factory.RegisterComponentCreator("ObscuraCameraLogic", SD::CID_ObscuraCamera,
                                         new SD::ComponentCreator<QV::ObscuraCameraLogic>);
        factory.RegisterComponentCreator("WindLogic", SD::CID_WindLogic, new SD::ComponentCreator<QV::WindLogic>);
        // No blueprints: the winds' visible streams are not made.
        factory.SetObjectInFormat("xml");

        SD::GameObject* player = factory.NewGameObject();
        player->AddComponent(SD::CID_Body);
        AddSphere(player, 5.0f, false);
        player->AddComponent(SD::CID_Player);
        player->NameObject("Player");
        player->Initialize(false);
        static_cast<Gedankenexperiment::Body*>(player->GetComponent(SD::CID_Body))->SetMass(1.0f);

        SD::GameObject* follow = factory.NewGameObject();
        follow->AddComponent(SD::CID_VernholmCameraLogic);
        follow->NameObject("PlayerCam");
        follow->Initialize(false);
        static_cast<QV::VernholmCameraLogic*>(follow->GetComponent(SD::CID_VernholmCameraLogic))->SetTarget(player);
        SD::GameObject* chase = factory.NewGameObject();
        chase->AddComponent(SD::CID_ObscuraCamera);
        chase->Initialize(false);

        // Winds in a grid of spheres about the player, each touching it.
        for (int i = 0; i < spheres; ++i) {
            SD::GameObject* sphere = factory.NewGameObject();
            AddSphere(sphere, 50.0f, true);
            auto* wind = static_cast<QV::WindLogic*>(sphere->AddComponent(SD::CID_WindLogic));
            sphere->GetTransform().SetPos(SD::Vec3(static_cast<float>(i % 10), 0.0f, static_cast<float>(i / 10)));
            sphere->Initialize(false);
            wind->SetPower(20.0f);
            wind->SetDuration(1.0e9f);
            wind->SetDirection(SD::Vec3(1.0f, 0.0f, 0.0f));
        }
        Gedankenexperiment::Physics_System::GetInstance()->BuildTree();

        QV::WindSystem_ windField;
        windField.Initialize();
        QV::SowlarSystem_& seasons = QV::SowlarSystem_::GetInstance();
        seasons.Initialize();
        seasons.ResetCycle();
        constexpr float dt = 1.0f / 60.0f;
        for (auto _ : state) {
            SD::RunFixedSteps(1, {Gedankenexperiment::Physics_System::GetInstance(), &components});
            SD::InterpolatorSystem::GetInstance().Update(dt);
            components.Update(dt);
            SD::Message_System::GetInstance()->Update(dt);
            windField.Advance(dt);
            seasons.Update(dt);
            // Keep the player among the spheres.
            auto* body = static_cast<Gedankenexperiment::Body*>(player->GetComponent(SD::CID_Body));
            body->SetPosition(SD::Vec3(5.0f, 0.0f, 5.0f));
            body->SetVelocity(SD::Vec3(0.0f, 0.0f, 10.0f));
        }
        QV::SowlarSystem_::DestroyInstance();
        factory.Shutdown();
    }
    Gedankenexperiment::Physics_System::DestroyInstance();
    SD::Message_System::DestroyInstance();
    SD::InterpolatorSystem::DestroyInstance();
}

BENCHMARK(PlayFrame)->Arg(0)->Arg(100);

}  // namespace
