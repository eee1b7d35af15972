#pragma once
// Where the level editor puts its words and its tweak bars in a window of any size. The words sit
// on rows at the top (the mode, then a note) and at the bottom (the template or object name),
// reaching at most 40 letters in from the left. The two lists ('Object Templates' above 'Level
// Objects') keep to the right edge and the mode's bar to the top, where a wide window leaves them
// beside the words; in a narrower one they move into the band between the rows, the lists on the
// right and the mode's bar on the left. The bar of the object being edited always lies in that
// band at the left, below the mode it would otherwise hide. No bar covers a word, down to a
// 320 x 200 window.
#include <string>

namespace QV::editorlayout {

constexpr int kMargin = 10;
constexpr int kTitleRow = 10;  // the mode
constexpr int kNoteRow = 40;   // what the mode waits for, the cursor's speed
constexpr int kRowHeight = 16;
constexpr int kLetterWidth = 12;
constexpr int kWordsRight = kMargin + 40 * kLetterWidth;
constexpr int kModeLetters = 17;  // "Spline edit mode:", the longest mode
// The template or object name.
inline int FootRow(int windowHeight) { return windowHeight - 30; }

struct TextPlace {
    int x, y;
};
// Where words of that many letters go beside the mode, within the letters no bar covers; in a
// window too narrow for that, at the start of the note's row.
TextPlace BesideTheMode(int windowWidth, int letters);

// The game window's size, or the tweak bars' screen's while there is no game window.
int WindowWidth();
int WindowHeight();

struct BarPlace {
    int x, y, width, height;
};

BarPlace TemplatesBar(int windowWidth, int windowHeight);
BarPlace ObjectsBar(int windowWidth, int windowHeight);
// The group or spline mode's bar.
BarPlace ModeBar(int windowWidth, int windowHeight);
BarPlace EditedObjectBar(int windowWidth, int windowHeight);

// A bar's definition: dark, light text, refreshed every 0.05 s, alpha 200, at that place.
std::string BarDefinition(const std::string& name, const BarPlace& place, bool visible);

}  // namespace QV::editorlayout
