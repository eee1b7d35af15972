// Every component kind start-up registers has sample data: it is a component of a blueprint
// the game loads at start or of an object of the world the play state loads. A kind that joins
// the registrations without a sample fails here. A sample written at its kind's current version
// carries the fields the kind reads, named and ordered as it reads them; it may leave out only
// trailing ones, which keep their defaults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "core/Manifest.h"
#include "engine/Component.h"
#include "engine/Factory.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialValue.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"

namespace {

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every layer's classes, as start-up supplies them.
void SupplyAll(SD::Registrations& registrations) {
    SD::SupplyEngineClasses(registrations);
    QV::SupplyWholeGame(registrations);
}

// The kinds registered by every layer.
std::vector<std::string> RegisteredKinds() {
    SD::Registrations registrations;
    SupplyAll(registrations);
    std::vector<std::string> kinds;
    for (const SD::ComponentRegistration& kind : registrations.SuppliedComponents()) kinds.push_back(kind.name);
    return kinds;
}

TEST(SampleData, EveryRegisteredComponentKindHasASampleInTheWorldOrTheStartBlueprints) {
    const std::string assets = qvtest::SourceDir() + "/Assets/";
    std::vector<std::string> files;
    ASSERT_TRUE(SD::ReadManifest(assets + "Objects/Objects.man", files));
    std::string samples = Text(assets + "Levels/World_v6/objects.xml");
    ASSERT_FALSE(samples.empty());
    for (const std::string& file : files) {
        // Listed relative to the game's working folder.
        const std::string prefix = "../Assets/";
        ASSERT_EQ(file.compare(0, prefix.size(), prefix), 0) << file;
        const std::string text = Text(assets + file.substr(prefix.size()));
        EXPECT_FALSE(text.empty()) << file;
        samples += text;
    }

    const std::vector<std::string> kinds = RegisteredKinds();
    for (const char* layer : {"Transform", "Body", "Geometry", "Phantom", "Button", "Trigger"})
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), layer), kinds.end()) << "every layer's kinds, " << layer;
    for (const std::string& kind : kinds) {
        // The factory files a kind under the part of its name after the last ':'.
        const std::string element = "<" + kind.substr(kind.rfind(':') + 1) + " version=";
        EXPECT_NE(samples.find(element), std::string::npos) << "no sample of " << kind;
    }
}

// The class names the components under `element` are written as, at any depth.
void CollectComponentNames(const SD::SuperialValue* element, std::set<std::string>* names) {
    for (const SD::SuperialValue* child = element->FirstChild(); child; child = child->Next()) {
        if (child->Tag() == "Components")
            for (const SD::SuperialValue* c = child->FirstChild(); c; c = c->Next()) names->insert(c->Tag());
        CollectComponentNames(child, names);
    }
}

// Every component the sample levels and object files are written with is made by a layer, and
// the component made answers with the number it was made under: a class whose VGetID named
// another kind would be filed, found and removed as the wrong component.
TEST(SampleData, EveryComponentTheSampleFilesNameIsMadeUnderTheNumberItAnswersWith) {
    const std::filesystem::path assets = std::filesystem::path(qvtest::SourceDir()) / "Assets";
    std::set<std::string> names;
    for (const char* folder : {"Levels", "Objects"}) {
        for (const auto& file : std::filesystem::recursive_directory_iterator(assets / folder)) {
            if (file.path().extension() != ".xml") continue;
            auto map = SD::SuperialDataMap::parseXmlFromBuffer(Text(file.path().string()).c_str());
            ASSERT_NE(map, nullptr) << file.path();
            CollectComponentNames(map->Top(), &names);
        }
    }
    ASSERT_GT(names.size(), 10u);
    SD::Registrations registrations;
    SupplyAll(registrations);
    SD::Factory_ factory(64);
    registrations.RegisterComponents(factory);
    for (const std::string& name : names) {
        SD::ComponentID id;
        ASSERT_TRUE(factory.FindComponentID(name, &id)) << name << " is written in a sample file but not made";
        SD::Component* made = factory.CreateComponent(id);
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(made->VGetID(), id) << name;
        factory.DestroyComponent(made);
    }
    factory.Shutdown();
}

// The fields of a component's data: kind and name of each, nested groups included, attributes
// left out.
std::string Fields(const SD::SuperialValue* node) {
    std::string fields;
    for (const SD::SuperialValue* child = node->FirstChild(); child; child = child->Next()) {
        if (child->IsAttribute()) continue;
        fields += "<" + child->Tag() + " '" + child->Name() + "'";
        if (child->IsContainer()) fields += Fields(child);
        fields += ">";
    }
    return fields;
}

TEST(SampleData, SamplesAtTheCurrentVersionNameAndOrderTheirFieldsAsTheirKindReadsThem) {
    const std::string text = Text(qvtest::SourceDir() + "/Assets/Objects/World/WorldSamples.xml");
    auto map = SD::SuperialDataMap::parseXmlFromBuffer(text.c_str());
    ASSERT_NE(map, nullptr);
    SD::Registrations registrations;
    SupplyAll(registrations);
    SD::Factory_ factory(64);
    registrations.RegisterComponents(factory);

    int checked = 0;
    for (const SD::SuperialValue* blueprint = map->Top()->FirstChild(); blueprint; blueprint = blueprint->Next()) {
        std::string name;
        blueprint->GetAttribute("name", name);
        const SD::SuperialValue* components = SD::SuperialValue::FindChildByTag(blueprint, "Components");
        ASSERT_NE(components, nullptr) << name;
        for (SD::SuperialValue* sample = components->FirstChild(); sample; sample = sample->Next()) {
            const std::string kind = sample->Tag();
            SD::ComponentID id;
            ASSERT_TRUE(factory.FindComponentID(kind, &id)) << name << ": " << kind;
            SD::Component* component = factory.CreateComponent(id);
            ASSERT_NE(component, nullptr) << name << ": " << kind;
            int version = -1;
            EXPECT_TRUE(sample->GetAttribute("version", version)) << name << ": " << kind;
            SD::SuperialInStream in(sample);
            component->SerializeWithHeader(in, kind.c_str());
            if (version == component->VGetVersion()) {
                SD::SuperialDataMap written;
                written.Top()->SetTypeName("Components");
                SD::SuperialOutStream out(written.Top());
                component->SerializeWithHeader(out, kind.c_str());
                ASSERT_NE(written.Top()->FirstChild(), nullptr) << name << ": " << kind;
                const std::string expected = Fields(written.Top()->FirstChild());
                const std::string given = Fields(sample);
                EXPECT_EQ(expected.compare(0, given.size(), given), 0)
                    << name << ": " << kind << "\n  sample: " << given << "\n  read:   " << expected;
                ++checked;
            }
            factory.DestroyComponent(component);
        }
    }
    EXPECT_GT(checked, 0);
    factory.Shutdown();
}

// The blueprint files the object manifest and the level editor's templates list, as paths in
// the source tree.
std::set<std::string> BlueprintFiles() {
    const std::string assets = qvtest::SourceDir() + "/Assets/";
    std::set<std::string> paths;
    for (const char* manifest : {"Objects/Objects.man", "Objects/LevelTemplates.man"}) {
        std::vector<std::string> files;
        EXPECT_TRUE(SD::ReadManifest(assets + manifest, files)) << manifest;
        for (const std::string& file : files) paths.insert(assets + file.substr(std::string("../Assets/").size()));
    }
    return paths;
}

// The blueprints every loaded blueprint file defines, with how often each name is defined.
std::map<std::string, int> DefinedBlueprints() {
    std::map<std::string, int> defined;
    const std::regex definition("<GameObjectBlueprint name=\"([^\"]+)\"");
    for (const std::string& file : BlueprintFiles()) {
        const std::string text = Text(file);
        for (std::sregex_iterator it(text.begin(), text.end(), definition), end; it != end; ++it) ++defined[(*it)[1]];
    }
    return defined;
}

bool PartOfAName(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '/'; }

// The names in a text that stand alone and start with one of the blueprint folders ("Hud/Narr_1"
// in code, data, HUD files and scripts; not the "Hud/" of a texture path or of a file name).
void CollectNames(const std::string& text, const std::set<std::string>& folders, const std::string& where,
                  std::map<std::string, std::string>* names) {
    static const std::regex candidate("([A-Za-z]+)/[A-Za-z0-9_]+");
    for (std::sregex_iterator it(text.begin(), text.end(), candidate), end; it != end; ++it) {
        const size_t at = static_cast<size_t>(it->position(0));
        const size_t after = at + static_cast<size_t>(it->length(0));
        if (!folders.count((*it)[1]) || (at > 0 && PartOfAName(text[at - 1])) ||
            (after < text.size() && PartOfAName(text[after])))
            continue;
        names->emplace(it->str(0), where);
    }
}

TEST(SampleData, EveryBlueprintTheCodeTheScriptsAndTheDataNameIsDefinedOnce) {
    const std::map<std::string, int> defined = DefinedBlueprints();
    ASSERT_GT(defined.size(), 100u);
    std::set<std::string> folders;
    for (const auto& [name, count] : defined) {
        EXPECT_EQ(count, 1) << "the blueprint " << name << " is defined " << count << " times";
        if (name.find('/') != std::string::npos) folders.insert(name.substr(0, name.find('/')));
    }

    namespace fs = std::filesystem;
    const fs::path root = qvtest::SourceDir();
    std::map<std::string, std::string> named;  // name -> a file naming it
    const std::set<std::string> loaded = BlueprintFiles();
    for (const char* folder : {"app", "core", "engine", "runtime", "graphics", "physics", "game", "sound", "Assets"})
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            // Blueprint files the game does not load are not read here either.
            if (extension == ".xml" && entry.path().parent_path().parent_path() == root / "Assets" / "Objects" &&
                !loaded.count(entry.path().string()))
                continue;
            for (const char* kind : {".cpp", ".h", ".lua", ".hud", ".xml", ".ini", ".man"})
                if (entry.is_regular_file() && extension == kind)
                    CollectNames(Text(entry.path().string()), folders, entry.path().string(), &named);
        }
    // Names the story itself asks for are among them.
    for (const char* story : {"ObjectTemplates/Lightning", "ObjectTemplates/WhiteSquareOfSuccessTrigger",
                              "Hud/Winter_Opening_Poem", "ObjectTemplates/Sun", "World/Snow"})
        EXPECT_EQ(named.count(story), 1u) << story;

    for (const auto& [name, where] : named) {
        // A name ending in '_' is the start of names made at run time ("Hud/Res_" + a size).
        const bool prefix = name.back() == '_';
        const auto next = defined.lower_bound(name);
        const bool found =
            prefix ? next != defined.end() && next->first.compare(0, name.size(), name) == 0 : defined.count(name) == 1;
        EXPECT_TRUE(found) << name << ", named in " << where << ", is no blueprint";
    }
}

}  // namespace
