#pragma once
// The small world of the world logic tests with every scenery, weather, wind and trigger
// component registered, the rain and star effects among them, a play state the test sets, and
// the audio logic's state changes recorded.
#include <string>
#include <vector>

#include "WorldTestSupport.h"
#include "core/Season.h"
#include "engine/PlayStateQuery.h"
#include "game/components/CloudLogic.h"
#include "game/components/Collector.h"
#include "game/components/FloatingBulbLogic.h"
#include "game/components/GrassLogic.h"
#include "game/components/IslandLogic.h"
#include "game/components/LilyPadLogic.h"
#include "game/components/MoonLogic.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/QuorvPhantom.h"
#include "game/components/QuorvantaLogic.h"
#include "game/components/RainLogic.h"
#include "game/components/SceneryMarkers.h"
#include "game/components/SeasonTransitionLogic.h"
#include "game/components/SeasonalColorInterpLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/components/StarfallLeaves.h"
#include "game/components/SyncLogic.h"
#include "game/components/TallTombstoneLogic.h"
#include "game/components/Wind.h"
#include "game/hud/HudFade.h"
#include "game/systems/AudioLogic.h"
#include "graphics/photon/RainSystem.h"
#include "graphics/photon/SkyEffects.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"
#include "support/PlayStateDouble.h"

namespace worldtest {

inline uint32_t& PlayState() {
    static uint32_t state = 0;
    return state;
}

inline std::vector<std::string>& StateChanges() {
    static std::vector<std::string> changes;
    return changes;
}
inline void RecordState(uint32_t group, uint32_t state) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X %08X", group, state);
    StateChanges().push_back(text);
}

class WorldLogicFixture : public WorldFixture {
protected:
    WorldLogicFixture() {
        PlayState() = 0;
        StateChanges().clear();
        QV::AudioLogic_::DestroyInstance();
        QV::AudioLogic_::SetStateSetter(&RecordState);
        Register<QV::TallTombstoneLogic>("TallTombstoneLogic", SD::CID_TallTombstoneLogic);
        Register<QV::SimpleTombstoneLogic>("SimpleTombstoneLogic", SD::kSimpleTombstoneLogicID);
        Register<QV::WindLogic>("WindLogic", SD::CID_WindLogic);
        Register<QV::WindTubeLogic>("WindTubeLogic", SD::CID_WindTubeLogic);
        Register<QV::WindTrigger>("WindTrigger", SD::CID_WindTrigger);
        Register<QV::SeasonTransitionLogic>("SeasonTransitionLogic", SD::CID_SeasonTransitionLogic);
        Register<QV::SeasonalColorInterpLogic>("SeasonalColorInterpLogic", SD::CID_SeasonalColorInterpLogic);
        Register<QV::RainLogic>("RainLogic", SD::kRainLogicID);
        Register<QV::MoonLogic>("MoonLogic", SD::kMoonLogicID);
        Register<QV::SyncLogic>("SyncLogic", SD::kSyncLogicID);
        Register<QV::HackProximitySpawn>("HackProximitySpawn", SD::kHackProximitySpawnID);
        Register<QV::CameraTransitionTrigger>("CameraTransitionTrigger", SD::kCameraTransitionTriggerID);
        Register<QV::HudFadeTrigger>("HudFadeTrigger", SD::CID_HudFadeTrigger);
        Register<QV::HudFade>("HudFade", SD::CID_HudFade);
        Register<QV::Collector>("Collector", SD::CID_Collector);
        Register<QV::QuorvPhantom>("QuorvPhantom", SD::CID_QuorvPhantom);
        Register<SD::Phantom>("Phantom", SD::CID_Phantom);
        Register<QV::FloatingIslandGlowLogic>("FloatingIslandGlowLogic", SD::kFloatingIslandGlowLogicID);
        Register<QV::CrystalLogic>("CrystalLogic", SD::kCrystalLogicID);
        Register<QV::MountainSplitLogic>("MountainSplitLogic", SD::CID_MountainSplitLogic);
        Register<QV::FloatingIslandLogic>("FloatingIslandLogic", SD::kFloatingIslandLogicID);
        Register<QV::RingTreeWindStreamLogic>("RingTreeWindStreamLogic", SD::kRingTreeWindStreamLogicID);
        Register<QV::QuorvantaLogic>("QuorvantaLogic", SD::CID_QuorvantaLogic);
        Register<QV::FloatingBulbLogic>("FloatingBulbLogic", SD::CID_FloatingBulbLogic);
        Register<QV::LilyPadLogic>("LilyPadLogic", SD::CID_LilyPadLogic);
        Register<QV::GrassPatchLogic>("GrassPatchLogic", SD::CID_GrassPatchLogic);
        Register<QV::NaiveGrassBillboardLogic>("NaiveGrassBillboardLogic", SD::CID_NaiveGrassBillboardLogic);
        Register<QV::StarfallTreeLeafLogic>("StarfallTreeLeafLogic", SD::CID_StarfallTreeLeafLogic);
        Register<QV::SummerStarfallTreeLeafLogic>("SummerStarfallTreeLeafLogic", SD::CID_SummerStarfallTreeLeafLogic);
        Register<QV::SpringStarfallTreeLeafLogic>("SpringStarfallTreeLeafLogic", SD::CID_SpringStarfallTreeLeafLogic);
        Register<QV::CloudLogic>("CloudLogic", SD::CID_CloudLogic);
        Register<Aperture::Photon::RainSystem>("RainSystem", SD::CID_RainSystem);
        Register<Aperture::Photon::TwinklingStars>("TwinklingStars", SD::CID_TwinklingStars);
    }
    ~WorldLogicFixture() override {
        // The objects go before the audio logic they call.
        factory.Shutdown();
        QV::AudioLogic_::RemoveStateSetter(&RecordState);
        QV::AudioLogic_::DestroyInstance();
        delete SD::GhostEngine_::Existing();
    }

    template <class T>
    void Register(const char* name, SD::ComponentID id) {
        factory.RegisterComponentCreator(name, id, new SD::ComponentCreator<T>);
    }
    // A component's element with its fields.
    static std::string Component(const char* name, int version, const std::string& fields) {
        return Header(name, version) + fields + "</" + name + ">";
    }
    static std::string GroupXml(const char* name) { return Component("Group", 0, StringXml("Group Name", name)); }
    static std::string Vec4Xml(const char* name, SD::Vec4 v) {
        return std::string("<Vector4 name=\"") + name + "\"><Float value=\"" + Num(v.x) + "\"/><Float value=\"" +
               Num(v.y) + "\"/><Float value=\"" + Num(v.z) + "\"/><Float value=\"" + Num(v.w) + "\"/></Vector4>";
    }
    // Makes an object with a geometry of the colour.
    SD::GameObject* Lit(const char* blueprint, const std::string& name, SD::Vec3 at, SD::Vec4 colour = {1, 1, 1, 1}) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        EXPECT_NE(object, nullptr) << blueprint;
        if (!object) return nullptr;
        object->GetTransform().SetPos(at);
        object->NameObject(name);
        GiveGeometry(object, colour);
        object->Initialize(false);
        return object;
    }
    // Frames of the world, each ending with the factory's pending destructions.
    void Frames(int count, float dt) {
        for (int i = 0; i < count; ++i) {
            Frame(dt);
            factory.Update(dt);
        }
    }
    // Writes a component's data with the version and reads it into a fresh one of its class.
    template <class T>
    static std::vector<std::string> Written(T& component, int version) {
        ValueWriter writer;
        component.VSerialize(writer, version);
        return writer.values;
    }

    // The spring-to-summer weight of the world's season blend.
    static float SeasonBlend() { return SD::WorldSeason::Get().GetTransition(SD::SeasonTransition::kSpringToSummer); }

    qvtest::PlayStateDouble playStateQuery{PlayState()};
};

}  // namespace worldtest
