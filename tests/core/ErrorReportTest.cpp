#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "core/ErrorReport.h"
#include "core/Logger.h"
#include "platform/os/Dialogs.h"
#include "platform/os/SourceLines.h"
#include "support/TempTree.h"

namespace {

struct ErrorBoxTest : ::testing::Test {
    void SetUp() override { platform::ClearRecordedMessageBoxes(); }
    void TearDown() override { platform::ClearRecordedMessageBoxes(); }
};

TEST_F(ErrorBoxTest, RecordsTheBoxAndGoesOnWithTheCursorShown) {
    qvtest::StderrCapture err;
    int counter = platform::ShowCursor(true) - 1;
    platform::ShowCursor(false);
    EXPECT_TRUE(Debug::ShowErrorBox("LevelLayer", 140, "layer [%s] broke", "Ground"));
    auto boxes = platform::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error!");
    EXPECT_EQ(boxes[0].text, "LevelLayer(140) : layer [Ground] broke");
    EXPECT_EQ(platform::ShowCursor(false), counter);  // the box showed it once
    EXPECT_NE(err.Text().find("LevelLayer(140) : layer [Ground] broke\n"), std::string::npos);
}

TEST_F(ErrorBoxTest, NullFormatAndOverlongMessage) {
    qvtest::StderrCapture err;
    const char* none = nullptr;
    Debug::ShowErrorBox("Vertex", 127, none);
    std::string huge(10000, 'x');
    Debug::ShowErrorBox("f", 1, "%s", huge.c_str());
    auto boxes = platform::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Vertex(127) : No Error Message.");
    EXPECT_EQ(boxes[1].text.size(), Debug::kReportBufferSize - 1);
    EXPECT_EQ(boxes[1].text.substr(0, 9), "f(1) : xx");
    platform::ShowCursor(false);
    platform::ShowCursor(false);
}

TEST(DebugPrint, CutsToTheBufferAndEndsTheLine) {
    qvtest::StderrCapture err;
    Debug::DebugPrint("value %d", 7);
    std::string huge(5000, 'y');
    Debug::DebugPrint("%s", huge.c_str());
    EXPECT_EQ(err.Text(), "value 7\n" + std::string(4095, 'y') + "\n");
}

TEST(ExtractFormatTypes, CollectsLettersUntilABlank) {
    struct Case {
        const char* format;
        const char* types;
    } cases[] = {
        {"%d>%s(%d) : warning in function %s : %s\n", "dsdss"},
        {"%5.2f done", "f"},
        {"%lu", ""},
        {"100%", ""},
        {"%dpi", "dpi"},
        {"no conversions", ""},
        {"%c\n%i", "ci"},
    };
    for (const Case& c : cases) EXPECT_EQ(Debug::ExtractFormatTypes(c.format), c.types) << c.format;
    EXPECT_EQ(Debug::ExtractFormatTypes(nullptr), "");
}

__attribute__((noinline)) const void* CallerAddress() {
    return __builtin_extract_return_addr(__builtin_return_address(0));
}

TEST(SourceLine, NamesTheFileAndLineOfAnAddress) {
    Debug::SourceLine record{"untouched", 3};
    const void* here = CallerAddress();
    const uint32_t expected = __LINE__ - 1;  // the call's line, just above
    std::string file;
    unsigned line = 0;
    if (!platform::LookUpSourceLine(here, file, line)) GTEST_SKIP() << "built without line tables";
    ASSERT_TRUE(Debug::GetSourceLine(here, record));
    EXPECT_NE(std::string(record.fileName).find("ErrorReportTest.cpp"), std::string::npos) << record.fileName;
    EXPECT_EQ(record.line, expected);

    Debug::SourceLine missing{"untouched", 3};
    int onTheStack = 0;
    EXPECT_FALSE(Debug::GetSourceLine(&onTheStack, missing));
    EXPECT_STREQ(missing.fileName, "untouched");
    EXPECT_EQ(missing.line, 3u);
}

TEST(PrintLastOsError, LogsTheErrorTextAtLevelTwo) {
    Debug::GlobalLogger logger;
    qvtest::StderrCapture err;
    errno = ENOENT;
    SD::PrintLastOsError();
    EXPECT_EQ(err.Text(),
              "2>PrintLastOsError(59) : warning in function SD::PrintLastOsError : No such file or directory\n");
}

}  // namespace
