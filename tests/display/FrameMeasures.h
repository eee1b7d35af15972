#pragma once
// What the display checks measure in a frame read back from the window: colour counts, mean
// colours of rectangles, and how much of a region looks like a given colour. Colours are
// compared by their chromaticity (each channel's share of the sum) where lighting may scale
// their brightness, and channel by channel where the picture should show them as they are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qvdisplay {

struct Colour {
    double r = 0.0, g = 0.0, b = 0.0;
};

// Rows of red, green, blue, alpha from the top, as the session reads the window back.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Pixels [left, right) x [top, bottom).
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The distinct colours of the frame, counted up to `cap`.
size_t DistinctColours(const Frame& frame, size_t cap = 256);
Colour MeanColour(const Frame& frame, const Box& box);
// The mean colour of the band `width` pixels wide around the box, `gap` pixels away from it,
// within the frame.
Colour MeanAround(const Frame& frame, const Box& box, int gap, int width);
// The largest difference of one channel.
double ChannelDistance(const Colour& a, const Colour& b);
// Each channel's share of the sum (black counts as grey).
Colour Chromaticity(const Colour& c);
// The share of the box's pixels whose chromaticity is within `tolerance` of the colour's.
double ShareLike(const Frame& frame, const Box& box, const Colour& colour, double tolerance);
// The mean colour of a texture file (alpha ignored); an empty error on success.
Colour TextureMean(const std::string& path, std::string* error);
std::string Describe(const Colour& c);
// Writes the frame as a binary PPM image (for a look at what a failing check saw).
bool SavePpm(const Frame& frame, const std::string& path);
// With QV_FRAMES=<folder> set, keeps each frame there as "<name>.ppm" for a reviewer to look at.
void KeepFrames(const std::vector<std::pair<const char*, const Frame*>>& frames);

}  // namespace qvdisplay
