#include "core/SharedString.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

using SD::SharedString;

TEST(SharedString, CopiesShareOneCountedBuffer) {
    SharedString a("Player");
    {
        SharedString b = a;
        SharedString c;
        c = b;
        EXPECT_EQ(a.UseCount(), 3u);
        EXPECT_EQ(c.c_str(), a.c_str());
    }
    EXPECT_EQ(a.UseCount(), 1u);
    EXPECT_STREQ(a.c_str(), "Player");
    EXPECT_EQ(a.Length(), 6u);
}

TEST(SharedString, AssigningNullToASharedCopyLeavesTheOtherIntact) {
    SharedString a("Level1");
    SharedString b = a;
    b.Assign(nullptr);
    EXPECT_FALSE(b.HasBuffer());
    EXPECT_EQ(b.Length(), 0u);
    EXPECT_EQ(b, "");
    EXPECT_EQ(a.UseCount(), 1u);
    EXPECT_STREQ(a.c_str(), "Level1");
}

TEST(SharedString, AssigningAnEqualTextKeepsBothBuffers) {
    SharedString a("Spline"), b(std::string("Spline"));
    EXPECT_EQ(a, b);
    a = b;
    EXPECT_NE(a.c_str(), b.c_str());
    EXPECT_EQ(a.UseCount(), 1u);
    EXPECT_EQ(b.UseCount(), 1u);
}

TEST(SharedString, AssigningADifferentTextSharesAndFreesTheOld) {
    SharedString a("old"), b("new");
    SharedString keep = a;
    a = b;
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_EQ(b.UseCount(), 2u);
    EXPECT_EQ(keep.UseCount(), 1u);
    SharedString& alias = a;
    a = alias;
    EXPECT_EQ(b.UseCount(), 2u);
    a = SharedString();
    EXPECT_FALSE(a.HasBuffer());
    EXPECT_EQ(b.UseCount(), 1u);
}

TEST(SharedString, MovingTransfersTheBufferWithoutCounting) {
    SharedString a("moved");
    SharedString b(std::move(a));
    EXPECT_FALSE(a.HasBuffer());
    EXPECT_EQ(b.UseCount(), 1u);
    SharedString c("other");
    c = std::move(b);
    EXPECT_STREQ(c.c_str(), "moved");
    EXPECT_EQ(c.UseCount(), 1u);
}

TEST(SharedString, ComparesWithSharedStrings) {
    const SharedString none, empty(""), abc("abc"), abc2("abc"), abd("abd"), ab("ab"), high("\x80"), low("\x7f");
    struct Case {
        const SharedString& a;
        const SharedString& b;
        bool equal, less;
    } cases[] = {
        {none, none, true, false}, {none, empty, false, true}, {empty, none, false, false}, {abc, abc2, true, false},
        {abc, abd, false, true},   {abd, abc, false, false},   {ab, abc, false, true},      {abc, ab, false, false},
        {low, high, false, true},  {high, low, false, false},  {empty, ab, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << '"' << c.a.c_str() << "\" == \"" << c.b.c_str() << '"';
        EXPECT_EQ(c.a < c.b, c.less) << '"' << c.a.c_str() << "\" < \"" << c.b.c_str() << '"';
    }
}

TEST(SharedString, ComparesWithCStrings) {
    const SharedString none, empty(""), abc("abc");
    struct Case {
        const SharedString& s;
        const char* text;
        bool equal;
    } cases[] = {
        {none, "", true},   {none, nullptr, true},  {none, "a", false},
        {empty, "", true},  {empty, nullptr, true}, {abc, nullptr, false},
        {abc, "abc", true}, {abc, "ab", false},     {abc, abc.c_str(), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.s == c.text, c.equal) << '"' << c.s.c_str() << "\" vs " << (c.text ? c.text : "null");
}

TEST(SharedString, WorksAsKeyOfOrderedAndHashedTables) {
    std::unordered_map<SD::Name, int> byHash;
    byHash[SharedString("Spawner")] = 1;
    byHash[SharedString("Trigger")] = 2;
    EXPECT_EQ(byHash[SharedString(std::string("Spawner"))], 1);
    EXPECT_EQ(byHash.count(SharedString("Unknown")), 0u);

    std::map<SharedString, int> ordered{{"b", 2}, {"a", 1}, {SharedString(), 0}};
    std::string order;
    for (const auto& entry : ordered) order += std::to_string(entry.second);
    EXPECT_EQ(order, "012");
}

}  // namespace
