#pragma once
// What tests read of the grass field: the blades of the last draw, the shared wave value and
// the growth of newly painted grass.
#include <cstdint>

#include "graphics/GrassField.h"
#include "platform/TestProbe.h"

template <>
struct platform::TestProbe<Aperture::GrassField> {
    static uint32_t Drawn(const Aperture::GrassField& field) { return field.drawn; }
    static float Wave(const Aperture::GrassField& field) { return field.wave.value; }
    static float Growth(const Aperture::GrassField& field) { return field.growth; }
    static float GrowthTime(const Aperture::GrassField& field) { return field.growthTime; }
};

using GrassFieldProbe = platform::TestProbe<Aperture::GrassField>;
