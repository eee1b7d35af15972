#pragma once
// A graphics system with a few materials, models and a camera to place them before, for the
// tests that collect and draw scenes.
#include <memory>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ResourceManager.h"

namespace gfxtest {

using Aperture::Geometry;
using Aperture::Graphics_;
using Aperture::Resource::Material;
using Aperture::Resource::Mesh;

// Materials: "stone" (opaque and shadow), "glass" (transparent), "pond" (reflective and,
// failing a "Geometry" pass, opaque through "Material"). Models of unit spheres: "rock" (one
// stone mesh), "window" (a glass mesh, then a stone mesh), "pond".
struct SceneFixture : GraphicsFixture {
    explicit SceneFixture(const std::string& settings = "") : GraphicsFixture(settings) { Build(); }
    void Build() {
        stone = LoadMaterial("stone", {"Geometry", "Shadow"});
        glass = LoadMaterial("glass", {"Transparent"});
        pond = LoadMaterial("pond", {"Reflective", "Material"});
        rockMesh = Sphere(stone);
        windowGlass = Sphere(glass);
        windowFrame = Sphere(stone);
        pondMesh = Sphere(pond);
        AddModel("rock", {rockMesh});
        AddModel("window", {windowGlass, windowFrame});
        AddModel("pond", {pondMesh});
    }
    ~SceneFixture() {
        camera.VUnregister();
        for (auto& l : lights) l->VUnregister();
        for (auto& g : geometries) g->VUnregister();
        geometries.clear();
        for (SD::GameObject* o : objects) delete o;
    }
    Material* LoadMaterial(const std::string& name, const std::vector<std::string>& passes,
                           const std::string& effect = Graphics_::kSharedEffectName) {
        std::string text = name + "\n";
        for (const std::string& pass : passes)
            text += "pass_begin_empty " + pass + "\neffect " + effect + "\npass_end_empty x\n";
        tree.Write("Assets/Materials/" + name + ".mat", text);
        EXPECT_EQ(graphics->LoadMaterial(SD::FilePath(tree.Path("Assets/Materials/" + name + ".mat").c_str())),
                  Graphics_::kLoaded);
        Material* m = graphics->FindMaterial(name);
        EXPECT_NE(m, nullptr);
        for (const std::string& pass : passes) EXPECT_TRUE(m && m->HasPass(pass)) << name << " " << pass;
        return m;
    }
    Mesh* Sphere(Material* material) {
        Mesh* mesh = Manager()->CreateSphere(6, 6, {0, 0, 0}, 1.0f);
        mesh->SetMaterial(material);
        return mesh;
    }
    void AddModel(const std::string& name, const std::vector<Mesh*>& meshes) {
        auto* model = Manager()->CreateModel();
        model->SetName(name);
        for (Mesh* m : meshes) model->AddMesh(m);
        graphics->AddModel(name, model);
    }
    // The active camera at `at` looking along +z with a 90-degree view, its frusta up to date.
    void LookFrom(SD::Vec3 at) {
        eye.GetTransform().SetOrient(SD::Mtx33::Identity());
        eye.GetTransform().SetPos(at);
        camera.SetOwner(&eye);
        camera.SetFov(90.0f);
        if (!camera.graphicsLink.IsLinked()) camera.VRegister();
        camera.UpdateViewMatrix();
        camera.UpdateFrusta(graphics->BuildProjection());
    }
    Aperture::Light* AddLight(int kind, SD::Vec3 position, float range) {
        auto* object = new SD::GameObject();
        object->GetTransform().SetPos(position);
        object->GetTransform().UpdateGlobalMatrix();
        objects.push_back(object);
        lights.push_back(std::make_unique<Aperture::Light>());
        Aperture::Light* light = lights.back().get();
        light->SetOwner(object);
        light->SetType(kind);
        light->SetAttenFar(range);
        light->VRegister();
        return light;
    }
    void ClearScenes() {
        for (int i = 0; i < Graphics_::kSceneCount; ++i)
            graphics->GetScene(static_cast<Graphics_::SceneIndex>(i)).Clear();
    }
    Aperture::Resource::ResourceManager* Manager() { return graphics->GetDeviceLayer().GetResourceManager(); }
    Geometry* Place(const std::string& model, SD::Vec3 position, SD::Vec4 color = {1, 1, 1, 1}) {
        auto* object = new SD::GameObject();
        object->GetTransform().SetPos(position);
        objects.push_back(object);
        auto geometry = std::make_unique<Geometry>();
        geometry->SetOwner(object);
        geometry->SetModelName(model);
        geometry->SetColor(color);
        geometry->VRegister();
        geometries.push_back(std::move(geometry));
        return geometries.back().get();
    }
    // The owner's x position of each item's geometry in order, which tells the placed objects
    // apart (only batching copies the world matrix into the item).
    static std::vector<float> Xs(const std::vector<Aperture::RenderItem>& items) {
        std::vector<float> xs;
        for (const auto& item : items) xs.push_back(item.geometry->GetRenderWorld()(0, 3));
        return xs;
    }

    Material* stone = nullptr;
    Material* glass = nullptr;
    Material* pond = nullptr;
    Mesh* rockMesh = nullptr;
    Mesh* windowGlass = nullptr;
    Mesh* windowFrame = nullptr;
    Mesh* pondMesh = nullptr;
    std::vector<SD::GameObject*> objects;
    std::vector<std::unique_ptr<Geometry>> geometries;
    std::vector<std::unique_ptr<Aperture::Light>> lights;
    SD::GameObject eye;
    Aperture::Camera camera;
};

}  // namespace gfxtest
