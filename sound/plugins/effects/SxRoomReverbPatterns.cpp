#include "sound/plugins/effects/SxRoomReverbPatterns.h"

#include <cmath>

namespace SX {

namespace {

// How a room's reflections are laid out: the first arrival, the gap between arrivals and how
// it widens (rooms with hard, close walls give dense, even arrivals; large halls sparse,
// widening ones), how fast the level falls per ms, the first level, and how much later the
// right side's arrivals come.
struct RoomShape {
    const char16_t* name;
    uint32_t leftCount, rightCount;
    float first, gap, widen, fall, level, rightLag;
};

const RoomShape kShapes[SxRoomPatternCount] = {
    {u"Bright Chamber", 63, 63, 0.021f, 1.25f, 1.0f, 0.012f, 0.30f, 0.35f},
    {u"Dark Chamber", 31, 31, 0.9f, 2.1f, 1.02f, 0.022f, 0.28f, 0.6f},
    {u"Concrete Venue 1", 47, 50, 3.2f, 1.9f, 1.015f, 0.010f, 0.33f, 0.9f},
    {u"Concrete Venue 2", 47, 48, 5.1f, 2.4f, 1.012f, 0.009f, 0.33f, 1.3f},
    {u"Night Club", 64, 64, 1.4f, 0.85f, 1.01f, 0.018f, 0.30f, 0.25f},
    {u"Warehouse", 44, 47, 9.5f, 3.6f, 1.02f, 0.006f, 0.36f, 2.1f},
    {u"Small Church", 63, 64, 6.0f, 1.6f, 1.015f, 0.008f, 0.30f, 1.1f},
    {u"Medium Church", 59, 61, 11.0f, 2.2f, 1.016f, 0.006f, 0.32f, 1.7f},
    {u"Large Church", 48, 50, 21.0f, 3.8f, 1.02f, 0.004f, 0.36f, 2.6f},
    {u"Cathedral", 8, 9, 63.188f, 1.5f, 1.35f, 0.002f, 0.45f, 3.3f},
    {u"Short Dark Hall", 64, 64, 4.0f, 0.9f, 1.01f, 0.020f, 0.28f, 0.7f},
    {u"Long Dark Hall", 39, 38, 12.0f, 3.1f, 1.025f, 0.007f, 0.32f, 2.0f},
    {u"Bright Hall", 38, 37, 8.5f, 2.9f, 1.02f, 0.005f, 0.38f, 1.6f},
    {u"Small Hall", 44, 49, 5.5f, 1.7f, 1.018f, 0.010f, 0.33f, 1.0f},
    {u"Medium Hall", 64, 64, 9.0f, 1.5f, 1.014f, 0.007f, 0.31f, 1.4f},
    {u"Large Hall", 32, 34, 18.0f, 4.2f, 1.025f, 0.004f, 0.38f, 2.4f},
    {u"Lecture Hall", 38, 38, 7.0f, 2.0f, 1.02f, 0.011f, 0.32f, 1.2f},
    {u"Recital Hall", 34, 38, 10.0f, 2.6f, 1.02f, 0.008f, 0.34f, 1.5f},
    {u"Small Plate", 64, 64, 0.2f, 0.35f, 1.005f, 0.060f, 0.26f, 0.11f},
    {u"Medium Plate", 64, 64, 0.3f, 0.55f, 1.006f, 0.040f, 0.26f, 0.17f},
    {u"Large Plate", 64, 64, 0.4f, 0.8f, 1.007f, 0.028f, 0.27f, 0.23f},
    {u"Vocal Plate", 56, 59, 0.3f, 0.6f, 1.008f, 0.045f, 0.27f, 0.19f},
    {u"Small Room", 64, 64, 1.1f, 0.3f, 1.01f, 0.050f, 0.28f, 0.15f},
    {u"Large Room", 63, 63, 17.271f, 0.0205f, 1.075f, 0.025f, 0.27f, 0.4f},
    {u"Bathroom", 59, 57, 0.8f, 0.28f, 1.012f, 0.030f, 0.34f, 0.13f},
    {u"Bedroom", 47, 49, 1.3f, 0.45f, 1.015f, 0.070f, 0.25f, 0.2f},
    {u"Tiled Room", 64, 64, 1.0f, 0.33f, 1.01f, 0.028f, 0.34f, 0.14f},
    {u"Phone Booth", 64, 64, 0.15f, 0.09f, 1.004f, 0.150f, 0.30f, 0.05f},
    {u"Pool", 61, 61, 4.5f, 1.1f, 1.012f, 0.009f, 0.36f, 0.8f},
    {u"Gym", 61, 61, 6.5f, 1.4f, 1.012f, 0.008f, 0.35f, 1.0f},
    {u"Garage", 64, 64, 2.2f, 0.75f, 1.01f, 0.014f, 0.33f, 0.45f},
};

// Opening taps of the left side of three rooms, as they were measured.
struct GivenTaps {
    uint32_t pattern;
    SxRoomTap taps[3];
};
const GivenTaps kGiven[] = {
    {0, {{0.021f, -0.137f}, {1.271f, -0.182f}, {2.521f, 0.063f}}},
    {23, {{17.271f, 0.269f}, {17.292f, 0.058f}, {17.312f, 0.041f}}},
    {9, {{63.188f, 0.401f}, {64.688f, 0.454f}, {66.188f, -0.256f}}},
};

// One side: arrivals at widening gaps, each moved by up to a fifth of its gap, with a level
// that falls with time and a sign and spread from the engine's pseudo-random sequence.
void Side(const RoomShape& shape, uint32_t count, float lag, uint32_t seed, SxRoomTap* taps) {
    uint32_t x = seed;
    auto next = [&x] {
        x = x * 196314165u + 907633515u;
        return static_cast<float>(x * (1.0 / 4294967296.0));
    };
    float time = shape.first + lag, gap = shape.gap;
    for (uint32_t i = 0; i < count; ++i) {
        const float jitter = i == 0 ? 0.0f : (next() - 0.5f) * 0.4f * gap;
        const float at = time + jitter;
        const float level = shape.level * std::exp(-shape.fall * (at - shape.first)) * (0.55f + 0.45f * next());
        const float gain = next() < 0.5f ? -level : level;
        taps[i] = SxRoomTap{std::round(at * 1000.0f) / 1000.0f, std::round(gain * 1000.0f) / 1000.0f};
        time += gap;
        gap *= shape.widen;
    }
}

struct Table {
    SxRoomPattern patterns[SxRoomPatternCount];
    Table() {
        for (uint32_t p = 0; p < SxRoomPatternCount; ++p) {
            const RoomShape& shape = kShapes[p];
            SxRoomPattern& pattern = patterns[p];
            pattern.name = shape.name;
            pattern.leftCount = shape.leftCount;
            pattern.rightCount = shape.rightCount;
            Side(shape, shape.leftCount, 0.0f, 1000u + p, pattern.left);
            Side(shape, shape.rightCount, shape.rightLag, 2000u + p, pattern.right);
        }
        for (const GivenTaps& given : kGiven)
            for (uint32_t i = 0; i < 3; ++i) patterns[given.pattern].left[i] = given.taps[i];
    }
};

}  // namespace

const SxRoomPattern& SxGetRoomPattern(uint32_t index) {
    static const Table table;
    return table.patterns[index < SxRoomPatternCount ? index : SxRoomPatternCount - 1];
}

}  // namespace SX
