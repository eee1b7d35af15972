#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <fstream>

#include "GfxTestSupport.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/ImageFile.h"
#include "support/TempTree.h"

namespace {

using namespace platform::gfx;

// A 3 x 2 RGBA image: red, green, blue / white, black, half-transparent grey.
std::vector<uint8_t> SmallPng() {
    const uint8_t rgba[] = {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                            255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 128};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 2;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba, 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, rgba, 0, nullptr);
    out.resize(size);
    return out;
}

uint32_t Pixel(const Image& image, size_t index) {
    uint32_t word;
    std::memcpy(&word, image.pixels.data() + 4 * index, 4);
    return word;
}

TEST(GfxImage, DecodesPngAndRawImagesIntoArgbPixels) {
    std::vector<uint8_t> png = SmallPng();
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeImage(png.data(), png.size(), image, error)) << error;
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(Pixel(image, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(image, 2), 0xFF0000FFu);
    EXPECT_EQ(Pixel(image, 5) >> 24, 128u);

    Image volume;
    volume.width = 2;
    volume.height = 1;
    volume.depth = 3;
    for (uint32_t i = 0; i < 6; ++i)
        for (int b = 0; b < 4; ++b) volume.pixels.push_back(static_cast<uint8_t>(i * 10 + b));
    std::vector<uint8_t> raw = EncodeRawImage(volume);
    Image back;
    ASSERT_TRUE(DecodeImage(raw.data(), raw.size(), back, error)) << error;
    EXPECT_EQ(back.depth, 3u);
    EXPECT_EQ(back.pixels, volume.pixels);
}

TEST(GfxImage, MalformedFilesAreRefusedWithAReason) {
    std::vector<uint8_t> png = SmallPng();
    Image good;
    good.width = good.height = 2;
    good.pixels.assign(16, 7);
    std::vector<uint8_t> raw = EncodeRawImage(good);
    auto rawWith = [&](uint32_t w, uint32_t h, uint32_t d, size_t pixelBytes) {
        Image i;
        i.width = w;
        i.height = h;
        i.depth = d;
        i.pixels.assign(pixelBytes, 0);
        return EncodeRawImage(i);
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", {}, "not a PNG or raw image"},
        {"garbage", {'G', 'I', 'F', '8'}, "not a PNG or raw image"},
        {"raw header cut", std::vector<uint8_t>(raw.begin(), raw.begin() + 10), "raw image header cut short"},
        {"raw pixels cut", std::vector<uint8_t>(raw.begin(), raw.end() - 1),
         "raw image holds 15 pixel bytes, its size needs 16"},
        {"raw zero width", rawWith(0, 2, 1, 0), "image size 0x2x1 is outside 1 to 16384"},
        {"raw huge", rawWith(16384, 16384, 16384, 0), "image larger than 268435456 bytes"},
        {"png cut", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2), "PNG:"},
        {"png signature only", std::vector<uint8_t>(png.begin(), png.begin() + 8), "PNG:"},
    };
    for (const Case& c : cases) {
        Image out;
        out.width = 99;
        std::string error;
        EXPECT_FALSE(DecodeImage(c.bytes.data(), c.bytes.size(), out, error)) << c.name;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.name << ": " << error;
        EXPECT_EQ(out.width, 99u) << c.name;
    }
}

TEST(GfxImage, FilesBecomeTexturesWithTheirPixels) {
    qvtest::TempTree tree;
    gfxtest::DeviceFixture f;
    std::vector<uint8_t> png = SmallPng();
    std::ofstream(tree.Path("a.png"), std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
    std::ofstream(tree.Path("bad.png"), std::ios::binary) << "not an image";
    Texture* t = nullptr;
    std::string error;
    ASSERT_EQ(
        CreateTextureFromFile(f.device.get(), tree.Path("a.png"), kUsageAutoGenMipmap, Pool::kDefault, &t, &error), kOk)
        << error;
    EXPECT_EQ(t->Width(), 3u);
    EXPECT_EQ(t->Level(0)->ReadPixel(1, 0).g, 1.0f);
    t->Release();
    EXPECT_EQ(CreateTextureFromFile(f.device.get(), tree.Path("missing.png"), 0, Pool::kDefault, &t, &error),
              kNotFound);
    EXPECT_EQ(CreateTextureFromFile(f.device.get(), tree.Path("bad.png"), 0, Pool::kDefault, &t, &error), kInvalidCall);
    EXPECT_NE(error.find("not a PNG or raw image"), std::string::npos);
}

TEST(GfxFont, MeasuresWithFixedMetricsAndRecordsText) {
    gfxtest::DeviceFixture f;
    Font* font = nullptr;
    EXPECT_EQ(CreateFont(f.device.get(), 16, 0, 700, "", &font), kInvalidCall);
    EXPECT_EQ(CreateFont(f.device.get(), 0, 0, 700, "Arial", &font), kInvalidCall);
    ASSERT_EQ(CreateFont(f.device.get(), 16, 0, 700, "Arial", &font), kOk);
    Rect r{10, 20, 0, 0};
    EXPECT_EQ(font->DrawText("abc\nde", -1, &r, kTextCalcRect, 0), 32);
    EXPECT_EQ(r.right, 10 + 3 * 8);
    EXPECT_EQ(r.bottom, 20 + 32);
    EXPECT_TRUE(f.device->CurrentFrame().empty()) << "measuring draws nothing";
    EXPECT_EQ(font->DrawText("hi", 2, &r, kTextTopLeft, 0xFFFFFFFFu), 16);
    EXPECT_EQ(font->DrawText("", 0, &r, kTextTopLeft, 0xFFFFFFFFu), 0);
    ASSERT_EQ(f.device->CurrentFrame().size(), 1u);
    EXPECT_EQ(f.device->CurrentFrame()[0].name, "hi");
    // A font counts as device memory until it is told the device is lost.
    EXPECT_EQ(f.device->Reset(f.device->GetPresentParameters()), kInvalidCall);
    font->OnLostDevice();
    EXPECT_EQ(font->DrawText("hi", 2, &r, kTextTopLeft, 0), 0);
    EXPECT_EQ(f.device->Reset(f.device->GetPresentParameters()), kOk);
    font->OnResetDevice();
    EXPECT_EQ(font->DrawText("hi", 2, &r, kTextTopLeft, 0), 16);
    font->Release();
}

}  // namespace
