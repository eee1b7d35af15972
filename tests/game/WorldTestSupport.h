#pragma once
// A small world for the world logic tests: a factory with the physics and world components,
// the fireflies and their collection sparkles, a manual clock under the engine core, and a frame
// in the engine's order: physics, components, messages (the firefly manager, which moves the
// fireflies, is left to the tests that fly them).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HeldSoundSystem.h"
#include "core/EngineCore.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/ComponentCreator.h"
#include "engine/BlueprintFileSupport.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/IStream.h"
#include "engine/Name.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/FloatingLogic.h"
#include "game/components/GroupSpawner.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/SpinningLogic.h"
#include "game/components/Trigger.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/states/World.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "graphics/photon/CollectionSparkles.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "physics/PhysicsTestSupport.h"
#include "platform/os/Clock.h"
#include "runtime/InterpolatorSystem.h"
#include "support/TempTree.h"

namespace worldtest {

using physicstest::Blueprint;
using physicstest::BodyXml;
using physicstest::ColliderXml;
using physicstest::Num;
using physicstest::SphereXml;
using physicstest::TransformXml;
using physicstest::Vec3Xml;

inline std::string Header(const char* name, int version) {
    return std::string("<") + name + " version=\"" + std::to_string(version) +
           "\" Play=\"1\" Pause=\"1\" DevPause=\"1\">";
}
inline std::string StringXml(const char* name, const std::string& text) {
    return std::string("<String name=\"") + name + "\">" + text + "</String>";
}
inline std::string IntXml(const char* name, int v) {
    return std::string("<Integer name=\"") + name + "\" value=\"" + std::to_string(v) + "\"/>";
}
inline std::string BoolXml(const char* name, bool v) {
    return std::string("<Boolean name=\"") + name + "\" value=\"" + (v ? "1" : "0") + "\"/>";
}
inline std::string FloatXml(const char* name, float v) {
    return std::string("<Float name=\"") + name + "\" value=\"" + Num(v) + "\"/>";
}
// A trigger of data version 3 with its script function and actions.
inline std::string TriggerXml(const std::vector<std::string>& actions, const std::string& lua = "", int version = 3,
                              int count = -1) {
    std::string xml = Header("Trigger", version);
    if (version == 3) xml += StringXml("Lua Trigger Function", lua);
    xml += IntXml("Num Actions", count < 0 ? static_cast<int>(actions.size()) : count);
    for (const std::string& a : actions) xml += "<String>" + a + "</String>";
    return xml + "</Trigger>";
}
inline std::string GhostBoxXml(float extent) {
    return ColliderXml("AAB", Vec3Xml("Extents", extent, extent, extent), 0.5f, true);
}

// Feeds a component's reads from queues by kind: strings (shared or not), integers and
// booleans, floats. Values past the end of a queue are empty, 0 or untouched.
class ValueReader : public SD::IStream {
public:
    int GetDirection() const override { return kRead; }
    bool IsUpdate() const override { return false; }
    SD::SuperialValue* GetCurrentNode() const override { return nullptr; }
    void BeginGroup(const char*, const char*, unsigned) override {}
    void EndGroup(const char*, const char*, unsigned) override {}
    void SerializeNamed(SD::SharedString&, const char*) override {}
    void SerializeNamed(std::string&, const char*) override {}
    void SerializeNamed(bool&, const char*) override {}
    void SerializeNamed(double&, const char*) override {}
    void SerializeNamed(float&, const char*) override {}
    void SerializeNamed(unsigned int&, const char*) override {}
    void SerializeNamed(int&, const char*) override {}
    void Serialize(SD::SharedString& v, const char*, const char*) override { v = NextString().c_str(); }
    void Serialize(std::string& v, const char*, const char*) override { v = NextString(); }
    void Serialize(bool& v, const char*, const char*) override { v = NextInt() != 0; }
    void Serialize(double&, const char*, const char*) override {}
    void Serialize(float& v, const char*, const char*) override {
        if (nextFloat_ < floats.size()) v = floats[nextFloat_++];
    }
    void Serialize(unsigned int& v, const char*, const char*) override { v = static_cast<unsigned>(NextInt()); }
    void Serialize(int& v, const char*, const char*) override { v = NextInt(); }

    std::vector<std::string> strings;
    std::vector<int> ints;  // booleans too
    std::vector<float> floats;

private:
    std::string NextString() {
        if (next_ >= strings.size()) return std::string();
        return strings[next_++];
    }
    int NextInt() {
        if (nextInt_ >= ints.size()) return 0;
        return ints[nextInt_++];
    }
    size_t next_ = 0;
    size_t nextInt_ = 0;
    size_t nextFloat_ = 0;
};

// Records what a component writes as "label=value".
class ValueWriter : public ValueReader {
public:
    int GetDirection() const override { return kWrite; }
    void Serialize(SD::SharedString& v, const char* label, const char*) override { Add(label, v.c_str()); }
    void Serialize(std::string& v, const char* label, const char*) override { Add(label, v); }
    void Serialize(unsigned int& v, const char* label, const char*) override { Add(label, std::to_string(v)); }
    void Serialize(int& v, const char* label, const char*) override { Add(label, std::to_string(v)); }
    void Serialize(bool& v, const char* label, const char*) override { Add(label, v ? "true" : "false"); }
    void Serialize(float& v, const char* label, const char*) override { Add(label, Num(v)); }
    std::vector<std::string> values;

private:
    void Add(const char* label, const std::string& value) { values.push_back((label ? label : "") + ("=" + value)); }
};

// The game's sound system held: the world's posts read back as "sound <event>", with
// " on <object>" for a post to an object's own sound object (named with Name), and its music
// triggers as "trigger <name>".
class WorldSound : public gametest::HeldSoundSystem {
public:
    WorldSound() {
        Name({"Play_Flower", "Play_Ice_Melt", "Play_Water", "Play_Summer_Ambient", "Play_Fall_Ambient", "Play_Thunder",
              "Play_3_Night_created", "Play_9_Until_they_became", "Play_Pitcher", "Play_Lily_Pad", "Play_Reed",
              "Play_Old_Crystals", "Play_Hatch", "Story_Step"});
    }
    // The posts read so, only those starting with the prefix.
    std::vector<std::string> Sounds(const std::string& prefix = "sound") const {
        static const std::string kGlobal = " on global";
        std::vector<std::string> sounds;
        for (std::string post : Posts()) {
            if (post.size() > kGlobal.size() &&
                post.compare(post.size() - kGlobal.size(), kGlobal.size(), kGlobal) == 0)
                post.resize(post.size() - kGlobal.size());
            post = "sound " + post;
            if (post.compare(0, prefix.size(), prefix) == 0) sounds.push_back(post);
        }
        return sounds;
    }
    std::vector<std::string> Triggers() const {
        std::vector<std::string> triggers;
        for (const std::string& trigger : HeldSoundSystem::Triggers()) triggers.push_back("trigger " + trigger);
        return triggers;
    }
};

// The four wings the firefly manager gives every firefly it makes.
inline std::string WingBlueprints() {
    std::string wings;
    for (const char* side : {"BackLeft", "FrontLeft", "BackRight", "FrontRight"})
        wings += Blueprint(std::string("World/FlyWing") + side + "Yellow", TransformXml({}));
    return wings;
}
// The firefly the manager makes (without a body: it stays where it is put), its wings, and the
// burst of sparkles a collection leaves.
inline std::string FireflyBlueprints() {
    return Blueprint("World/Firefly", TransformXml({}) + Header("Firefly", 2) + "</Firefly>") + WingBlueprints() +
           Blueprint("World/FireflyCollectionSparkles",
                     TransformXml({}) + Header("FireflyCollectionSparkles", 0) + "</FireflyCollectionSparkles>");
}

class WorldFixture : public ::testing::Test {
protected:
    WorldFixture() : core(SD::Core::CreateInstance()), factory(1024) {
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Gedankenexperiment::Body>);
        factory.RegisterComponentCreator("Collider", SD::CID_Collider,
                                         new SD::ComponentCreator<Gedankenexperiment::Collider>);
        factory.RegisterComponentCreator("Group", SD::CID_Group, new SD::ComponentCreator<SD::Group>);
        factory.RegisterComponentCreator("Geometry", SD::CID_Geometry, new SD::ComponentCreator<Aperture::Geometry>);
        factory.RegisterComponentCreator("Light", SD::CID_Light, new SD::ComponentCreator<Aperture::Light>);
        factory.RegisterComponentCreator("VernholmCameraLogic", SD::CID_VernholmCameraLogic,
                                         new SD::ComponentCreator<QV::VernholmCameraLogic>);
        factory.RegisterComponentCreator("Name", SD::kNameID, new SD::ComponentCreator<::Name>);
        factory.RegisterComponentCreator("FloatingLogic", SD::CID_Floating,
                                         new SD::ComponentCreator<QV::FloatingLogic>);
        factory.RegisterComponentCreator("SpinningLogic", SD::kSpinningLogicID,
                                         new SD::ComponentCreator<QV::SpinningLogic>);
        factory.RegisterComponentCreator("Trigger", SD::CID_Trigger, new SD::ComponentCreator<QV::Trigger>);
        factory.RegisterComponentCreator("SpawnLogic", SD::CID_SpawnLogic, new SD::ComponentCreator<QV::SpawnLogic>);
        factory.RegisterComponentCreator("Spawner", SD::CID_Spawner, new SD::ComponentCreator<QV::Spawner>);
        factory.RegisterComponentCreator("GroupSpawner", SD::CID_GroupSpawner,
                                         new SD::ComponentCreator<QV::GroupSpawner>);
        factory.RegisterComponentCreator("Firefly", SD::CID_Firefly, new SD::ComponentCreator<QV::Firefly>);
        factory.RegisterComponentCreator("FireflyCollectionSparkles", SD::kFireflyCollectionSparklesID,
                                         new SD::ComponentCreator<Aperture::Photon::FireflyCollectionSparkles>);
        factory.SetObjectInFormat("xml");
        SD::Message_System::GetInstance()->Initialize();
    }
    ~WorldFixture() override {
        worldState.Unload();
        factory.Shutdown();
        QV::Firefly_Manager::DestroyInstance();
        delete Aperture::Graphics_::Peek();
        QV::SowlarSystem_::DestroyInstance();
        Gedankenexperiment::Physics_System::DestroyInstance();
        SD::Message_System::DestroyInstance();
        SD::InterpolatorSystem::DestroyInstance();
    }

    void Blueprints(const std::string& blueprints) {
        enginetest::AddBlueprintFile(tree, factory, "Assets/Objects/world" + std::to_string(files_++) + ".xml",
                                     blueprints);
    }
    SD::GameObject* Spawn(const char* blueprint, const std::string& name, SD::Vec3 position = {}) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        EXPECT_NE(object, nullptr) << blueprint;
        if (!object) return nullptr;
        object->GetTransform().SetPos(position);
        object->NameObject(name);
        object->Initialize(false);
        return object;
    }
    // The follow camera of a camera object's blueprint, and the object it follows.
    static std::string FollowCameraXml(const char* target, float minRadius, float maxRadius, float minSpeed,
                                       float keepDirection = 0.5f, float keepUp = 0.5f) {
        return Header("VernholmCameraLogic", 0) + StringXml("Target Name", target) + FloatXml("Min Radius", minRadius) +
               FloatXml("Max Radius", maxRadius) + FloatXml("Prev Direction Interpolation Percent", keepDirection) +
               FloatXml("Prev Up Interpolation Percent", keepUp) + FloatXml("Flower Rotation Look At Height", 5) +
               FloatXml("Flower Rotation Distance", 50) + FloatXml("Flower Rotation Speed", 3) +
               FloatXml("Min Firefly Speed Value", minSpeed) + "</VernholmCameraLogic>";
    }
    static SD::GameObject* FollowTarget(SD::GameObject* camera) {
        auto* follow = Get<QV::VernholmCameraLogic>(camera, SD::CID_VernholmCameraLogic);
        return follow ? follow->GetTarget() : nullptr;
    }
    // Gives an object a geometry or a light of the colour, as its blueprint would.
    static void GiveGeometry(SD::GameObject* object, SD::Vec4 colour) {
        static_cast<Aperture::Geometry*>(object->AddComponent(SD::CID_Geometry))->SetColor(colour);
    }
    static void GiveLight(SD::GameObject* object, SD::Vec4 colour) {
        static_cast<Aperture::Light*>(object->AddComponent(SD::CID_Light))
            ->SetColor(colour.x, colour.y, colour.z, colour.w);
    }
    // The colour of an object's geometry or light; zero without one.
    static SD::Vec4 GeometryColour(SD::GameObject* object) {
        auto* geometry = Get<Aperture::Geometry>(object, SD::CID_Geometry);
        return geometry ? geometry->GetColor() : SD::Vec4();
    }
    static SD::Vec4 LightColour(SD::GameObject* object) {
        auto* light = Get<Aperture::Light>(object, SD::CID_Light);
        return light ? light->GetColor() : SD::Vec4();
    }
    template <class T>
    static T* Get(SD::GameObject* object, SD::ComponentID id) {
        return object ? static_cast<T*>(object->GetComponent(id)) : nullptr;
    }
    static QV::Firefly* FireflyOf(SD::GameObject* object) { return Get<QV::Firefly>(object, SD::CID_Firefly); }
    // The behaviour on a lane of a firefly, or "" (also without a firefly).
    static std::string Lane(QV::Firefly* firefly, int lane) {
        const SD::SharedString* name = firefly ? firefly->BehaviourOn(lane) : nullptr;
        return name ? name->c_str() : "";
    }
    static std::string Lane(SD::GameObject* object, int lane) { return Lane(FireflyOf(object), lane); }
    // How many fireflies the firefly manager holds.
    static size_t FireflyCount() {
        const QV::Firefly_Manager* manager = QV::Firefly_Manager::Existing();
        return manager ? manager->FireflyCount() : 0;
    }
    // Where the collection sparkles the renderer draws have burst.
    static std::vector<SD::Vec3> SparkleBursts() {
        std::vector<SD::Vec3> places;
        Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
        if (!graphics) return places;
        for (Aperture::CulledParticles* system : graphics->GetSceneLists().PointParticles()) {
            auto* burst = dynamic_cast<Aperture::Photon::FireflyCollectionSparkles*>(system);
            if (burst && burst->IsEnabled() && burst->GetOwner())
                places.push_back(burst->GetOwner()->GetTransform().GetLocalPos());
        }
        return places;
    }
    static Gedankenexperiment::Physics_System& Physics() { return *Gedankenexperiment::Physics_System::GetInstance(); }
    // Moves a body's object, its collider included, as a teleport.
    static void Place(SD::GameObject* object, SD::Vec3 position) {
        if (auto* body = Get<Gedankenexperiment::Body>(object, SD::CID_Body)) body->SetPosition(position);
        object->GetTransform().SetPos(position);
        if (auto* collider = Get<Gedankenexperiment::Collider>(object, SD::CID_Collider))
            collider->position = collider->previousPosition = position;
    }

    // The world state entered as the game enters it: the logic fills its lists from then on.
    QV::World& EnterWorld() {
        worldState.Load();
        return worldState;
    }
    // The names of the objects of one of the world state's lists.
    static std::vector<std::string> ListedNames(const std::vector<SD::GameObjectHandle>& list) {
        std::vector<std::string> names;
        for (const SD::GameObjectHandle& handle : list)
            if (SD::GameObject* object = handle.get()) names.push_back(object->GetName());
        return names;
    }

    // A frame of one fixed step: the physics meets the contacts of that step's two substeps.
    static constexpr float kStep = static_cast<float>(SD::FixedSteps::kStep);

    // One frame: the clock moves on, then the fixed steps of physics and components (and of
    // `stepsToo`, a system after them) that the frame's time makes due, interpolators,
    // components and due messages.
    void Frame(float dt, SD::ISystem* stepsToo = nullptr) {
        clock.Advance(dt);
        std::vector<SD::ISystem*> stepped{&Physics(), &components};
        if (stepsToo) stepped.push_back(stepsToo);
        SD::RunFixedSteps(fixedSteps.Advance(dt), stepped);
        SD::InterpolatorSystem::GetInstance().Update(dt);
        components.Update(dt);
        SD::Message_System::GetInstance()->Update(dt);
    }

    platform::ManualClock clock;
    platform::ScopedClock scopedClock{clock};
    SD::FixedSteps fixedSteps;
    std::unique_ptr<SD::Core> core;
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory;
    QV::World worldState;

private:
    int files_ = 0;
};

}  // namespace worldtest
