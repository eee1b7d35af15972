#include "graphics/Graphics.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"
#include "core/FileUtil.h"
#include "core/Logger.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "engine/GameObject.h"
#include "graphics/GraphicsMessages.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Font.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "platform/gfx/ViewMath.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Window.h"
#include "runtime/WindowMessages.h"

namespace Aperture {
namespace {

Graphics_* instance = nullptr;

constexpr float kPi = 3.14159265358979f;

SD::Mtx44 FromDevice(const platform::gfx::Matrix& m) {
    SD::Mtx44 out;
    for (int i = 0; i < 16; ++i) out.m[i] = m.m[i];
    return out;
}

}  // namespace

Graphics_* Graphics_::GetInstance() {
    if (!instance) new Graphics_();
    return instance;
}

Graphics_* Graphics_::Peek() { return instance; }

Graphics_::Graphics_() { instance = this; }

Graphics_::~Graphics_() {
    if (subscribed) Shutdown();
    // The material lookups reach into this system's tables.
    Resource::Material::SetLookups(nullptr, nullptr);
    screenQuad.reset();
    areaQuad.reset();
    if (meshDeclaration) meshDeclaration->Release();
    meshDeclaration = nullptr;
    if (instance == this) instance = nullptr;
}

void Graphics_::ReadConfig(SD::ConfigFile& config) {
    config.SetSection("Graphics");
    postProcess.SetOff(config.GetBool("no_post_process", false));
    renderShadows = config.GetBool("render_shadows", true);
    postProcess.SetBloom(config.GetBool("render_bloom", true));
    postProcess.SetDepthOfField(config.GetBool("render_depth_of_field", true));
    const std::string quality = config.GetString("reflection_quality", "high");
    if (quality == "high")
        reflectionQuality = 3;
    else if (quality == "medium")
        reflectionQuality = 2;
    else if (quality == "low")
        reflectionQuality = 1;
    else if (quality == "no")
        reflectionQuality = 0;
    else {
        SD_WARNING(Debug::kLogData, "[Graphics] reflection_quality=\"%s\" is not high, medium, low or no; high is used",
                   quality.c_str());
        reflectionQuality = 3;
    }
    reloadTarget = config.GetString("reload_target", "no_target");
    cameraNear = config.GetFloat("camera_near_distance", 1.0f);
    cameraFar = config.GetFloat("camera_far_distance", 20000.0f);
    waitForVsync = config.GetBool("wait_for_v_sync", false);
    generateMaps = config.GetBool("generate_maps", false);
    testCompile = SD::FilePath(config.GetString("test_compile", "").c_str());
}

void Graphics_::SetWindow(platform::Window* w, uint32_t width, uint32_t height, bool full) {
    window = w;
    windowWidth = width;
    windowHeight = height;
    fullscreen = full;
    device.SetParameters(window, fullscreen, width, height, targetAspect);
    renderWidth = device.GetRenderWidth();
    renderHeight = device.GetRenderHeight();
}

void Graphics_::Initialize() {
    if (!device.Create(waitForVsync)) throw std::runtime_error("the graphics device could not be created");
    defaultFov = 45;
    defaultView = FromDevice(platform::gfx::MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
    projection = FromDevice(platform::gfx::MatrixPerspectiveFovLH(
        static_cast<float>(defaultFov) * kPi / 180.0f,
        static_cast<float>(renderWidth) / static_cast<float>(std::max<uint32_t>(renderHeight, 1)), cameraNear,
        cameraFar));
    device.CreateResourceManager();

    Resource::Material::RegisterValueReaders();
    Resource::Material::SetLookups(
        [this](const std::string& name) {
            Resource::Effect* effect = GetEffect(name);
            if (!effect) ReportMissingOnce("Effect", name);
            return effect;
        },
        [this](const std::string& name) { return FindTexture(name); });
    if (generateMaps) {
        Debug::DebugPrint("Generating normal maps from height maps.\n");
        GenerateNormalMaps();
    }
    LoadShaders();
    CreateRenderBuffers();
    // Position and texture coordinate, the layout of the screen quad.
    device.GetDevice()->CreateVertexDeclaration({{0, 0, 2, 0, 0, 0}, {0, 12, 1, 0, 5, 0}}, &meshDeclaration);
    CreateVertexFormats();
    particleManager = std::make_unique<Photon::ParticleManager>(device.GetResourceManager());
    particleManager->Initialize();
    BindCriticalShaders();
    CreatePassResources();
    CreateScreenQuad();

    SD::Message_System* messages = SD::Message_System::GetInstance();
    messages->RegisterHandler(SD::MessageIds::ResolutionChange, this, &Graphics_::OnResolutionChange);
    messages->RegisterHandler(SD::MessageIds::BackgroundColor, this, &Graphics_::OnBackgroundColor);
    messages->RegisterHandler(SD::MessageIds::Resize, this, &Graphics_::OnResize);
    subscribed = true;
}

void Graphics_::Shutdown() {
    if (!subscribed) return;
    SD::Message_System* messages = SD::Message_System::GetInstance();
    messages->RemoveHandlerOf(SD::MessageIds::ResolutionChange, this);
    messages->RemoveHandlerOf(SD::MessageIds::BackgroundColor, this);
    messages->RemoveHandlerOf(SD::MessageIds::Resize, this);
    debugText.UnloadFonts();
    subscribed = false;
}

void Graphics_::LoadShaders() {
    // Searched with the folder's own case: file names are case-sensitive here.
    std::vector<SD::FilePath> files;
    if (!SD::ListFilesRecursive(kShaderFolder, "*.fx", files)) {
        Debug::ShowErrorBox("Graphics", 3222, "Could not find shader files");
        throw std::runtime_error("no effect files in " + std::string(kShaderFolder));
    }
    Resource::ResourceManager* manager = device.GetResourceManager();
    for (const SD::FilePath& file : files) {
        const std::string name = GetAssetName(file);
        Resource::Effect* effect = manager->CreateEffect(file);
        effect->SetName(name);
        AddEffect(name, effect);
    }
}

void Graphics_::BindCriticalShaders() {
    sharedEffect = GetEffect(kSharedEffectName);
    if (!sharedEffect) {
        Debug::ShowErrorBox("Graphics", 3272, "Error finding critical shader asset!\n");
        throw std::runtime_error(std::string("the effect ") + kSharedEffectName + " is missing");
    }
    for (size_t i = 0; i < static_cast<size_t>(EffectRole::kCount); ++i)
        roleEffects[i] = GetEffect(EffectRoleName(static_cast<EffectRole>(i)));
    // Without these a whole kind of drawing goes silently; say so once, by file.
    struct Needed {
        const char* name;
        const char* file;
        const char* lost;
    };
    static constexpr Needed kNeeded[] = {
        {"ui", "hud.fx", "the user-interface effect \"ui\" is not bound"},
        {"sprite", "sprite.fx", "user-interface sprites are not drawn"},
    };
    for (const Needed& effect : kNeeded)
        if (!GetEffect(effect.name))
            SD_WARNING(Debug::kLogError, "[Graphics] %s%s is missing: %s", kShaderFolder, effect.file, effect.lost);
}

const char* Graphics_::EffectRoleName(EffectRole role) {
    switch (role) {
        case EffectRole::kUserInterface:
            return "ui";
        case EffectRole::kDebug:
            return "debug";
        case EffectRole::kMotionBlur:
            return "motion_blur";
        case EffectRole::kGeometryBuffer:
            return "geo_buffer";
        case EffectRole::kLightPrepass:
            return "light_prepass";
        case EffectRole::kShadowDepth:
            return "shadow_depth_buffer";
        case EffectRole::kShadowDepthAlpha:
            return "shadow_depth_buffer_alpha";
        case EffectRole::kCount:
            break;
    }
    return "";
}

float Graphics_::ReflectionScale(int quality) {
    if (quality == 3) return 1.0f;
    if (quality == 2) return 0.66667f;
    return 0.33333f;
}

void Graphics_::CreateRenderBuffers() {
    Resource::ResourceManager* manager = device.GetResourceManager();
    mainColor = manager->CreateScaledRenderBuffer(1.0f, 1.0f);
    geometryBuffer = manager->CreateScaledRenderBuffer(1.0f, 1.0f);
    // The light buffer holds light in 0 to 1 (the sun's colour at most; the point lights added
    // over full sun are clipped at 1): 8 bits a channel keep it, and the renderer writes, blends
    // and reads them fastest.
    lightBuffer = manager->CreateScaledRenderBuffer(1.0f, 1.0f, platform::gfx::kFormatA8R8G8B8);
    const float scale = ReflectionScale(reflectionQuality);
    reflectionColor = manager->CreateScaledRenderBuffer(scale, scale);
    reflectionGeometry = manager->CreateScaledRenderBuffer(scale, scale);
    reflectionLight = manager->CreateScaledRenderBuffer(scale, scale, platform::gfx::kFormatA8R8G8B8);
}

Resource::Effect* Graphics_::GetEffect(const std::string& name) const {
    auto it = effects.find(name);
    return it == effects.end() ? nullptr : it->second;
}

void Graphics_::CreateScreenQuad() {
    platform::gfx::Device* d = device.GetDevice();
    if (!d || d->IsLost()) return;
    screenQuad = std::make_unique<ScreenQuad>(d);
    // The render area within the back buffer, where the finished scene is drawn.
    const platform::gfx::Rect area = PostProcessChain::FinalRectangle(
        renderWidth, renderHeight, device.GetBackBufferWidth(), device.GetBackBufferHeight());
    const float width = static_cast<float>(std::max<uint32_t>(device.GetBackBufferWidth(), 1));
    const float height = static_cast<float>(std::max<uint32_t>(device.GetBackBufferHeight(), 1));
    areaQuad =
        std::make_unique<ScreenQuad>(d, ScreenQuad::ClipRect{2.0f * static_cast<float>(area.left) / width - 1.0f,
                                                             1.0f - 2.0f * static_cast<float>(area.top) / height,
                                                             2.0f * static_cast<float>(area.right) / width - 1.0f,
                                                             1.0f - 2.0f * static_cast<float>(area.bottom) / height});
}

void Graphics_::SetVsync(bool on) {
    if (on == waitForVsync) return;
    waitForVsync = on;
    device.SetVsync(on);
}

void Graphics_::SetFullscreen(bool on) {
    if (on == fullscreen) return;
    fullscreen = on;
    device.SetFullscreen(on);
}

void Graphics_::SetResolution(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) {
        SD_WARNING(Debug::kLogData, "Resolution %ux%u ignored", width, height);
        return;
    }
    windowWidth = width;
    windowHeight = height;
    device.Resize(width, height);
    renderWidth = device.GetRenderWidth();
    renderHeight = device.GetRenderHeight();
    CreateScreenQuad();
}

bool Graphics_::OffersResolution(uint32_t width, uint32_t height) const {
    return displayModes.empty() ||
           std::find(displayModes.begin(), displayModes.end(), std::make_pair(width, height)) != displayModes.end();
}

void Graphics_::SetWaterQuality(int quality) {
    if (quality == reflectionQuality) return;
    reflectionQuality = quality;
    if (quality == 0) return;
    const float scale = ReflectionScale(quality);
    for (Resource::RenderBuffer* buffer : {reflectionColor, reflectionGeometry, reflectionLight}) {
        if (!buffer) continue;
        buffer->Unload();
        buffer->SetScale(scale, scale);
        buffer->Load();
    }
}

void Graphics_::OnResolutionChange(SD::IMessage* message) {
    auto* change = static_cast<SD::ResolutionChange*>(message);
    SetResolution(change->width, change->height);
    if (change->width == 0 || change->height == 0) return;
    if (SD::Window_* w = SD::Window_::GetInstance()) w->SetSize(change->width, change->height);
}

void Graphics_::OnBackgroundColor(SD::IMessage* message) {
    auto* color = static_cast<BackgroundColorMessage*>(message);
    backgroundColor = {color->red, color->green, color->blue};
}

// A minimised window reports a size of 0: the sizes stay as they were.
void Graphics_::OnResize(SD::IMessage* message) {
    auto* resize = static_cast<SD::Resize*>(message);
    if (!fullscreen && resize->width > 0 && resize->height > 0) {
        windowWidth = static_cast<uint32_t>(resize->width);
        windowHeight = static_cast<uint32_t>(resize->height);
        device.ComputeRenderArea(windowWidth, windowHeight);
        renderWidth = device.GetRenderWidth();
        renderHeight = device.GetRenderHeight();
    }
    CreateScreenQuad();
}

void Graphics_::Update(float dt) {
    accumulatedTime += dt;
    lastFrameTime = dt;
    SteerFovFromKeys(dt);
    UpdateGrassWave(dt);
    if (device.CheckDevice()) return;
    PrepareScene(dt);
    UpdateParticleSystems(dt);
    device.BeginScene();
    shownSprites = ShownSprites();
    particlesInBloom = false;
    if (!spritesHideScene) DrawScene();
    PostProcess();
    device.EndScene();
    device.Present();
}

void Graphics_::PostProcess() {
    postProcess.Run(*this, {mainColor, geometryBuffer, particlesInBloom ? particleTarget : nullptr});
}

void Graphics_::SteerFovFromKeys(float dt) {
    SD::Input_* input = SD::Input_::GetInstance();
    Camera* camera = GetActiveCamera();
    if (!input || !input->GetDevKeysEnabled() || !camera) return;
    // A target through zero would turn the projection inside out.
    auto steer = [camera](float degrees) { camera->SetTargetFov(std::clamp(degrees, 1.0f, Camera::kMaxFov)); };
    if (input->GetKeyState(SD::key_F7)) steer(camera->GetFov() + kFovKeyRate * dt);
    if (input->GetKeyState(SD::key_F5)) steer(camera->GetFov() - kFovKeyRate * dt);
}

void Graphics_::DrawScene() {
    // Every pass draws through the shared effect; without it there is nothing to draw with.
    if (!sharedEffect) return;
    SetFrameConstants();
    Camera* camera = GetActiveCamera();
    if (renderShadows) RenderShadowCascades();
    // Only reflective surfaces in the main view read the reflection: without one it is not drawn.
    if (reflectionQuality != 0 && !scenes[kMainScene].reflective.empty()) {
        SetProjection(sharedEffect);
        if (camera)
            camera->SetReflectedViewConstants(sharedEffect);
        else
            SetViewMatrix(sharedEffect);
        const SD::Mtx44& view = camera ? camera->GetReflectedView() : defaultView;
        SetWaterClipPlane(view);
        ScenePass(reflectionColor, reflectionGeometry, reflectionLight, scenes[kReflectionScene], view, false, false);
        sharedEffect->SetTexture("waterReflection", reflectionColor);
        device.GetDevice()->SetRenderState(platform::gfx::kRsClipPlaneEnable, 0);
    }
    SetViewMatrix(sharedEffect);
    SetProjection(sharedEffect);
    ScenePass(mainColor, geometryBuffer, lightBuffer, scenes[kMainScene], camera ? camera->GetView() : defaultView,
              true, renderShadows);
}

// One view: geometry buffer, lights, then the colour target: the materials, the sky (or the
// background without it), grass, reflective and transparent surfaces and the particles.
void Graphics_::ScenePass(Resource::RenderBuffer* color, Resource::RenderBuffer* geometry,
                          Resource::RenderBuffer* light, Scene& scene, const SD::Mtx44& view, bool mainView,
                          bool shadows) {
    geometry->Bind();
    // No surface anywhere: depth over the far distance is 1. The depth surface still holds the
    // view or the shadow cascade drawn before this one.
    Clear(true, 0.0f, 0.0f, 0.0f, 1.0f);
    DrawTerrain("Geometry");
    DrawBatches("Geometry", scene.opaque);
    geometry->Unbind();

    FillForwardLights(scene.lights, view);
    SetSunConstants(view, !scene.lights.empty(), shadows);
    // The light buffer starts dark for every view: a view without lights must not show the
    // lighting of the view drawn before it.
    light->Bind();
    Clear(false, 0.0f, 0.0f, 0.0f, 0.0f);
    light->Unbind();
    RenderLightPrePass(light, geometry, scene.lights);

    // The materials draw the same surfaces over the depth the geometry pass left: only the
    // nearest surface of a pixel passes the test, so each pixel is shaded once.
    sharedEffect->SetTexture("lightBuffer", light);
    color->Bind();
    // The background shows only where no sky is drawn.
    if (!SkyFillsView()) Clear(false, backgroundColor.x, backgroundColor.y, backgroundColor.z, 0.0f);
    DrawTerrain("Material");
    DrawBatches("Material", scene.opaque);
    color->Unbind();
    // After the opaque surfaces, which hide most of it, and before what blends over it.
    if (skyEnabled) DrawSky(color);

    // The grass's depth joins the geometry buffer after the sky: the sky shows behind the blades'
    // cut-outs, and the grass's colour then passes where its own depth lies.
    if (mainView) {
        Resource::Effect* depthEffect = GetEffect("particle_depth");
        if (depthEffect)
            BindTarget(geometry, depthEffect);
        else
            geometry->Bind();
        DrawParticles(ParticleStage::kDepth, scene.pointParticles);
        DrawGrass("GrassGeometry", scene.grass, &scene.grassOwners);
        geometry->Unbind();
    }

    color->Bind();
    DrawGrass("InstancedGrass", scene.grass, &scene.grassOwners);
    if (mainView) DrawReflective("Reflective", scene.reflective);
    DrawTransparent(scene.transparent);
    DrawPointSprites(color, geometry, scene.pointParticles, mainView);
    DrawParticles(ParticleStage::kQuad, scene.quadParticles);
    color->Unbind();
}

void Graphics_::DrawParticles(ParticleStage stage, const std::vector<CulledParticles*>& systems) {
    if (!particleManager || systems.empty()) return;
    const float width = static_cast<float>(renderWidth);
    switch (stage) {
        case ParticleStage::kDepth:
            // Without its own effect the depth step has nothing to draw with.
            if (Resource::Effect* effect = GetEffect("particle_depth"))
                particleManager->DrawPointSprites(systems, effect, width);
            break;
        case ParticleStage::kQuad:
            particleManager->DrawQuadSprites(systems, particleManager->GetQuadEffect());
            break;
    }
}

// Up to eight visible lights, with their view-space positions, as "light_info".
void Graphics_::FillForwardLights(const std::vector<Light*>& lights, const SD::Mtx44& view) {
    unsigned count = 0;
    for (Light* light : lights) {
        SD::Vec3 p(0.0f, 0.0f, 0.0f);
        if (SD::GameObject* owner = light->GetOwner()) p = owner->GetTransform().GetPos();
        light->SetViewPosition(ViewTransform(view, p, 1.0f));
        if (count < kForwardLights) {
            std::memcpy(forwardLights[count].m, &light->GetInfo(), sizeof(LightInfo));
            ++count;
        }
    }
    sharedEffect->SetLightInfo(forwardLights, count);
}

void Graphics_::DrawDebugText(int x, int y, const char* format, ...) {
    va_list args;
    va_start(args, format);
    debugText.Format(x, y, format, args);
    va_end(args);
}

Resource::Font* Graphics_::GetFont(const std::string& name, int width, int height) {
    Resource::Font* font = debugText.FileFont(device.GetResourceManager(), name, width, height);
    if (font && !font->GetFont()) {
        ReportMissingOnce("Font", name + " " + std::to_string(width) + "x" + std::to_string(height));
        return nullptr;
    }
    return font;
}

void Graphics_::DrawQueuedText() {
    for (const DebugTextQueue::Line& line : debugText.Lines())
        if (Resource::Font* font = GetFont(line.fontName, line.fontWidth, line.fontHeight))
            Resource::Font::DrawText(line.x, line.y, font, line.text, line.color);
    for (Text* text : sceneLists.Texts()) text->Draw();
    debugText.Clear();
}

}  // namespace Aperture
