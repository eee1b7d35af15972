#pragma once
// The small world of the play tests: the world logic's fixture with the player's vehicle, the
// cameras and the data bar registered, an input system fed from a set of held keys, and a
// frame that reads the input before the world moves.
#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "WorldLogicTestSupport.h"
#include "game/cameras/ChaseCameras.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "game/systems/WindSystem.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "support/HeldKeys.h"

namespace playtest {

using namespace worldtest;

using Keys = qvtest::HeldKeys;

inline bool Finite(const SD::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
inline bool Finite(const SD::Mtx33& m) {
    for (float e : m.m)
        if (!std::isfinite(e)) return false;
    return true;
}

struct Flight {
    SD::Vec3 acceleration{100, 60, 80};
    SD::Vec3 damping{0.5f, 0.5f, 0.5f};
    float forwardSpeed = 500;
    float stabilize = 2;
    SD::Vec3 resetPosition{0, 1000, 0};
    SD::Vec3 resetAngles{};
    float mass = 1;
};

class PlayFixture : public WorldLogicFixture {
protected:
    PlayFixture() {
        Register<QV::PlayerLogic>("PlayerLogic", SD::CID_Player);
        Register<QV::ObscuraCameraLogic>("ObscuraCameraLogic", SD::CID_ObscuraCamera);
        Register<QV::DataBarController>("DataBarController", SD::CID_DataBarController);
        input.Initialize();
        input.AddInjector(std::make_unique<Keys>(&keys));
    }
    ~PlayFixture() override {
        factory.Shutdown();
        input.Shutdown();
        QV::SowlarSystem_::DestroyInstance();
        QV::GetInputActivity() = QV::InputActivity();
    }

    static std::string PlayerXml(const Flight& f, int version = 4) {
        std::string xml = Header("PlayerLogic", version);
        if (version == 4)
            xml += Vec3Xml("Reset Position", f.resetPosition.x, f.resetPosition.y, f.resetPosition.z) +
                   Vec3Xml("Reset Angles", f.resetAngles.x, f.resetAngles.y, f.resetAngles.z);
        xml += Vec3Xml("Turn Acceleration", f.acceleration.x, f.acceleration.y, f.acceleration.z) +
               Vec3Xml("Turn Dampining", f.damping.x, f.damping.y, f.damping.z) + FloatXml("Constant Speed", 7) +
               FloatXml("Forward Speed", f.forwardSpeed) + FloatXml("Boost Speed", 9) +
               FloatXml("Stabilize Speed For Z Component", f.stabilize);
        return xml + "</PlayerLogic>";
    }
    // A vehicle whose body feels no gravity, so that without input it stays where it is.
    static std::string VehicleBlueprint(const char* name, const Flight& f = Flight(), int version = 4) {
        return Blueprint(name,
                         TransformXml({}) + BodyXml(f.mass, {0, 50, 0}) + SphereXml(1, 0) + PlayerXml(f, version));
    }

    // Frames that read the held keys first, as the engine's input system runs before the world.
    void Play(int count, float dt) {
        for (int i = 0; i < count; ++i) {
            input.Update(dt);
            Frames(1, dt);
        }
    }
    static QV::PlayerLogic* PlayerOf(SD::GameObject* object) { return Get<QV::PlayerLogic>(object, SD::CID_Player); }
    static Gedankenexperiment::Body* BodyOf(SD::GameObject* object) {
        return Get<Gedankenexperiment::Body>(object, SD::CID_Body);
    }

    SD::Input_ input;
    std::set<uint32_t> keys;
};

}  // namespace playtest
