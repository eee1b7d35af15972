#pragma once
// The number of every component class: what VGetID returns, the index of the class's creator
// in the factory, and the value scripts see through the CID_* constants.
#include <cstddef>
#include <cstdint>

namespace SD {

enum ComponentID : uint32_t {
    CID_Transform = 0,
    CID_Logic = 1,
    CID_LuaLogic = 2,
    CID_GameObjectSpawner = 3,
    CID_Group = 4,
    CID_Body = 6,
    CID_Geometry = 7,
    CID_Light = 8,
    CID_Phantom = 9,
    CID_DMX = 10,
    CID_Bot = 11,
    CID_Player = 12,
    CID_Camera = 13,
    CID_Sprite = 14,
    CID_UISprite = 15,
    CID_AnimSprite = 16,
    CID_SphericalCamera = 17,
    CID_OrthoCamera = 18,
    CID_CursorLogic = 19,
    CID_Text = 20,
    CID_Tile = 21,
    CID_Floating = 22,
    CID_VernholmCameraLogic = 23,
    CID_Collider = 24,
    CID_Firefly = 25,
    CID_ParticleSystem = 26,
    CID_DustSystem = 27,
    CID_PlayerTrail = 28,
    CID_Button = 29,
    CID_Collider2D = 30,
    CID_TriggerLogic = 31,
    CID_FlowerPollen = 32,
    CID_FlowerCollection = 33,
    CID_Flower = 34,
    CID_SpawnLogic = 35,
    CID_FireflyDust = 36,
    CID_HudCollector = 37,
    CID_HudFade = 38,
    CID_CircleEffect = 39,
    CID_CheckBox = 40,
    CID_Slider = 41,
    CID_Snow = 42,
    CID_ShootingStar = 43,
    CID_TwinklingStars = 44,
    CID_CrystalMist = 45,
    CID_FireflyTrail = 46,
    CID_WaterfallEffect = 47,
    CID_QuorvantaLogic = 48,
    CID_CloudLogic = 49,
    CID_PondLogic = 50,
    CID_Spawner = 51,
    CID_StarfallTreeLeafLogic = 52,
    CID_Fog = 53,
    CID_WaterfallMist = 54,
    CID_NaiveGrassBillboardLogic = 55,
    CID_Trigger = 56,
    CID_GroupSpawner = 57,
    CID_SpringStarfallTreeLeafLogic = 58,
    CID_SummerStarfallTreeLeafLogic = 59,
    CID_GrassPatchLogic = 60,
    CID_PulsingLightLogic = 61,
    CID_ShortTombstone = 62,
    CID_TallTombstoneLogic = 63,
    CID_LilyPadLogic = 64,
    CID_WindLogic = 65,
    CID_WindTubeLogic = 66,
    CID_ObscuraCamera = 67,
    CID_QuorvPhantom = 68,
    CID_ShaderWind = 69,
    CID_FloatingBulbLogic = 70,
    CID_MainTombstone = 71,
    CID_Collector = 72,
    CID_DirtParticles = 73,
    CID_DataBarController = 74,
    CID_WindTrigger = 75,
    CID_GateDust = 76,
    CID_RedCamera = 77,
    CID_PimselMouse = 78,
    CID_FireflyBlink = 79,
    CID_SeasonTransitionLogic = 80,
    CID_MountainSplitLogic = 81,
    CID_SeasonalColorInterpLogic = 82,
    CID_HudFadeTrigger = 84,
    CID_PlayerSuperTrail = 85,
    CID_RainSystem = 87,
    CID_Total = 112,
};

// Classes whose number has no script constant.
constexpr ComponentID kLuaComponentID = static_cast<ComponentID>(5);
constexpr ComponentID kTerrainID = static_cast<ComponentID>(83);
constexpr ComponentID kWindStreamerID = static_cast<ComponentID>(86);
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
