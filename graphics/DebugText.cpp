// Debug text: lines queued during a frame in the current font and colour, drawn on the back
// buffer after the final copy together with the text components. Fonts are made on first
// request and kept by face and size.
#include <cstdarg>
#include <cstdio>

#include "graphics/Graphics.h"
#include "graphics/resources/Font.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture {

void Graphics_::DrawDebugText(int x, int y, const char* format, ...) {
    char buffer[kDebugTextBuffer];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    va_end(args);
    DrawDebugString(x, y, buffer);
}

void Graphics_::DrawDebugString(int x, int y, const char* text) {
    debugText.x = x;
    debugText.y = y;
    debugText.text = text ? text : "";
    debugQueue.push_back(debugText);
}

void Graphics_::ResetDebugFont() { debugText = DebugText(); }

Resource::Font* Graphics_::GetFont(const std::string& name, int width, int height) {
    const auto key = std::make_tuple(width, height, name);
    auto found = fonts.find(key);
    if (found == fonts.end()) {
        Resource::ResourceManager* manager = device.GetResourceManager();
        if (!manager) return nullptr;
        // Made loaded; a face that cannot be had stays filed without its device font.
        Resource::Font* font = manager->CreateFont(name, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
        found = fonts.emplace(key, font).first;
    }
    Resource::Font* font = found->second;
    if (!font->GetFont()) {
        ReportMissingOnce("Font", name + " " + std::to_string(width) + "x" + std::to_string(height));
        return nullptr;
    }
    return font;
}

void Graphics_::DrawQueuedText() {
    for (const DebugText& record : debugQueue)
        if (Resource::Font* font = GetFont(record.fontName, record.fontWidth, record.fontHeight))
            Resource::Font::DrawText(record.x, record.y, font, record.text, record.color);
    for (Text* text : textList) text->Draw();
    debugQueue.clear();
}

}  // namespace Aperture
