#pragma once
// The in-game level editor: while switched on it pauses play, shows its own cameras, a 3D
// cursor and two tweak bars, and lets the user create objects from blueprint templates at the
// cursor, select, move, turn and delete them, group them, record splines, and save and load
// the level's object layers and the player's spawn point.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/SharedString.h"
#include "core/System.h"
#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "runtime/InputBindingSet.h"

namespace platform::tweak {
class Bar;
}

namespace SD {
class Component;
class GameObject;
class IMessage;
class SuperialDataMap;
class SuperialValue;
class Transform;
}  // namespace SD

namespace QV {

enum EditMode : uint32_t { kModeMain = 0, kModeObjectEdit = 1, kModeGroup = 2, kModeSpline = 3 };

struct LevelObjectRecord {
    SD::GameObjectHandle handle;
    SD::SharedString label;  // the object's button on 'Level Objects'
    bool removed = false;    // its button was already taken off
    // The object's entry in the level file it was loaded from, null for an object the editor
    // placed. A save writes the entry back as it stands unless the editor changed the object, so
    // what the world's logic moves, spawns or destroys while it runs never creeps into the file.
    // An entry the level could not make an object of (its blueprint is unknown, or its layer's
    // name came twice) has no object and no button, and every save keeps it too.
    const SD::SuperialValue* entry = nullptr;
    bool deleted = false;  // the editor deleted the object: saves leave it out
    // The object as the editor first selected it; once it differs, a save writes it afresh.
    std::shared_ptr<const SD::SuperialDataMap> asSelected;
};

using LevelObjectRecords = std::vector<LevelObjectRecord>;

struct DebugText {
    int x;
    int y;
    std::string text;
};

class LevelEditor : public SD::ISystem {
public:
    static constexpr const char* kLevelsFolder = "../Assets/Levels/";
    static constexpr const char* kTemplatePath = "../Assets/Levels/template.xml";
    static constexpr const char* kDefaultLevelName = "DefaultLevelName";
    static constexpr size_t kTemplatePrefixLength = 16;  // "ObjectTemplates/"
    static constexpr size_t kMaxSplinePoints = 1000;

    // Created on first use; destroyed at exit or by tests.
    static LevelEditor& GetInstance();
    static LevelEditor* Peek();
    static void DestroyInstance();

    LevelEditor();
    ~LevelEditor() override;
    LevelEditor(const LevelEditor&) = delete;
    LevelEditor& operator=(const LevelEditor&) = delete;

    const char* GetName() const override { return "LevelEditor"; }
    // "LevelManifest" and "AutoSaveDuration" of section "LevelEditor".
    void ReadConfig(SD::ConfigFile& config) override;
    void Initialize() override;
    void Shutdown() override;
    void Update(float dt) override;

    // Creates the editor's cameras and cursor, its two bars and its template list; called by
    // the loading state once per level load.
    void Setup();
    void SetActive(bool on);
    bool IsActive() const { return active_; }
    void Reset();
    void ClearLevel();

    // The cursor's body reports what it touches this frame.
    void OnCursorContact(SD::GameObject* other);
    // What the cursor touched last, or null.
    SD::GameObject* GetTouched() const { return touched_.get(); }
    void OnFileDrop(SD::IMessage* message);

    // Level files (see LevelEditorFiles.cpp). Names are refused when they would leave the
    // levels folder: empty, absolute, with "." or ".." parts, or with control characters.
    bool SaveLevel(const char* name);
    bool LoadLevel(const char* name);
    void AutoSave(float frameTime);
    static bool IsAcceptableLevelName(const std::string& name);
    // The levels in the levels folder (each a folder holding "objects.xml"), sorted by name.
    static std::vector<std::string> LevelNames();

    void SelectObject(SD::GameObject* object);
    // Puts the object at the cursor and edits it; with records it is also initialised, listed
    // and given a button under `layer`. Returns the object.
    SD::GameObject* PlaceObject(SD::Transform* cursor, SD::GameObject* object, LevelObjectRecords* records,
                                const std::string& layer);
    // Null when the current mode places nothing.
    SD::GameObject* PlaceInCurrentMode(SD::GameObject* object);
    void CycleCamera(int step);
    void PushMode(EditMode mode);
    void PopMode();
    void SetMenusVisible(bool visible);
    void PruneObjectList(LevelObjectRecords& records);

    // The cameras: slot 0 the main editor camera, 1 the 3D camera, 2 the running state's.
    void SetCameraSlot(uint32_t slot, SD::Component* camera);
    SD::Component* GetCameraSlot(uint32_t slot) const;
    void SetReturnCamera(SD::Component* camera) { SetCameraSlot(2, camera); }

    EditMode GetMode() const { return mode_; }
    uint32_t GetCameraSlotIndex() const { return cameraSlotIndex_; }
    bool IsSetupDone() const { return setupDone_; }
    bool AreMenusVisible() const { return menusVisible_; }
    const std::string& GetLevelName() const { return levelName_; }
    void SetLevelName(const std::string& name) { levelName_ = name; }
    const std::vector<std::string>& GetTemplates() const { return templates_; }
    uint32_t GetTemplateIndex() const { return templateIndex_; }
    const LevelObjectRecords& GetMainRecords() const { return mainRecords_; }
    const std::vector<std::pair<std::string, LevelObjectRecords>>& GetGroups() const { return groups_; }
    const std::vector<SD::GameObjectHandle>& GetObjectHandles() const { return objectHandles_; }
    SD::GameObject* GetSelectedObject() const { return selected_.get(); }
    const SD::Vec3& GetPlayerSpawnPos() const { return spawnPosition_; }
    const SD::Vec3& GetPlayerSpawnAngles() const { return spawnAngles_; }
    float GetAutoSaveDuration() const { return autoSaveDuration_; }
    float GetAutoSaveCountdown() const { return autoSaveCountdown_; }
    const std::vector<SD::Vec3>& GetSplinePoints() const { return splinePoints_; }
    const std::vector<double>& GetSplineTimes() const { return splineTimes_; }
    // The bar of the group or spline mode; null when none is open.
    platform::tweak::Bar* GetModeBar() const;
    // What the editor drew as debug text in the last update.
    const std::vector<DebugText>& GetDebugText() const { return debugText_; }

private:
    struct CameraSlot {
        SD::Component* camera = nullptr;
        SD::GameObjectHandle owner;
    };

    // LevelEditor.cpp
    void UpdateMainMode();
    void UpdateObjectEditMode(float frameTime);
    void UpdateCameraZoom();
    // The object `moved` (collider and position) to where the collider of `target` is.
    void MoveOnto(SD::GameObject* moved, SD::GameObject* target);
    void UpdatePlayerKeys();
    void UpdateBarKeys();
    // Next, previous, the template text and creation; the new object or null.
    SD::GameObject* UpdateTemplateChoice();
    void DrawText(int x, int y, const std::string& text);
    void ActivateCamera(uint32_t slot);
    float FrameTime(float dt) const;
    int WindowWidth() const;
    int WindowHeight() const;

    // LevelEditorBars.cpp
    static platform::tweak::Bar* TemplatesBar();
    static platform::tweak::Bar* ObjectsBar();
    void CreateBars();
    void LoadTemplates();
    void AddObjectButton(const LevelObjectRecord& record, const std::string& layer, size_t number);
    void UpdateGroupMode();
    void UpdateSplineMode();
    void CloseModeBar();
    void CommitSpline();
    LevelObjectRecords& GroupRecords(const std::string& name);
    // Spawn settings of the group bar on a new object's spawn logic, through its reflection.
    void ApplySpawnSettings(SD::GameObject* object);
    // Gives the object the group (and spawn logic when asked for) and places it in the group.
    SD::GameObject* PlaceInGroup(SD::GameObject* object, const std::string& name);
    static void OnTemplateButton(void* clientData);
    static void OnObjectButton(void* clientData);

    // LevelEditorFiles.cpp
    // Lists the objects a layer of the file made, each with its entry (`entries` is the layer's
    // "GameObjects" node, null for a layer the save does not write). The entries it made no
    // object of are kept as records without one; returns how many there were.
    size_t AddLoadedLayer(const std::string& layer, const std::vector<SD::GameObjectHandle>& handles,
                          const SD::SuperialValue* entries, LevelObjectRecords& records);
    // The record of a level object of the main layer or a group; null for any other object.
    LevelObjectRecord* FindRecord(const SD::GameObject* object);
    // Keeps what a loaded object holds when the editor first selects it.
    void NoteSelected(SD::GameObject* object);

    SD::InputBindingSet bindings_;
    bool setupDone_ = false;
    uint32_t cameraSlotIndex_ = 0;
    EditMode mode_ = kModeMain;
    bool active_ = false;
    float autoSaveCountdown_ = 0.0f;
    float autoSaveDuration_ = 300.0f;
    std::vector<EditMode> modeStack_;
    CameraSlot cameras_[3];
    std::string manifestPath_;
    std::string levelName_ = kDefaultLevelName;
    std::vector<std::string> templates_;
    uint32_t templateIndex_ = 0;
    LevelObjectRecords mainRecords_;
    // Objects of a loaded level that came from the template's layers: listed and selectable,
    // but not saved again (the template's layers are copied by every save).
    LevelObjectRecords templateRecords_;
    // Groups in the order they were first used: saved layers follow it.
    std::vector<std::pair<std::string, LevelObjectRecords>> groups_;
    // The objects file of the loaded level, which the records' entries point into.
    std::unique_ptr<SD::SuperialDataMap> loadedObjects_;
    std::vector<SD::GameObjectHandle> objectHandles_;
    uint32_t buttonCounter_ = 0;
    SD::GameObjectHandle selected_;
    SD::GameObjectHandle touched_;
    SD::Vec3 savedAmbient_;
    int32_t savedPlayState_ = 0;
    SD::Vec3 spawnPosition_;
    SD::Vec3 spawnAngles_;
    // The bars are looked up by name whenever they are used, so a bar deleted elsewhere (the
    // tweak system deletes every bar at shutdown) is never used through a stale pointer.
    std::string modeBarName_;
    char* nameText_ = nullptr;  // allocated by the tweak bars' copy function
    float firstFloat_ = 0.0f;
    float secondFloat_ = 0.0f;
    char* actionName_ = nullptr;
    bool addsSpawnLogic_ = false;
    bool menusVisible_ = false;
    std::vector<SD::Vec3> splinePoints_;
    std::vector<SD::Vec3> redoPoints_;
    std::vector<double> splineTimes_;
    std::vector<double> redoTimes_;
    std::vector<DebugText> debugText_;
    bool fileDropRegistered_ = false;
};

}  // namespace QV
