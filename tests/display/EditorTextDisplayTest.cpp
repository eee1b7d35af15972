// The level editor in a real window, driven by keys the window system delivers: with developer
// keys on, F2 in the world writes the editor's mode at the top left and the template it would
// place at the bottom left, clear of its bars; Space, even tapped quicker than a frame, places the
// template, W moves it and Ctrl+S writes the level, whose file then holds the object where it was
// moved to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "display/GameInWindow.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/editor/LevelEditor.h"
#include "support/StepScript.h"

namespace {

using displaytest::PressKey;
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

using EditorDisplay = displaytest::GameInWindow;

TEST_F(EditorDisplay, F2ShowsTheEditorsWordsClearOfItsBarsThenAnObjectIsPlacedMovedAndSaved) {
    // Fewer, longer frames reach the world sooner on the software renderer.
    qvtest::SetConfig(tree_, "FrameRateController", "fps", "12.0");
    Frame flying, editing, placing;
    auto shown = [this] {
        return Frame{session_->LastFrameWidth(), session_->LastFrameHeight(), session_->LastFrame()};
    };
    auto editor = [] { return QV::LevelEditor::Peek(); };
    SD::GameObject* placed = nullptr;
    SD::Vec3 placedAt, movedTo;
    qvtest::StepScript script;
    script.limit = 3000;
    script.steps = {
        {"the menu", [] { return qvtest::Running() == "MainMenu"; }},
        {"the menu still", Wait(60)},
        {"play chosen", Tap(SDL_SCANCODE_RETURN)},
        {"the world", [] { return qvtest::Running() == "World"; }},
        {"a while of flight", Wait(10)},
        {"flight seen", Do([&] { flying = shown(); })},
        {"F2", Tap(SDL_SCANCODE_F2, 4)},
        {"the editor on", [&] { return editor() && editor()->IsActive(); }},
        {"a while in the editor", Wait(5)},
        {"the editor seen", Do([&] { editing = shown(); })},
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
             placing = shown();
         })},
        {"S with Ctrl", Tap(SDL_SCANCODE_S)},
        {"Ctrl let go", Do([] { PressKey(SDL_SCANCODE_LCTRL, false); })},
        {"quit", Do([] { SD::Core::GetInstance()->Quit(); })},
    };
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.developerKeys = true;
    options.afterFrame = [&](unsigned long) { script.Advance(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    if (const char* folder = std::getenv("QV_FRAMES")) {
        qvdisplay::SavePpm(flying, std::string(folder) + "/editor-off.ppm");
        qvdisplay::SavePpm(editing, std::string(folder) + "/editor-words.ppm");
        qvdisplay::SavePpm(placing, std::string(folder) + "/editor-object.ppm");
    }
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

}  // namespace
