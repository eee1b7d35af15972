// The level editor in a real window, driven by keys and mouse as the window system delivers
// them: with developer keys on, F2 in the world writes the editor's mode at the top left and the
// template it would place at the bottom left, clear of its bars; Space, even tapped quicker than
// a frame, places the template, W moves it and Ctrl+S writes the level, whose file then holds the
// object where it was moved to. A click on a template chooses it, a value typed into the placed
// object's bar applies, the bottom line names the object's template and Tab's hint is written
// whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "display/GameInWindow.h"
#include "display/MouseEvents.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/EditorLayout.h"
#include "game/editor/LevelEditor.h"
#include "support/StepScript.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using displaytest::PressKey;
using displaytest::PushMouse;
using displaytest::Tap;
using qvdisplay::Box;
using qvdisplay::Frame;

// The editor's text cells: 12 x 16 pixels from (10, 10) for the mode, from (10, height - 30) for
// the template's name.
constexpr int kCellWidth = 12, kCellHeight = 16;

Box Cell(int x, int y, size_t index) {
    const int left = x + kCellWidth * static_cast<int>(index);
    return {left, y, left + kCellWidth, y + kCellHeight};
}

// The share of the box's pixels that are white, as the editor writes.
double WhiteShare(const Frame& frame, const Box& box) {
    int white = 0, all = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, frame.height); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, frame.width); ++x, ++all) {
            const uint8_t* p = &frame.rgba[(static_cast<size_t>(y) * frame.width + x) * 4];
            if (p[0] >= 245 && p[1] >= 245 && p[2] >= 245) ++white;
        }
    return all ? double(white) / all : 0.0;
}

// Every letter of the words at (x, y) shows white on the frame, so no bar covers any of them, and
// the place was not white before the editor was on.
void ExpectWordsShown(const Frame& shown, const Frame& before, int x, int y, const std::string& words) {
    SCOPED_TRACE(words);
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == ' ') continue;
        const Box cell = Cell(x, y, i);
        EXPECT_GT(WhiteShare(shown, cell), 0.0) << "letter " << i << " ('" << words[i] << "') is not seen";
    }
    const Box all{x, y, x + kCellWidth * static_cast<int>(words.size()), y + kCellHeight};
    EXPECT_LE(WhiteShare(shown, all), 0.6) << "a white block, not words";
    EXPECT_LT(WhiteShare(before, all), 0.02) << "white there before the editor was on";
}

std::function<bool()> Wait(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left] { return --*left <= 0; };
}

std::function<bool()> Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

namespace layout = QV::editorlayout;

class EditorDisplay : public displaytest::GameInWindow {
protected:
    Frame Shown() const {
        return {SdlSessionProbe::LastFrameWidth(*session_), SdlSessionProbe::LastFrameHeight(*session_),
                SdlSessionProbe::LastFrame(*session_)};
    }
    // From the menu into the world, where the frame is kept, then F2 and a while in the editor.
    std::vector<qvtest::StepScript::Step> IntoTheEditor(Frame* flying) {
        auto editor = [] { return QV::LevelEditor::Peek(); };
        return {
            {"the menu", [] { return qvtest::Running() == "MainMenu"; }},
            {"the menu still", Wait(60)},
            {"play chosen", Tap(SDL_SCANCODE_RETURN)},
            {"the world", [] { return qvtest::Running() == "World"; }},
            {"a while of flight", Wait(10)},
            {"flight seen", Do([this, flying] { *flying = Shown(); })},
            {"F2", Tap(SDL_SCANCODE_F2, 4)},
            {"the editor on", [editor] { return editor() && editor()->IsActive(); }},
            {"a while in the editor", Wait(5)},
        };
    }
};

// The pointer moved to a point this frame, and (`times` quick clicks there) pressed the next.
std::vector<qvtest::StepScript::Step> ClickAt(const char* what, int x, int y, int times = 1) {
    return {{what, Do([x, y] { PushMouse(SDL_MOUSEMOTION, x, y); })},
            {"clicked", Do([x, y, times] {
                 for (int click = 1; click <= times; ++click) {
                     PushMouse(SDL_MOUSEBUTTONDOWN, x, y, Uint8(click));
                     PushMouse(SDL_MOUSEBUTTONUP, x, y, Uint8(click));
                 }
             })},
            {"let go", Wait(2)}};
}

// The centre of a bar's row in the bars' default style: a title 19 pixels high, 8 pixels of
// margin, then rows 19 pixels high every 23 (a group's heading takes 17).
int RowCentre(const layout::BarPlace& bar, int row, int headings = 0) {
    return bar.y + 19 + 8 + 17 * headings + 23 * row + 9;
}

TEST_F(EditorDisplay, F2ShowsTheEditorsWordsClearOfItsBarsThenAnObjectIsPlacedMovedAndSaved) {
    // Fewer, longer frames reach the world sooner on the software renderer.
    qvtest::SetConfig(tree_, "FrameRateController", "fps", "12.0");
    Frame flying, editing, placing;
    auto editor = [] { return QV::LevelEditor::Peek(); };
    SD::GameObject* placed = nullptr;
    SD::Vec3 placedAt, movedTo;
    qvtest::StepScript script;
    script.limit = 3000;
    script.steps = IntoTheEditor(&flying);
    script.steps.insert(script.steps.end(),
                        {
                            {"the editor seen", Do([&] { editing = Shown(); })},
                            // Pressed and let go before the next frame, as a quick tap in a slow frame is.
                            {"Space tapped", Do([] {
                                 PressKey(SDL_SCANCODE_SPACE, true);
                                 PressKey(SDL_SCANCODE_SPACE, false);
                             })},
                            {"placed",
                             [&] {
                                 placed = editor()->GetSelectedObject();
                                 if (!placed) return false;
                                 placedAt = placed->GetTransform().GetPos();
                                 PressKey(SDL_SCANCODE_W, true);
                                 return true;
                             }},
                            {"W held", Wait(12)},
                            {"W let go", Do([&] {
                                 PressKey(SDL_SCANCODE_W, false);
                                 PressKey(SDL_SCANCODE_LCTRL, true);
                             })},
                            {"the object edited", Wait(3)},
                            {"the object's bar seen", Do([&] {
                                 movedTo = placed->GetTransform().GetPos();
                                 placing = Shown();
                             })},
                            {"S with Ctrl", Tap(SDL_SCANCODE_S)},
                            {"Ctrl let go", Do([] { PressKey(SDL_SCANCODE_LCTRL, false); })},
                            {"quit", Do([] { SD::Core::GetInstance()->Quit(); })},
                        });
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.developerKeys = true;
    options.afterFrame = [&](unsigned long) { script.Advance(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames({{"editor-off", &flying}, {"editor-words", &editing}, {"editor-object", &placing}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();

    ExpectWordsShown(editing, flying, 10, 10, "Edit Mode:");
    ExpectWordsShown(editing, flying, 10, editing.height - 30, "ObjectTemplates/Rock");
    ExpectWordsShown(placing, flying, 10, 10, "Object editing:");

    EXPECT_GT((movedTo - placedAt).Length(), 0.5f) << "W did not move the placed object";
    const std::optional<SD::Vec3> saved =
        qvtest::SavedPosition(tree_.Read("Assets/Levels/World_v6/objects.xml"), "ObjectTemplates/Rock");
    ASSERT_TRUE(saved) << "Ctrl+S did not write the placed object into the level";
    EXPECT_NEAR((*saved - movedTo).Length(), 0.0f, 0.02f);
}

// As a designer works: a click on "Lantern" in 'Object Templates' only chooses it;
// Space places it at the cursor; a double click on its PosY, 7 typed and Return, all within a
// frame, gives it a height of 7; the bottom line names its template; Tab hides the lists and says
// how to bring them back, in words the window holds whole.
TEST_F(EditorDisplay, AClickChoosesATemplateAndAValueTypedIntoTheObjectsBarApplies) {
    qvtest::SetConfig(tree_, "FrameRateController", "fps", "12.0");
    const int width = 800, height = 500;
    qvtest::SetConfig(tree_, "Window", "Width", std::to_string(width));
    qvtest::SetConfig(tree_, "Window", "Height", std::to_string(height));
    Frame flying, chosen, edited, hidden;
    auto editor = [] { return QV::LevelEditor::Peek(); };
    const layout::BarPlace templates = layout::TemplatesBar(width, height);
    const layout::BarPlace objectBar = layout::EditedObjectBar(width, height);
    size_t recordsBefore = 0, recordsAfter = 0;
    SD::GameObject* placed = nullptr;
    std::string placedFrom;
    float placedHeight = 0.0f;
    qvtest::StepScript script;
    script.limit = 3000;
    script.steps = IntoTheEditor(&flying);
    script.steps.push_back({"before the click", Do([&] { recordsBefore = editor()->GetMainRecords().size(); })});
    for (auto& step : ClickAt("to Lantern", templates.x + 36, RowCentre(templates, 1))) script.steps.push_back(step);
    script.steps.push_back({"the choice seen", Do([&] { chosen = Shown(); })});
    script.steps.push_back({"Space", Tap(SDL_SCANCODE_SPACE)});
    script.steps.push_back({"placed", [&] { return (placed = editor()->GetSelectedObject()) != nullptr; }});
    script.steps.push_back({"its bar", Wait(3)});
    for (auto& step : ClickAt("to PosY", objectBar.x + 40, RowCentre(objectBar, 1, 1), 2)) script.steps.push_back(step);
    script.steps.push_back({"7 and Return", Do([] {
                                SDL_Event text{};
                                text.type = SDL_TEXTINPUT;
                                text.text.text[0] = '7';
                                SDL_PushEvent(&text);
                                PressKey(SDL_SCANCODE_RETURN, true);
                                PressKey(SDL_SCANCODE_RETURN, false);
                            })});
    script.steps.push_back({"typed", Wait(4)});
    script.steps.push_back({"the edit seen", Do([&] {
                                edited = Shown();
                                placedFrom = placed->GetBlueprintName();
                                placedHeight = placed->GetTransform().GetPosY();
                                recordsAfter = editor()->GetMainRecords().size();
                            })});
    script.steps.push_back({"editing done", Tap(SDL_SCANCODE_ESCAPE)});
    script.steps.push_back({"Tab", Tap(SDL_SCANCODE_TAB)});
    script.steps.push_back({"the lists hidden", [&] { return !editor()->AreMenusVisible(); }});
    script.steps.push_back({"a frame without them", Wait(2)});
    script.steps.push_back({"the hint seen", Do([&] {
                                hidden = Shown();
                                SD::Core::GetInstance()->Quit();
                            })});
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.developerKeys = true;
    options.afterFrame = [&](unsigned long) { script.Advance(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    qvdisplay::KeepFrames(
        {{"editor-template-chosen", &chosen}, {"editor-value-typed", &edited}, {"editor-lists-hidden", &hidden}});
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();

    ExpectWordsShown(chosen, flying, 10, height - 30, "ObjectTemplates/Lantern");
    EXPECT_EQ(placedFrom, "ObjectTemplates/Lantern");
    EXPECT_EQ(recordsAfter, recordsBefore + 1) << "the click placed an object too";
    EXPECT_EQ(placedHeight, 7.0f) << "the typed value did not apply";
    ExpectWordsShown(edited, flying, 10, height - 30, "ObjectTemplates/Lantern");
    const std::string hint = "Tab shows the menus";
    const layout::TextPlace at = layout::BesideTheMode(width, static_cast<int>(hint.size()));
    ExpectWordsShown(hidden, flying, at.x, at.y, hint);
}

}  // namespace
