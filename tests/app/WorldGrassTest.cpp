// Grass in the real game: the sample world's islands carry grass from the moment they join the
// scene, the grass pass draws it once the vehicle's camera looks at an island, and the island's
// grass dust starts with it.
#include <gtest/gtest.h>

#include <algorithm>

#include "WorldRun.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/GrassDust.h"

namespace {

TEST(WorldGrass, TheIslandsCarryGrassThatIsDrawnAndStartsTheirDust) {
    size_t islands = 0, withGrass = 0;
    unsigned long mostGrassDrawn = 0;
    bool dustStarted = false;
    int worldFrames = 0;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
        mostGrassDrawn = std::max<unsigned long>(mostGrassDrawn, graphics->GetGrassDrawn());
        if (frame < 300) return true;
        for (const SD::GameObjectHandle& handle : SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects()) {
            SD::GameObject* island = handle.get();
            if (!island || island->GetBlueprintName() != "World/GrassIsland") continue;
            ++islands;
            auto* geometry = static_cast<Aperture::Geometry*>(island->GetComponent(SD::CID_Geometry));
            const Aperture::GrassTree* grass = geometry ? graphics->FindGrassTree(geometry) : nullptr;
            if (grass && grass->GetRoot()) ++withGrass;
            auto* dust = static_cast<Aperture::Photon::GrassDust*>(island->GetComponent(static_cast<SD::ComponentID>(110)));
            if (dust && dust->IsEnabled()) dustStarted = true;
        }
        return false;
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 300);
    EXPECT_GE(islands, 2u) << "the world has its grass islands";
    EXPECT_EQ(withGrass, islands) << "each island has its grass tree";
    EXPECT_GT(mostGrassDrawn, 100u) << "the grass pass drew blades";
    EXPECT_TRUE(dustStarted) << "a drawn island's grass dust started";
}

}  // namespace
