#pragma once
// What the play states share: the vehicle with its four wings, the player camera, and the pause
// keys (a quit prompt closes first; "TogglePause" flips play and pause, "Unpause" only resumes).
#include "core/Vector.h"

namespace SD {
class Component;
class GameObject;
class InputBindingSet;
}  // namespace SD

namespace QV {

constexpr float kPlayerTilt = 0.8726646f;  // 50 degrees about the local x axis

// "World/Player" named "Player" at `start` (when given), tilted, with the wings as tilted
// children; not yet initialised. Null when the blueprint is missing.
SD::GameObject* CreatePlayerWithWings(const SD::Vec3* start);
// "World/Camera" named "PlayerCam", initialised; its camera becomes the active one and the
// level editor's return camera. Null when the blueprint is missing.
SD::GameObject* CreatePlayerCamera();
// The camera component of an object, or null.
SD::Component* CameraOf(SD::GameObject* object);
void MakeActiveCamera(SD::Component* camera);

void BindPauseKeys(SD::InputBindingSet& bindings);
// One frame of the pause keys; the pause menu then shows while the game is paused.
void StepPauseKeys();
// The pause menu exists (and so takes the menu keys) only while shown: made from its HUD file
// and named "PauseMenu" when shown, destroyed when hidden.
constexpr const char* kPauseMenuName = "PauseMenu";
void ShowPauseMenu(bool shown);

}  // namespace QV
