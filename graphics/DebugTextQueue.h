#pragma once
// Debug text: the lines that game states, the level editor and scripts print during a frame, each
// in the font and colour current when it was queued, and the fonts they are drawn in, made on
// first request and kept by face and size. The graphics system draws the queue after the frame's
// final copy and empties it.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/TestProbe.h"

namespace Aperture {

namespace Resource {
class Font;
class ResourceManager;
}  // namespace Resource

class DebugTextQueue {
public:
    // One queued line; the current line's font and colour are what the next lines take (only
    // ResetFont sets them: the game draws all its debug text in the one default font).
    struct Line {
        std::string text;
        std::string fontName = "Consolas";
        int32_t fontWidth = 12;
        int32_t fontHeight = 16;
        int32_t x = 0;
        int32_t y = 0;
        uint32_t color = 0xFFFFFFFF;
    };
    // Formatted lines are cut to one character less than this.
    static constexpr size_t kBuffer = 1024;

    DebugTextQueue() = default;
    DebugTextQueue(const DebugTextQueue&) = delete;
    DebugTextQueue& operator=(const DebugTextQueue&) = delete;

    // Queues the text at (x, y); a null text counts as "".
    void Queue(int x, int y, const char* text);
    // Queues the printf-style text at (x, y).
    void Format(int x, int y, const char* format, va_list args);
    // Back to "Consolas" 12 by 16, opaque white.
    void ResetFont() { current = Line(); }
    const std::vector<Line>& Lines() const { return lines; }
    void Clear() { lines.clear(); }

    // The font filed under the face and size, made through the manager on first request (null
    // without a manager); one whose face cannot be had is filed without its device font.
    Resource::Font* FileFont(Resource::ResourceManager* manager, const std::string& name, int width, int height);
    // Lets go of the device fonts at shut-down.
    void UnloadFonts();

private:
    friend struct platform::TestProbe<DebugTextQueue>;

    Line current;
    std::vector<Line> lines;
    // Keyed by width, height, then name.
    std::map<std::tuple<int, int, std::string>, Resource::Font*> fonts;
};

}  // namespace Aperture
