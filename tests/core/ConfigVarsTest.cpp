#include "core/ConfigVars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "core/FolderMap.h"
#include "core/Logger.h"
#include "support/TempTree.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string Bytes(const Pairs& pairs) {
    std::string bytes;
    for (const auto& [name, value] : pairs) bytes += name + '\0' + value + '\0';
    return bytes;
}

class ConfigVarsFile : public testing::Test {
protected:
    // Loads the bytes, saves the store back and returns what was saved.
    std::string RoundTrip(const std::string& bytes) {
        tree.Write("in.var", bytes);
        EXPECT_TRUE(vars.Load(tree.Path("in.var")));
        EXPECT_TRUE(vars.Save(tree.Path("out.var")));
        return tree.Read("out.var");
    }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
    SD::ConfigVars vars;
};

TEST_F(ConfigVarsFile, RecordsLoadAndSaveBackAsTheyWere) {
    const std::string longValue(1500, 'x');
    struct Case {
        const char* name;
        Pairs pairs;
    };
    const Case cases[] = {
        {"empty", {}},
        {"one", {{"speed", "12.5"}}},
        {"spaces", {{"player name", "a value with spaces"}}},
        {"order kept", {{"zeta", "1"}, {"alpha", "2"}, {"mid", ""}}},
        {"long value", {{"long", longValue}, {"next", "v"}}},
        {"empty name", {{"", "v"}}},
    };
    for (const Case& c : cases) {
        vars.Clear();
        EXPECT_EQ(RoundTrip(Bytes(c.pairs)), Bytes(c.pairs)) << c.name;
        ASSERT_EQ(vars.Size(), c.pairs.size()) << c.name;
        for (const auto& [name, value] : c.pairs) {
            SD::ConfigVar* var = vars.Find(name);
            ASSERT_NE(var, nullptr) << c.name << ": " << name;
            EXPECT_EQ(var->value, value) << c.name;
            EXPECT_EQ(var->initialValue, value) << c.name;
            EXPECT_EQ(var->flags, SD::ConfigVar::kSaved) << c.name;
        }
    }
}

TEST_F(ConfigVarsFile, MalformedFilesKeepWhatIsWhole) {
    struct Case {
        const char* name;
        std::string bytes;
        Pairs kept;
        bool logged;
    };
    const Case cases[] = {
        {"duplicate name keeps the first",
         Bytes({{"a", "1"}, {"b", "2"}, {"a", "3"}}),
         {{"a", "1"}, {"b", "2"}},
         false},
        {"value without its final NUL", Bytes({{"a", "1"}}) + std::string("b\0002", 3), {{"a", "1"}}, true},
        {"name without a value", Bytes({{"a", "1"}}) + std::string("b\0", 2), {{"a", "1"}}, true},
        {"name without its NUL", Bytes({{"a", "1"}}) + "b", {{"a", "1"}}, true},
        {"a single NUL", std::string(1, '\0'), {}, true},
    };
    for (const Case& c : cases) {
        vars.Clear();
        qvtest::StderrCapture capture;
        EXPECT_EQ(RoundTrip(c.bytes), Bytes(c.kept)) << c.name;
        EXPECT_EQ(capture.Text().find("warning") != std::string::npos, c.logged) << c.name << capture.Text();
    }
}

TEST(ConfigVars, ValuesAreReadAsNumbers) {
    struct Case {
        const char* text;
        int32_t i;
        float f;
    };
    const Case cases[] = {
        {"12.5", 12, 12.5f},
        {"-7", -7, -7.0f},
        {"fast", 0, 0.0f},
        {"99999999999", std::numeric_limits<int32_t>::max(), 99999999999.0f},
        {"-1e300", -1, -std::numeric_limits<float>::infinity()},
    };
    SD::ConfigVars vars;
    for (const Case& c : cases) {
        const SD::ConfigVar& var = vars.FindOrCreate(c.text, c.text);
        EXPECT_EQ(var.intValue, c.i) << c.text;
        EXPECT_EQ(var.floatValue, c.f) << c.text;
    }
}

TEST(ConfigVars, ProtectedVariablesKeepTheirValue) {
    SD::ConfigVars vars;
    SD::ConfigVar& var = vars.FindOrCreate("v", "1");
    var.flags |= SD::ConfigVar::kReadOnly;
    vars.SetValue(var, "2");
    EXPECT_EQ(var.value, "1");
    var.flags = SD::ConfigVar::kNeedsUnlock;
    vars.SetValue(var, "3");
    EXPECT_EQ(var.intValue, 1);
    var.flags = 0;
    vars.SetValue(var, "4");
    EXPECT_EQ(var.intValue, 4);
    EXPECT_EQ(var.initialValue, "1");
}

TEST_F(ConfigVarsFile, UnsavedVariablesAreLeftOutAndMissingFilesLoadNothing) {
    EXPECT_FALSE(vars.Load(tree.Path("missing.var")));
    EXPECT_EQ(vars.Size(), 0u);
    vars.FindOrCreate("kept", "1");
    vars.FindOrCreate("dropped", "2").flags = 0;
    EXPECT_TRUE(vars.Save(tree.Path("out.var")));
    EXPECT_EQ(tree.Read("out.var"), Bytes({{"kept", "1"}}));

    qvtest::StderrCapture capture;
    EXPECT_FALSE(vars.Save(tree.Path("no/such/folder/config.var")));
    EXPECT_NE(capture.Text().find("config.var"), std::string::npos);
}

TEST(ConfigVars, PathIsInTheApplicationFolderWhenThereIsOne) {
    SD::FolderMap::GetInstance().Clear();
    EXPECT_EQ(SD::ConfigVarsPath(), std::nullopt);
    SD::FolderMap::GetInstance().Set("AppData", "/data/Vernholm");
    EXPECT_EQ(SD::ConfigVarsPath(), std::optional<std::string>("/data/Vernholm/config.var"));
    SD::FolderMap::GetInstance().Clear();
}

}  // namespace
