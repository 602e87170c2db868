#include "Console.h"

#include <unistd.h>

#include <cerrno>

#include "Errors.h"
#include "QivgCodec.h"
#include "SystemIo.h"

namespace angoka::cli {

Console ProcessConsole(Terminal* terminal) {
    Console console;
    console.inIsTerminal = ::isatty(console.in) == 1;
    console.outIsTerminal = ::isatty(console.out) == 1;
    console.errIsTerminal = ::isatty(console.err) == 1;
    console.terminal = terminal;
    return console;
}

std::error_code WriteText(int fd, std::string_view text) {
    if (WriteAll(fd, text.data(), text.size())) return {};
    return SystemError(errno);
}

std::string Printable(std::string_view name) {
    std::string shown;
    shown.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        // U+0080..U+009F are 0xC2 followed by 0x80..0x9F in UTF-8.
        const bool c1 = byte == 0xC2 && i + 1 < name.size() &&
                        IsControlCharacter(static_cast<unsigned char>(name[i + 1]));
        if (c1) ++i;
        shown += c1 || (byte < 0x80 && IsControlCharacter(byte)) ? '?' : name[i];
    }
    return shown;
}

}  // namespace angoka::cli
