#include "game/components/SeasonalColorInterpLogic.h"

#include "core/Season.h"
#include "engine/MathSerialize.h"
#include "game/components/ObjectLooks.h"

namespace QV {

void SeasonalColorInterpLogic::VSerialize(SD::IStream& stream, int) {
    SD::SerializeFloat4(stream, spring_, "Spring Color", "Vector4");
    SD::SerializeFloat4(stream, summer_, "Summer Color", "Vector4");
    SD::SerializeFloat4(stream, fall_, "Fall Color", "Vector4");
    SD::SerializeFloat4(stream, winter_, "Winter Color", "Vector4");
}

void SeasonalColorInterpLogic::VUpdate(float) {
    if (!GetOwner()) return;
    const float t = SD::WorldSeason::Get().GetTransition(SD::SeasonTransition::kSpringToSummer);
    looks::SetGeometryColor(GetOwner(), spring_ * (1.0f - t) + summer_ * t);
}

}  // namespace QV
