#include "graphics/components/Text.h"

#include "core/Logger.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/SuperialType.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Font.h"

namespace Aperture {

void Text::VInitialize(bool) {
    transform = GetOwner() ? &GetOwner()->GetTransform() : nullptr;
    font = Graphics_::GetInstance()->GetFont(fontName, fontWidth, fontHeight);
}

void Text::VSerialize(SD::IStream& stream, int) {
    unsigned height = static_cast<unsigned>(fontHeight);
    unsigned width = static_cast<unsigned>(fontWidth);
    stream.Serialize(height, "Height", "Integer");
    stream.Serialize(width, "Width", "Integer");
    fontHeight = static_cast<int>(height);
    fontWidth = static_cast<int>(width);
    stream.Serialize(fontName, "Font Name", "String");
    stream.BeginGroup("color", "CharColor", SD::kSuperialArray);
    for (int& channel : color) stream.Serialize(channel, nullptr, "Integer");
    stream.EndGroup("color", "CharColor", SD::kSuperialArray);
}

void Text::VRegister() { Graphics_::GetInstance()->GetSceneLists().Texts().PushBack(this); }

void Text::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->GetSceneLists().Texts().Remove(this);
}

uint32_t Text::PackColor(int red, int green, int blue, int alpha) {
    auto byte = [](int v) { return static_cast<uint32_t>(v) & 0xFFu; };
    return byte(alpha) << 24 | byte(red) << 16 | byte(green) << 8 | byte(blue);
}

void Text::Draw() {
    if (!font) {
        if (!reportedMissingFont) {
            reportedMissingFont = true;
            SD_WARNING(Debug::kLogData, "[Graphics] Text \"%s\" has no font \"%s\" %dx%d; it is not drawn",
                       text.c_str(), fontName.c_str(), fontWidth, fontHeight);
        }
        return;
    }
    if (!transform) return;
    packedColor = PackColor(color[0], color[1], color[2], color[3]);
    const SD::Vec3& p = transform->GetLocalPos();
    Resource::Font::DrawText(static_cast<int>(p.x), static_cast<int>(p.y), font, text, packedColor);
}

}  // namespace Aperture
