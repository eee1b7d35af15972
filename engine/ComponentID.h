#pragma once
// The number of every component class: what VGetID returns, the index of the class's creator
// in the factory, and, for the older classes, the value scripts see through the CID_* constants.
// The table below is the one place that gives a class its number; the numbers reach scripts and
// the code of every library, so one is never changed or given to another class.
#include <cstddef>
#include <cstdint>

// SD_COMPONENT_KINDS(SCRIPT, OTHER) calls SCRIPT(Name, number) for a class with the script
// constant CID_Name and the enumerator CID_Name, and OTHER(Name, number) for a class with the
// enumerator kNameID and no script constant. Numbers 1, 3, 10, 11, 16, 21, 31, 34, 50 and 77 have
// a constant but no class.
// clang-format off
#define SD_COMPONENT_KINDS(SCRIPT, OTHER) \
    SCRIPT(Transform, 0) \
    SCRIPT(Logic, 1) \
    SCRIPT(LuaLogic, 2) \
    SCRIPT(GameObjectSpawner, 3) \
    SCRIPT(Group, 4) \
    OTHER(LuaComponent, 5) \
    SCRIPT(Body, 6) \
    SCRIPT(Geometry, 7) \
    SCRIPT(Light, 8) \
    SCRIPT(Phantom, 9) \
    SCRIPT(DMX, 10) \
    SCRIPT(Bot, 11) \
    SCRIPT(Player, 12) \
    SCRIPT(Camera, 13) \
    SCRIPT(Sprite, 14) \
    SCRIPT(UISprite, 15) \
    SCRIPT(AnimSprite, 16) \
    SCRIPT(SphericalCamera, 17) \
    SCRIPT(OrthoCamera, 18) \
    SCRIPT(CursorLogic, 19) \
    SCRIPT(Text, 20) \
    SCRIPT(Tile, 21) \
    SCRIPT(Floating, 22) \
    SCRIPT(VernholmCameraLogic, 23) \
    SCRIPT(Collider, 24) \
    SCRIPT(Firefly, 25) \
    SCRIPT(ParticleSystem, 26) \
    SCRIPT(DustSystem, 27) \
    SCRIPT(PlayerTrail, 28) \
    SCRIPT(Button, 29) \
    SCRIPT(Collider2D, 30) \
    SCRIPT(TriggerLogic, 31) \
    SCRIPT(FlowerPollen, 32) \
    SCRIPT(FlowerCollection, 33) \
    SCRIPT(Flower, 34) \
    SCRIPT(SpawnLogic, 35) \
    SCRIPT(FireflyDust, 36) \
    SCRIPT(HudCollector, 37) \
    SCRIPT(HudFade, 38) \
    SCRIPT(CircleEffect, 39) \
    SCRIPT(CheckBox, 40) \
    SCRIPT(Slider, 41) \
    SCRIPT(Snow, 42) \
    SCRIPT(ShootingStar, 43) \
    SCRIPT(TwinklingStars, 44) \
    SCRIPT(CrystalMist, 45) \
    SCRIPT(FireflyTrail, 46) \
    SCRIPT(WaterfallEffect, 47) \
    SCRIPT(QuorvantaLogic, 48) \
    SCRIPT(CloudLogic, 49) \
    SCRIPT(PondLogic, 50) \
    SCRIPT(Spawner, 51) \
    SCRIPT(StarfallTreeLeafLogic, 52) \
    SCRIPT(Fog, 53) \
    SCRIPT(WaterfallMist, 54) \
    SCRIPT(NaiveGrassBillboardLogic, 55) \
    SCRIPT(Trigger, 56) \
    SCRIPT(GroupSpawner, 57) \
    SCRIPT(SpringStarfallTreeLeafLogic, 58) \
    SCRIPT(SummerStarfallTreeLeafLogic, 59) \
    SCRIPT(GrassPatchLogic, 60) \
    SCRIPT(PulsingLightLogic, 61) \
    SCRIPT(ShortTombstone, 62) \
    SCRIPT(TallTombstoneLogic, 63) \
    SCRIPT(LilyPadLogic, 64) \
    SCRIPT(WindLogic, 65) \
    SCRIPT(WindTubeLogic, 66) \
    SCRIPT(ObscuraCamera, 67) \
    SCRIPT(QuorvPhantom, 68) \
    SCRIPT(ShaderWind, 69) \
    SCRIPT(FloatingBulbLogic, 70) \
    SCRIPT(MainTombstone, 71) \
    SCRIPT(Collector, 72) \
    SCRIPT(DirtParticles, 73) \
    SCRIPT(DataBarController, 74) \
    SCRIPT(WindTrigger, 75) \
    SCRIPT(GateDust, 76) \
    SCRIPT(RedCamera, 77) \
    SCRIPT(PimselMouse, 78) \
    SCRIPT(FireflyBlink, 79) \
    SCRIPT(SeasonTransitionLogic, 80) \
    SCRIPT(MountainSplitLogic, 81) \
    SCRIPT(SeasonalColorInterpLogic, 82) \
    OTHER(Terrain, 83) \
    SCRIPT(HudFadeTrigger, 84) \
    SCRIPT(PlayerSuperTrail, 85) \
    OTHER(WindStreamer, 86) \
    SCRIPT(RainSystem, 87) \
    OTHER(RainLogic, 88) \
    OTHER(SafeZone, 89) \
    OTHER(QuadParticleSystem, 90) \
    OTHER(FallingLeaves, 91) \
    OTHER(MoonGlow, 92) \
    OTHER(CameraTransitionTrigger, 93) \
    OTHER(RingTreeWindStreamLogic, 94) \
    OTHER(SyncLogic, 95) \
    OTHER(ParticleTester, 96) \
    OTHER(VineTrail, 97) \
    OTHER(FloatingIslandLogic, 98) \
    OTHER(CircularSpinningLightLogic, 99) \
    OTHER(FloatingLightLogic, 100) \
    OTHER(MoonLogic, 101) \
    OTHER(SimpleTombstoneLogic, 102) \
    OTHER(BubbleEffect, 103) \
    OTHER(SpinningLogic, 104) \
    OTHER(Name, 105) \
    OTHER(FadeInLightLogic, 106) \
    OTHER(HackProximitySpawn, 107) \
    OTHER(FireflyCollectionSparkles, 108) \
    OTHER(CrystalLogic, 109) \
    OTHER(GrassDust, 110) \
    OTHER(FloatingIslandGlowLogic, 111)
// clang-format on

namespace SD {

enum ComponentID : uint32_t {
#define SD_SCRIPT_KIND(name, number) CID_##name = number,
#define SD_OTHER_KIND(name, number) k##name##ID = number,
    SD_COMPONENT_KINDS(SD_SCRIPT_KIND, SD_OTHER_KIND)
#undef SD_SCRIPT_KIND
#undef SD_OTHER_KIND
    // One more than the highest number: the size of every table indexed by a component ID.
    CID_Total = 112,
};

// Marks a component whose creator has not stored its class's number yet.
constexpr ComponentID kUnsetComponentID = static_cast<ComponentID>(0xFFFF);

// One script constant: "CID_Geometry" and its value.
struct ComponentIDConstant {
    const char* name;
    ComponentID value;
};

// Every CID_* constant, CID_Total included, for the script layer to register as globals.
const ComponentIDConstant* ComponentIDConstants();
size_t ComponentIDConstantCount();

}  // namespace SD
