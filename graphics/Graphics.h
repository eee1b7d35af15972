#pragma once
// The graphics system: owns the device layer, the resource manager and the effect table, and
// draws one frame per engine update: per-frame constants on the shared scene effect, the water
// reflection and the main view through their render buffers, then presents.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/FilePath.h"
#include "core/Matrix.h"
#include "core/System.h"
#include "core/Vector.h"
#include "graphics/DX9Abstract.h"
#include "graphics/DebugTextQueue.h"
#include "engine/IntrusiveList.h"
#include "graphics/GrassField.h"
#include "graphics/GrassTree.h"
#include "graphics/ParticleCulling.h"
#include "graphics/PostProcessChain.h"
#include "graphics/RenderBatch.h"
#include "graphics/Scene.h"
#include "graphics/components/Camera.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "graphics/components/Sprite.h"
#include "graphics/components/Text.h"
#include "graphics/components/Terrain.h"
#include "graphics/ScreenQuad.h"
#include "graphics/SceneLists.h"
#include "graphics/SeasonLook.h"
#include "platform/window/DisplayModes.h"

namespace SD {
class GameObject;
class IMessage;
class WorkerPool;
}  // namespace SD

namespace Aperture {

namespace Photon {
class ParticleManager;
}

namespace Resource {
class Effect;
class RenderBuffer;
class iTexture;
class Material;
class Model;
class iModel;
class MeshVertex;
class MeshVertexInst;
class GrassVertex;
class DefaultVertex;
class DebugVertex;
class LightVertex;
class Font;
class Mesh;
class Plane;
template <class T>
class InstanceBuffer;
}  // namespace Resource

// Where the frame asks the particle systems to draw besides the point sprites of a view
// (Graphics_::DrawPointSprites): into the geometry buffer (depth), and the quad systems of a
// view into its colour target.
enum class ParticleStage { kDepth, kQuad };

class Graphics_ : public SD::ISystem {
public:
    static constexpr const char* kShaderFolder = "../Graphics/shaders/";
    static constexpr const char* kSharedEffectName = "forward_phong_illum";

    using RenderItem = ::Aperture::RenderItem;
    using RenderBatch = ::Aperture::RenderBatch;
    using RenderBatchList = ::Aperture::RenderBatchList;
    using Scene = ::Aperture::Scene;
    static constexpr int kCascadeCount = 3;
    // Each cascade's map is this many texels on a side; the atlas holds them side by side.
    static constexpr uint32_t kShadowMapSize = 512;
    static constexpr const char* kShadowCasterName = "ShadowCaster";
    static constexpr const char* kShadowCasterBlueprint = "ObjectTemplates/ShadowCaster";
    enum SceneIndex { kMainScene, kReflectionScene, kCascadeScene1, kCascadeScene2, kCascadeScene3, kSceneCount };

    // Created on first use; the engine core that it is handed to deletes it.
    static Graphics_* GetInstance();
    // The live instance, never creating one.
    static Graphics_* Peek();

    Graphics_();
    ~Graphics_() override;
    Graphics_(const Graphics_&) = delete;
    Graphics_& operator=(const Graphics_&) = delete;

    const char* GetName() const override { return "Graphics"; }
    void ReadConfig(SD::ConfigFile& config) override;
    // Creates the device, the resource manager, the effects, the render buffers and the screen
    // quad, and subscribes to its messages. Throws after the error box when the device or the
    // critical effects cannot be had: the program cannot go on without them.
    void Initialize() override;
    void Shutdown() override;
    void Update(float dt) override;

    // Called once by start-up before Initialize.
    void SetWindow(platform::Window* window, uint32_t width, uint32_t height, bool fullscreen);

    void SetVsync(bool waitForVsync);
    bool GetVsync() const { return waitForVsync; }
    void SetFullscreen(bool fullscreen);
    bool GetFullscreen() const { return fullscreen; }
    void SetResolution(uint32_t width, uint32_t height);
    // The sizes the display can show the game at, filled from the window system when start-up
    // hands the graphics system its window (platform/window/DisplayModes.h).
    using DisplayMode = platform::DisplayMode;  // width, height
    void SetDisplayModes(std::vector<DisplayMode> modes) { displayModes = std::move(modes); }
    // One of the display modes, or any while there are none.
    bool OffersResolution(uint32_t width, uint32_t height) const;
    void SetWaterQuality(int quality);
    int GetWaterQuality() const { return reflectionQuality; }
    void SetRenderShadows(bool on) { renderShadows = on; }
    bool GetRenderShadows() const { return renderShadows; }
    void SetRenderBloom(bool on) { postProcess.SetBloom(on); }
    bool GetRenderBloom() const { return postProcess.GetBloom(); }
    void SetRenderDOF(bool on) { postProcess.SetDepthOfField(on); }
    bool GetRenderDOF() const { return postProcess.GetDepthOfField(); }
    void SetSkyEnabled(bool on) { skyEnabled = on; }
    bool GetSkyEnabled() const { return skyEnabled; }
    SD::Vec2 GetRenderSize() const { return {static_cast<float>(renderWidth), static_cast<float>(renderHeight)}; }
    uint32_t GetWindowWidth() const { return windowWidth; }
    uint32_t GetWindowHeight() const { return windowHeight; }

    // Settings read from the configuration.
    bool GetNoPostProcess() const { return postProcess.IsOff(); }
    bool GetGenerateMaps() const { return generateMaps; }
    float GetCameraNear() const { return cameraNear; }
    float GetCameraFar() const { return cameraFar; }
    const std::string& GetReloadTarget() const { return reloadTarget; }
    const SD::FilePath& GetTestCompile() const { return testCompile; }
    const SD::Vec3& GetBackgroundColor() const { return backgroundColor; }

    // The ambient and fog that the season cycle drives.
    SeasonLook& GetSeasonLook() { return seasonLook; }
    const SeasonLook& GetSeasonLook() const { return seasonLook; }

    // Per-frame constants and the render-target routines of the passes.
    void SetFrameConstants();
    void SetViewMatrix(Resource::Effect* effect);
    SD::Mtx44 BuildProjection();
    SD::Mtx44 SetProjection(Resource::Effect* effect);
    void SetWaterClipPlane(const SD::Mtx44& view);
    // Clears the bound target with depth 1 and stencil 0; colour only unless clearDepth.
    void Clear(bool clearDepth, float red, float green, float blue, float alpha);
    // 0xAARRGGBB from channels in 0..1, each truncated after scaling by 255.
    static uint32_t PackColor(float red, float green, float blue, float alpha);
    void BindTarget(RenderTarget* target, Resource::Effect* effect);
    // Draws the quad (the whole target when null) with every pass of the effect.
    void DrawFullScreenQuad(Resource::Effect* effect, ScreenQuad* quad = nullptr);
    // Rebuilds the screen quad and the render area's quad unless the device is lost.
    void CreateScreenQuad();

    // The effect filed under the name, or null.
    Resource::Effect* GetEffect(const std::string& name) const;

    // Asset names: a file name listed in the asset-name table maps to its asset name; any
    // other path gives its file name without extension.
    static std::string GetAssetName(const SD::FilePath& path);
    static std::string ResolveAssetName(const std::string& name);
    // The file under kShaderFolder an effect of that name is loaded from.
    static std::string EffectFile(const std::string& effectName);

    // Loaders: 0 loaded, 2 already filed under that name (textures and models), 3 the device
    // is lost and nothing was loaded. A material file that cannot be read gives 1.
    static constexpr int kLoaded = 0;
    static constexpr int kLoadFailed = 1;
    static constexpr int kAlreadyLoaded = 2;
    static constexpr int kDeviceLost = 3;
    int LoadTexture(const SD::FilePath& path);
    int LoadTextureFile(const std::string& file);
    int LoadModel(const SD::FilePath& path);
    int LoadModelFile(const std::string& file);
    int LoadMaterial(const SD::FilePath& path);
    int LoadMaterialFile(const std::string& file);
    // Reads the three manifests and loads every file they list: textures, then materials (they
    // bind the textures), then models (they bind the materials). False when a manifest
    // cannot be read.
    bool LoadManifests(const std::string& textureManifest, const std::string& materialManifest,
                       const std::string& modelManifest);

    // Table registration: a second texture or model under a name is ignored; a second effect
    // replaces and deletes the first and re-reads the materials that used it.
    void AddEffect(const std::string& name, Resource::Effect* effect);
    void AddTexture(const std::string& name, Resource::iTexture* texture);
    void AddModel(const std::string& name, Resource::iModel* model);
    Resource::Effect* FindEffect(const std::string& name) const { return GetEffect(name); }
    Resource::iTexture* FindTexture(const std::string& name) const;
    // Logs a name that is not filed and gives null.
    Resource::Material* FindMaterial(const std::string& name) const;
    Resource::iModel* FindModel(const std::string& name) const;
    // The meshes and models made from primitives that levels may name.
    void CreateBuiltInModels();
    // Writes a normal map beside the textures for every height map; stops the program when
    // there is none.
    void GenerateNormalMaps();
    static constexpr const char* kHeightMapFolder = "../Assets/Textures/HeightMaps/";
    static constexpr const char* kNormalMapFolder = "../Assets/Textures/NormalMaps/";
    Resource::Effect* GetSharedEffect() const { return sharedEffect; }
    // The effects the passes draw with, bound by fixed names after the shaders are loaded; a
    // name that is not loaded leaves its role without an effect.
    enum class EffectRole {
        kUserInterface,
        kDebug,
        kMotionBlur,
        kGeometryBuffer,
        kLightPrepass,
        kShadowDepth,
        kShadowDepthAlpha,
        kCount
    };
    static const char* EffectRoleName(EffectRole role);
    Resource::Effect* GetRoleEffect(EffectRole role) const { return roleEffects[static_cast<size_t>(role)]; }
    DX9Abstract& GetDeviceLayer() { return device; }
    const SD::Mtx44& GetDefaultView() const { return defaultView; }
    const SD::Mtx44& GetProjection() const { return projection; }
    float GetTime() const { return accumulatedTime; }

    Resource::RenderBuffer* GetMainColor() const { return mainColor; }
    Resource::RenderBuffer* GetGeometryBuffer() const { return geometryBuffer; }
    Resource::RenderBuffer* GetLightBuffer() const { return lightBuffer; }
    Resource::RenderBuffer* GetReflectionColor() const { return reflectionColor; }
    Resource::RenderBuffer* GetReflectionGeometry() const { return reflectionGeometry; }
    Resource::RenderBuffer* GetReflectionLight() const { return reflectionLight; }

    // Scene registration: the geometry takes the model its name files ("sphere" when the name
    // is not filed) and the model's name, and joins the geometry list.
    void RegisterGeometry(Geometry* geometry);
    // Drops the geometry's grass tree, when it has one, and unlinks it.
    void UnregisterGeometry(Geometry* geometry);
    // Files one render item per mesh of a geometry inside the frustum into the record's lists
    // by the passes its material offers, and the visible grass of its tree.
    void CollectGeometry(const Frustum& frustum, Geometry& geometry, Scene& scene);
    // With an active camera, every geometry into the main view through the camera's frustum
    // and into the reflection through its reflected frustum; batches both opaque lists.
    void CollectViewItems();
    // Every geometry into the three cascade records through the cascade frusta; batches their
    // shadow lists. Nothing until the cascade matrices have been set.
    void CollectShadowCasters();
    // The view and projection of a cascade (0 to 2), set by the shadow pass.
    void SetCascadeMatrices(int cascade, const SD::Mtx44& view, const SD::Mtx44& projection);
    const Frustum& GetCascadeFrustum(int cascade) const { return cascadeFrusta[cascade]; }
    Scene& GetScene(SceneIndex index) { return scenes[index]; }
    // The scene step of a frame: clears the records, updates every camera in list order, then,
    // with an active camera and a render area, collects the views, the visible lights and
    // particle systems, fits the shadow cascades and collects their casters. Called by Update
    // before drawing.
    void PrepareScene(float dt);
    // With developer keys on: holding F7 widens the active camera's target field of view by
    // kFovKeyRate degrees a second from its field of view, holding F5 narrows it (F5 wins when
    // both are held). The target stays within 1 degree and the camera's widest view.
    void SteerFovFromKeys(float dt);
    static constexpr float kFovKeyRate = 50.0f;

    // The registered scene components; a camera, sprite, UI sprite, text or particle system
    // joins its list by linking itself.
    SceneLists& GetSceneLists() { return sceneLists; }
    // Cameras: the first of the list is active. Links the camera right after the head.
    void MoveCameraToFront(Camera* camera) { sceneLists.MoveCameraToFront(camera); }
    Camera* GetActiveCamera() const { return sceneLists.ActiveCamera(); }

    // Lights join the list; a light of kind 3 makes its owner the shadow caster and brings the
    // "ShadowCaster" object into the world when it is missing.
    void RegisterLight(Light* light);
    // Unlinks the light; when it was the shadow caster's, the last other light of kind 3 takes
    // the role, and without one the "ShadowCaster" object goes.
    void UnregisterLight(Light* light);
    SD::GameObject* GetShadowCasterLight() const { return shadowCasterLight; }
    // Every light into the visible lights of the main view and the reflection: directional
    // lights always, others when their range reaches into the view.
    void CullLights();

    // Every enabled particle system into the particle lists of the main view and the
    // reflection whose frustum its bounding sphere reaches.
    void CullParticleSystems();
    // The frame's particle updates: the point list, then the quad list, each cut into one run
    // per worker plus the last run on this thread, which waits for the workers; then the work
    // the updates deferred to this thread.
    void UpdateParticleSystems(float dt);
    // The pool the particle updates run on (the program's pool unless one is set).
    void SetWorkerPool(SD::WorkerPool* pool) { workerPool = pool; }
    // The renderer of the particle lists, made at Initialize; the passes draw the views'
    // particle lists through its DrawPointSprites and DrawQuadSprites.
    Photon::ParticleManager* GetParticleManager() const { return particleManager.get(); }

    // Terrains take the material their name files (none when it is not loaded) and join the list.
    void AddTerrain(Terrain* terrain);
    void RemoveTerrain(Terrain* terrain);

    // A point (w 1) or direction (w 0) through a view matrix, which holds its translation in
    // its last row as the device builds it.
    static SD::Vec3 ViewTransform(const SD::Mtx44& view, const SD::Vec3& p, float w);

    // The scale of the reflection buffers for a quality: 1 for 3, 2/3 for 2, 1/3 otherwise.
    static float ReflectionScale(int quality);

    // Opaque passes. Batches of fewer than kSingleDrawLimit items draw item by item through
    // "SingleInstance"; larger ones through "MultiInstance", in instanced draws of at most
    // kInstancesPerDraw records (the capacity of the instance buffer).
    static constexpr uint32_t kSingleDrawLimit = 3;
    static constexpr uint32_t kInstancesPerDraw = 128;
    void DrawBatches(const std::string& pass, RenderBatchList& list);
    void DrawTerrain(const std::string& pass);
    void DrawReflective(const std::string& pass, std::vector<RenderItem>& items);
    // Orders the items by the depth of their mesh centre in the active camera's view,
    // ascending, and draws each with its material's "Transparent" pass.
    void DrawTransparent(std::vector<RenderItem>& items);

    // Shadow cascades: the fit aims the "ShadowCaster" at the sun's target and sets the three
    // cascades around bands of the active camera's frustum as it sees them (false, changing
    // nothing, without a sun, its object or a camera); the pass draws their casters' depth, each
    // cascade into its own square of one atlas (the first on the left), so that a shaded pixel
    // looks its shadow up with one fetch.
    bool FitShadowCascades();
    void RenderShadowCascades();
    Resource::RenderBuffer* GetShadowAtlas() const { return shadowAtlas; }
    const SD::Mtx44& GetShadowView() const { return shadowView; }
    const SD::Mtx44& GetCascadeProjection(int cascade) const { return cascadeProjections[cascade]; }
    float GetCascadeNear(int cascade) const { return cascadeNearFar[cascade][0]; }
    float GetCascadeFar(int cascade) const { return cascadeNearFar[cascade][1]; }

    // The sun of a view, as shared constants for the surfaces that it lights: its direction in
    // the view, its colour (black where the view is not lit: it has no lights, or there is no
    // sun) and, with shadows, the cascades.
    void SetSunConstants(const SD::Mtx44& view, bool lit, bool shadows);
    // Light pre-pass: the point lights (instanced spheres) and spot lights (instanced cones)
    // among the first kMaxPrepassLights lights of the list, added to the light buffer.
    static constexpr size_t kMaxPrepassLights = 256;
    void RenderLightPrePass(RenderTarget* lightTarget, Resource::RenderBuffer* geometry,
                            const std::vector<Light*>& lights);

    // The sky sphere on the far plane of the target: it shows only where the depth surface
    // was left cleared.
    void DrawSky(RenderTarget* target);
    // Whether the sky is drawn and covers what the view's surfaces leave of the target.
    bool SkyFillsView() const;

    // Grass: the visible instances of a view through "grass" with the technique named (see
    // GrassField). `owners`: the geometries whose grass is in view; each one's grass dust starts
    // the first time.
    void DrawGrass(const std::string& technique, const std::vector<GrassInstance>& grass,
                   const std::vector<Geometry*>* owners = nullptr);
    // Moves the shared wave value, writes it into every grass record and grows the grass.
    void UpdateGrassWave(float dt) { grassField.UpdateWave(dt); }
    // Grass over an island geometry's model, its tree, and the spawn points of its grass dust.
    void PlantGrass(const Geometry& geometry, const Resource::iModel& model);
    GrassField& GetGrassField() { return grassField; }

    // Post-processing (PostProcessChain): glow and depth of field on the scene buffer, the sprites
    // over it, the scene into the back buffer's render area, then the texts.
    PostProcessChain& GetPostProcess() { return postProcess; }
    void PostProcess();
    void Blur(Resource::RenderBuffer* source, Resource::RenderBuffer* destination, PostProcessChain::BlurKind kind,
              Resource::RenderBuffer* added = nullptr) {
        postProcess.Blur(*this, source, destination, kind, added);
    }
    void DownScale(Resource::RenderBuffer* source, Resource::RenderBuffer* destination, const char* technique) {
        postProcess.DownScale(*this, source, destination, technique);
    }
    void BlendAdditive(Resource::RenderBuffer* source, RenderTarget* destination) {
        postProcess.BlendAdditive(*this, source, destination);
    }
    // The quad of the back buffer's render area, and the vertex layout of the screen quads.
    ScreenQuad* GetAreaQuad() const { return areaQuad.get(); }
    platform::gfx::VertexDeclaration* GetScreenDeclaration() const { return meshDeclaration; }

    // A UI sprite of the frame with the texture it draws (null when that is not loaded).
    struct ShownSprite {
        UISprite* sprite;
        Resource::iTexture* texture;
    };
    // The UI sprites that show this frame, ordered by the z of their owners: the visible ones
    // from the last that hides the whole render area on. Sets whether such a sprite hides the
    // scene, which the frame then skips.
    std::vector<ShownSprite> ShownSprites();
    bool SpritesHideScene() const { return spritesHideScene; }
    // The sprites chosen at the start of the frame, from the one at `first` on, onto the render
    // area, the rectangle of the target in its pixels; one whose texture is not loaded is skipped
    // and said once.
    void DrawSprites(RenderTarget* target, const platform::gfx::Rect& area, size_t first = 0);
    // The frame's first sprite when it lies unturned over the whole render area, so that a pass
    // writing every pixel of the area can blend it in (`place` is then its SpritePlace), or null.
    const ShownSprite* FirstSpriteCoversArea(SD::Vec4& place) const;
    // For an unturned sprite's world matrix on a render area: the texture coordinates of the
    // area (0 to 1 from its top-left corner) mapped to the sprite's, scale in x and y, offset in
    // z and w.
    static SD::Vec4 SpritePlace(const SD::Mtx44& world, float width, float height);
    // The world matrix (column vectors) of a UI sprite on a render area.
    static SD::Mtx44 SpriteWorld(const SD::Vec3& position, float rotation, float scaleX, float scaleY,
                                 const SD::Vec2& anchor, float textureWidth, float textureHeight, float width,
                                 float height);

    // Debug text: each call queues one line in the current font and colour; the queue is
    // drawn after the frame's final copy, before the texts, and emptied.
    void DrawDebugText(int x, int y, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 4, 5)))
#endif
        ;
    void DrawDebugString(int x, int y, const char* text) { debugText.Queue(x, y, text); }
    void ResetDebugFont() { debugText.ResetFont(); }
    DebugTextQueue& GetDebugText() { return debugText; }
    // Loads a font on first request; null when it cannot be had.
    Resource::Font* GetFont(const std::string& name, int width, int height);
    void DrawQueuedText();
    // Logs a missing texture, font or effect of a name once.
    void ReportMissingOnce(const std::string& what, const std::string& name);

private:
    void LoadShaders();
    void BindCriticalShaders();
    void CreateVertexFormats();
    bool DeviceLost();
    void CreateRenderBuffers();
    void DrawScene();
    void ScenePass(Resource::RenderBuffer* color, Resource::RenderBuffer* geometry, Resource::RenderBuffer* light,
                   Scene& scene, const SD::Mtx44& view, bool mainView, bool shadows);
    void CreatePassResources();
    // Up to eight of the view's lights, with their positions in that view, as "light_info".
    void FillForwardLights(const std::vector<Light*>& lights, const SD::Mtx44& view);
    void DrawParticles(ParticleStage stage, const std::vector<CulledParticles*>& systems);
    // Into the bound colour target of a view: in the main view the sprites of kSmallSpritePixels
    // and wider go through the particle target.
    void DrawPointSprites(Resource::RenderBuffer* color, Resource::RenderBuffer* geometry,
                          const std::vector<CulledParticles*>& systems, bool mainView);
    void DrawMesh(Resource::Mesh* mesh, Resource::Effect* effect, unsigned passes);
    // One instanced draw of up to kInstancesPerDraw items through the pass of the material.
    void DrawInstanced(const std::string& pass, Resource::Mesh* mesh, Resource::Material* material,
                       RenderBatchList::ItemIterator first, uint32_t count);
    void StartGrassDust(const std::vector<Geometry*>& owners);
    void OnResolutionChange(SD::IMessage* message);
    void OnBackgroundColor(SD::IMessage* message);
    void OnResize(SD::IMessage* message);

    DX9Abstract device;
    std::unique_ptr<ScreenQuad> screenQuad;
    // The render area of the back buffer (all of it but the bars).
    std::unique_ptr<ScreenQuad> areaQuad;
    platform::gfx::VertexDeclaration* meshDeclaration = nullptr;
    std::unordered_map<std::string, Resource::Effect*> effects;
    std::unordered_map<std::string, Resource::iTexture*> textures;
    std::unordered_map<std::string, Resource::Material*> materials;
    std::unordered_map<std::string, Resource::iModel*> models;

    SeasonLook seasonLook;
    float glowIntensity = 1.0f;
    float glowSpread = 1.0f;
    float lastFrameTime = 0.0f;
    float accumulatedTime = 0.0f;

    std::string reloadTarget = "no_target";
    SD::FilePath testCompile;
    float cameraNear = 1.0f;
    float cameraFar = 20000.0f;
    int defaultFov = 45;
    float targetAspect = 16.0f / 9.0f;
    bool waitForVsync = false;
    bool fullscreen = false;
    bool renderShadows = true;
    bool generateMaps = false;
    int reflectionQuality = 3;
    bool skyEnabled = true;
    std::vector<DisplayMode> displayModes;

    platform::Window* window = nullptr;
    uint32_t windowWidth = 0;
    uint32_t windowHeight = 0;
    uint32_t renderHeight = 0;
    uint32_t renderWidth = 0;
    SD::Mtx44 defaultView;
    SD::Mtx44 projection;
    SD::Vec3 backgroundColor{0.0f, 0.0f, 0.0f};

    Resource::Effect* sharedEffect = nullptr;
    Resource::Effect* roleEffects[static_cast<size_t>(EffectRole::kCount)] = {};
    Resource::RenderBuffer* mainColor = nullptr;
    Resource::RenderBuffer* geometryBuffer = nullptr;
    Resource::RenderBuffer* lightBuffer = nullptr;
    Resource::RenderBuffer* reflectionColor = nullptr;
    Resource::RenderBuffer* reflectionGeometry = nullptr;
    Resource::RenderBuffer* reflectionLight = nullptr;
    bool subscribed = false;

    SceneLists sceneLists;
    SD::WorkerPool* workerPool = nullptr;
    std::unique_ptr<Photon::ParticleManager> particleManager;
    SD::GameObject* shadowCasterLight = nullptr;
    Frustum cascadeFrusta[kCascadeCount];
    bool cascadesSet[kCascadeCount] = {false, false, false};
    Scene scenes[kSceneCount];

    std::vector<ShownSprite> shownSprites;
    bool spritesHideScene = false;

    // Meshes and buffers of the passes.
    Resource::Plane* terrainPlane = nullptr;
    Resource::Plane* spriteQuad = nullptr;
    Resource::Mesh* skySphere = nullptr;
    Resource::Mesh* lightSphere = nullptr;
    Resource::Mesh* lightCone = nullptr;
    Resource::InstanceBuffer<Resource::MeshVertexInst>* meshInstances = nullptr;
    Resource::InstanceBuffer<Resource::LightVertex>* lightInstances = nullptr;

    // Shadow cascades.
    Resource::RenderBuffer* shadowAtlas = nullptr;
    SD::Mtx44 shadowView = SD::Mtx44::Identity();
    SD::Mtx44 cascadeProjections[kCascadeCount] = {SD::Mtx44::Identity(), SD::Mtx44::Identity(), SD::Mtx44::Identity()};
    float cascadeNearFar[kCascadeCount][2] = {{0, 0}, {0, 0}, {0, 0}};
    bool cascadesFitted = false;

    // Forward lights: eight 4x4 records on the shared effect.
    static constexpr size_t kForwardLights = 8;
    SD::Mtx44 forwardLights[kForwardLights];

    // The main view's wide point sprites, at a quarter of the render size each way with a depth
    // surface of its own.
    static constexpr float kSmallSpritePixels = 8.0f;
    Resource::RenderBuffer* particleTarget = nullptr;
    // This frame's wide sprites wait in the particle target for the bloom, which adds them with
    // its own light at the same size, instead of a full-size pass adding them to the scene.
    bool particlesInBloom = false;

    PostProcessChain postProcess;

    GrassField grassField;

    DebugTextQueue debugText;
    std::map<std::string, bool> reportedMissing;
};

}  // namespace Aperture
