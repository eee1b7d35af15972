#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Logger.h"
#include "core/Manifest.h"
#include "support/CapturedLog.h"
#include "support/TempTree.h"

namespace {

TEST(Manifest, LineGrammar) {
    struct Case {
        const char* line;
        SD::ManifestLineKind kind;
        const char* value;
    };
    const Case cases[] = {
        {"\"car\"", SD::kManifestName, "car"},
        {"  \"car\" \t ", SD::kManifestName, "car"},
        {"\"sub\\car\"", SD::kManifestName, "sub/car"},
        {"\"sub/*.xml\"", SD::kManifestWildcard, "sub/*.xml"},
        {"PATH=\"../Assets/Objects\"", SD::kManifestPath, "../Assets/Objects"},
        {" \tpath = \"x\"", SD::kManifestPath, "x"},
        {"Pictures=\"x\"", SD::kManifestPath, "x"},
        {"EXT=\"xml\"", SD::kManifestExt, "xml"},
        {"extension=\".bin\"", SD::kManifestExt, ".bin"},
        {"PATH \"folder\"", SD::kManifestName, "folder"},
        {"\"car\" junk", SD::kManifestInvalid, nullptr},
        {"\"car\"\"", SD::kManifestInvalid, nullptr},
        {"\"car", SD::kManifestInvalid, nullptr},
        {"car", SD::kManifestInvalid, nullptr},
        {"", SD::kManifestInvalid, nullptr},
        {"SIZE=\"3\"", SD::kManifestInvalid, nullptr},
        {"=\"3\"", SD::kManifestInvalid, nullptr},
        {"PATH==\"x\"", SD::kManifestInvalid, nullptr},
        {"PATH=\"a=b\"", SD::kManifestInvalid, nullptr},
        {"\"a=b\"", SD::kManifestInvalid, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string line = c.line;
        char* value = nullptr;
        EXPECT_EQ(SD::ParseManifestLine(&line[0], value), c.kind);
        if (c.value) {
            ASSERT_NE(value, nullptr);
            EXPECT_STREQ(value, c.value);
        }
    }
    std::string longExtension = "EXT=\"" + std::string(SD::kManifestExtensionLength + 1, 'e') + "\"";
    char* value = nullptr;
    EXPECT_EQ(SD::ParseManifestLine(&longExtension[0], value), SD::kManifestInvalid);
}

TEST(Manifest, CommentsAreCut) {
    std::string line = "\"car\" // the car";
    EXPECT_EQ(SD::StripLineComment(&line[0]), 6u);
    EXPECT_STREQ(line.c_str(), "\"car\" ");
    std::string late = std::string(1030, ' ') + "//x";
    EXPECT_EQ(SD::StripLineComment(&late[0]), late.size());
    EXPECT_TRUE(SD::IsTab('\t'));
    EXPECT_FALSE(SD::IsTab(' '));
}

TEST(Manifest, ReadsFoldersExtensionsNamesAndWildcards) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    tree.Write("Assets/Objects/Cars/red.xml", "");
    tree.Write("Assets/Objects/Cars/blue.xml", "");
    tree.Write("Assets/Objects/Cars/notes.txt", "");
    tree.Write("Assets/Objects/Cars/Sub/deep.xml", "");
    tree.Write("Assets/Objects.man",
               "\"early\"\n"
               "// a whole-line comment\n"
               "PATH=\"../Assets\\Objects\\\"\r\n"
               "EXT=\"xml\"\n"
               "\"player\"   // the player\n"
               "\"Cars/*.xml\"\n"
               "\"Cars/*.none\"\n"
               "\"junk\" after\n"
               "\"unbalanced\n"
               "\n"
               "EXT=\".bin\"\n"
               "\"mesh\"\n"
               "EXT=\"\"\n"
               "\"bare\"\n"
               "PATH=\"\"\n"
               "\"rooted\"");
    std::vector<std::string> files = {"stale"};
    qvtest::StderrCapture err;
    ASSERT_TRUE(SD::ReadManifest("../Assets/Objects.man", files));
    const std::vector<std::string> expected = {
        "/early",
        "../Assets/Objects/player.xml",
        "../Assets/Objects/Cars/blue.xml",
        "../Assets/Objects/Cars/red.xml",
        "../Assets/Objects/mesh.bin",
        "../Assets/Objects/bare.",
        "/rooted.",
    };
    EXPECT_EQ(files, expected);
    const std::string log = err.Text();
    EXPECT_NE(log.find("line 8 was not understood and was skipped: \"junk\" after"), std::string::npos);
    EXPECT_NE(log.find("line 9 was not understood and was skipped: \"unbalanced"), std::string::npos);
    EXPECT_EQ(log.find("line 2 "), std::string::npos);
    EXPECT_EQ(log.find("line 10 "), std::string::npos);
}

TEST(Manifest, LongLinesAreCutAndReadingGoesOn) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    tree.Write("Assets/long.man", "\"" + std::string(3000, 'a') + "\"\n\"after\"\n");
    std::vector<std::string> files;
    qvtest::StderrCapture err;
    ASSERT_TRUE(SD::ReadManifest("../Assets/long.man", files));
    EXPECT_EQ(files, std::vector<std::string>{"/after"});
    EXPECT_NE(err.Text().find("line 1 is longer than 1023 characters"), std::string::npos);
    files.clear();
    EXPECT_TRUE(SD::ReadManifest("..\\Assets\\long.man", files)) << "either separator";
    EXPECT_EQ(files, std::vector<std::string>{"/after"});
}

// A list that names nothing (empty, only comments, a wildcard matching nothing) is told by its
// path: every load through it would fail naming only what it lacks.
TEST(Manifest, AListOfNoFilesIsReported) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    for (const char* text : {"", "// nothing yet\n\n", "PATH=\"../Assets\"\n\"*.none\"\n"}) {
        tree.Write("Assets/empty.man", text);
        std::vector<std::string> files = {"stale"};
        qvtest::CapturedLog log;
        EXPECT_TRUE(SD::ReadManifest("../Assets/empty.man", files)) << text;
        EXPECT_TRUE(files.empty()) << text;
        EXPECT_EQ(qvtest::Occurrences(log.Text(), "Manifest \"../Assets/empty.man\" lists no files"), 1u) << log.Text();
        EXPECT_EQ(qvtest::Occurrences(log.Text(), "\n"), 1u) << log.Text();
    }
}

TEST(Manifest, AMissingFileIsReportedAndLeavesTheListAlone) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    std::vector<std::string> files = {"kept"};
    qvtest::StderrCapture err;
    EXPECT_FALSE(SD::ReadManifest("../Assets/none.man", files));
    EXPECT_EQ(files, std::vector<std::string>{"kept"});
    EXPECT_NE(err.Text().find("Could not open manifest \"../Assets/none.man\""), std::string::npos);
}

}  // namespace
