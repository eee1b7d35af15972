// Feeds arbitrary bytes to the factory as the component list of a blueprint that may carry
// every world logic component (trigger, spawner, group spawner, spawn logic, floating and
// spinning logic, firefly, the lights and the tombstones, wind, seasons, rain, moon, proximity
// triggers, collector, music-aware phantom, island, crystal, mountain and scenery, with a
// collider and a group), creates the object, runs a few frames (the firefly manager's too) in
// which the player touches it, and destroys it.
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
#include "game/components/CloudLogic.h"
#include "game/components/Collector.h"
#include "game/components/FloatingBulbLogic.h"
#include "game/components/FloatingLogic.h"
#include "game/components/GrassLogic.h"
#include "game/components/GroupSpawner.h"
#include "game/components/IslandLogic.h"
#include "game/components/LightLogic.h"
#include "game/components/LilyPadLogic.h"
#include "game/components/MoonLogic.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/QuorvPhantom.h"
#include "game/components/QuorvantaLogic.h"
#include "game/components/RainLogic.h"
#include "game/components/SeasonTransitionLogic.h"
#include "game/components/SeasonalColorInterpLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/SpinningLogic.h"
#include "game/components/StarfallLeaves.h"
#include "game/components/SyncLogic.h"
#include "game/components/TallTombstoneLogic.h"
#include "game/components/Tombstones.h"
#include "game/components/Trigger.h"
#include "game/components/Wind.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/systems/AudioLogic.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "runtime/InterpolatorSystem.h"
#include "sound/system/GhostEngine.h"

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

template <class T>
void Register(SD::Factory_& factory, const char* name, SD::ComponentID id) {
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
    Register<QV::SpinningLogic>(factory, "SpinningLogic", SD::kSpinningLogicID);
    Register<QV::SpawnLogic>(factory, "SpawnLogic", SD::CID_SpawnLogic);
    Register<QV::Spawner>(factory, "Spawner", SD::CID_Spawner);
    Register<QV::Trigger>(factory, "Trigger", SD::CID_Trigger);
    Register<QV::GroupSpawner>(factory, "GroupSpawner", SD::CID_GroupSpawner);
    Register<QV::Firefly>(factory, "Firefly", SD::CID_Firefly);
    Register<QV::FloatingLightLogic>(factory, "FloatingLightLogic", SD::kFloatingLightLogicID);
    Register<QV::PulsingLightLogic>(factory, "PulsingLightLogic", SD::CID_PulsingLightLogic);
    Register<QV::FadeInLightLogic>(factory, "FadeInLightLogic", SD::kFadeInLightLogicID);
    Register<QV::CircularSpinningLightLogic>(factory, "CircularSpinningLightLogic", SD::kCircularSpinningLightLogicID);
    Register<QV::SimpleTombstoneLogic>(factory, "SimpleTombstoneLogic", SD::kSimpleTombstoneLogicID);
    Register<QV::ShortTombstone>(factory, "ShortTombstone", SD::CID_ShortTombstone);
    Register<QV::MainTombstone>(factory, "MainTombstone", SD::CID_MainTombstone);
    Register<QV::TallTombstoneLogic>(factory, "TallTombstoneLogic", SD::CID_TallTombstoneLogic);
    Register<QV::WindLogic>(factory, "WindLogic", SD::CID_WindLogic);
    Register<QV::WindTubeLogic>(factory, "WindTubeLogic", SD::CID_WindTubeLogic);
    Register<QV::WindTrigger>(factory, "WindTrigger", SD::CID_WindTrigger);
    Register<QV::SeasonTransitionLogic>(factory, "SeasonTransitionLogic", SD::CID_SeasonTransitionLogic);
    Register<QV::SeasonalColorInterpLogic>(factory, "SeasonalColorInterpLogic", SD::CID_SeasonalColorInterpLogic);
    Register<QV::RainLogic>(factory, "RainLogic", SD::kRainLogicID);
    Register<QV::MoonLogic>(factory, "MoonLogic", SD::kMoonLogicID);
    Register<QV::SyncLogic>(factory, "SyncLogic", SD::kSyncLogicID);
    Register<QV::HackProximitySpawn>(factory, "HackProximitySpawn", SD::kHackProximitySpawnID);
    Register<QV::CameraTransitionTrigger>(factory, "CameraTransitionTrigger", SD::kCameraTransitionTriggerID);
    Register<QV::HudFadeTrigger>(factory, "HudFadeTrigger", SD::CID_HudFadeTrigger);
    Register<QV::Collector>(factory, "Collector", SD::CID_Collector);
    Register<QV::QuorvPhantom>(factory, "QuorvPhantom", SD::CID_QuorvPhantom);
    Register<QV::FloatingIslandGlowLogic>(factory, "FloatingIslandGlowLogic", SD::kFloatingIslandGlowLogicID);
    Register<QV::CrystalLogic>(factory, "CrystalLogic", SD::kCrystalLogicID);
    Register<QV::MountainSplitLogic>(factory, "MountainSplitLogic", SD::CID_MountainSplitLogic);
    Register<QV::FloatingBulbLogic>(factory, "FloatingBulbLogic", SD::CID_FloatingBulbLogic);
    Register<QV::LilyPadLogic>(factory, "LilyPadLogic", SD::CID_LilyPadLogic);
    Register<QV::GrassPatchLogic>(factory, "GrassPatchLogic", SD::CID_GrassPatchLogic);
    Register<QV::NaiveGrassBillboardLogic>(factory, "NaiveGrassBillboardLogic", SD::CID_NaiveGrassBillboardLogic);
    Register<QV::StarfallTreeLeafLogic>(factory, "StarfallTreeLeafLogic", SD::CID_StarfallTreeLeafLogic);
    Register<QV::CloudLogic>(factory, "CloudLogic", SD::CID_CloudLogic);
    Register<QV::QuorvantaLogic>(factory, "QuorvantaLogic", SD::CID_QuorvantaLogic);
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
        SD::FixedSteps fixedSteps;
        for (int frame = 0; frame < 4; ++frame) {
            SD::RunFixedSteps(fixedSteps.Advance(0.25), {Gedankenexperiment::Physics_System::GetInstance(), &components,
                                                         &QV::Firefly_Manager::GetInstance()});
            SD::InterpolatorSystem::GetInstance().Update(0.25f);
            components.Update(0.25f);
            QV::Firefly_Manager::GetInstance().Update(0.25f);
            SD::Message_System::GetInstance()->Update(0.25f);
        }
        if (auto* tombstone = static_cast<QV::MainTombstone*>(object->GetComponent(SD::CID_MainTombstone)))
            tombstone->Activate();
        if (auto* rain = static_cast<QV::RainLogic*>(object->GetComponent(SD::kRainLogicID))) rain->Enable(true);
        if (auto* moon = static_cast<QV::MoonLogic*>(object->GetComponent(SD::kMoonLogicID))) moon->Step();
        if (auto* hack = static_cast<QV::HackProximitySpawn*>(object->GetComponent(SD::kHackProximitySpawnID)))
            hack->Arm();
        if (auto* phantom = static_cast<QV::QuorvPhantom*>(object->GetComponent(SD::CID_QuorvPhantom)))
            phantom->PlaySound();
        components.Update(0.25f);
        if (auto* trigger = static_cast<QV::Trigger*>(object->GetComponent(SD::CID_Trigger)))
            if (player)
                trigger->OnContact(static_cast<Gedankenexperiment::Collider*>(player->GetComponent(SD::CID_Collider)));
    }
    factory.Shutdown();
    QV::Firefly_Manager::DestroyInstance();
    QV::AudioLogic_::DestroyInstance();
    delete SD::GhostEngine_::Existing();
    Gedankenexperiment::Physics_System::DestroyInstance();
    SD::Message_System::DestroyInstance();
    return 0;
}
