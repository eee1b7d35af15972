// The game's one start-up sequence: whatever else supplies a sound system, the one made at
// start-up carries the game's sound logic, and the particle effects' sounds reach it.
#include <gtest/gtest.h>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "game/systems/GameSoundLogic.h"
#include "graphics/photon/ParticleSounds.h"
#include "runtime/Registration.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundSystemRegistration.h"
#include "tests/sound/system/SoundSystemProbes.h"

namespace {

TEST(GameStartup, TheSoundSystemCarriesTheGamesSoundLogicAndALaterSupplyIsRefused) {
    Aperture::Photon::SetParticleSounds(nullptr);
    Aperture::Photon::ParticleSounds* silent = &Aperture::Photon::GetParticleSounds();
    SD::Registrations registrations;
    QV::SupplyWholeGame(registrations);
    EXPECT_TRUE(registrations.RefusedSupplies().empty());
    EXPECT_NE(&Aperture::Photon::GetParticleSounds(), silent) << "the particle effects' sounds are installed";

    // A layer supplying its own sound system after the sequence does not replace it.
    EXPECT_FALSE(
        registrations.SupplySystem("GhostEngine_", [] { return static_cast<SD::ISystem*>(nullptr); }, true, {}));
    ASSERT_EQ(registrations.RefusedSupplies().size(), 1u);
    SD::SupplySoundSystem(registrations);
    EXPECT_EQ(registrations.RefusedSupplies().size(), 1u) << "the same sound system again is no conflict";

    SD::Core core;
    SD::ISystem* made = registrations.AddSuppliedSystem(core, "GhostEngine_");
    ASSERT_EQ(made, SD::GhostEngine_::Existing());
    EXPECT_NE(dynamic_cast<QV::GameSoundLogic*>(qvtest::GhostProbe::GameSubsystem(*SD::GhostEngine_::Existing())),
              nullptr);
    Aperture::Photon::SetParticleSounds(nullptr);
}

}  // namespace
