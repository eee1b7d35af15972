#pragma once
// A line of text drawn with a font at its owner's position (in pixels, truncated) after the
// queued debug texts. The font is found, and made on first request, at initialise.
#include <cstdint>
#include <string>

#include "engine/Component.h"
#include "engine/IntrusiveList.h"

namespace SD {
class Transform;
}

namespace Aperture {

namespace Resource {
class Font;
}

class Text : public SD::Component {
public:
    Text() { SetID(SD::CID_Text); }

    SD::ComponentID VGetID() const override { return SD::CID_Text; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;

    // Draws the text with the font, when it has both a font and an owner.
    void Draw();
    // A0 R G B from the low byte of each channel.
    static uint32_t PackColor(int red, int green, int blue, int alpha);

    const std::string& GetText() const { return text; }
    void SetText(const std::string& value) { text = value; }
    void SetFont(const std::string& name, int width, int height) {
        fontName = name;
        fontWidth = width;
        fontHeight = height;
    }
    void SetColor(int red, int green, int blue, int alpha) {
        color[0] = red, color[1] = green, color[2] = blue, color[3] = alpha;
    }
    uint32_t GetPackedColor() const { return packedColor; }
    Resource::Font* GetFontResource() const { return font; }

    SD::IntrusiveLink<Text> graphicsLink;

private:
    Resource::Font* font = nullptr;
    int fontHeight = 0;
    int fontWidth = 0;
    std::string fontName;
    uint32_t packedColor = 0;
    // Red, green, blue, alpha; opaque white until a file or a call sets them.
    int color[4] = {255, 255, 255, 255};
    std::string text;
    SD::Transform* transform = nullptr;
    // A text without a font says so once.
    bool reportedMissingFont = false;
};

}  // namespace Aperture
