#include "graphics/components/Light.h"

#include <cmath>

#include "core/Logger.h"
#include "engine/DataFileScope.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "graphics/Graphics.h"

namespace Aperture {
namespace {

constexpr float kDegreesToRadians = 3.14159265f / 180.0f;
constexpr float kRadiansToDegrees = 180.0f / 3.14159265f;

// The kind a stored float stands for; a value out of the kinds' range (no conversion to int
// could hold 2147483647.0f plus a half) is no kind at all.
int Round(float value) {
    const float rounded = std::floor(value + 0.5f);
    return rounded >= float(Light::kNone) && rounded <= float(Light::kDirectional) ? static_cast<int>(rounded)
                                                                                   : Light::kNone;
}

}  // namespace

int Light::GetType() const { return Round(info.type); }

void Light::SetInnerAngle(float degrees) { info.innerAngle = degrees * kDegreesToRadians; }
void Light::SetOuterAngle(float degrees) { info.outerAngle = degrees * kDegreesToRadians; }

void Light::VInitialize(bool) { info.direction = SD::Vec3(0.0f, -1.0f, 0.0f); }

// The cone is stored in degrees and only for spot lights; other kinds write none of it.
void Light::VSerialize(SD::IStream& stream, int) {
    int type = GetType();
    stream.Serialize(type, "Light Type", "Integer");
    if (type < kNone || type > kDirectional) {
        SD_WARNING(Debug::kLogData, "Light of %s: \"Light Type\" %d is not %d to %d; the light is off",
                   SD::DescribeOwner(*this).c_str(), type, int(kNone), int(kDirectional));
        type = kNone;
    }
    SD::SerializeFloat4(stream, info.color, "color", "Vector4");
    stream.Serialize(info.attenNear, "Near", "Float");
    stream.Serialize(info.attenFar, "Far", "Float");
    info.type = static_cast<float>(type);
    if (type != kSpot) return;
    float inner = 0.0f;
    float outer = 0.0f;
    if (stream.GetDirection() == SD::IStream::kRead) {
        stream.Serialize(inner, "Inner Radius", "Float");
        stream.Serialize(outer, "Outer Radius", "Float");
        SetInnerAngle(inner);
        SetOuterAngle(outer);
    } else if (stream.GetDirection() == SD::IStream::kWrite) {
        inner = info.innerAngle * kRadiansToDegrees;
        outer = info.outerAngle * kRadiansToDegrees;
        stream.Serialize(inner, "Inner Radius", "Float");
        stream.Serialize(outer, "Outer Radius", "Float");
    }
    stream.Serialize(info.spotExponent, "Spot Exponent", "Float");
}

void Light::VRegister() { Graphics_::GetInstance()->RegisterLight(this); }

void Light::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->UnregisterLight(this);
}

void Light::RegisterFunctions() {
    RTTI_GETTER(&Light::GetType);
    RTTI_GETTER(&Light::GetLightColorR);
    RTTI_SETTER(&Light::SetLightColorR);
    RTTI_GETTER(&Light::GetLightColorG);
    RTTI_SETTER(&Light::SetLightColorG);
    RTTI_GETTER(&Light::GetLightColorB);
    RTTI_SETTER(&Light::SetLightColorB);
    RTTI_GETTER(&Light::GetLightColorA);
    RTTI_SETTER(&Light::SetLightColorA);
    RTTI_GETTER(&Light::GetAttenNear);
    RTTI_SETTER(&Light::SetAttenNear);
    RTTI_GETTER(&Light::GetAttenFar);
    RTTI_SETTER(&Light::SetAttenFar);
}

}  // namespace Aperture
