#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "core/MessageSystem.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/components/Camera.h"
#include "graphics/components/OrthoCamera.h"
#include "graphics/components/SphericalCamera.h"
#include "platform/window/Window.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/TweakBarMessage.h"
#include "runtime/Window.h"

namespace {

using Aperture::Camera;
using Aperture::Graphics_;
using Aperture::OrthoCamera;
using Aperture::SphericalCamera;

constexpr float kPi = 3.14159265f;
constexpr uint16_t kLeftDown = 0x0001;
constexpr uint16_t kLeftUp = 0x0002;

// A graphics system with the game window and the input system as start-up makes them, so
// cameras read their bindings; each Frame() pumps the window, updates the input and runs the
// graphics frame.
struct CameraRig : gfxtest::GraphicsFixture {
    static constexpr uint32_t kKeyboard = 1;
    static constexpr uint32_t kMouse = 2;

    CameraRig() : gameWindow("Test", 640, 480, false, 1) {
        input.Initialize();
        input.SetDevKeysEnabled(true);
        Raw().AddRawInputDevice(kKeyboard, {platform::RawInputType::Keyboard, 0, 0});
        Raw().AddRawInputDevice(kMouse, {platform::RawInputType::Mouse, 0, 0});
    }
    ~CameraRig() {
        for (auto& c : cameras) c->VUnregister();
        cameras.clear();
    }
    platform::Window& Raw() { return *gameWindow.GetPlatformWindow(); }
    void Key(uint32_t virtualKey, bool down) {
        platform::RawInput r;
        r.type = platform::RawInputType::Keyboard;
        r.device = kKeyboard;
        r.keyboard.virtualKey = static_cast<uint16_t>(virtualKey);
        r.keyboard.flags = down ? 0 : platform::rawkey::kBreak;
        Raw().PostRawInput(r);
    }
    void Mouse(uint16_t buttonFlags, int dx, int dy, uint16_t buttonData = 0) {
        platform::RawInput r;
        r.type = platform::RawInputType::Mouse;
        r.device = kMouse;
        r.mouse = {platform::rawmouse::kMoveRelative, buttonFlags, buttonData, dx, dy};
        Raw().PostRawInput(r);
    }
    void Frame(float dt = 0.016f) {
        gameWindow.Update(dt);
        input.Update(dt);
        graphics->Update(dt);
    }
    template <class T>
    T* Add(SD::Vec3 position = {0, 0, 0}) {
        objects.push_back(std::make_unique<SD::GameObject>());
        SD::GameObject* object = objects.back().get();
        object->GetTransform().SetOrient(SD::Mtx33::Identity());
        object->GetTransform().SetPos(position);
        auto camera = std::make_unique<T>();
        T* raw = camera.get();
        raw->SetOwner(object);
        raw->VInitialize(false);
        raw->VRegister();
        cameras.push_back(std::move(camera));
        return raw;
    }

    SD::Window_ gameWindow;
    SD::Input_ input;
    std::vector<std::unique_ptr<SD::GameObject>> objects;
    std::vector<std::unique_ptr<Camera>> cameras;
};

TEST(CameraList, FirstRegisteredIsActiveUntilMovedOrGone) {
    CameraRig rig;
    Camera* first = rig.Add<Camera>();
    Camera* second = rig.Add<Camera>();
    Graphics_& g = *rig.graphics;
    EXPECT_EQ(g.GetActiveCamera(), first);
    Aperture::SetActiveCamera(second);
    EXPECT_EQ(g.GetActiveCamera(), second);
    EXPECT_EQ(g.GetSceneLists().Cameras().Size(), 2u);
    second->VUnregister();
    EXPECT_EQ(g.GetActiveCamera(), first);
    // A camera that was not registered joins at the front.
    Aperture::SetActiveCamera(second);
    EXPECT_EQ(g.GetActiveCamera(), second);
    EXPECT_EQ(g.GetSceneLists().Cameras().Size(), 2u);
    Aperture::SetActiveCamera(nullptr);
    EXPECT_EQ(g.GetActiveCamera(), second);
}

TEST(CameraFov, OnlyThePlainCameraEasesTowardItsTarget) {
    CameraRig rig;
    Camera* plain = rig.Add<Camera>();
    Camera* ortho = rig.Add<OrthoCamera>();
    Camera* orbit = rig.Add<SphericalCamera>();
    for (Camera* c : {plain, ortho, orbit}) c->SetFov(60.0f);
    rig.Frame();
    EXPECT_NEAR(plain->GetFov(), 58.6f, 1e-4f);
    EXPECT_EQ(ortho->GetFov(), 60.0f);
    EXPECT_EQ(orbit->GetFov(), 60.0f);
    // The active camera's angle feeds the projection: x scale = y scale / aspect, y = cot(fov / 2).
    const SD::Mtx44& p = rig.graphics->GetProjection();
    EXPECT_NEAR(p.m[5], 1.0f / std::tan(58.6f * kPi / 360.0f), 1e-3f);
}

TEST(CameraFov, AnglesWithoutAPerspectiveAreHeld) {
    const struct {
        float in;
        float out;
    } cases[] = {{60.0f, 60.0f},
                 {179.0f, 179.0f},
                 {180.0f, Camera::kMaxFov},
                 {720.0f, Camera::kMaxFov},
                 {0.0f, Camera::kDefaultFov},
                 {-30.0f, Camera::kDefaultFov},
                 {std::numeric_limits<float>::quiet_NaN(), Camera::kMaxFov}};
    for (const auto& c : cases) {
        Camera camera;
        camera.SetFov(c.in);
        EXPECT_EQ(camera.GetFov(), c.out) << c.in;
    }
}

TEST(CameraView, NoRenderAreaSkipsTheViewSetup) {
    gfxtest::GraphicsFixture f("", 0, 0, false);
    SD::GameObject object;
    object.GetTransform().SetPos({5, 0, 0});
    Camera camera;
    camera.SetOwner(&object);
    camera.VRegister();
    camera.SetFov(60.0f);
    f.graphics->PrepareScene(0.016f);
    EXPECT_EQ(camera.GetFov(), 60.0f);
    EXPECT_EQ(camera.GetEye(), SD::Vec3(0, 0, 0));  // no view was built
    camera.VUnregister();
}

TEST(OrthoCamera, PlacedFromItsVectorsAndLooksAlongMinusDirection) {
    CameraRig rig;
    auto* camera = new OrthoCamera();
    camera->SetPosition({1, 2, 3});
    camera->SetDirection({0, 0, 1});
    camera->SetUp({0, 1, 0});
    rig.objects.push_back(std::make_unique<SD::GameObject>());
    camera->SetOwner(rig.objects.back().get());
    rig.cameras.emplace_back(camera);
    camera->VInitialize(false);
    camera->VRegister();
    const SD::Transform& t = rig.objects.back()->GetTransform();
    EXPECT_EQ(t.GetRight(), SD::Vec3(1, 0, 0));
    EXPECT_EQ(t.GetUp(), SD::Vec3(0, 1, 0));
    EXPECT_EQ(t.GetDir(), SD::Vec3(0, 0, -1));
    EXPECT_EQ(t.GetLocalPos(), SD::Vec3(1, 2, 3));
    rig.Frame();
    EXPECT_EQ(camera->GetViewDir(), SD::Vec3(0, 0, -1));
    float record[4];
    const SD::Mtx44 ahead = SD::Mtx44::Translation({1, 2, -30});
    const SD::Mtx44 behind = SD::Mtx44::Translation({1, 2, 30});
    EXPECT_FALSE(Aperture::IsSphereCulled(record, ahead, camera->GetFrustum().planes, 1.0f));
    EXPECT_TRUE(Aperture::IsSphereCulled(record, behind, camera->GetFrustum().planes, 1.0f));
}

TEST(OrthoCamera, PansAlongItsAxesByTheEditorBindings) {
    CameraRig rig;
    rig.Add<OrthoCamera>();
    // Its vectors were zero at initialise; give it the plain axes.
    rig.objects.back()->GetTransform().SetOrient(SD::Mtx33::Identity());
    rig.input.BindAnalog("LE_Camera_Zoom_InOut", 0, SD::key_W, 1.0f);
    rig.input.BindAnalog("LE_Camera_LeftRight", 0, SD::key_D, 1.0f);
    rig.Frame(0.01f);  // unbound or idle: no motion
    const SD::Transform& t = rig.objects.back()->GetTransform();
    EXPECT_EQ(t.GetLocalPos(), SD::Vec3(0, 0, 0));
    rig.Key('W', true);
    rig.Key('D', true);
    rig.Frame(0.01f);
    // dt x 100 = 1 step: forward along dir (+z here), and left-right subtracts the right axis.
    EXPECT_NEAR(t.GetLocalPos().z, 1.0f, 1e-5f);
    EXPECT_NEAR(t.GetLocalPos().x, -1.0f, 1e-5f);
}

// The orbit camera turns by the mouse only while it is active, the developer keys are on and
// the left button is held, and not for a drag whose click the tweak bars took.
TEST(SphericalCamera, MouseTurnsOnlyTheActiveCameraDuringAnOwnDrag) {
    const struct {
        const char* name;
        bool devKeys;
        bool held;
        bool active;
        bool tweakTookClick;
        bool turns;
    } cases[] = {
        {"drag", true, true, true, false, true},
        {"no developer keys", false, true, true, false, false},
        {"button up", true, false, true, false, false},
        {"not active", true, true, false, false, false},
        {"click taken by the tweak bars", true, true, true, true, false},
    };
    for (const auto& c : cases) {
        CameraRig rig;
        SphericalCamera* camera = rig.Add<SphericalCamera>();
        camera->SetMouseRotationSpeed({1, 1});
        camera->SetPadRotationSpeed({1, 1});
        if (!c.active) Aperture::SetActiveCamera(rig.Add<Camera>());
        rig.input.SetDevKeysEnabled(c.devKeys);
        if (c.tweakTookClick) {
            SD::WindowsMessage click(nullptr, 0x201, 0, 0);
            QV::TweakBarMessage taken(1, &click);
            SD::Message_System::GetInstance()->SendMessage(taken);
        }
        if (c.held) rig.Mouse(kLeftDown, 0, 0);
        rig.Frame();
        rig.Mouse(0, 64, 40);
        rig.Frame();
        if (c.turns) {
            EXPECT_NEAR(camera->GetTheta(), 64.0f / 1280.0f * 4.0f * kPi, 1e-4f) << c.name;
            EXPECT_NEAR(camera->GetPhi(), 40.0f / 800.0f * 4.0f * kPi, 1e-4f) << c.name;
        } else {
            EXPECT_EQ(camera->GetTheta(), 0.0f) << c.name;
            EXPECT_EQ(camera->GetPhi(), 0.0f) << c.name;
        }
    }
}

TEST(SphericalCamera, ADragStartedOutsideTheTweakBarsKeepsTurning) {
    CameraRig rig;
    SphericalCamera* camera = rig.Add<SphericalCamera>();
    camera->SetMouseRotationSpeed({1, 1});
    rig.Mouse(kLeftDown, 0, 0);
    rig.Frame();
    SD::WindowsMessage click(nullptr, 0x201, 0, 0);
    QV::TweakBarMessage taken(1, &click);
    SD::Message_System::GetInstance()->SendMessage(taken);
    rig.Mouse(0, 64, 0);
    rig.Frame();
    EXPECT_GT(camera->GetTheta(), 0.0f);
    // Released and pressed again while the bars hold the click: no turn.
    rig.Mouse(kLeftUp, 0, 0);
    rig.Frame();
    const float theta = camera->GetTheta();
    rig.Mouse(kLeftDown, 64, 0);
    rig.Frame();
    EXPECT_EQ(camera->GetTheta(), theta);
}

TEST(SphericalCamera, OrbitsItsTargetAtTheRadiusKeptInRange) {
    CameraRig rig;
    SD::Factory_ factory(8);
    SD::GameObject* target = factory.NewGameObject();
    factory.AssignGameObjectName("Target", target);
    target->GetTransform().SetPos({10, 0, 0});
    SphericalCamera* camera = rig.Add<SphericalCamera>();
    camera->SetTargetName("Target");
    rig.Frame();
    // Placed behind the target along the previous dir axis (+z), then turned by the angles (0).
    const SD::Transform& t = rig.objects.back()->GetTransform();
    EXPECT_EQ(t.GetLocalPos(), SD::Vec3(10, 0, -25));
    EXPECT_EQ(t.GetDir(), SD::Vec3(0, 0, 1));

    const struct {
        float set;
        float kept;
    } radii[] = {{-5.0f, 0.0f},
                 {0.0f, 0.0f},
                 {50.0f, 50.0f},
                 {2e5f, SphericalCamera::kMaxRadius},
                 {std::numeric_limits<float>::quiet_NaN(), SphericalCamera::kMaxRadius}};
    for (const auto& r : radii) {
        camera->SetRadius(r.set);
        EXPECT_EQ(camera->GetRadius(), r.kept) << r.set;
    }
    // Scrolling in at radius 0 stays at 0.
    camera->SetRadius(0.0f);
    rig.Mouse(platform::rawmouse::kWheel, 0, 0, 120);
    rig.Frame();
    EXPECT_EQ(camera->GetRadius(), 0.0f);
    camera->VUnregister();
    factory.Shutdown();
}

}  // namespace
