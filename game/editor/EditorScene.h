#pragma once
// What the level editor reads and changes outside its own data: the renderer's cameras,
// ambient light, debug text and the objects' geometry; the physics' detect-only pass and the
// objects' colliders; the season cycle's fog; the player's vehicle. An object without the
// component asked for is left alone and answers "none".
#include <string>

#include "core/Vector.h"

namespace SD {
class Component;
class GameObject;
}  // namespace SD

namespace QV {
namespace editorscene {

// The renderer's active camera; a component that is no camera is not made active.
SD::Component* ActiveCamera();
void ActivateCamera(SD::Component* camera);
// The distance of a spherical camera from its target; false for other cameras.
bool CameraRadius(SD::Component* camera, float* radius);
void SetCameraRadius(SD::Component* camera, float radius);
// The renderer's global ambient light, and its debug text in the standard font.
SD::Vec3 AmbientColor();
void SetAmbientColor(const SD::Vec3& color);
void UseDebugTextStyle();
void DrawDebugText(int x, int y, const std::string& text);

// A detect-only pass of the physics while play is paused.
void CheckCollisionsNow();
// Makes the cursor's collider a ghost whose contacts reach LevelEditor::OnCursorContact; a
// cursor without a collider is logged and left alone.
void AttachCursorBody(SD::GameObject* cursor);
bool ColliderPosition(SD::GameObject* object, SD::Vec3* position);
void SetColliderPosition(SD::GameObject* object, const SD::Vec3& position);

// The season cycle's fog.
bool FogEnabled();
void SetFogEnabled(bool enabled);

// The player's vehicle: its reset point ("Reset Position", "Reset Angles") and its angles.
bool PlayerReset(SD::GameObject* player, SD::Vec3* position, SD::Vec3* angles);
void SetPlayerReset(SD::GameObject* player, const SD::Vec3& position, const SD::Vec3& angles);
bool PlayerAngles(SD::GameObject* player, SD::Vec3* angles);

}  // namespace editorscene
}  // namespace QV
