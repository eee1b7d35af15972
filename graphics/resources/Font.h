#pragma once
// A font of one face and cell size. It keeps its device font across a device loss and only
// tells it that the device was lost and reset.
#include <cstdint>
#include <string>

#include "graphics/resources/Resource.h"
#include "platform/gfx/Font.h"

namespace Aperture::Resource {

class Font : public VolatileResource {
public:
    ~Font() override;
    // Creates the device font (bold); false when the face cannot be had.
    bool Load() override;
    // Releases the device font; true when that dropped the last reference.
    bool Unload() override;
    bool OnLostDevice() override;
    bool OnResetDevice() override;

    // Measures the text from (x, y), then draws it into that rectangle in the ARGB colour;
    // returns the height drawn.
    static int DrawText(int x, int y, Font* font, const std::string& text, uint32_t color);

    const std::string& GetFace() const { return face; }
    platform::gfx::Font* GetFont() const { return font; }

private:
    friend class ResourceManager;
    Font(const std::string& faceName, uint32_t cellWidth, uint32_t cellHeight);

    std::string face;
    uint32_t width;
    uint32_t height;
    platform::gfx::Font* font = nullptr;
};

}  // namespace Aperture::Resource
