#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Logger.h"
#include "engine/TextFileDataStream.h"
#include "support/TempTree.h"

namespace {

using Data::TextFileDataStream;

TEST(TextFileDataStream, EveryTypeRoundTripsInWriteOrder) {
    qvtest::TempTree tree;
    const std::string path = tree.Path("Assets/object.txt");
    {
        TextFileDataStream out;
        ASSERT_TRUE(out.openFile(path.c_str(), "wt"));
        EXPECT_TRUE(out.write(std::string("Transform")));
        EXPECT_TRUE(out.write("Name", 4));
        EXPECT_TRUE(out.write(0.25));
        EXPECT_TRUE(out.write(1.5f));
        EXPECT_TRUE(out.write(4000000000ul));
        EXPECT_TRUE(out.write(-5l));
        EXPECT_TRUE(out.write(7u));
        EXPECT_TRUE(out.write(-8));
        EXPECT_TRUE(out.write(static_cast<unsigned short>(65535)));
        EXPECT_TRUE(out.write(static_cast<short>(-300)));
        EXPECT_TRUE(out.write(true));
        EXPECT_TRUE(out.writeNewline());
        EXPECT_TRUE(out.write(static_cast<unsigned char>('u')));
        EXPECT_TRUE(out.write('c'));
        EXPECT_TRUE(out.write("raw!", 4u));
        const char bytes[3] = {'x', '\0', 'y'};
        EXPECT_TRUE(out.write(static_cast<const void*>(bytes), 3));
    }
    const char expected[] = "Transform Name 0.250000 1.500000 4000000000 -5 7 -8 65535 -300 1 \nu c raw! x\0y";
    EXPECT_EQ(tree.Read("Assets/object.txt"), std::string(expected, sizeof expected - 1));

    TextFileDataStream in;
    ASSERT_TRUE(in.openFile(path.c_str(), "rt"));
    std::string word;
    char name[8];
    double d = 0;
    float f = 0;
    unsigned long ul = 0;
    long l = 0;
    unsigned u = 0;
    int i = 0;
    unsigned short us = 0;
    short s = 0;
    bool b = false;
    unsigned char uc = 0;
    char c = 0, space = 0;
    EXPECT_TRUE(in.get(word));
    EXPECT_TRUE(in.get(name, sizeof name));
    EXPECT_TRUE(in.get(d));
    EXPECT_TRUE(in.get(f));
    EXPECT_TRUE(in.get(ul));
    EXPECT_TRUE(in.get(l));
    EXPECT_TRUE(in.get(u));
    EXPECT_TRUE(in.get(i));
    EXPECT_TRUE(in.get(us));
    EXPECT_TRUE(in.get(s));
    EXPECT_TRUE(in.get(b));
    EXPECT_TRUE(in.get(word));  // "u": a word read skips the newline and the space after it
    EXPECT_TRUE(in.get(c));
    EXPECT_TRUE(in.get(space));
    EXPECT_TRUE(in.get(uc));
    EXPECT_EQ(word, "u");
    EXPECT_STREQ(name, "Name");
    EXPECT_EQ(d, 0.25);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(ul, 4000000000ul);
    EXPECT_EQ(l, -5);
    EXPECT_EQ(u, 7u);
    EXPECT_EQ(i, -8);
    EXPECT_EQ(us, 65535);
    EXPECT_EQ(s, -300);
    EXPECT_TRUE(b);
    EXPECT_EQ(c, 'c');
    EXPECT_EQ(space, ' ');
    EXPECT_EQ(uc, 'r');
    char raw[7] = {};
    EXPECT_TRUE(in.get(static_cast<void*>(raw), 7));
    EXPECT_EQ(std::string(raw, 7), std::string("aw! x\0y", 7));
    EXPECT_TRUE(in.isGood());
    EXPECT_FALSE(in.get(i));
    EXPECT_FALSE(in.isGood());
}

TEST(TextFileDataStream, WordsLongerThanTheBufferAreCutAndReported) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    tree.Write("Assets/long.txt", std::string(2000, 'w') + " next abcdefgh tail");
    TextFileDataStream in;
    ASSERT_TRUE(in.openFile(tree.Path("Assets/long.txt").c_str(), "rt"));
    std::string word;
    {
        qvtest::StderrCapture err;
        EXPECT_FALSE(in.get(word));
        EXPECT_NE(
            err.Text().find("BUFFER OVERWRITE!!  A string was written to a buffer which was too small to contain it.\n"
                            "Source file: \"" +
                            tree.Path("Assets/long.txt") + "\"\nBuffer size: 1024\nAmount read: 2000"),
            std::string::npos);
    }
    EXPECT_EQ(word, std::string(1023, 'w'));
    EXPECT_TRUE(in.get(word));
    EXPECT_EQ(word, "next");
    char small[4];
    std::memset(small, '#', sizeof small);
    {
        qvtest::StderrCapture err;
        EXPECT_FALSE(in.get(small, sizeof small));
        EXPECT_NE(err.Text().find("Buffer size: 4\nAmount read: 8"), std::string::npos);
    }
    EXPECT_STREQ(small, "abc");
    EXPECT_TRUE(in.get(word));
    EXPECT_EQ(word, "tail");
    EXPECT_FALSE(in.get(word));
}

TEST(TextFileDataStream, ReadsThatDoNotMatchFailAndBooleansBecomeFalse) {
    qvtest::TempTree tree;
    tree.Write("Assets/bad.txt", "abc 12");
    TextFileDataStream in;
    ASSERT_TRUE(in.openFile(tree.Path("Assets/bad.txt").c_str(), "rt"));
    bool b = true;
    EXPECT_FALSE(in.get(b));
    EXPECT_FALSE(b);
    int i = 0;
    EXPECT_FALSE(in.get(i));
    std::string word;
    EXPECT_TRUE(in.get(word));
    EXPECT_TRUE(in.get(i));
    EXPECT_EQ(i, 12);
    char raw[4];
    Debug::GlobalLogger logger;
    qvtest::StderrCapture err;
    EXPECT_FALSE(in.get(static_cast<void*>(raw), 4));
    EXPECT_NE(err.Text().find("Amount requested was 4 bytes, amount read in was 0 bytes."), std::string::npos);
}

TEST(TextFileDataStream, ReadAfterWriteOnOneStream) {
    qvtest::TempTree tree;
    TextFileDataStream stream;
    ASSERT_TRUE(stream.openFile(tree.Path("Assets/rw.txt").c_str(), "wt"));
    EXPECT_TRUE(stream.write(5));
    int i = 0;
    EXPECT_FALSE(stream.get(i));  // at the end of what was written
    EXPECT_TRUE(stream.write(6));
    EXPECT_TRUE(stream.close());
    EXPECT_EQ(tree.Read("Assets/rw.txt"), "5 6 ");
}

TEST(TextFileDataStream, OpeningRules) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    tree.Write("Assets/a.txt", "1");
    tree.Write("Assets/b.txt", "2");
    TextFileDataStream stream;
    {
        qvtest::StderrCapture err;
        EXPECT_FALSE(stream.openFile(tree.Path("Assets/a.txt").c_str(), "r"));
        EXPECT_NE(err.Text().find("Invalid mode for opening a read/write file."), std::string::npos);
    }
    {
        qvtest::StderrCapture err;
        EXPECT_FALSE(stream.openFile(tree.Path("Assets/none.txt").c_str(), "rt"));
        EXPECT_NE(err.Text().find("Failed to open file \"" + tree.Path("Assets/none.txt") + "\"."), std::string::npos);
        EXPECT_FALSE(stream.isGood());
    }
    ASSERT_TRUE(stream.openFile(tree.Path("Assets/a.txt").c_str(), "rt"));
    {
        qvtest::StderrCapture err;
        ASSERT_TRUE(stream.openFile(tree.Path("Assets/b.txt").c_str(), "rt"));
        EXPECT_NE(err.Text().find("Closing the previous file, \"" + tree.Path("Assets/a.txt") +
                                  "\" in favor of the new one, \"" + tree.Path("Assets/b.txt") + "\"."),
                  std::string::npos);
    }
    int i = 0;
    EXPECT_TRUE(stream.get(i));
    EXPECT_EQ(i, 2);
}

TEST(TextFileDataStream, AFileBeingWrittenReplacesTheOldOneOnlyWhenClosed) {
    qvtest::TempTree tree;
    tree.Write("Assets/keep.txt", "good");
    TextFileDataStream stream;
    ASSERT_TRUE(stream.openFile(tree.Path("Assets/keep.txt").c_str(), "wt"));
    EXPECT_TRUE(stream.write(std::string("new")));
    EXPECT_EQ(tree.Read("Assets/keep.txt"), "good");
    EXPECT_TRUE(stream.close());
    EXPECT_EQ(tree.Read("Assets/keep.txt"), "new ");
}

}  // namespace
