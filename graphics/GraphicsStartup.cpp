#include "graphics/GraphicsStartup.h"

#include "engine/ComponentCreator.h"
#include "graphics/Graphics.h"
#include "engine/ScriptBindings.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/GraphicsScript.h"
#include "graphics/components/Light.h"
#include "graphics/components/LightScript.h"
#include "graphics/components/OrthoCamera.h"
#include "graphics/components/SphericalCamera.h"
#include "graphics/components/Sprite.h"
#include "graphics/components/Text.h"
#include "graphics/components/Terrain.h"
#include "graphics/photon/CollectionSparkles.h"
#include "graphics/photon/FallingLeaves.h"
#include "graphics/photon/FireflyEffects.h"
#include "graphics/photon/FlowerPollen.h"
#include "graphics/photon/GrassDust.h"
#include "graphics/photon/MistEffects.h"
#include "graphics/photon/PlayerTrail.h"
#include "graphics/photon/RainSystem.h"
#include "graphics/photon/SkyEffects.h"
#include "graphics/photon/SmallEffects.h"
#include "graphics/photon/Snow.h"
#include "graphics/photon/SuperTrailScript.h"
#include "graphics/photon/WindDustMotes.h"
#include "graphics/photon/WindStreamer.h"
#include "platform/window/DisplayModes.h"
#include "runtime/Registration.h"
#include "runtime/Window.h"

namespace Aperture {

namespace {

SD::ISystem* MakeGraphics() { return Graphics_::GetInstance(); }

// The graphics system creates its device on the game window and learns the sizes its display
// can show the game at.
class GraphicsWindowReceiver : public SD::IWindowReceiver {
public:
    void ReceiveWindow(SD::Window_& window, const SD::WindowSettings& settings) override {
        Graphics_* graphics = Graphics_::Peek();
        if (!graphics) return;
        graphics->SetWindow(window.GetPlatformWindow(), window.GetWidth(), window.GetHeight(),
                            settings.deviceFullScreen);
        graphics->SetDisplayModes(platform::DisplayModes());
    }
};

// The summary's draw calls are those the graphics device recorded in the last frame.
class GraphicsDrawCallCounter : public SD::IDrawCallCounter {
public:
    unsigned long LastFrameDrawCalls() const override {
        Graphics_* graphics = Graphics_::Peek();
        platform::gfx::Device* device = graphics ? graphics->GetDeviceLayer().GetDevice() : nullptr;
        return device ? device->LastFrameDrawCalls() : 0;
    }
};

}  // namespace

// The engine core deletes the system with the others; its device is created on the window
// when the core initialises it.
void InstallGraphics(SD::Registrations& registrations) {
    // The frame is drawn once every object has its final place for it.
    registrations.SupplySystem("Graphics_", &MakeGraphics, true, {{"Transformer"}, {"Factory"}});
    registrations.SupplyComponent("Geometry", SD::CID_Geometry, &SD::MakeComponentCreator<Geometry>);
    registrations.SupplyComponent("Light", SD::CID_Light, &SD::MakeComponentCreator<Light>);
    registrations.SupplyComponent("Camera", SD::CID_Camera, &SD::MakeComponentCreator<Camera>);
    registrations.SupplyComponent("SphericalCamera", SD::CID_SphericalCamera,
                                  &SD::MakeComponentCreator<SphericalCamera>);
    registrations.SupplyComponent("OrthoCamera", SD::CID_OrthoCamera, &SD::MakeComponentCreator<OrthoCamera>);
    registrations.SupplyComponent("Aperture::Terrain", SD::kTerrainID, &SD::MakeComponentCreator<Terrain>);
    registrations.SupplyComponent("Sprite", SD::CID_Sprite, &SD::MakeComponentCreator<Sprite>);
    registrations.SupplyComponent("UISprite", SD::CID_UISprite, &SD::MakeComponentCreator<UISprite>);
    registrations.SupplyComponent("Text", SD::CID_Text, &SD::MakeComponentCreator<Text>);
    registrations.SupplyComponent("ParticleSystem", SD::CID_ParticleSystem,
                                  &SD::MakeComponentCreator<Photon::ParticleSystem>);
    registrations.SupplyComponent("QuadParticleSystem", SD::kQuadParticleSystemID,
                                  &SD::MakeComponentCreator<Photon::QuadParticleSystem>);
    registrations.SupplyComponent("VineTrail", SD::kVineTrailID, &SD::MakeComponentCreator<Photon::VineTrail>);
    registrations.SupplyComponent("ParticleTester", SD::kParticleTesterID,
                                  &SD::MakeComponentCreator<Photon::ParticleTester>);
    registrations.SupplyComponent("CircleEffect", SD::CID_CircleEffect,
                                  &SD::MakeComponentCreator<Photon::CircleEffect>);
    registrations.SupplyComponent("DirtParticles", SD::CID_DirtParticles,
                                  &SD::MakeComponentCreator<Photon::DirtParticles>);
    registrations.SupplyComponent("MoonGlow", SD::kMoonGlowID, &SD::MakeComponentCreator<Photon::MoonGlow>);
    registrations.SupplyComponent("BubbleEffect", SD::kBubbleEffectID, &SD::MakeComponentCreator<Photon::BubbleEffect>);
    registrations.SupplyComponent("GrassDust", SD::kGrassDustID, &SD::MakeComponentCreator<Photon::GrassDust>);
    registrations.SupplyComponent("FireflyCollectionSparkles", SD::kFireflyCollectionSparklesID,
                                  &SD::MakeComponentCreator<Photon::FireflyCollectionSparkles>);
    registrations.SupplyComponent("RainSystem", SD::CID_RainSystem, &SD::MakeComponentCreator<Photon::RainSystem>);
    registrations.SupplyComponent("FallingLeaves", SD::kFallingLeavesID,
                                  &SD::MakeComponentCreator<Photon::FallingLeaves>);
    registrations.SupplyComponent("FlowerPollen", SD::CID_FlowerPollen,
                                  &SD::MakeComponentCreator<Photon::FlowerPollen>);
    registrations.SupplyComponent("Aperture::Photon::WindStreamer", SD::kWindStreamerID,
                                  &SD::MakeComponentCreator<Photon::WindStreamer>);
    registrations.SupplyComponent("PlayerSuperTrail", SD::CID_PlayerSuperTrail,
                                  &SD::MakeComponentCreator<Photon::PlayerSuperTrail>);
    registrations.SupplyComponent("GateDust", SD::CID_GateDust, &SD::MakeComponentCreator<Photon::GateDust>);
    registrations.SupplyComponent("Aperture::Photon::FireflyBlink", SD::CID_FireflyBlink,
                                  &SD::MakeComponentCreator<Photon::FireflyBlink>);
    registrations.SupplyComponent("FireflyTrail", SD::CID_FireflyTrail,
                                  &SD::MakeComponentCreator<Photon::FireflyTrail>);
    registrations.SupplyComponent("Fog", SD::CID_Fog, &SD::MakeComponentCreator<Photon::Fog>);
    registrations.SupplyComponent("WaterfallMist", SD::CID_WaterfallMist,
                                  &SD::MakeComponentCreator<Photon::WaterfallMist>);
    registrations.SupplyComponent("WaterfallEffect", SD::CID_WaterfallEffect,
                                  &SD::MakeComponentCreator<Photon::WaterfallEffect>);
    registrations.SupplyComponent("TwinklingStars", SD::CID_TwinklingStars,
                                  &SD::MakeComponentCreator<Photon::TwinklingStars>);
    registrations.SupplyComponent("ShootingStar", SD::CID_ShootingStar,
                                  &SD::MakeComponentCreator<Photon::ShootingStar>);
    registrations.SupplyComponent("Snow", SD::CID_Snow, &SD::MakeComponentCreator<Photon::Snow>);
    registrations.SupplyComponent("PlayerTrail", SD::CID_PlayerTrail, &SD::MakeComponentCreator<Photon::PlayerTrail>);
    static bool scriptsAdded = false;
    if (!scriptsAdded) {
        scriptsAdded = true;
        SD::AddScriptClass(LightScriptClass());
        SD::AddScriptClass(GraphicsScriptClass());
        SD::AddScriptClass(Photon::PlayerSuperTrailScriptClass());
        SD::AddScriptClass(Photon::VertexDataScriptClass());
        SD::AddScriptFunction("PrintText", &ScriptPrintText);
    }
    static GraphicsWindowReceiver windowReceiver;
    registrations.SetWindowReceiver(&windowReceiver);
    static GraphicsDrawCallCounter drawCallCounter;
    registrations.SetDrawCallCounter(&drawCallCounter);
}

}  // namespace Aperture
