#include "core/FileUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/Logger.h"
#include "support/TempTree.h"

namespace {

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::string> FullPaths(const std::vector<SD::FilePath>& files) {
    std::vector<std::string> paths;
    for (const SD::FilePath& f : files) paths.push_back(f.fullPath);
    return paths;
}

TEST(WholeFile, WritesHeaderAndBodyAndReadsThemBack) {
    qvtest::TempTree tree;
    const std::string header("BM\0\x01", 4), body(100000, 'p');
    ASSERT_TRUE(SD::WriteWholeFile("../Assets/out.bmp", header.data(), header.size(), body.data(), body.size()));
    std::vector<unsigned char> read;
    ASSERT_TRUE(SD::ReadWholeFile("../Assets/out.bmp", read));
    EXPECT_EQ(read, Bytes(header + body));
    EXPECT_FALSE(tree.Exists("Assets/out.bmp.tmp"));

    ASSERT_TRUE(SD::WriteWholeFile("../Assets/out.bmp", nullptr, 0, nullptr, 0));
    EXPECT_TRUE(SD::ReadWholeFile("../Assets/out.bmp", read));
    EXPECT_TRUE(read.empty());
}

TEST(WholeFile, PathsWithBackslashesAreTheSameFiles) {
    qvtest::TempTree tree;
    ASSERT_TRUE(SD::WriteWholeFile("..\\Assets\\out.txt", nullptr, 0, "abc", 3));
    EXPECT_EQ(tree.Read("Assets/out.txt"), "abc");
    std::vector<unsigned char> read;
    ASSERT_TRUE(SD::ReadWholeFile("..\\Assets/out.txt", read));
    EXPECT_EQ(read, Bytes("abc"));
}

TEST(WholeFile, UnreadablePathsFailWithAWarningAndNoBytes) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    const char* paths[] = {"../Assets/missing.bin", "../Assets", ""};
    for (const char* path : paths) {
        qvtest::StderrCapture err;
        std::vector<unsigned char> bytes = Bytes("stale");
        EXPECT_FALSE(SD::ReadWholeFile(path, bytes)) << path;
        EXPECT_TRUE(bytes.empty()) << path;
        EXPECT_NE(err.Text().find("warning in function SD::ReadWholeFile"), std::string::npos) << path;
    }
}

TEST(WholeFile, AFailedWriteKeepsThePreviousFile) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    tree.Write("Assets/keep.txt", "previous");
    qvtest::StderrCapture err;
    EXPECT_FALSE(SD::WriteWholeFile("../Assets/no/such/folder/x.txt", "a", 1, "b", 1));
    std::filesystem::create_directory(tree.Path("Assets/keep.txt.tmp"));  // the temporary cannot be made
    EXPECT_FALSE(SD::WriteWholeFile("../Assets/keep.txt", "new", 3, "", 0));
    EXPECT_EQ(tree.Read("Assets/keep.txt"), "previous");
    EXPECT_NE(err.Text().find("SD::WriteWholeFile"), std::string::npos);
}

TEST(ListFilesRecursive, FindsMatchesInEveryFolderButSvn) {
    qvtest::TempTree tree;
    for (const char* file :
         {"Assets/Tex/b.DDS", "Assets/Tex/a.dds", "Assets/Tex/c.png", "Assets/Tex/sub/d.dds",
          "Assets/Tex/sub/deeper/f.dds", "Assets/Tex/.svn/e.dds", "Assets/Tex/sub/.svn/g.dds", "Assets/Tex/noext"})
        tree.Write(file, "x");
    std::vector<SD::FilePath> files;
    ASSERT_TRUE(SD::ListFilesRecursive("../Assets/Tex/", "*.dds", files));
    EXPECT_EQ(FullPaths(files),
              (std::vector<std::string>{"../Assets/Tex/a.dds", "../Assets/Tex/b.DDS", "../Assets/Tex/sub/d.dds",
                                        "../Assets/Tex/sub/deeper/f.dds"}));
    EXPECT_STREQ(files[2].folder, "../Assets/Tex/sub");
    EXPECT_STREQ(files[2].fileName, "d");
    EXPECT_STREQ(files[2].extension, "dds");

    ASSERT_TRUE(SD::ListFilesRecursive("..\\Assets\\Tex\\sub", "*", files));
    EXPECT_EQ(files.size(), 2u);
    ASSERT_TRUE(SD::ListFilesRecursive("../Assets/Tex", "no*", files));
    EXPECT_STREQ(files[0].fileName, "noext");
}

TEST(ListFilesRecursive, NothingFoundIsFalseWithAnEmptyList) {
    qvtest::TempTree tree;
    tree.Write("Assets/Tex/a.png", "x");
    std::vector<SD::FilePath> files(3);
    EXPECT_FALSE(SD::ListFilesRecursive("../Assets/Tex", "*.dds", files));
    EXPECT_TRUE(files.empty());
    EXPECT_FALSE(SD::ListFilesRecursive("../Assets/Missing", "*", files));
}

TEST(ListFilesRecursive, ALoopOfLinkedFoldersEnds) {
    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    tree.Write("Assets/Tex/sub/a.dds", "x");
    std::filesystem::create_directory_symlink(tree.Path("Assets/Tex"), tree.Path("Assets/Tex/sub/loop"));
    qvtest::StderrCapture err;
    std::vector<SD::FilePath> files;
    ASSERT_TRUE(SD::ListFilesRecursive("../Assets/Tex", "*.dds", files));
    EXPECT_STREQ(files[0].fullPath, "../Assets/Tex/sub/a.dds");
    for (const SD::FilePath& f : files) EXPECT_STREQ(f.fileName, "a");
    EXPECT_NE(err.Text().find("too long"), std::string::npos);
}

}  // namespace
