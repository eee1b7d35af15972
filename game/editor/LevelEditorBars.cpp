// The editor's bars ('Object Templates', 'Level Objects' and the bar of the group or spline
// mode), their buttons, and the group and spline modes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/ChangeActiveState.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/Transform.h"
#include "game/editor/EditorLayout.h"
#include "game/editor/LevelEditor.h"
#include "game/editor/NameText.h"
#include "game/systems/TweakableSystem.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"
#include "runtime/Input.h"
#include "runtime/SplineSystem.h"

namespace QV {
namespace tw = platform::tweak;
namespace layout = editorlayout;
namespace {

constexpr const char* kTemplatesBar = "Object Templates";
constexpr const char* kObjectsBar = "Level Objects";
constexpr const char* kGroupBar = "Group Bar";
constexpr const char* kSplineBar = "Spline Bar";

SD::GameObject* Cursor() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    return factory ? factory->GetGameObject(std::string("LE_Cursor")) : nullptr;
}

SD::Input_* Input() { return SD::Input_::GetInstance(); }
bool Triggered(const char* binding) { return Input() && Input()->GetDigitalTriggered(binding); }
bool KeyTriggered(uint32_t code) { return Input() && Input()->GetKeyStateTriggered(code); }
bool KeyHeld(uint32_t code) { return Input() && Input()->GetKeyState(code); }

// Calls the component's reflected setter of that name with the value; false (logged) when it has
// none.
bool CallSetter(SD::Component* component, const char* name, const MFCore::Any& value) {
    auto* reflected = dynamic_cast<IRTTIUser*>(component);
    if (!reflected) return false;
    IRTTIUser::ClassInfo info = reflected->GetBoundClassInfo();
    IRTTIUser::FunctionEntry* entry = IRTTIUser::FindFunction(info, name);
    if (!entry) return false;
    try {
        std::vector<MFCore::Any> args{value};
        entry->function->Invoke(args);
        return true;
    } catch (const std::exception& e) {
        SD_WARNING(Debug::kLogData, "Setting %s on a spawn logic failed: %s", name, e.what());
        return false;
    }
}

}  // namespace

tw::Bar* LevelEditor::TemplatesBar() { return tw::FindBar(kTemplatesBar); }
tw::Bar* LevelEditor::ObjectsBar() { return tw::FindBar(kObjectsBar); }
tw::Bar* LevelEditor::GetModeBar() const { return modeBarName_.empty() ? nullptr : tw::FindBar(modeBarName_); }

void LevelEditor::CreateBars() {
    const int width = WindowWidth(), height = WindowHeight();
    if (!TemplatesBar()) tw::NewBar(kTemplatesBar);
    tw::Define(layout::BarDefinition(kTemplatesBar, layout::TemplatesBar(width, height), false).c_str());
    if (!ObjectsBar()) tw::NewBar(kObjectsBar);
    tw::Define(layout::BarDefinition(kObjectsBar, layout::ObjectsBar(width, height), false).c_str());
    menusVisible_ = false;
}

void LevelEditor::SetMenusVisible(bool visible) {
    if (visible == menusVisible_) return;
    menusVisible_ = visible;
    const char* value = visible ? "true" : "false";
    tw::Define((std::string("'") + kTemplatesBar + "' visible='" + value + "'").c_str());
    tw::Define((std::string("'") + kObjectsBar + "' visible='" + value + "'").c_str());
}

void LevelEditor::LoadTemplates() {
    if (tw::Bar* bar = TemplatesBar()) tw::RemoveAllVars(bar);
    templates_.clear();
    templateIndex_ = 0;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory || manifestPath_.empty()) return;
    factory->LoadObjectManifest(manifestPath_, &templates_, true);
    factory->RebuildFastBlueprintLookupMap();
    for (size_t i = 0; i < templates_.size(); ++i) {
        const std::string& name = templates_[i];
        // A name no longer than the folder prefix is shown whole.
        const std::string shown = name.size() > kTemplatePrefixLength ? name.substr(kTemplatePrefixLength) : name;
        tw::AddButton(TemplatesBar(), shown.c_str(), &OnTemplateButton, reinterpret_cast<void*>(i), nullptr);
    }
}

// A click chooses the template, as Left and Right do; Space places it at the cursor.
void LevelEditor::OnTemplateButton(void* clientData) {
    LevelEditor* editor = Peek();
    const size_t index = reinterpret_cast<size_t>(clientData);
    if (!editor || !editor->active_ || index >= editor->templates_.size()) return;
    editor->templateIndex_ = static_cast<uint32_t>(index);
}

void LevelEditor::AddObjectButton(const LevelObjectRecord& record, const std::string& layer, size_t number) {
    const std::string definition = "group='" + layer + "'";
    tw::AddButton(ObjectsBar(), record.label.c_str(), &OnObjectButton, reinterpret_cast<void*>(number),
                  definition.c_str());
}

void LevelEditor::OnObjectButton(void* clientData) {
    LevelEditor* editor = Peek();
    const size_t number = reinterpret_cast<size_t>(clientData);
    if (!editor || !editor->active_ || number == 0 || number > editor->objectHandles_.size()) return;
    SD::GameObject* object = editor->objectHandles_[number - 1].get();
    if (!object || editor->mode_ == kModeSpline) return;
    editor->SelectObject(object);
    if (SD::GameObject* cursor = Cursor()) cursor->GetTransform().SetPos(object->GetTransform().GetPos());
}

void LevelEditor::PruneObjectList(LevelObjectRecords& records) {
    for (LevelObjectRecord& record : records) {
        if (record.removed || record.handle.get()) continue;
        tw::RemoveVar(ObjectsBar(), record.label.c_str());
        record.removed = true;
    }
}

LevelObjectRecords& LevelEditor::GroupRecords(const std::string& name) {
    for (auto& group : groups_)
        if (group.first == name) return group.second;
    groups_.emplace_back(name, LevelObjectRecords());
    return groups_.back().second;
}

void LevelEditor::CloseModeBar() {
    if (tw::Bar* bar = GetModeBar()) tw::DeleteBar(bar);
    modeBarName_.clear();
    PopMode();
}

void LevelEditor::ApplySpawnSettings(SD::GameObject* object) {
    SD::Component* spawn = object->AddComponent(SD::CID_SpawnLogic);
    if (!spawn) {
        SD_WARNING(Debug::kLogData, "No spawn logic could be added to [%s]: the class is not registered.",
                   object->GetBlueprintName().c_str());
        return;
    }
    CallSetter(spawn, "SetDelay", MFCore::Any(firstFloat_));
    CallSetter(spawn, "SetDuration", MFCore::Any(secondFloat_ < 0.0f ? 0.0f : secondFloat_));
    CallSetter(spawn, "SetActionName", MFCore::Any(static_cast<const char*>(actionName_ ? actionName_ : "")));
}

void LevelEditor::UpdateGroupMode() {
    if (Triggered("LE_EscapeMenu")) {
        CloseModeBar();
        return;
    }
    if (!GetModeBar()) {
        tw::Bar* bar = tw::NewBar(kGroupBar);
        modeBarName_ = kGroupBar;
        const std::string definition =
            layout::BarDefinition(kGroupBar, layout::ModeBar(WindowWidth(), WindowHeight()), true);
        std::free(nameText_);
        nameText_ = nullptr;
        tw::AddVarRW(bar, "Group's Name:", tw::kTypeCString, &nameText_, "group='Group Comp Default' ");
        tw::AddVarRW(bar, "Delay Time:", tw::kTypeFloat, &firstFloat_, "group='Spawn Logic Default' ");
        tw::AddVarRW(bar, "Duration Amount:", tw::kTypeFloat, &secondFloat_, "group='Spawn Logic Default' ");
        tw::AddVarRW(bar, "Action Name:", tw::kTypeCString, &actionName_, "group='Spawn Logic Default' ");
        tw::AddVarRW(bar, "Adds Spawn Logic:", tw::kTypeBool, &addsSpawnLogic_, "group='Spawn Logic Default' ");
        firstFloat_ = secondFloat_ = 0.0f;
        tw::Define(definition.c_str());
    }
    DrawText(layout::kMargin, layout::kTitleRow, "Group edit mode:");
    const std::string name = CleanName(nameText_, true);
    if (name.empty()) {
        DrawText(layout::kMargin, layout::kNoteRow, "Waiting until a group name is given...");
        return;
    }
    if (SD::GameObject* object = UpdateTemplateChoice()) PlaceInGroup(object, name);
}

SD::GameObject* LevelEditor::PlaceInGroup(SD::GameObject* object, const std::string& name) {
    if (auto* group = static_cast<SD::Group*>(object->AddComponent(SD::CID_Group))) group->SetGroupName(name.c_str());
    if (addsSpawnLogic_) ApplySpawnSettings(object);
    SD::GameObject* cursor = Cursor();
    PlaceObject(cursor ? &cursor->GetTransform() : nullptr, object, &GroupRecords(name), name);
    // Spawn logic starts its action on this change of play state.
    SD::ChangeActiveState change(2, 3);
    SD::Message_System::GetInstance()->SendMessage(change);
    return object;
}

void LevelEditor::UpdateSplineMode() {
    if (Triggered("LE_EscapeMenu")) {
        SetMenusVisible(true);
        CloseModeBar();
        return;
    }
    if (!GetModeBar()) {
        SetMenusVisible(false);
        tw::Bar* bar = tw::NewBar(kSplineBar);
        modeBarName_ = kSplineBar;
        splinePoints_.clear();
        redoPoints_.clear();
        splineTimes_.clear();
        redoTimes_.clear();
        const std::string definition =
            layout::BarDefinition(kSplineBar, layout::ModeBar(WindowWidth(), WindowHeight()), true);
        std::free(nameText_);
        nameText_ = nullptr;
        tw::AddVarRW(bar, "Spline's Name:", tw::kTypeCString, &nameText_, nullptr);
        tw::AddVarRW(bar, "Interval Time:", tw::kTypeFloat, &firstFloat_, nullptr);
        firstFloat_ = 1.0f;
        tw::Define(definition.c_str());
    }
    DrawText(layout::kMargin, layout::kTitleRow, "Spline edit mode:");
    if (CleanName(nameText_, false).empty()) {
        DrawText(layout::kMargin, layout::kNoteRow, "Waiting until a spline name is given...");
        return;
    }
    if (Triggered("LE_CreateObject")) {
        SD::GameObject* cursor = Cursor();
        if (cursor && splinePoints_.size() < kMaxSplinePoints) {
            splinePoints_.push_back(cursor->GetTransform().GetPos());
            splineTimes_.push_back(static_cast<double>(firstFloat_));
            redoPoints_.clear();
            redoTimes_.clear();
        } else if (cursor) {
            SD_WARNING(Debug::kLogData, "A spline holds at most %zu points; the point was not added.",
                       kMaxSplinePoints);
        }
    }
    if (!KeyHeld(SD::key_CONTROL)) return;
    if (KeyHeld(SD::key_Z) && !splinePoints_.empty()) {
        redoPoints_.push_back(splinePoints_.back());
        splinePoints_.pop_back();
        redoTimes_.push_back(splineTimes_.back());
        splineTimes_.pop_back();
    }
    if (KeyTriggered(SD::key_Y) && !redoPoints_.empty()) {
        splinePoints_.push_back(redoPoints_.back());
        redoPoints_.pop_back();
        splineTimes_.push_back(redoTimes_.back());
        redoTimes_.pop_back();
    }
    if (KeyTriggered(SD::key_RETURN)) CommitSpline();
}

void LevelEditor::CommitSpline() {
    if (splinePoints_.size() < 2) {
        SD_WARNING(Debug::kLogData, "A spline needs at least two points; %zu given.  Nothing was written.",
                   splinePoints_.size());
        return;
    }
    SD::Spline_System::GetInstance().SaveSpline(splinePoints_, splineTimes_, CleanName(nameText_, false));
    SetMenusVisible(true);
    CloseModeBar();
}

}  // namespace QV
