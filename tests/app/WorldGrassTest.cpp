// Grass in the real game: the sample world's islands carry grass from the moment they join the
// scene, the grass pass draws it once the vehicle's camera looks at an island, and the island's
// grass dust starts with it. The dust is seen around the vehicle while it flies low over an
// island and fades from sight when it climbs high above.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/GrassDust.h"
#include "support/PlaceObject.h"
#include "tests/graphics/GrassFieldProbe.h"

namespace {

TEST(WorldGrass, TheIslandsCarryGrassThatIsDrawnAndStartsTheirDust) {
    size_t islands = 0, withGrass = 0;
    unsigned long mostGrassDrawn = 0;
    bool dustStarted = false;
    int worldFrames = 0;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
        mostGrassDrawn = std::max<unsigned long>(mostGrassDrawn, GrassFieldProbe::Drawn(graphics->GetGrassField()));
        if (frame < 300) return true;
        for (const SD::GameObjectHandle& handle :
             SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects()) {
            SD::GameObject* island = handle.get();
            if (!island || island->GetBlueprintName() != "World/GrassIsland") continue;
            ++islands;
            auto* geometry = static_cast<Aperture::Geometry*>(island->GetComponent(SD::CID_Geometry));
            const Aperture::GrassTree* grass = geometry ? graphics->GetGrassField().FindTree(geometry) : nullptr;
            if (grass && grass->GetRoot()) ++withGrass;
            auto* dust = static_cast<Aperture::Photon::GrassDust*>(island->GetComponent(SD::kGrassDustID));
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

std::vector<Aperture::Photon::GrassDust*> StartedDust() {
    std::vector<Aperture::Photon::GrassDust*> started;
    for (const SD::GameObjectHandle& handle : SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects()) {
        SD::GameObject* island = handle.get();
        auto* dust =
            island ? static_cast<Aperture::Photon::GrassDust*>(island->GetComponent(SD::kGrassDustID)) : nullptr;
        if (dust && dust->IsEnabled()) started.push_back(dust);
    }
    return started;
}

// Dust particles bright enough to see within `radius` of the point. A particle respawned this
// frame has not yet been faded for its distance (that happens as it first moves).
int SeenDustNear(const SD::Vec3& at, float radius) {
    int seen = 0;
    for (Aperture::Photon::GrassDust* dust : StartedDust())
        for (uint32_t i = 0; i < dust->GetParticleCount(); ++i) {
            const Aperture::Photon::Particle& p = dust->GetParticle(i);
            if (p.age < p.lifetime && p.color.w > 1.0f && (p.position - at).Length() < radius) ++seen;
        }
    return seen;
}

TEST(WorldGrass, DustRisesAroundTheVehicleLowOverAnIslandAndNotHighAbove) {
    SD::Vec3 low, high;
    bool placed = false;
    int seenLow = -1, seenHigh = -1, worldFrames = 0;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        if (!player) return false;
        if (!placed) {
            const std::vector<Aperture::Photon::GrassDust*> started = StartedDust();
            if (started.empty()) return frame < 600;
            low = started.front()->GetSpawnPosition(0) + SD::Vec3(0.0f, 80.0f, 0.0f);
            high = low + SD::Vec3(0.0f, 8000.0f, 0.0f);
            placed = true;
        }
        qvtest::PlaceAt(player, seenLow < 0 ? low : high);
        if (seenLow < 0 && frame >= 700) seenLow = SeenDustNear(low, 1000.0f);
        if (frame >= 1000) {
            seenHigh = SeenDustNear(high, 1e9f);
            return false;
        }
        return true;
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(placed) << "no island's dust started";
    EXPECT_GE(seenLow, 20) << "dust is seen around the vehicle low over the island";
    EXPECT_EQ(seenHigh, 0) << "high above, the dust fades from sight";
    EXPECT_GE(worldFrames, 1000);
}

}  // namespace
