// The level editor's words in a real window: with developer keys on, F2 in the world writes its
// mode at the top left and the template it would place at the bottom left of the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "display/GameInWindow.h"
#include "game/editor/LevelEditor.h"
#include "support/StepScript.h"

namespace {

using qvdisplay::Box;
using qvdisplay::Frame;
using displaytest::Tap;

// The editor's text cells: 12 x 16 pixels from (10, 10) for the mode, from (10, height - 30) for
// the template's name.
constexpr int kCellWidth = 12, kCellHeight = 16;

Box TextBox(int x, int y, size_t characters) {
    return {x, y, x + kCellWidth * static_cast<int>(characters), y + kCellHeight};
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

std::function<bool()> Wait(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left] { return --*left <= 0; };
}

using EditorTextDisplay = displaytest::GameInWindow;

TEST_F(EditorTextDisplay, F2WritesTheEditorsModeAndTemplateOnTheScreen) {
    // Fewer, longer frames reach the world sooner on the software renderer.
    qvtest::SetConfig(tree_, "FrameRateController", "fps", "12.0");
    Frame flying, editing;
    auto shown = [this] {
        return Frame{session_->LastFrameWidth(), session_->LastFrameHeight(), session_->LastFrame()};
    };
    auto editor = [] { return QV::LevelEditor::Peek(); };
    qvtest::StepScript script;
    script.limit = 3000;
    script.steps = {
        {"the menu", [] { return qvtest::Running() == "MainMenu"; }},
        {"the menu still", Wait(60)},
        {"play chosen", Tap(SDL_SCANCODE_RETURN)},
        {"the world", [] { return qvtest::Running() == "World"; }},
        {"a while of flight", Wait(10)},
        {"flight seen", [&] {
             flying = shown();
             return true;
         }},
        {"F2", Tap(SDL_SCANCODE_F2, 4)},
        {"the editor on", [&] { return editor() && editor()->IsActive(); }},
        {"a while in the editor", Wait(5)},
        {"the editor seen", [&] {
             editing = shown();
             SD::Core::GetInstance()->Quit();
             return true;
         }},
    };
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.developerKeys = true;
    options.afterFrame = [&](unsigned long) { script.Advance(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    if (const char* folder = std::getenv("QV_FRAMES")) {
        qvdisplay::SavePpm(flying, std::string(folder) + "/editor-off.ppm");
        qvdisplay::SavePpm(editing, std::string(folder) + "/editor-words.ppm");
    }
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    ASSERT_FALSE(editing.rgba.empty());

    // Their first eight letters ("Edit Mod", "ObjectTe"): in a window this small the editor's
    // bars cover the rest.
    const Box mode = TextBox(10, 10, 8);
    const Box name = TextBox(10, editing.height - 30, 8);
    for (const auto& [what, box] : {std::pair<const char*, Box>{"the mode", mode}, {"the template", name}}) {
        SCOPED_TRACE(what);
        EXPECT_GE(WhiteShare(editing, box), 0.08) << "no words";
        EXPECT_LE(WhiteShare(editing, box), 0.6) << "a white block, not words";
        EXPECT_LT(WhiteShare(flying, box), 0.02) << "white there before the editor was on";
    }
}

}  // namespace
