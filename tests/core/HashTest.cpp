#include "core/Hash.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/SharedString.h"

namespace {

// Expected values were computed once by a separate script written from the algorithm's steps.
struct HashCase {
    std::string bytes;
    uint32_t expected;
};

const HashCase kCases[] = {
    {"", 0x3816755bu},  // no body, tail 0 and length 0 mixed in, then the finalisation
    {"a", 0x7b221fceu},
    {"ab", 0x5e7f34cdu},
    {"abc", 0x6fb8cfa0u},
    {"abcd", 0xe0f2833eu},
    {"Player", 0x94a701b2u},
    {"hello world!", 0x3dcd92c7u},
    {"ObjectTemplates/ShadowCaster", 0xf760947du},
    {std::string("\x80\xff\x01", 3), 0x528cafcfu},  // tail bytes read unsigned
};

TEST(MurmurHash2A, MatchesIndependentlyComputedValues) {
    for (const HashCase& c : kCases)
        EXPECT_EQ(MurmurHash2A(c.bytes.data(), static_cast<int32_t>(c.bytes.size())), c.expected)
            << "for \"" << c.bytes << "\"";
}

TEST(MurmurHash2A, BlocksAreLittleEndianAtAnyAlignment) {
    char bytes[37];
    for (int i = 0; i < 37; ++i) bytes[i] = static_cast<char>(i);
    char shifted[40];
    std::memcpy(shifted + 3, bytes, sizeof bytes);
    EXPECT_EQ(MurmurHash2A(bytes, 37), 0x1f25d7ceu);
    EXPECT_EQ(MurmurHash2A(shifted + 3, 37), 0x1f25d7ceu);
}

TEST(MurmurHash2A, NegativeLengthReadsNothing) { EXPECT_EQ(MurmurHash2A(nullptr, -1), 0x104e0d75u); }

TEST(NameHash, SharedStringAndStdStringKeysHashAlike) {
    SD::NameHash hash;
    EXPECT_EQ(hash(SD::SharedString("Player")), 0x94a701b2u);
    EXPECT_EQ(hash(std::string("Player")), 0x94a701b2u);
    EXPECT_EQ(std::hash<SD::SharedString>()(SD::SharedString()), 0x3816755bu);
}

}  // namespace
