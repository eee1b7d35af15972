#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "support/TempTree.h"
#include "core/Logger.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/photon/RenderStacks.h"

namespace {

using Aperture::Photon::ParseRenderStacks;
using Aperture::Photon::RenderStackTable;

struct Expected {
    std::string name;
    uint32_t start, end;
};

void ExpectStacks(const RenderStackTable& table, const std::vector<Expected>& expected, const std::string& label) {
    EXPECT_EQ(table.size(), expected.size()) << label;
    for (const Expected& e : expected) {
        auto found = table.find(e.name);
        ASSERT_NE(found, table.end()) << label << ": " << e.name;
        EXPECT_EQ(found->second.StartLayer, e.start) << label << ": " << e.name;
        EXPECT_EQ(found->second.EndLayer, e.end) << label << ": " << e.name;
    }
}

// Well-formed files with either line end, and the records' rules.
TEST(RenderStacks, WellFormedFilesInEitherLineEnd) {
    struct Case {
        const char* label;
        std::string text;
        std::vector<Expected> stacks;
    } cases[] = {
        {"count 0", "0\n", {}},
        {"one record, CRLF", "1\r\nStack Name: Sky\r\nStart Layer: 2\r\nEnd Layer: 5\r\n", {{"Sky", 2, 5}}},
        {"one record, LF", "1\nStack Name: Sky\nStart Layer: 2\nEnd Layer: 5\n", {{"Sky", 2, 5}}},
        {"no final line end", "1\nStack Name: Sky\nStart Layer: 2\nEnd Layer: 5", {{"Sky", 2, 5}}},
        {"name twice keeps the last",
         "2\nStack Name: A\nStart Layer: 1\nEnd Layer: 2\nStack Name: A\nStart Layer: 7\nEnd Layer: 9\n",
         {{"A", 7, 9}}},
        {"records past the count are not read",
         "1\nStack Name: A\nStart Layer: 1\nEnd Layer: 2\nStack Name: B\nStart Layer: 3\nEnd Layer: 4\n",
         {{"A", 1, 2}}},
        {"white space runs in the words", "1\nStack  Name:\tSky\nStart   Layer: 2\nEnd\t Layer:  5\n", {{"Sky", 2, 5}}},
        {"one line",
         "2 Stack Name: Sky Start Layer: 2 End Layer: 5 Stack Name: Sea Start Layer: 6 End Layer: 8",
         {{"Sky", 2, 5}, {"Sea", 6, 8}}},
        {"no white space inside the words", "1\nStackName:Sky\nStartLayer:2\nEndLayer:5", {{"Sky", 2, 5}}},
        {"blank lines between",
         "2\n\nStack Name: A\nStart Layer: 1\nEnd Layer: 2\n\r\nStack Name: B\nStart Layer: 3\nEnd Layer: 4\n",
         {{"A", 1, 2}, {"B", 3, 4}}},
    };
    for (const Case& c : cases) {
        RenderStackTable table;
        ParseRenderStacks(c.text, table);
        ExpectStacks(table, c.stacks, c.label);
    }
}

// A malformed line is logged with its line number, its record skipped, and the records after
// it are still read.
TEST(RenderStacks, MalformedLinesAreLoggedAndSkipped) {
    const std::string good = "Stack Name: Good\nStart Layer: 4\nEnd Layer: 6\n";
    struct Case {
        const char* label;
        std::string text;
        const char* logged;
        std::vector<Expected> stacks;
    } cases[] = {
        {"wrong key case", "2\nstack name: Bad\nStart Layer: 1\nEnd Layer: 2\n" + good, "line 2", {{"Good", 4, 6}}},
        {"layer not a number", "2\nStack Name: Bad\nStart Layer: x\nEnd Layer: 2\n" + good, "line 3", {{"Good", 4, 6}}},
        {"negative layer", "2\nStack Name: Bad\nStart Layer: 1\nEnd Layer: -2\n" + good, "line 4", {{"Good", 4, 6}}},
        {"missing end layer", "2\nStack Name: Bad\nStart Layer: 1\n" + good, "line 4", {{"Good", 4, 6}}},
        {"name with a space",
         "2\nStack Name: Two words\nStart Layer: 1\nEnd Layer: 2\n" + good,
         "line 2",
         {{"Good", 4, 6}}},
        {"name too long",
         "2\nStack Name: " + std::string(200, 'n') + "\nStart Layer: 1\nEnd Layer: 2\n" + good,
         "too long",
         {{"Good", 4, 6}}},
        {"count not a number", "many\n" + good, "not a number", {{"Good", 4, 6}}},
        {"count missing", good, "not a number", {{"Good", 4, 6}}},
        {"record cut short", "2\n" + good + "Stack Name: Last\nStart Layer: 1\n", "cut short", {{"Good", 4, 6}}},
    };
    for (const Case& c : cases) {
        Debug::GlobalLogger logger;
        RenderStackTable table;
        ParseRenderStacks(c.text, table);
        ExpectStacks(table, c.stacks, c.label);
        EXPECT_NE(std::string(logger.Buffer()).find(c.logged), std::string::npos) << c.label << ": " << logger.Buffer();
    }
}

// A file that is missing, empty or cut short is logged under its path, with what is lost.
TEST(RenderStacks, MissingEmptyOrCutFilesAreLoggedByPath) {
    const std::string one = "Stack Name: Sky\nStart Layer: 2\nEnd Layer: 5\n";
    struct Case {
        const char* label;
        const char* contents;  // null: no file
        std::string text;
        const char* logged;
        size_t read;
    } cases[] = {
        {"missing", nullptr, "", " cannot be opened: no particle render stacks are loaded", 0},
        {"empty", "", "", " is empty: no particle render stacks are loaded", 0},
        {"blank", "", " \r\n\n", " is empty: no particle render stacks are loaded", 0},
        {"fewer records than counted", "", "3\n" + one, ": 3 render stacks declared, 1 read", 1},
        {"cut inside a record", "", "2\n" + one + "Stack Name: Sea\nStart La", " line 6: record cut short", 1},
    };
    for (const Case& c : cases) {
        qvtest::TempTree tree;
        if (c.contents) tree.Write("Graphics/ParticleAssets/layers.txt", c.text);
        Debug::GlobalLogger logger;
        RenderStackTable table;
        EXPECT_EQ(Aperture::Photon::LoadRenderStacks("../Graphics/ParticleAssets/layers.txt", table), c.read)
            << c.label;
        EXPECT_EQ(std::string(logger.Buffer()).find(std::string("../Graphics/ParticleAssets/layers.txt") + c.logged),
                  0u)
            << c.label << ": " << logger.Buffer();
    }
}

// The manager reads the installed file at start-up.
TEST(RenderStacks, TheManagerReadsTheInstalledLayersFile) {
    gfxtest::GraphicsFixture f;
    Aperture::Photon::ParticleManager* manager = f.graphics->GetParticleManager();
    ASSERT_NE(manager, nullptr);
    ExpectStacks(manager->GetRenderStacks(), {{"Sky", 0, 3}, {"World", 4, 9}}, "installed layers.txt");
}

}  // namespace
