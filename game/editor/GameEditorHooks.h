#pragma once
// The level editor's hooks as the game installs them: the physics side, and the renderer side
// that switches and zooms the cameras and reads and tints the objects' geometry, and the play
// side: the season cycle's fog and the player's vehicle.
#include "game/editor/PhysicsEditorHooks.h"

namespace QV {

class GameEditorHooks : public PhysicsEditorHooks {
public:
    SD::Component* GetActiveCamera() override;
    // A component that is no camera is left alone.
    void SetActiveCamera(SD::Component* camera) override;
    bool GetCameraRadius(SD::Component* camera, float* radius) override;
    void SetCameraRadius(SD::Component* camera, float radius) override;
    void SetGeometryColor(SD::GameObject* object, const SD::Vec4& color) override;
    std::string GetModelName(SD::GameObject* object) override;
    // The renderer's global ambient light, and its debug text in the standard font.
    SD::Vec3 GetAmbientColor() override;
    void SetAmbientColor(const SD::Vec3& color) override;
    void SetDebugTextStyle() override;
    void DrawDebugText(int x, int y, const std::string& text) override;

    // The season cycle's fog, and the vehicle's reset point and angles.
    bool GetFogEnabled() override;
    void SetFogEnabled(bool enabled) override;
    bool GetPlayerReset(SD::GameObject* player, SD::Vec3* position, SD::Vec3* angles) override;
    void SetPlayerReset(SD::GameObject* player, const SD::Vec3& position, const SD::Vec3& angles) override;
    bool GetPlayerAngles(SD::GameObject* player, SD::Vec3* angles) override;
};

}  // namespace QV
