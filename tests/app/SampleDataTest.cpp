// Every component kind start-up registers has sample data: it is a component of a blueprint
// the game loads at start or of an object of the world the play state loads. A kind that joins
// the registrations without a sample fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Manifest.h"
#include "game/GameRegistration.h"
#include "game/components/WorldHooks.h"
#include "graphics/GraphicsStartup.h"
#include "physics/PhysicsRegistration.h"
#include "runtime/Registration.h"
#include "sound/system/SoundSystemRegistration.h"
#include "support/TempTree.h"

namespace {

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The kinds registered by every layer, as start-up supplies them.
std::vector<std::string> RegisteredKinds() {
    SD::Registrations registrations;
    SD::SupplyEngineClasses(registrations);
    Gedankenexperiment::SupplyPhysicsClasses(registrations);
    Aperture::InstallGraphics(registrations);
    QV::SupplyGameClasses(registrations);
    SD::SupplySoundSystem(registrations);
    QV::SetWorldHooks(nullptr);
    const std::vector<std::string> missing = registrations.ComponentsToCome();
    std::vector<std::string> kinds;
    for (const SD::ComponentRegistration& entry : SD::ComponentRegistrationOrder())
        if (std::find(missing.begin(), missing.end(), entry.name) == missing.end()) kinds.push_back(entry.name);
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

}  // namespace
