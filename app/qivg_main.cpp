// qivg: the command-line tool. Signals only set the stop request; the run ends itself.
#include <csignal>

#include "Qivg.h"
#include "TtyTerminal.h"

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void RequestStop(int) {
    stopRequested.store(true);
}

}  // namespace

int main(int argc, char* argv[]) {
    // A file-size limit ends a write with EFBIG and a message, not a killed process.
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    angoka::cli::TtyTerminal terminal(stopRequested);
    const angoka::cli::Console console = angoka::cli::ProcessConsole(&terminal);
    return angoka::cli::RunQivg({argv + 1, argv + argc}, console, stopRequested);
}
