#pragma once
// What qivg sees of the world besides its files: the three standard streams as descriptors,
// whether each is a terminal, and the user's terminal for password prompts. The program fills
// it from the process (ProcessConsole); tests fill it with files and a scripted terminal.
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace angoka::cli {

// The user's terminal (the controlling terminal, never standard input), for password prompts.
class Terminal {
public:
    virtual ~Terminal() = default;
    // Whether there is a terminal to ask.
    virtual bool Available() = 0;
    // Shows `prompt`, reads one line without echoing it and puts the terminal back as it was.
    // Nothing when the read was interrupted (Ctrl-C) or failed.
    virtual std::optional<std::string> ReadSecret(std::string_view prompt) = 0;
};

struct Console {
    int in = 0;
    int out = 1;
    int err = 2;
    bool inIsTerminal = false;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
    Terminal* terminal = nullptr;  // none: there is no terminal to ask
};

// The process's own standard streams, with `terminal` for prompts.
Console ProcessConsole(Terminal* terminal);

// Writes all of `text` to `fd`; a stream that cannot take it (a full disk, a closed pipe) is
// given up on, and the error says why. Only standard output's errors are worth a message:
// there a lost line is a wrong result, while standard error has no one left to tell.
std::error_code WriteText(int fd, std::string_view text);

// A name (UTF-8, or any bytes) as qivg shows it: its control characters (C0, DEL, and C1 in
// UTF-8) become '?', so that a file's name or the name stored in it cannot move the cursor,
// recolour or retitle the user's terminal. Every other byte is left as it is.
std::string Printable(std::string_view name);

}  // namespace angoka::cli
