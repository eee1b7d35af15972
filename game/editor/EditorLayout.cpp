#include "game/editor/EditorLayout.h"

#include <algorithm>
#include <cstdio>

#include "platform/tweak/TweakInspect.h"
#include "runtime/Window.h"

namespace QV::editorlayout {
namespace {

constexpr int kWidestBar = 200;
constexpr int kLowestBar = 40;  // a title and a line of the bar

int BandTop() { return kNoteRow + kRowHeight + 6; }
int BandBottom(int windowHeight) { return FootRow(windowHeight) - 6; }
int BandHeight(int windowHeight) { return std::max(BandBottom(windowHeight) - BandTop(), kLowestBar); }

// Two bars side by side with margins around both, as wide as that leaves room for.
int BandBarWidth(int windowWidth) { return std::clamp((windowWidth - 3 * kMargin) / 2, kLowestBar, kWidestBar); }

bool BesideTheWords(const BarPlace& place, int windowWidth) {
    return place.x >= kWordsRight && place.x + place.width <= windowWidth;
}

// The lists at the right edge, the upper one in the top half of the window or of the band.
bool ListsBesideTheWords(int windowWidth) {
    return BesideTheWords({windowWidth - kMargin - kWidestBar, 0, kWidestBar, 0}, windowWidth);
}

BarPlace LeftOfTheBand(int windowWidth, int windowHeight) {
    return {kMargin, BandTop(), BandBarWidth(windowWidth), BandHeight(windowHeight)};
}

}  // namespace

int WindowWidth() {
    if (SD::Window_* window = SD::Window_::GetInstance()) return static_cast<int>(window->GetWidth());
    return platform::tweak::WindowWidth();
}

int WindowHeight() {
    if (SD::Window_* window = SD::Window_::GetInstance()) return static_cast<int>(window->GetHeight());
    return platform::tweak::WindowHeight();
}

TextPlace BesideTheMode(int windowWidth, int letters) {
    const int x = kMargin + (kModeLetters + 1) * kLetterWidth;
    if (x + letters * kLetterWidth <= std::min(windowWidth - kMargin, kWordsRight)) return {x, kTitleRow};
    return {kMargin, kNoteRow};
}

BarPlace TemplatesBar(int windowWidth, int windowHeight) {
    if (ListsBesideTheWords(windowWidth))
        return {windowWidth - kMargin - kWidestBar, kMargin, kWidestBar, windowHeight / 2 - 2 * kMargin};
    const int width = BandBarWidth(windowWidth);
    return {windowWidth - kMargin - width, BandTop(), width,
            std::max((BandHeight(windowHeight) - kMargin) / 2, kLowestBar)};
}

BarPlace ObjectsBar(int windowWidth, int windowHeight) {
    BarPlace place = TemplatesBar(windowWidth, windowHeight);
    place.y = ListsBesideTheWords(windowWidth) ? windowHeight / 2 : place.y + place.height + kMargin;
    return place;
}

BarPlace ModeBar(int windowWidth, int windowHeight) {
    const BarPlace top{windowHeight - 210, kMargin, kWidestBar, kWidestBar};
    const BarPlace lists = TemplatesBar(windowWidth, windowHeight);
    if (BesideTheWords(top, windowWidth) && top.x + top.width <= lists.x) return top;
    return LeftOfTheBand(windowWidth, windowHeight);
}

BarPlace EditedObjectBar(int windowWidth, int windowHeight) { return LeftOfTheBand(windowWidth, windowHeight); }

std::string BarDefinition(const std::string& name, const BarPlace& place, bool visible) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "'%s' color='%d %d %d' text=light refresh=%f position='%d %d' size='%i %i' alpha=%i visible=%s",
                  name.c_str(), 0, 0, 0, 0.05, place.x, place.y, place.width, place.height, 200,
                  visible ? "true" : "false");
    return text;
}

}  // namespace QV::editorlayout
