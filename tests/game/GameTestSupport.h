#pragma once
// A factory with the engine's reflected components and a test component whose accessors cover
// every value type the tweak bars show, for the game-layer tests.
#include <gtest/gtest.h>

#include <string>

#include "core/Quaternion.h"
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/IStream.h"
#include "engine/Name.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"

namespace gametest {

constexpr SD::ComponentID kGaugeID = SD::CID_Floating;

// A reflected component with one accessor pair per shown type and the odd pairings the bars
// must sort out: "GetA" before "SetB", and getters without a setter.
class Gauge : public SD::Component, public RTTIUser<Gauge> {
public:
    SD::ComponentID VGetID() const override { return kGaugeID; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int) override {
        stream.Serialize(speed, "Speed", "Float");
        stream.Serialize(count, "Count", "Integer");
    }
    void VRegister() override {}
    void VUnregister() override {}
    void RegisterFunctions() override {
        RTTI_GETTER(&Gauge::GetSpeed);
        RTTI_SETTER(&Gauge::SetSpeed);
        RTTI_GETTER(&Gauge::GetCount);
        RTTI_SETTER(&Gauge::SetCount);
        RTTI_GETTER(&Gauge::GetOn);
        RTTI_SETTER(&Gauge::SetOn);
        RTTI_GETTER(&Gauge::GetRatio);
        RTTI_SETTER(&Gauge::SetRatio);
        RTTI_GETTER(&Gauge::GetSmall);
        RTTI_SETTER(&Gauge::SetSmall);
        RTTI_GETTER(&Gauge::GetSpot);
        RTTI_SETTER(&Gauge::SetSpot);
        RTTI_GETTER(&Gauge::GetTurn);
        RTTI_SETTER(&Gauge::SetTurn);
        RTTI_GETTER(&Gauge::GetA);
        RTTI_SETTER(&Gauge::SetB);
        RTTI_GETTER(&Gauge::GetLabel);
        RTTI_GETTER(&Gauge::GetFlat);
        RTTI_GETTER(&Gauge::GetTotal);
    }
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    float GetSpeed() { return speed; }
    void SetSpeed(float v) { speed = v; }
    int GetCount() { return count; }
    void SetCount(int v) { count = v; }
    bool GetOn() { return on; }
    void SetOn(bool v) { on = v; }
    double GetRatio() { return ratio; }
    void SetRatio(double v) { ratio = v; }
    unsigned short GetSmall() { return small; }
    void SetSmall(unsigned short v) { small = v; }
    SD::Vec3 GetSpot() { return spot; }
    void SetSpot(SD::Vec3 v) { spot = v; }
    SD::Quaternion GetTurn() { return turn; }
    void SetTurn(SD::Quaternion q) { turn = q; }
    int GetA() { return 1; }
    void SetB(int) {}
    const char* GetLabel() const { return "gauge"; }
    SD::Vec2 GetFlat() { return SD::Vec2(); }  // a type the bars do not show
    int GetTotal() const { return count * 2; }

    float speed = 2.5f;
    int count = 3;
    bool on = false;
    double ratio = 0.5;
    unsigned short small = 7;
    SD::Vec3 spot{1.0f, 2.0f, 3.0f};
    SD::Quaternion turn;
};

// Creates the registry of class descriptions and clears the tweak bars around each test.
class ReflectionScope {
public:
    ReflectionScope() {
        platform::tweak::ResetForTests();
        platform::tweak::WindowSize(1280, 800);
        RTTIClassRegistry::Create();
    }
    ~ReflectionScope() {
        RTTIClassRegistry::Destroy();
        platform::tweak::ResetForTests();
    }
};

class FactoryFixture : public ::testing::Test {
protected:
    explicit FactoryFixture(uint32_t totalObjects = 256) : factory(totalObjects) {
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("Group", SD::CID_Group, new SD::ComponentCreator<SD::Group>);
        factory.RegisterComponentCreator("Name", SD::kNameID, new SD::ComponentCreator<Name>);
        factory.RegisterComponentCreator("Gauge", kGaugeID, new SD::ComponentCreator<Gauge>);
    }
    ~FactoryFixture() override { factory.Shutdown(); }

    // An initialised object of that blueprint name with the components of the given IDs.
    SD::GameObject* Make(const std::string& blueprint, std::initializer_list<SD::ComponentID> ids) {
        SD::GameObject* object = factory.NewGameObject();
        object->SetBlueprintName(blueprint);
        for (SD::ComponentID id : ids) object->AddComponent(id);
        object->Initialize(false);
        return object;
    }

    ReflectionScope reflection;
    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory;
};

}  // namespace gametest
