#pragma once
// Normal maps from height maps: 24-bit uncompressed BMP files whose pixels' third byte is the
// height. The slope between a pixel's neighbours (one-sided at the edges) gives the normal,
// stored per pixel as the bytes of its y, z and x components mapped from -1..1 to 0..255.
#include <string>
#include <vector>

namespace Aperture {

// The normal-map file of a height-map file: the height map's headers (everything before its
// pixels, as its pixel offset says) followed by the normal pixels in the same padded row
// layout. False, with the reason in error, for a file that is not a 24-bit uncompressed BMP
// or whose pixels run past its end.
bool GenerateNormalMap(const std::vector<unsigned char>& heightMap, std::vector<unsigned char>& normalMap,
                       std::string& error);

// The file name a height map's normal map takes: "rock.bmp" gives "rock_nrm.bmp".
std::string NormalMapName(const std::string& heightMapFileName);

}  // namespace Aperture
