#include "graphics/DebugTextQueue.h"

#include <cstdio>

#include "graphics/resources/Font.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture {

void DebugTextQueue::Queue(int x, int y, const char* text) {
    current.x = x;
    current.y = y;
    current.text = text ? text : "";
    lines.push_back(current);
}

void DebugTextQueue::Format(int x, int y, const char* format, va_list args) {
    char buffer[kBuffer];
    std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    Queue(x, y, buffer);
}

Resource::Font* DebugTextQueue::FileFont(Resource::ResourceManager* manager, const std::string& name, int width,
                                         int height) {
    const auto key = std::make_tuple(width, height, name);
    auto found = fonts.find(key);
    if (found != fonts.end()) return found->second;
    if (!manager) return nullptr;
    // Made loaded; a face that cannot be had stays filed without its device font.
    Resource::Font* font = manager->CreateFont(name, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    fonts.emplace(key, font);
    return font;
}

void DebugTextQueue::UnloadFonts() {
    for (auto& entry : fonts)
        if (entry.second->IsLoaded() || entry.second->GetFont()) entry.second->Unload();
}

}  // namespace Aperture
