// Feeds arbitrary bytes to the factory as the component list of a blueprint that may carry
// every world logic component (trigger, spawner, group spawner, spawn logic, floating and
// spinning logic, firefly, the lights and the tombstones, with a collider and a group), creates
// the object, runs a few frames (the firefly manager's too) in which the player touches it, and
// destroys it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/Transform.h"
#include "game/components/CircularSpinningLightLogic.h"
#include "game/components/FloatingLogic.h"
#include "game/components/GroupSpawner.h"
#include "game/components/LightLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/SpinningLogic.h"
#include "game/components/Tombstones.h"
#include "game/components/Trigger.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "runtime/InterpolatorSystem.h"

namespace {

std::string Folder() {
    static std::string folder = [] {
        char pattern[] = "/tmp/qv_fuzz_world_XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    return folder;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

template <class T> void Register(SD::Factory_& factory, const char* name, SD::ComponentID id) {
    factory.RegisterComponentCreator(name, id, new SD::ComponentCreator<T>);
}

const char kPlayer[] =
    "<GameObjectBlueprint name=\"Player\"><Components><Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/>"
    "<Body version=\"4\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Mass\" value=\"1\"/></Body>"
    "<Collider version=\"3\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Vector3><Float value=\"0\"/><Float value=\"0\"/>"
    "<Float value=\"0\"/></Vector3><Boolean value=\"0\"/><String>Sphere</String><Float value=\"1\"/>"
    "<Float value=\"0.5\"/></Collider></Components></GameObjectBlueprint>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SD::Core* core = SD::Core::CreateInstance();
    (void)core;
    const std::string folder = Folder();
    SD::ComponentManager_ components;
    SD::Factory_ factory(64);
    Register<SD::Transform>(factory, "Transform", SD::CID_Transform);
    Register<Gedankenexperiment::Body>(factory, "Body", SD::CID_Body);
    Register<Gedankenexperiment::Collider>(factory, "Collider", SD::CID_Collider);
    Register<SD::Group>(factory, "Group", SD::CID_Group);
    Register<QV::FloatingLogic>(factory, "FloatingLogic", SD::CID_Floating);
    Register<QV::SpinningLogic>(factory, "SpinningLogic", QV::kSpinningLogicID);
    Register<QV::SpawnLogic>(factory, "SpawnLogic", SD::CID_SpawnLogic);
    Register<QV::Spawner>(factory, "Spawner", SD::CID_Spawner);
    Register<QV::Trigger>(factory, "Trigger", SD::CID_Trigger);
    Register<QV::GroupSpawner>(factory, "GroupSpawner", SD::CID_GroupSpawner);
    Register<QV::Firefly>(factory, "Firefly", SD::CID_Firefly);
    Register<QV::FloatingLightLogic>(factory, "FloatingLightLogic", QV::kFloatingLightLogicID);
    Register<QV::PulsingLightLogic>(factory, "PulsingLightLogic", SD::CID_PulsingLightLogic);
    Register<QV::FadeInLightLogic>(factory, "FadeInLightLogic", QV::kFadeInLightLogicID);
    Register<QV::CircularSpinningLightLogic>(factory, "CircularSpinningLightLogic", QV::kCircularSpinningLightLogicID);
    Register<QV::SimpleTombstoneLogic>(factory, "SimpleTombstoneLogic", QV::kSimpleTombstoneLogicID);
    Register<QV::ShortTombstone>(factory, "ShortTombstone", QV::kShortTombstoneID);
    Register<QV::MainTombstone>(factory, "MainTombstone", QV::kMainTombstoneID);
    QV::Firefly_Manager::GetInstance().Initialize();
    factory.SetObjectInFormat("xml");

    const std::string input(reinterpret_cast<const char*>(data), size);
    WriteFile(folder + "/world.xml", "<GameObjectBlueprints>" + std::string(kPlayer) +
                                         "<GameObjectBlueprint name=\"Fuzz\"><Components>" + input +
                                         "</Components></GameObjectBlueprint></GameObjectBlueprints>");
    factory.AddBlueprint((folder + "/world.xml").c_str());
    SD::GameObject* object = factory.CreateObject("Fuzz", nullptr);
    SD::GameObject* player = factory.CreateObject("Player", nullptr);
    if (player) {
        player->NameObject("Player");
        player->Initialize(false);
    }
    if (object) {
        object->Initialize(false);
        Gedankenexperiment::Physics_System::GetInstance()->BuildTree();
        for (int frame = 0; frame < 4; ++frame) {
            Gedankenexperiment::Physics_System::GetInstance()->Update(0.25f);
            SD::InterpolatorSystem::GetInstance().Update(0.25f);
            components.Update(0.25f);
            QV::Firefly_Manager::GetInstance().Update(0.25f);
            SD::Message_System::GetInstance()->Update(0.25f);
        }
        if (auto* tombstone = static_cast<QV::MainTombstone*>(object->GetComponent(QV::kMainTombstoneID)))
            tombstone->Activate();
        if (auto* trigger = static_cast<QV::Trigger*>(object->GetComponent(SD::CID_Trigger)))
            if (player) trigger->OnContact(static_cast<Gedankenexperiment::Collider*>(player->GetComponent(SD::CID_Collider)));
    }
    factory.Shutdown();
    QV::Firefly_Manager::DestroyInstance();
    Gedankenexperiment::Physics_System::DestroyInstance();
    SD::Message_System::DestroyInstance();
    return 0;
}
