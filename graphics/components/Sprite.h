#pragma once
// Flat screen-space pictures. A Sprite names a texture, an opacity and a tint; a UISprite adds
// an anchor and is placed by the sprite pass on the 1920 x 1200 reference screen scaled to the
// render size. Each joins its own list of the graphics system while registered.
#include <string>

#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/IntrusiveList.h"

namespace Aperture {

class Sprite : public SD::Component {
public:
    Sprite() { SetID(SD::CID_Sprite); }

    SD::ComponentID VGetID() const override { return SD::CID_Sprite; }
    int VGetVersion() const override { return 0; }
    void VRegister() override;
    void VUnregister() override;

    // Resolves the name through the asset-name table first.
    void SetTexture(const std::string& name);
    const std::string& GetTexture() const { return texture; }
    float GetOpacity() const { return opacity; }
    void SetOpacity(float value) { opacity = value; }
    const SD::Vec3& GetTint() const { return tint; }
    void SetTint(const SD::Vec3& value) { tint = value; }

    SD::IntrusiveLink<Sprite> graphicsLink;

protected:
    std::string texture;
    // Drawn until a file or a call says otherwise.
    float opacity = 1.0f;
    SD::Vec3 tint{1.0f, 1.0f, 1.0f};
};

class UISprite : public Sprite {
public:
    // Reference screen of the pixel positions and scales that files give.
    static constexpr float kReferenceWidth = 1920.0f;
    static constexpr float kReferenceHeight = 1200.0f;

    UISprite() { SetID(SD::CID_UISprite); }

    SD::ComponentID VGetID() const override { return SD::CID_UISprite; }
    int VGetVersion() const override { return 1; }
    // Turns reference pixels into screen fractions once; the flags are cleared so that a
    // second initialise or a save keeps the converted values.
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;

    const SD::Vec2& GetAnchor() const { return anchor; }
    void SetAnchor(const SD::Vec2& value) { anchor = value; }
    bool GetConvertPixelPosition() const { return convertPixelPosition; }
    void SetConvertPixelPosition(bool on) { convertPixelPosition = on; }
    bool GetConvertPixelScale() const { return convertPixelScale; }
    void SetConvertPixelScale(bool on) { convertPixelScale = on; }

    SD::IntrusiveLink<UISprite> uiLink;

private:
    SD::Vec2 anchor{0.0f, 0.0f};
    bool convertPixelPosition = false;
    bool convertPixelScale = false;
};

}  // namespace Aperture
