#include "graphics/resources/Font.h"

#include "core/Logger.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture::Resource {
namespace {

constexpr uint32_t kBold = 700;

}  // namespace

Font::Font(const std::string& faceName, uint32_t cellWidth, uint32_t cellHeight)
    : face(faceName), width(cellWidth), height(cellHeight) {
    loaded = Load();
}

Font::~Font() {
    if (loaded) Unload();
    if (font) font->Release();
}

bool Font::Load() {
    ResourceManager* manager = ResourceManager::GetInstance();
    if (!manager || !manager->GetDevice()) return false;
    if (platform::gfx::Failed(
            platform::gfx::CreateFont(manager->GetDevice(), static_cast<int>(height), width, kBold, face, &font))) {
        SD_WARNING(Debug::kLogError, "Font \"%s\" %ux%u not created", face.c_str(), width, height);
        font = nullptr;
        return false;
    }
    created = true;
    return true;
}

bool Font::Unload() {
    created = false;
    if (!font) return true;
    uint32_t left = font->Release();
    font = nullptr;
    return left == 0;
}

bool Font::OnLostDevice() { return font && !platform::gfx::Failed(font->OnLostDevice()); }

bool Font::OnResetDevice() { return font && !platform::gfx::Failed(font->OnResetDevice()); }

int Font::DrawText(int x, int y, Font* f, const std::string& text, uint32_t color) {
    if (!f || !f->font) return 0;
    platform::gfx::Rect rect{x, y, x, y};
    f->font->DrawText(text.c_str(), static_cast<int>(text.size()), &rect, platform::gfx::kTextCalcRect, color);
    return f->font->DrawText(text.c_str(), static_cast<int>(text.size()), &rect, platform::gfx::kTextTopLeft, color);
}

}  // namespace Aperture::Resource
