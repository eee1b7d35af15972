#include <gtest/gtest.h>

#include <cstring>

#include "graphics/NormalMaps.h"

namespace {

// A 24-bit BMP with the pixel bytes given per row (unpadded) and `gap` bytes between the
// headers and the pixels, which the header's pixel offset points past.
std::vector<unsigned char> Bmp(int width, int height, const std::vector<std::vector<unsigned char>>& heights,
                               size_t gap = 0) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const uint32_t offset = static_cast<uint32_t>(54 + gap);
    std::vector<unsigned char> out(offset + stride * static_cast<size_t>(height), 0xEE);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<uint32_t>(out.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    out[26] = 1;
    out[27] = 0;
    out[28] = 24;
    out[29] = 0;
    put32(30, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &out[offset + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
            p[0] = 1;
            p[1] = 2;
            p[2] = heights[static_cast<size_t>(y)][static_cast<size_t>(x)];
        }
    return out;
}

std::vector<unsigned char> Pixel(const std::vector<unsigned char>& bmp, int width, int x, int y) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    uint32_t offset;
    std::memcpy(&offset, &bmp[10], 4);
    const unsigned char* p = &bmp[offset + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
    return {p[0], p[1], p[2]};
}

using Bytes = std::vector<unsigned char>;

// Worked by hand: heights 0 10 20 / 0 10 20 / 0 10 20.
//   inside x = 1: dx = 20 - 0 = 20; at both edges dx = 10; dy = 0 everywhere.
//   dx = 20: L = sqrt(401) = 20.02498; x = -0.998752, z = 0.049938
//            bytes (y, z, x) = floor(0.5 * 255) = 127, floor(1.049938 * 127.5) = 133, floor(0.001248 * 127.5) = 0
//   dx = 10: L = sqrt(101) = 10.04988; x = -0.995037, z = 0.099504
//            bytes 127, floor(1.099504 * 127.5) = 140, floor(0.004963 * 127.5) = 0
TEST(NormalMap, ThreeByThreeWorkedByHand) {
    const Bytes heights = Bmp(3, 3, {{0, 10, 20}, {0, 10, 20}, {0, 10, 20}});
    Bytes normals;
    std::string error;
    ASSERT_TRUE(Aperture::GenerateNormalMap(heights, normals, error)) << error;
    ASSERT_EQ(normals.size(), heights.size());
    EXPECT_TRUE(std::equal(heights.begin(), heights.begin() + 54, normals.begin())) << "headers kept";
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(Pixel(normals, 3, 0, y), (Bytes{127, 140, 0})) << "row " << y;
        EXPECT_EQ(Pixel(normals, 3, 1, y), (Bytes{127, 133, 0})) << "row " << y;
        EXPECT_EQ(Pixel(normals, 3, 2, y), (Bytes{127, 140, 0})) << "row " << y;
    }
    // A height rising by one per row, first row to last: dy = 2 inside, 1 at the edges.
    const Bytes rows = Bmp(3, 3, {{5, 5, 5}, {6, 6, 6}, {7, 7, 7}});
    ASSERT_TRUE(Aperture::GenerateNormalMap(rows, normals, error));
    EXPECT_EQ(Pixel(normals, 3, 1, 1), (Bytes{13, 184, 127}));
    EXPECT_EQ(Pixel(normals, 3, 1, 0), (Bytes{37, 217, 127}));
}

TEST(NormalMap, FlatAndRisingMapsGiveTheKnownBytes) {
    Bytes normals;
    std::string error;
    ASSERT_TRUE(Aperture::GenerateNormalMap(Bmp(4, 2, {{9, 9, 9, 9}, {9, 9, 9, 9}}), normals, error));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(normals, 4, x, 1), (Bytes{127, 255, 127}));
    ASSERT_TRUE(Aperture::GenerateNormalMap(Bmp(4, 2, {{0, 1, 2, 3}, {0, 1, 2, 3}}), normals, error));
    EXPECT_EQ(Pixel(normals, 4, 1, 0), (Bytes{127, 184, 13}));
    EXPECT_EQ(Pixel(normals, 4, 0, 0), (Bytes{127, 217, 37}));
    EXPECT_EQ(Pixel(normals, 4, 3, 0), (Bytes{127, 217, 37}));
}

TEST(NormalMap, OddWidthRowsArePaddedAndThePixelOffsetIsHonoured) {
    // Width 5: rows of 15 bytes padded to 16. A height read without the padding would take
    // the second row's heights from the wrong bytes.
    const Bytes heights = Bmp(5, 3, {{0, 0, 0, 0, 0}, {0, 4, 8, 12, 16}, {0, 0, 0, 0, 0}}, 10);
    Bytes normals;
    std::string error;
    ASSERT_TRUE(Aperture::GenerateNormalMap(heights, normals, error)) << error;
    ASSERT_EQ(normals.size(), heights.size());
    EXPECT_TRUE(std::equal(heights.begin(), heights.begin() + 64, normals.begin())) << "headers and gap kept";
    // Row 1, x = 2: dx = 12 - 4 = 8, dy = 0 - 0 = 0: L = sqrt(65); x = -0.992278, z = 0.124035.
    EXPECT_EQ(Pixel(normals, 5, 2, 1), (Bytes{127, 143, 0}));
    // Row 0, x = 2: dx = 0, dy = 8 - 0 = 8 (one-sided): y = -0.992278.
    EXPECT_EQ(Pixel(normals, 5, 2, 0), (Bytes{0, 143, 127}));
    EXPECT_EQ(normals[64 + 15], 0xEE) << "padding bytes are left alone";
}

TEST(NormalMap, MalformedHeightMapsAreRefusedWithAReason) {
    Bytes good = Bmp(3, 3, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    };
    Bytes eightBit = good;
    eightBit[28] = 8;
    Bytes cut = good;
    cut.resize(cut.size() - 1);
    Bytes farOffset = good;
    farOffset[10] = 0xFF;
    farOffset[11] = 0xFF;
    Bytes tiny = Bmp(1, 3, {{0}, {0}, {0}});
    const Case cases[] = {
        {"empty", {}, "not a BMP"},
        {"8-bit", eightBit, "24-bit"},
        {"cut", cut, "past the end"},
        {"offset past the end", farOffset, "past the end"},
        {"one pixel wide", tiny, "smaller than 2 x 2"},
    };
    for (const Case& c : cases) {
        Bytes normals;
        std::string error;
        EXPECT_FALSE(Aperture::GenerateNormalMap(c.bytes, normals, error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
    EXPECT_EQ(Aperture::NormalMapName("rock.bmp"), "rock_nrm.bmp");
}

}  // namespace
