#include "core/FilePath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempTree.h"

namespace {

using SD::FilePath;

void ExpectFields(const FilePath& p, const char* folder, const char* name, const char* ext, const char* full) {
    EXPECT_STREQ(p.folder, folder);
    EXPECT_STREQ(p.fileName, name);
    EXPECT_STREQ(p.extension, ext);
    EXPECT_STREQ(p.fullPath, full);
}

TEST(FilePath, BuiltFromParts) {
    ExpectFields(FilePath(), "", "", "", "");
    ExpectFields(FilePath("../Assets/Config", "config", "ini"), "../Assets/Config", "config", "ini",
                 "../Assets/Config/config.ini");
    ExpectFields(FilePath("..\\Assets\\Levels", "World", "xml"), "../Assets/Levels", "World", "xml",
                 "../Assets/Levels/World.xml");
}

TEST(FilePath, SplitFromAFullPath) {
    struct Case {
        const char* text;
        const char* folder;
        const char* name;
        const char* ext;
        const char* full;
    } cases[] = {
        {"C:\\data\\model.bin", "C:/data", "model", "bin", "C:/data/model.bin"},
        {"../Assets/a.b.c", "../Assets", "a.b", "c", "../Assets/a.b.c"},
        {"../Assets.v2/README", "../Assets.v2", "README", "", "../Assets.v2/README"},
        {"model.fbx", "", "model", "fbx", "model.fbx"},
        {"a\\b/c.txt", "a/b", "c", "txt", "a/b/c.txt"},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectFields(FilePath(c.text), c.folder, c.name, c.ext, c.full);
    }
}

TEST(FilePath, ToBackslashesTurnsEverySeparator) {
    FilePath p("C:\\data\\model.bin");
    p.ToBackslashes();
    ExpectFields(p, "C:\\data", "model", "bin", "C:\\data\\model.bin");
}

TEST(FilePath, OverlongPartsAreCutToTheirFields) {
    const std::string longName(300, 'n'), longExt(40, 'e'), longDir(600, 'd');
    FilePath parts(longDir.c_str(), longName.c_str(), longExt.c_str());
    EXPECT_EQ(std::string(parts.folder), longDir.substr(0, FilePath::kFolderSize - 1));
    EXPECT_EQ(std::string(parts.fileName), longName.substr(0, FilePath::kNameSize - 1));
    EXPECT_EQ(std::string(parts.extension), longExt.substr(0, FilePath::kExtensionSize - 1));
    EXPECT_EQ(std::string(parts.fullPath).size(), FilePath::kFullPathSize - 1);
    FilePath full((longDir + "/" + longName + "." + longExt).c_str());
    EXPECT_EQ(std::string(full.fileName).size(), FilePath::kNameSize - 1);
}

TEST(FilePath, ExtensionHelpers) {
    struct Case {
        const char* text;
        const char* stripped;
        const char* extension;
    } cases[] = {
        {"README", "", "README"},
        {"a.b.c", "a.b", "c"},
        {"file.", "file", ""},
        {".hidden", "", "hidden"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SD::StripExtension(c.text), c.stripped) << c.text;
        EXPECT_EQ(SD::GetExtension(c.text), c.extension) << c.text;
    }
}

TEST(FilePath, MakeDirectoryResults) {
    qvtest::TempTree tree;
    EXPECT_EQ(SD::MakeDirectory("../Assets/New"), 0);
    EXPECT_EQ(SD::MakeDirectory("../Assets/New"), 1);
    EXPECT_EQ(SD::MakeDirectory(nullptr), 2);
    EXPECT_EQ(SD::MakeDirectory("../Assets/Missing/Deeper"), 3);
    EXPECT_TRUE(tree.Exists("Assets/New"));
}

TEST(FilePath, FileListFindsFilesIntoRecords) {
    qvtest::TempTree tree;
    tree.Write("Assets/Models/rock.obj", "x");
    tree.Write("Assets/Models/tree.obj", "x");
    tree.Write("Assets/Models/tree.png", "x");
    tree.Write("Assets/Models/dir.obj/inner", "x");
    SD::FileList list;
    list.pattern = FilePath("../Assets/Models", "*", "obj");
    ASSERT_TRUE(list.Find());
    ASSERT_EQ(list.files.size(), 2u);
    ExpectFields(list.files[0], "../Assets/Models", "rock", "obj", "../Assets/Models/rock.obj");
    ExpectFields(list.files[1], "../Assets/Models", "tree", "obj", "../Assets/Models/tree.obj");

    // No match leaves the previous result.
    list.pattern = FilePath("../Assets/Models", "*", "fbx");
    EXPECT_FALSE(list.Find());
    EXPECT_EQ(list.files.size(), 2u);
}

TEST(FilePath, FileFinderListsNamesFromABackslashPattern) {
    qvtest::TempTree tree;
    tree.Write("Assets/Man/b.man", "x");
    tree.Write("Assets/Man/a.man", "x");
    tree.Write("Assets/Man/a.txt", "x");
    SD::FileFinder finder;
    finder.SetPattern("../Assets/Man/*.man");
    EXPECT_EQ(finder.pattern, "..\\Assets\\Man\\*.man");
    ASSERT_TRUE(finder.Find());
    EXPECT_EQ(finder.names, (std::vector<std::string>{"a.man", "b.man"}));
    finder.SetPattern("../Assets/Man/*.xml");
    EXPECT_FALSE(finder.Find());
    EXPECT_TRUE(finder.names.empty());
}

}  // namespace
