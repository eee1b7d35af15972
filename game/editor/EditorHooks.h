#pragma once
// What the level editor needs of the renderer, the physics, the season cycle and the player's
// vehicle, none of which it may include. Each of those layers installs an implementation of
// its part when it joins; until then the defaults change nothing, answer "none" and note their
// call (game/EmptyHook.h).
#include <string>

#include "core/Vector.h"
#include "game/EmptyHook.h"

namespace SD {
class Component;
class GameObject;
}  // namespace SD

namespace QV {

class EditorHooks {
public:
    virtual ~EditorHooks() = default;

    // Renderer.
    virtual SD::Component* GetActiveCamera() {
        NoteEmptyHook("EditorHooks::GetActiveCamera");
        return nullptr;
    }
    virtual void SetActiveCamera(SD::Component* camera) {
        (void)camera;
        NoteEmptyHook("EditorHooks::SetActiveCamera");
    }
    virtual bool IsCameraEnabled(SD::Component* camera) { return camera != nullptr; }
    // The distance of a spherical camera from its target; false when it has none.
    virtual bool GetCameraRadius(SD::Component* camera, float* radius) {
        NoteEmptyHook("EditorHooks::GetCameraRadius");
        (void)camera;
        (void)radius;
        return false;
    }
    virtual void SetCameraRadius(SD::Component* camera, float radius) {
        NoteEmptyHook("EditorHooks::SetCameraRadius");
        (void)camera;
        (void)radius;
    }
    virtual SD::Vec3 GetAmbientColor() {
        NoteEmptyHook("EditorHooks::GetAmbientColor");
        return SD::Vec3();
    }
    virtual void SetAmbientColor(const SD::Vec3& color) {
        (void)color;
        NoteEmptyHook("EditorHooks::SetAmbientColor");
    }
    virtual void SetDebugTextStyle() { NoteEmptyHook("EditorHooks::SetDebugTextStyle"); }
    virtual void DrawDebugText(int x, int y, const std::string& text) {
        NoteEmptyHook("EditorHooks::DrawDebugText");
        (void)x;
        (void)y;
        (void)text;
    }
    // The colour of the object's geometry; its model name, empty without geometry.
    virtual void SetGeometryColor(SD::GameObject* object, const SD::Vec4& color) {
        NoteEmptyHook("EditorHooks::SetGeometryColor");
        (void)object;
        (void)color;
    }
    virtual std::string GetModelName(SD::GameObject* object) {
        NoteEmptyHook("EditorHooks::GetModelName");
        (void)object;
        return std::string();
    }

    // Physics: a detect-only pass while play is paused, and the positions of colliders. The
    // cursor's body attaches here: its contacts reach LevelEditor::OnCursorContact.
    virtual void CheckCollisionsNow() { NoteEmptyHook("EditorHooks::CheckCollisionsNow"); }
    virtual void AttachCursorBody(SD::GameObject* cursor) {
        (void)cursor;
        NoteEmptyHook("EditorHooks::AttachCursorBody");
    }
    virtual bool GetColliderPosition(SD::GameObject* object, SD::Vec3* position) {
        NoteEmptyHook("EditorHooks::GetColliderPosition");
        (void)object;
        (void)position;
        return false;
    }
    virtual void SetColliderPosition(SD::GameObject* object, const SD::Vec3& position) {
        NoteEmptyHook("EditorHooks::SetColliderPosition");
        (void)object;
        (void)position;
    }

    // Season cycle.
    virtual bool GetFogEnabled() {
        NoteEmptyHook("EditorHooks::GetFogEnabled");
        return true;
    }
    virtual void SetFogEnabled(bool enabled) {
        (void)enabled;
        NoteEmptyHook("EditorHooks::SetFogEnabled");
    }

    // The player's vehicle: its reset point ("Reset Position", "Reset Angles") and its angles.
    virtual bool GetPlayerReset(SD::GameObject* player, SD::Vec3* position, SD::Vec3* angles) {
        NoteEmptyHook("EditorHooks::GetPlayerReset");
        (void)player;
        (void)position;
        (void)angles;
        return false;
    }
    virtual void SetPlayerReset(SD::GameObject* player, const SD::Vec3& position, const SD::Vec3& angles) {
        NoteEmptyHook("EditorHooks::SetPlayerReset");
        (void)player;
        (void)position;
        (void)angles;
    }
    virtual bool GetPlayerAngles(SD::GameObject* player, SD::Vec3* angles) {
        NoteEmptyHook("EditorHooks::GetPlayerAngles");
        (void)player;
        (void)angles;
        return false;
    }
};

}  // namespace QV
