#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os/SourceLines.h"

namespace {

// Whether this test program carries line tables (a build with debug information).
bool HasLineTables() {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (image.size() < sizeof(Elf64_Ehdr)) return false;
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
    size_t end = header->e_shoff + size_t(header->e_shnum) * sizeof(Elf64_Shdr);
    if (header->e_shstrndx >= header->e_shnum || end > image.size()) return false;
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
    const Elf64_Shdr& names = sections[header->e_shstrndx];
    for (int i = 0; i < header->e_shnum; ++i) {
        size_t at = names.sh_offset + sections[i].sh_name;
        if (at < image.size() &&
            std::string(image.data() + at, strnlen(image.data() + at, image.size() - at)) == ".debug_line")
            return true;
    }
    return false;
}

// The line of the marker statement below is checked by the test.
__attribute__((noinline)) const void* MarkerAddress() {
    return __builtin_extract_return_addr(__builtin_return_address(0));
}

TEST(SourceLines, FindsTheFileAndLineOfACallSite) {
    if (!HasLineTables()) GTEST_SKIP() << "built without line tables";
    std::string file;
    unsigned line = 0;
    // The return address may already belong to the next statement once optimised; the byte
    // before it is part of the call, which is on this line whatever the optimisation.
    const void* address = static_cast<const char*>(MarkerAddress()) - 1;
    const unsigned expected = __LINE__ - 1;  // the call's line, just above
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
