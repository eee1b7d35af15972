#include "app/QuitSignals.h"

#include <signal.h>

#include <atomic>

#include "platform/window/CloseRequest.h"

namespace QV {
namespace {

std::atomic<int> g_signalsSeen{0};
static_assert(std::atomic<int>::is_always_lock_free, "counted in a signal handler");

extern "C" void OnQuitSignal(int signal) {
    if (g_signalsSeen.fetch_add(1) == 0) {
        platform::RequestWindowClose();
        return;
    }
    // The second: the default action of the signal, which ends the program.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

}  // namespace

void InstallQuitSignals() {
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace QV
