// The whole game on a copy of the sample data with files damaged, played from the start into the
// world: each damage is told on one line that names the file, and the game goes on into the
// world without what the damage took; nothing crashes, hangs or reads an undefined value (the
// test build's sanitizers watch the run).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/CapturedLog.h"
#include "tests/app/WorldRun.h"

namespace {

using qvtest::TempTree;

// In a file of the tree, replaces the span from the next `from` after the `n`th `anchor` through
// the next `until` after it (or `from` alone when `until` is empty) with `to`; all must be there.
void EditAfter(const TempTree& tree, const std::string& file, const std::string& anchor, int n, const std::string& from,
               const std::string& to, const std::string& until = "") {
    std::string text = tree.Read(file);
    size_t at = text.find(anchor);
    for (int i = 0; i < n && at != std::string::npos; ++i) at = text.find(anchor, at + 1);
    ASSERT_NE(at, std::string::npos) << file << ": " << anchor << " #" << n;
    at = text.find(from, at);
    ASSERT_NE(at, std::string::npos) << file << ": " << from << " after " << anchor;
    size_t end = at + from.size();
    if (!until.empty()) {
        end = text.find(until, end);
        ASSERT_NE(end, std::string::npos) << file << ": " << until << " after " << from;
        end += until.size();
    }
    tree.Write(file, text.replace(at, end - at, to));
}

// The `n`th object of a blueprint in a level file scaled to x, y, z (given as its Float elements).
void Scale(const TempTree& tree, const std::string& file, const char* blueprint, int n, const std::string& xyz) {
    EditAfter(tree, file, std::string("blueprint=\"") + blueprint + "\"", n, "<Vector3 name=\"scale\"",
              "<Vector3 name=\"scale\">" + xyz + "</Vector3>", "</Vector3>");
}

struct Damage {
    const char* what;
    std::function<void(const TempTree&)> apply;
    std::string said;  // the words of the one line that names the file
};

// The damages of one run, applied together: they are in files of their own.
struct DamagedRun {
    const char* label;
    std::vector<Damage> damages;
};

TEST(DamagedData, EachDamagedFileIsToldOnceByNameAndTheWorldStillPlays) {
    const std::string config = "../Assets/Config/config.ini";
    const std::string blueprints = "Assets/Objects/World/World.xml";
    const std::string level = "Assets/Levels/World_v6/objects.xml";
    const char* island = "World/GrassIsland";
    const DamagedRun runs[] = {
        {"world data",
         {{"a component version the code does not know",
           [&](const TempTree& t) {
               EditAfter(t, blueprints, "name=\"World/Player\"", 0, "<Collider version=\"3\"",
                         "<Collider version=\"7\"");
           },
           "[Collider] of an object (blueprint [World/Player]) in [../" + blueprints + "] has version 7"},
          {"a light of no kind",
           [&](const TempTree& t) {
               EditAfter(t, blueprints, "name=\"ObjectTemplates/Sun\"", 0, "name=\"Light Type\" value=\"3\"",
                         "name=\"Light Type\" value=\"2147483647\"");
           },
           "(blueprint [ObjectTemplates/Sun]) in [../" + blueprints +
               "]: \"Light Type\" 2147483647 is not 0 to 3; the light is off"},
          {"a grass island scaled past any number",
           [&](const TempTree& t) {
               Scale(t, level, island, 0, "<Float value=\"1e20\"/><Float value=\"1\"/><Float value=\"1e20\"/>");
           },
           "(blueprint [World/GrassIsland]) in [../" + level + "]: its placement or scale is not a finite number"},
          {"a grass island scaled 300 times over",
           [&](const TempTree& t) {
               Scale(t, level, island, 1, "<Float value=\"300\"/><Float value=\"1\"/><Float value=\"300\"/>");
           },
           "(blueprint [World/GrassIsland]) in [../" + level + "]: its size asks for "},
          {"Splines.txt missing",
           [](const TempTree& t) { std::filesystem::remove(t.Path("Assets/Splines/Splines.txt")); },
           "../Assets/Splines/Splines.txt cannot be opened"},
          {"a model file empty", [](const TempTree& t) { t.Write("Graphics/Models/Teapot.bin", ""); },
           "Model file \"../Graphics/Models/Teapot.bin\" holds no meshes"},
          {"the grass shader missing",
           [](const TempTree& t) { std::filesystem::remove(t.Path("Graphics/shaders/grass.fx")); },
           "Effect \"grass\" is not loaded (../Graphics/shaders/grass.fx is missing or does not compile)"},
          {"Seasons.bnk cut short, reached through its preparation",
           [](const TempTree& t) {
               t.Write("Assets/Sound/Seasons.bnk", t.Read("Assets/Sound/Seasons.bnk").substr(0, 3000));
           },
           "(Seasons.bnk): chunk at offset"}}},
        {"config.ini damaged",
         {{"a garbage line, a section's name bit-flipped and the end cut off",
           [](const TempTree& t) {
               std::string text = t.Read("Assets/Config/config.ini");
               text.replace(text.find("[Graphics]"), 10, "\x8f\x13\x02garbage\xff\n[Graph)cs]");
               t.Write("Assets/Config/config.ini", text.substr(0, text.rfind('\n') - 3));
           },
           config + " is damaged: line "}}},
        {"config.ini empty",
         {{"empty", [](const TempTree& t) { t.Write("Assets/Config/config.ini", ""); },
           config + " holds no settings: every setting takes its default"}}},
        {"Objects.man empty",
         {{"empty", [](const TempTree& t) { t.Write("Assets/Objects/Objects.man", ""); },
           "Manifest \"../Assets/Objects/Objects.man\" lists no files"}}},
    };
    for (const DamagedRun& run : runs) {
        SCOPED_TRACE(run.label);
        qvtest::CapturedLog log;
        int flown = 0;
        const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) { return (flown = frame) < 10; }, nullptr,
                                                               [&](const TempTree& tree) {
                                                                   for (const Damage& d : run.damages) d.apply(tree);
                                                               });
        EXPECT_TRUE(summary.clean) << summary.error;
        EXPECT_EQ(flown, 10) << "the world is reached and flown";
        for (const Damage& d : run.damages)
            EXPECT_EQ(qvtest::Occurrences(log.Text(), d.said), 1u) << d.what << ": " << d.said << "\n" << log.Text();
    }
}

}  // namespace
