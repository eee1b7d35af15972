#include <gtest/gtest.h>

#include <string>

#include "platform/os/SourceLines.h"

namespace {

// The line of the marker statement below is checked by the test.
__attribute__((noinline)) const void* MarkerAddress() {
    return __builtin_extract_return_addr(__builtin_return_address(0));
}

TEST(SourceLines, FindsTheFileAndLineOfACallSite) {
    std::string file;
    unsigned line = 0;
    const void* address = MarkerAddress(); const unsigned expected = __LINE__;
    ASSERT_TRUE(platform::LookUpSourceLine(address, file, line));
    EXPECT_NE(file.find("SourceLinesTest.cpp"), std::string::npos) << file;
    EXPECT_EQ(line, expected);
}

TEST(SourceLines, AddressesOutsideEveryModuleFindNothing) {
    std::string file = "kept";
    unsigned line = 7;
    EXPECT_FALSE(platform::LookUpSourceLine(nullptr, file, line));
    int onTheStack = 0;
    EXPECT_FALSE(platform::LookUpSourceLine(&onTheStack, file, line));
    EXPECT_EQ(file, "kept");
    EXPECT_EQ(line, 7u);
}

}  // namespace
