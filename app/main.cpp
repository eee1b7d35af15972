#include <cstdio>

#include "app/QuitSignals.h"
#include "app/RunCommand.h"
#include "game/GameRegistration.h"
#include "graphics/GraphicsStartup.h"
#include "physics/PhysicsRegistration.h"
#include "runtime/Registration.h"

int main(int argc, char** argv) {
    qv::Command cmd = qv::ParseCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (!cmd.ok) {
        std::fprintf(stderr, "%s\n", cmd.error.c_str());
        return 2;
    }
    Gedankenexperiment::SupplyPhysicsClasses(SD::StartupRegistrations());
    Aperture::InstallGraphics(SD::StartupRegistrations());
    QV::SupplyGameClasses(SD::StartupRegistrations());
    qv::InstallQuitSignals();
    SD::RunSummary summary = SD::RunProgram(cmd.options);
    std::printf("%s\n", qv::SummaryLine(summary).c_str());
    return summary.clean ? 0 : 1;
}
