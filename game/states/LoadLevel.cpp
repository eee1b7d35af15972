#include "game/states/LoadLevel.h"

#include "core/Manifest.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/LevelEditor.h"
#include "game/hud/HudSprites.h"
#include "game/states/ArtLoading.h"
#include "game/states/StateObjects.h"
#include "runtime/GameStateManager.h"

namespace QV {
namespace {

float g_dotTimer = 0.0f;
int g_dotCount = 0;

constexpr float kDotSeconds = 0.18f;
const char* const kDots[] = {"LoadingDot_1", "LoadingDot_2", "LoadingDot_3"};

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int LoadLevel::DotCount() { return g_dotCount; }

void LoadLevel::Load() {
    texture_ = model_ = material_ = 0;
    step_ = kTextures;
    ArtLoaders& art = GetArtLoaders();
    LoadArt(art.texture, "../Assets/Textures/LoadingScreen.png");
    CreateNamed("LoadLevel/LoadingImage", nullptr);
    LoadArt(art.texture, "../Assets/Textures/LoadingDot.png");
    // The dots are set 34 units apart before they start, while their positions are still in
    // the blueprint's own units.
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* dots[3];
    for (SD::GameObject*& dot : dots) dot = factory ? factory->CreateObject("LoadLevel/LoadingDot", nullptr) : nullptr;
    if (dots[0] && dots[1] && dots[2]) {
        for (int i = 0; i < 3; ++i) {
            SD::Transform& t = dots[i]->GetTransform();
            t.SetPosX(t.GetPosX() + 34.0f * static_cast<float>(i));
            dots[i]->NameObject(kDots[i]);
        }
    }
    for (SD::GameObject* dot : dots)
        if (dot) dot->Initialize(false);
    // The indices start over, so the lists do too.
    textures_.clear();
    models_.clear();
    materials_.clear();
    SD::ReadManifest("../Assets/Textures/ArtManifest.man", textures_);
    SD::ReadManifest("../Assets/Models/ModelManifest.man", models_);
    SD::ReadManifest("../Assets/Materials/MaterialManifest.man", materials_);
}

bool LoadLevel::LoadNext(const std::vector<std::string>& list, size_t& index,
                         const std::function<int(const std::string&)>& loader) {
    if (index >= list.size()) return false;
    if (LoadArt(loader, list[index]) != kDeviceLost) ++index;
    return true;
}

void LoadLevel::Update(float dt) {
    started_ = true;
    ArtLoaders& art = GetArtLoaders();
    for (int pass = 0; pass < 3; ++pass) {
        if (step_ == kTextures) {
            if (!LoadNext(textures_, texture_, art.texture)) {
                step_ = kMaterials;
                break;
            }
        } else if (step_ == kMaterials) {
            if (!LoadNext(materials_, material_, art.material)) step_ = kModels;
        } else if (step_ == kModels) {
            if (!LoadNext(models_, model_, art.model)) {
                // An empty model list has no last model and so no mesh data to load.
                if (!models_.empty() && art.physicsMesh) art.physicsMesh(FileNameOf(models_.back()));
                step_ = kLoaded;
                break;
            }
        }
    }
    StepDots(dt);
    if (step_ == kLoaded) SD::GameStateManager_::ChangeLevel(next_);
}

void LoadLevel::StepDots(float dt) {
    g_dotTimer += dt;
    if (g_dotTimer > kDotSeconds) {
        g_dotTimer = 0.0f;
        g_dotCount = (g_dotCount + 1) % 4;
    }
    SD::GameObject* dots[3] = {FindNamed(kDots[0]), FindNamed(kDots[1]), FindNamed(kDots[2])};
    if (!dots[0] || !dots[1] || !dots[2]) return;
    for (int i = 0; i < 3; ++i) SetSpriteOpacity(dots[i], i < g_dotCount ? 1.0f : 0.0f);
}

void LoadLevel::Unload() {
    if (texture_ < textures_.size() || model_ < models_.size() || material_ < materials_.size()) return;
    textures_.clear();
    models_.clear();
    materials_.clear();
    if (GetArtLoaders().afterLoading) GetArtLoaders().afterLoading();
    if (LevelEditor* editor = LevelEditor::Peek()) editor->Setup();
}

}  // namespace QV
