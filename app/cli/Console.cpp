#include "Console.h"

#include <unistd.h>

#include <cerrno>

namespace angoka::cli {

Console ProcessConsole(Terminal* terminal) {
    Console console;
    console.inIsTerminal = ::isatty(console.in) == 1;
    console.outIsTerminal = ::isatty(console.out) == 1;
    console.errIsTerminal = ::isatty(console.err) == 1;
    console.terminal = terminal;
    return console;
}

void WriteText(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace angoka::cli
