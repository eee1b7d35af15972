// The registrations that do more than link a component into its list (lights and the shadow
// caster, terrains and their materials), and the visible lights and particle systems of the views.
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"

namespace Aperture {

void Graphics_::RegisterLight(Light* light) {
    // A second registration would link the light twice and break the list.
    if (light->graphicsLink.IsLinked()) return;
    sceneLists.Lights().PushBack(light);
    if (light->GetType() != Light::kDirectional) return;
    shadowCasterLight = light->GetOwner();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory || factory->GetGameObject(std::string(kShadowCasterName))) return;
    if (SD::GameObject* caster = factory->CreateObject(kShadowCasterBlueprint, nullptr)) caster->Initialize(false);
}

void Graphics_::UnregisterLight(Light* light) {
    sceneLists.Lights().Remove(light);
    if (!shadowCasterLight || shadowCasterLight->GetComponent(SD::CID_Light) != light) return;
    shadowCasterLight = nullptr;
    for (Light* other : sceneLists.Lights())
        if (other->GetType() == Light::kDirectional) shadowCasterLight = other->GetOwner();
    if (shadowCasterLight) return;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory) return;
    if (SD::GameObject* caster = factory->GetGameObject(std::string(kShadowCasterName)))
        factory->DestroyGameObject(caster);
}

void Graphics_::CullLights() {
    Camera* camera = GetActiveCamera();
    if (!camera) return;
    Scene& main = scenes[kMainScene];
    Scene& reflection = scenes[kReflectionScene];
    for (Light* light : sceneLists.Lights()) {
        if (light->GetType() == Light::kDirectional) {
            main.lights.push_back(light);
            reflection.lights.push_back(light);
            continue;
        }
        const SD::Mtx44& world =
            light->GetOwner() ? light->GetOwner()->GetTransform().GetGlobalMatrix() : SD::Mtx44::Identity();
        const float range = light->GetAttenFar();
        if (!IsLightCulled(light->cullData, world, camera->GetFrustum().planes, range)) main.lights.push_back(light);
        if (!IsLightCulled(light->cullData, world, camera->GetReflectedFrustum().planes, range))
            reflection.lights.push_back(light);
    }
}

void Graphics_::CullParticleSystems() {
    Camera* camera = GetActiveCamera();
    if (!camera) return;
    Scene& main = scenes[kMainScene];
    Scene& reflection = scenes[kReflectionScene];
    auto cull = [camera](CulledParticles* system, std::vector<CulledParticles*>& mainList,
                         std::vector<CulledParticles*>& reflectionList) {
        float* record = system->cullRecord.cullData;
        const float radius = system->GetCullRadius();
        if (!IsSphereCulled(record, system->GetCullWorld(), camera->GetFrustum().planes, radius))
            mainList.push_back(system);
        if (!IsSphereCulled(record, system->GetCullWorld(), camera->GetReflectedFrustum().planes, radius))
            reflectionList.push_back(system);
    };
    for (CulledParticles* system : sceneLists.PointParticles()) {
        if (!system->IsParticleSystemEnabled()) continue;
        if (system->GetCullRadius() <= CulledParticles::kNoBoundsRadius) {
            main.pointParticles.push_back(system);
            reflection.pointParticles.push_back(system);
            continue;
        }
        cull(system, main.pointParticles, reflection.pointParticles);
    }
    for (CulledParticles* system : sceneLists.QuadParticles())
        if (system->IsParticleSystemEnabled() && system->GetCullRadius() > CulledParticles::kNoBoundsRadius)
            cull(system, main.quadParticles, reflection.quadParticles);
}

void Graphics_::AddTerrain(Terrain* terrain) {
    terrain->SetMaterial(FindMaterial(terrain->GetMaterialName()));
    if (!terrain->graphicsLink.IsLinked()) sceneLists.Terrains().PushBack(terrain);
}

void Graphics_::RemoveTerrain(Terrain* terrain) {
    sceneLists.Terrains().Remove(terrain);
    terrain->SetMaterial(nullptr);
}

}  // namespace Aperture
