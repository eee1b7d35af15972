#include "graphics/SeasonLook.h"

#include "core/Season.h"
#include "graphics/resources/Effect.h"

namespace Aperture {

void SeasonLook::SetConstants(Resource::Effect& effect) const {
    effect.SetVector4("globalAmbient", ambientColor.x, ambientColor.y, ambientColor.z, 1.0f);
    effect.SetVector4("g_fog_color", fogColor.x, fogColor.y, fogColor.z, 1.0f);
    effect.SetFloat("g_fog_near", fogNear);
    effect.SetFloat("g_fog_far", fogFar);
    const SD::WorldSeason& season = SD::WorldSeason::Get();
    effect.SetFloat("spring_to_summer_transition_value", season.GetTransition(SD::SeasonTransition::kSpringToSummer));
    effect.SetFloat("summer_to_fall_transition_value", season.GetTransition(SD::SeasonTransition::kSummerToFall));
    effect.SetFloat("fall_to_winter_transition_value", season.GetTransition(SD::SeasonTransition::kFallToWinter));
}

}  // namespace Aperture
