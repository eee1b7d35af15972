// Grass in the real game: the sample world's islands carry grass from the moment they join the
// scene, the grass pass draws it once the vehicle's camera looks at an island, and the island's
// grass dust starts with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/GrassDust.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"

namespace {

std::string Running() {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    if (!states || !states->GetCurrentLevel() || states->GetPhase() != SD::GameStateManager_::kRun) return "";
    return states->GetCurrentLevel()->GetName();
}

std::vector<SD::GameObject*> Islands() {
    std::vector<SD::GameObject*> islands;
    for (const SD::GameObjectHandle& handle : SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects())
        if (SD::GameObject* object = handle.get(); object && object->GetBlueprintName() == "World/GrassIsland")
            islands.push_back(object);
    return islands;
}

TEST(WorldGrass, TheIslandsCarryGrassThatIsDrawnAndStartsTheirDust) {
    qvtest::TempTree tree;
    for (const char* folder : {"Assets", "Graphics"})
        std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree.Path(folder),
                              std::filesystem::copy_options::recursive);
    platform::ManualClock clock;
    clock.SetStepPerRead(0.0005);
    platform::ScopedClock scoped(clock);
    qv::SupplyWholeGame(SD::StartupRegistrations());

    size_t islands = 0, withGrass = 0;
    unsigned long mostGrassDrawn = 0;
    bool dustStarted = false;
    int worldFrames = 0;
    SD::RunOptions options;
    options.maxFrames = 6000;
    options.afterFrame = [&](unsigned long) {
        const std::string running = Running();
        if (running == "MainMenu") SD::GameStateManager_::ChangeLevel("World");
        if (running != "World") return;
        Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
        mostGrassDrawn = std::max<unsigned long>(mostGrassDrawn, graphics->GetGrassDrawn());
        if (++worldFrames < 300) return;
        for (SD::GameObject* island : Islands()) {
            ++islands;
            auto* geometry = static_cast<Aperture::Geometry*>(island->GetComponent(SD::CID_Geometry));
            const Aperture::GrassTree* grass = geometry ? graphics->FindGrassTree(geometry) : nullptr;
            if (grass && grass->GetRoot()) ++withGrass;
            auto* dust = static_cast<Aperture::Photon::GrassDust*>(island->GetComponent(static_cast<SD::ComponentID>(110)));
            if (dust && dust->IsEnabled()) dustStarted = true;
        }
        SD::Core::GetInstance()->Quit();
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 300);
    EXPECT_GE(islands, 2u) << "the world has its grass islands";
    EXPECT_EQ(withGrass, islands) << "each island has its grass tree";
    EXPECT_GT(mostGrassDrawn, 100u) << "the grass pass drew blades";
    EXPECT_TRUE(dustStarted) << "a drawn island's grass dust started";
}

}  // namespace
