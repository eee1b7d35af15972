#include <gtest/gtest.h>

#include <string>

#include "platform/os/FileIO.h"
#include "support/TempTree.h"

namespace {

using platform::File;
using platform::FileAccess;
using platform::FileOpenStatus;

TEST(FileIO, ReadsAtPositionsAndTellsTheSize) {
    qvtest::TempTree tree;
    tree.Write("Assets/data.bin", "0123456789");
    FileOpenStatus status;
    auto file = File::Open(tree.Path("Assets/data.bin"), FileAccess::Read, status);
    ASSERT_TRUE(file);
    EXPECT_EQ(status, FileOpenStatus::Ok);
    EXPECT_EQ(file->Size(), 10);
    char buffer[8] = {};
    size_t done = 0;
    ASSERT_TRUE(file->ReadAt(6, buffer, 8, done));
    EXPECT_EQ(std::string(buffer, done), "6789");  // short at the end of the file
    ASSERT_TRUE(file->ReadAt(2, buffer, 3, done));
    EXPECT_EQ(std::string(buffer, done), "234");
    ASSERT_TRUE(file->ReadAt(50, buffer, 3, done));
    EXPECT_EQ(done, 0u);
}

TEST(FileIO, ResolvesEitherSlashAndAnyLetterCase) {
    qvtest::TempTree tree;
    tree.Write("Assets/Sound/English(US)/1234.bnk", "bank");
    FileOpenStatus status;
    auto file = File::Open(tree.Root() + "\\assets\\SOUND/english(us)\\1234.BNK", FileAccess::Read, status);
    ASSERT_TRUE(file) << static_cast<int>(status);
    EXPECT_EQ(file->Size(), 4);
    // Relative paths too (the tree's working folder is <tmp>/bin).
    EXPECT_EQ(platform::ResolvePath("..\\ASSETS\\sound"), "../Assets/Sound");
    // What does not exist keeps the caller's spelling.
    EXPECT_EQ(platform::ResolvePath("../assets/New/File.txt"), "../Assets/New/File.txt");
}

TEST(FileIO, TellsMissingFromOtherFailures) {
    qvtest::TempTree tree;
    tree.Write("Assets/a.txt", "a");
    FileOpenStatus status;
    EXPECT_FALSE(File::Open(tree.Path("Assets/missing.txt"), FileAccess::Read, status));
    EXPECT_EQ(status, FileOpenStatus::NotFound);
    EXPECT_FALSE(File::Open(tree.Path("NoFolder/a.txt"), FileAccess::Read, status));
    EXPECT_EQ(status, FileOpenStatus::NotFound);
    EXPECT_FALSE(File::Open(tree.Path("Assets"), FileAccess::Read, status));  // a folder
    EXPECT_EQ(status, FileOpenStatus::Failed);
}

TEST(FileIO, WriteModesCreateKeepOrEmpty) {
    qvtest::TempTree tree;
    FileOpenStatus status;
    size_t done = 0;
    {
        auto file = File::Open(tree.Path("out.bin"), FileAccess::Write, status);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->WriteAt(0, "abcdef", 6, done));
    }
    {
        auto file = File::Open(tree.Path("out.bin"), FileAccess::ReadWrite, status);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->WriteAt(2, "XY", 2, done));
    }
    EXPECT_EQ(tree.Read("out.bin"), "abXYef");
    {
        auto file = File::Open(tree.Path("out.bin"), FileAccess::WriteOverwrite, status);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->Size(), 0);
    }
    EXPECT_EQ(tree.Read("out.bin"), "");
}

}  // namespace
