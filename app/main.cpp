#include <cstdio>
#include <memory>
#include <string>

#include "app/GameStartup.h"
#include "app/QuitSignals.h"
#include "app/RunCommand.h"
#include "platform/audio/OutputCapture.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/Registration.h"

int main(int argc, char** argv) {
    QV::Command cmd = QV::ParseCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (!cmd.ok) {
        std::fprintf(stderr, "%s\n", cmd.error.c_str());
        return 2;
    }
    QV::SupplyWholeGame(SD::StartupRegistrations());
    // The real devices are reached only when asked for; headless needs no display or sound card.
    std::unique_ptr<platform::sdl::SdlSession> session;
    if (cmd.window) {
        std::string error;
        session = platform::sdl::SdlSession::Open(&error);
        if (!session) {
            std::fprintf(stderr, "quorvanta: cannot play in a window: %s\n", error.c_str());
            return 1;
        }
    }
    QV::InstallQuitSignals();
    if (!cmd.wavPath.empty()) platform::audio::control::StartCapture();
    SD::RunSummary summary = SD::RunProgram(cmd.options);
    if (!cmd.wavPath.empty()) {
        namespace control = platform::audio::control;
        if (!control::SaveWav(cmd.wavPath, control::CapturedFormat(), control::Captured()))
            std::fprintf(stderr, "quorvanta: could not save %s\n", cmd.wavPath.c_str());
        control::StopCapture();
    }
    std::printf("%s\n", QV::SummaryLine(summary).c_str());
    return summary.clean ? 0 : 1;
}
