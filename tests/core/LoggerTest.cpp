#include <gtest/gtest.h>

#include "core/Logger.h"
#include "support/TempTree.h"

namespace {

TEST(Logger, PrintsTheLineFormatForLevelsUpToSix) {
    Debug::GlobalLogger logger;
    qvtest::StderrCapture err;
    Debug::LogWarning(6, "file.cpp", 12, "SD::X::Y", "value %d", 5);
    Debug::LogWarning(7, "file.cpp", 13, "SD::X::Y", "hidden");
    Debug::LogWarning(static_cast<unsigned>(-1), "file.cpp", 14, "SD::X::Y", "hidden too");
    EXPECT_EQ(err.Text(), "6>file.cpp(12) : warning in function SD::X::Y : value 5\n");
}

TEST(Logger, WithoutALoggerNothingHappens) {
    qvtest::StderrCapture err;
    Debug::LogWarning(3, "f", 1, "g", "nothing");
    EXPECT_EQ(err.Text(), "");
}

TEST(Logger, LongTextIsCutToTheBuffer) {
    Debug::GlobalLogger logger;
    qvtest::StderrCapture err;
    std::string huge(10000, 'q');
    Debug::LogWarning(3, "f", 1, "g", "%s", huge.c_str());
    EXPECT_EQ(std::string(logger.Buffer()).size(), Debug::GlobalLogger::kBufferSize - 1);
    EXPECT_NE(err.Text().find(std::string(4095, 'q') + "\n"), std::string::npos);
}

namespace ns {
struct Widget {
    std::string Name() const { return SD_LOG_FUNCTION_NAME; }
};
}  // namespace ns

TEST(Logger, FunctionNamesAreQualified) {
    EXPECT_EQ(ns::Widget().Name(), "{anonymous}::ns::Widget::Name");
    EXPECT_EQ(Debug::QualifiedFunctionName("void SD::Factory_::Update(float)"), "SD::Factory_::Update");
    EXPECT_EQ(Debug::QualifiedFunctionName("std::vector<int, std::allocator<int> > f<a b>(int)"), "f<a b>");
}

}  // namespace
