#include "Password.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "CliMessages.h"
#include "Errors.h"
#include "ExitStatus.h"
#include "Messages.h"
#include "QivgCodec.h"
#include "RunError.h"
#include "Utf.h"

namespace angoka::cli {
namespace {

RunError FileFailure(const std::string& name, int error) {
    return {kExitFailure, Printable(name) + ": " + ToUtf8(OutcomeText(Outcome::IoError)) + "。" +
                              ToUtf8(kReasonLabel) + ToUtf8(ReasonText(SystemError(error)))};
}

// A first line longer than this cannot hold a usable password: every UTF-16 unit takes at most
// three bytes of UTF-8, and a byte order mark three more. Reading stops there, so that a huge
// file, or a device that never ends, is refused at once as too long.
constexpr std::size_t kLongestUsefulLine = 3 * kPasswordLimit + 3;

// How often a wait for password bytes looks at the stop request (as the terminal prompt does):
// a signal that comes just before the wait begins interrupts nothing, so the flag is what counts.
constexpr int kStopCheckMs = 50;

// Waits until `fd` has bytes, an end or an error to give; throws the interrupt when the run
// is asked to stop first (a FIFO whose writer never writes).
void WaitForBytes(int fd, const std::atomic<bool>& cancel) {
    for (;;) {
        if (cancel.load()) throw RunError{kExitInterrupted, ToUtf8(kCancelled)};
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, kStopCheckMs) > 0) return;
    }
}

// Reads from `fd` until the first line end, the end, or more than kLongestUsefulLine bytes;
// the rest is never needed. Each piece is searched once, so the time grows with the line.
std::string ReadFirstLine(int fd, const std::string& name, const std::atomic<bool>& cancel) {
    std::string bytes;
    char buffer[4096];
    while (bytes.size() <= kLongestUsefulLine) {
        WaitForBytes(fd, cancel);
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) throw FileFailure(name, errno);
        if (got == 0) break;
        const std::string_view piece(buffer, static_cast<std::size_t>(got));
        bytes += piece;
        if (piece.find_first_of("\r\n") != std::string_view::npos) break;
    }
    return FirstLine(bytes);
}

// A UTF-8 byte order mark, which some editors put first, is no part of a password: the
// narrow character set has no form for it, so no file could hold such a password.
std::string WithoutByteOrderMark(std::string line) {
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    return line;
}

std::string FromPasswordFile(const std::string& path, const Console& console,
                             const std::atomic<bool>& cancel) {
    if (path == "-") return WithoutByteOrderMark(ReadFirstLine(console.in, path, cancel));
    // Without blocking: opening a FIFO would otherwise wait, deaf to Ctrl-C, for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw FileFailure(path, errno);
    try {
        std::string line = ReadFirstLine(fd, path, cancel);
        ::close(fd);
        return WithoutByteOrderMark(std::move(line));
    } catch (...) {
        ::close(fd);
        throw;
    }
}

std::string Ask(Terminal& terminal, std::string_view prompt, const std::atomic<bool>& cancel) {
    std::optional<std::string> answer;
    if (!cancel.load()) answer = terminal.ReadSecret(prompt);
    if (cancel.load()) throw RunError{kExitInterrupted, ToUtf8(kCancelled)};
    if (!answer) throw RunError{kExitUsage, std::string(kNoPasswordSource)};
    return *answer;
}

std::string FromTerminal(const Options& options, const Console& console, const std::atomic<bool>& cancel) {
    if (!console.terminal || !console.terminal->Available())
        throw RunError{kExitUsage, std::string(kNoPasswordSource)};
    std::string password = Ask(*console.terminal, kPasswordPrompt, cancel);
    if (options.command == Command::Encrypt && Ask(*console.terminal, kConfirmPrompt, cancel) != password) {
        throw RunError{kExitUsage, std::string(kConfirmMismatch)};
    }
    return password;
}

}  // namespace

std::string FirstLine(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find_first_of("\r\n")));
}

std::u16string ReadPassword(const Options& options, const Console& console, const std::atomic<bool>& cancel) {
    // "-" on a terminal means the user types it: then it is asked without echo.
    const bool fromFile = options.passwordFile && !(*options.passwordFile == "-" && console.inIsTerminal);
    const std::u16string password =
        FromUtf8(fromFile ? FromPasswordFile(*options.passwordFile, console, cancel)
                          : FromTerminal(options, console, cancel));
    // Only encryption needs a password the file can hold; an unusable one simply never
    // matches when decrypting. No file holds a longer one than encryption takes.
    const Outcome check = options.command == Command::Encrypt ? CheckPassword(password)
                          : password.empty()                  ? Outcome::EmptyPassword
                          : password.size() > kPasswordLimit  ? Outcome::PasswordTooLong
                                                              : Outcome::Ok;
    if (check != Outcome::Ok) throw RunError{ExitStatusFor(check), ToUtf8(OutcomeText(check))};
    return password;
}

}  // namespace angoka::cli
