#pragma once
// A small world for the physics tests: a factory that makes Body and Collider components, the
// blueprint text to describe objects, and helpers that run steps and record contact callbacks.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Delegate.h"
#include "core/Logger.h"
#include "engine/ComponentCreator.h"
#include "engine/BlueprintFileSupport.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transformer.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "support/TempTree.h"

namespace physicstest {

inline std::string Num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

inline std::string Vec3Xml(const char* name, float x, float y, float z) {
    return std::string("<Vector3 name=\"") + name + "\"><Float value=\"" + Num(x) + "\"/><Float value=\"" + Num(y) +
           "\"/><Float value=\"" + Num(z) + "\"/></Vector3>";
}

inline std::string TransformXml(SD::Vec3 p, SD::Vec3 scale = {1, 1, 1}) {
    return "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" + Vec3Xml("position", p.x, p.y, p.z) +
           Vec3Xml("scale", scale.x, scale.y, scale.z) +
           "<Matrix3x3 name=\"orientation\"><Float value=\"1\"/><Float value=\"0\"/><Float value=\"0\"/>"
           "<Float value=\"0\"/><Float value=\"1\"/><Float value=\"0\"/><Float value=\"0\"/><Float value=\"0\"/>"
           "<Float value=\"1\"/></Matrix3x3></Transform>";
}

inline std::string BodyXml(float mass, SD::Vec3 appliedGravity = {}) {
    return "<Body version=\"4\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" +
           Vec3Xml("Applied Gravity", appliedGravity.x, appliedGravity.y, appliedGravity.z) +
           "<Float name=\"Mass\" value=\"" + Num(mass) + "\"/></Body>";
}

// A collider of data version 3: shapeFields are the elements after "Shape Type".
inline std::string ColliderXml(const std::string& shapeType, const std::string& shapeFields, float restitution,
                               bool ghost = false, SD::Vec3 offset = {}) {
    return "<Collider version=\"3\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" +
           Vec3Xml("Position Offset", offset.x, offset.y, offset.z) + "<Boolean name=\"Ghost Collision\" value=\"" +
           (ghost ? "1" : "0") + "\"/><String name=\"Shape Type\">" + shapeType + "</String>" + shapeFields +
           "<Float name=\"Restitution\" value=\"" + Num(restitution) + "\"/></Collider>";
}

inline std::string FloatXml(const char* name, float v) {
    return std::string("<Float name=\"") + name + "\" value=\"" + Num(v) + "\"/>";
}

inline std::string SphereXml(float radius, float restitution, bool ghost = false) {
    return ColliderXml("Sphere", FloatXml("Radius", radius), restitution, ghost);
}

inline std::string BoxXml(SD::Vec3 extents, float restitution) {
    return ColliderXml("AAB", Vec3Xml("Extents", extents.x, extents.y, extents.z), restitution);
}

inline std::string Blueprint(const std::string& name, const std::string& components) {
    return "<GameObjectBlueprint name=\"" + name + "\"><Components>" + components +
           "</Components></GameObjectBlueprint>\n";
}

// Records every contact callback as "<object>:<other object>".
class ContactLog {
public:
    void Bind(SD::GameObject* object) {
        auto* collider = static_cast<Gedankenexperiment::Collider*>(object->GetComponent(SD::CID_Collider));
        listeners_.push_back(std::make_unique<Listener>(Listener{this, object->GetName()}));
        collider->SetCallback(new MFCore::Delegate_1Parameters<void, Listener, Gedankenexperiment::Collider*>(
            listeners_.back().get(), &Listener::OnContact));
    }
    std::vector<std::string> calls;

private:
    struct Listener {
        ContactLog* log;
        std::string name;
        void OnContact(Gedankenexperiment::Collider* other) {
            log->calls.push_back(name + ":" + (other->GetOwner() ? other->GetOwner()->GetName() : std::string()));
        }
    };
    std::vector<std::unique_ptr<Listener>> listeners_;
};

class PhysicsWorld : public ::testing::Test {
protected:
    static constexpr float kStep = 0.016f;

    explicit PhysicsWorld(uint32_t totalObjects = 4096) : factory(totalObjects) {
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Gedankenexperiment::Body>);
        factory.RegisterComponentCreator("Collider", SD::CID_Collider,
                                         new SD::ComponentCreator<Gedankenexperiment::Collider>);
        factory.SetObjectInFormat("xml");
    }
    ~PhysicsWorld() override {
        factory.Shutdown();
        Gedankenexperiment::Physics_System::DestroyInstance();
    }

    // Writes and loads a blueprint file of the given blueprints.
    void Blueprints(const std::string& blueprints) {
        enginetest::AddBlueprintFile(tree, factory, "Assets/Objects/physics" + std::to_string(files_++) + ".xml",
                                     blueprints);
    }

    // The sample hill as terrain: its files copied into the tree, "Ground" a height map of it 160
    // across and 10 high, "Hill" its mesh with a buffer of 0.5, 40 across.
    void SampleTerrain() {
        for (const char* sample :
             {"Models/fin/SampleHill.bin", "PhysicsMeshData/SampleHill.bin", "Textures/HeightMaps/SampleHill.bmp"}) {
            const std::string to = tree.Path(std::string("Assets/") + sample);
            std::filesystem::create_directories(std::filesystem::path(to).parent_path());
            std::filesystem::copy_file(qvtest::SourceDir() + "/Assets/" + sample, to);
        }
        Blueprints(
            Blueprint("Ground", TransformXml({}, {160, 100, 160}) +
                                    ColliderXml("HM", "<String name=\"Filename\">SampleHill</String>", 0.3f)) +
            Blueprint("Hill", TransformXml({}) + ColliderXml("Mesh",
                                                             "<String name=\"Mesh File\">SampleHill.bin</String>" +
                                                                 FloatXml("Buffer Thickness", 0.5f),
                                                             0.3f)));
    }

    // An object from a blueprint, named, placed and initialised.
    SD::GameObject* Spawn(const char* blueprint, const std::string& name, SD::Vec3 position) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        EXPECT_NE(object, nullptr) << blueprint;
        if (!object) return nullptr;
        object->GetTransform().SetPos(position);
        object->NameObject(name);
        object->Initialize(false);
        return object;
    }

    static Gedankenexperiment::Body* BodyOf(SD::GameObject* object) {
        return static_cast<Gedankenexperiment::Body*>(object->GetComponent(SD::CID_Body));
    }
    static Gedankenexperiment::Collider* ColliderOf(SD::GameObject* object) {
        return static_cast<Gedankenexperiment::Collider*>(object->GetComponent(SD::CID_Collider));
    }

    static Gedankenexperiment::Physics_System& Physics() { return *Gedankenexperiment::Physics_System::GetInstance(); }

    void Steps(int count, float time = kStep) {
        for (int i = 0; i < count; ++i) Physics().Step(time);
    }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory;

private:
    int files_ = 0;
};

}  // namespace physicstest
