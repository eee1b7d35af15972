#include "core/Bitmap.h"

#include <gtest/gtest.h>

#include "core/Logger.h"
#include "support/TempTree.h"

namespace {

SD::BmpImage Gradient(int32_t width, int32_t height) {
    SD::BmpImage image;
    image.width = width;
    image.height = height;
    for (int32_t i = 0; i < width * height * 3; ++i) image.pixels.push_back(static_cast<unsigned char>(i * 7 + 1));
    return image;
}

void SetU32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (8 * i));
}

TEST(Bitmap, RoundTripsWithAndWithoutRowPadding) {
    qvtest::TempTree tree;
    for (int32_t width : {1, 2, 3, 4, 5, 8}) {
        const SD::BmpImage written = Gradient(width, 3);
        const std::string path = tree.Path("image.bmp");
        ASSERT_TRUE(SD::WriteBmpFile(path, SD::MakeBmpHeader(width, 3), written));

        const std::string bytes = tree.Read("image.bmp");
        const size_t rowBytes = size_t(width) * 3, rowSize = (rowBytes + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 54 + rowSize * 3) << "width " << width;
        for (size_t fileRow = 0; fileRow < 3; ++fileRow) {
            const size_t imageRow = 2 - fileRow;  // the file keeps the bottom row first
            EXPECT_EQ(bytes.substr(54 + fileRow * rowSize, rowBytes),
                      std::string(written.pixels.begin() + imageRow * rowBytes,
                                  written.pixels.begin() + (imageRow + 1) * rowBytes));
            EXPECT_EQ(bytes.substr(54 + fileRow * rowSize + rowBytes, rowSize - rowBytes),
                      std::string(rowSize - rowBytes, '\0'));
        }

        SD::BmpImage read;
        ASSERT_TRUE(SD::ReadBmpFile(read, path)) << "width " << width;
        EXPECT_EQ(read.width, width);
        EXPECT_EQ(read.height, 3);
        EXPECT_EQ(read.pixels, written.pixels) << "width " << width;
    }
}

TEST(Bitmap, PathsWithBackslashesReadAndWrite) {
    qvtest::TempTree tree;
    const SD::BmpImage written = Gradient(3, 2);
    ASSERT_TRUE(SD::WriteBmpFile("..\\Assets\\pic.bmp", SD::MakeBmpHeader(3, 2), written));
    EXPECT_TRUE(tree.Exists("Assets/pic.bmp"));
    SD::BmpImage read;
    ASSERT_TRUE(SD::ReadBmpFile(read, "..\\Assets\\pic.bmp"));
    EXPECT_EQ(read.pixels, written.pixels);
    SD::BmpHeader header{};
    EXPECT_EQ(SD::ReadBmpHeader("..\\Assets\\pic.bmp", header), SD::MakeBmpHeader(3, 2));
}

TEST(Bitmap, ZeroHeightGivesAnEmptyImage) {
    qvtest::TempTree tree;
    SD::BmpImage empty;
    empty.width = 5;
    ASSERT_TRUE(SD::WriteBmpFile(tree.Path("e.bmp"), SD::MakeBmpHeader(5, 0), empty));
    SD::BmpImage read = Gradient(1, 1);
    ASSERT_TRUE(SD::ReadBmpFile(read, tree.Path("e.bmp")));
    EXPECT_EQ(read.width, 5);
    EXPECT_EQ(read.height, 0);
    EXPECT_TRUE(read.pixels.empty());
}

TEST(Bitmap, HeaderReaderTakesTheFirst54BytesOrLeavesTheDestination) {
    qvtest::TempTree tree;
    ASSERT_TRUE(SD::WriteBmpFile(tree.Path("h.bmp"), SD::MakeBmpHeader(7, 2), Gradient(7, 2)));
    SD::BmpHeader header{};
    EXPECT_EQ(SD::ReadBmpHeader(tree.Path("h.bmp"), header), SD::MakeBmpHeader(7, 2));

    tree.Write("short.bmp", "BM1234");
    SD::BmpHeader untouched;
    untouched.fill(0xAB);
    SD::BmpHeader copy = untouched;
    EXPECT_EQ(SD::ReadBmpHeader(tree.Path("short.bmp"), copy), untouched);
    EXPECT_EQ(SD::ReadBmpHeader(tree.Path("missing.bmp"), copy), untouched);
}

TEST(Bitmap, MalformedFilesAreRefusedAndLeaveTheImage) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    ASSERT_TRUE(SD::WriteBmpFile(tree.Path("good.bmp"), SD::MakeBmpHeader(5, 4), Gradient(5, 4)));
    const std::string good = tree.Read("good.bmp");

    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"one byte short", good.substr(0, good.size() - 1)});
    cases.push_back({"header only", good.substr(0, 54)});
    cases.push_back({"shorter than a header", good.substr(0, 30)});
    for (uint16_t bits : {8, 16, 32}) {
        std::string b = good;
        b[28] = char(bits);
        b[29] = 0;
        cases.push_back({"bit count", b});
    }
    {
        std::string b = good;
        b[0] = 'X';
        cases.push_back({"file type", b});
    }
    {
        std::string b = good;
        SetU32(b, 22, uint32_t(-4));
        cases.push_back({"top-down", b});
    }
    {
        std::string b = good;
        SetU32(b, 18, uint32_t(-5));
        cases.push_back({"negative width", b});
    }
    {
        std::string b = good;
        SetU32(b, 18, 0x7FFFFFFF);
        SetU32(b, 22, 0x7FFFFFFF);
        cases.push_back({"absurd dimensions", b});
    }
    {
        std::string b = good;
        SetU32(b, 18, 0x40000000);
        SetU32(b, 22, 1);
        cases.push_back({"absurd width", b});
    }
    for (uint32_t height : {4u, 0x7FFFFFFFu}) {
        std::string b = good;
        SetU32(b, 18, 0);
        SetU32(b, 22, height);
        cases.push_back({"zero width", b});
    }

    for (const Case& c : cases) {
        tree.Write("bad.bmp", c.bytes);
        SD::BmpImage image = Gradient(2, 2);
        const SD::BmpImage before = image;
        qvtest::StderrCapture capture;
        EXPECT_FALSE(SD::ReadBmpFile(image, tree.Path("bad.bmp"))) << c.name;
        EXPECT_NE(capture.Text().find("bad.bmp"), std::string::npos) << c.name;
        EXPECT_EQ(image.pixels, before.pixels) << c.name;
        EXPECT_EQ(image.width, 2) << c.name;
        EXPECT_EQ(image.height, 2) << c.name;
    }

    SD::BmpImage image;
    EXPECT_FALSE(SD::ReadBmpFile(image, tree.Path("missing.bmp")));
}

TEST(Bitmap, WriterRefusesAnImageSmallerThanItsDimensions) {
    qvtest::TempTree tree;
    SD::BmpImage image = Gradient(3, 3);
    image.pixels.pop_back();
    EXPECT_FALSE(SD::WriteBmpFile(tree.Path("w.bmp"), SD::MakeBmpHeader(3, 3), image));
    EXPECT_FALSE(tree.Exists("w.bmp"));
}

}  // namespace
