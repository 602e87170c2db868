#pragma once
// Failures that the engine reports to its caller as values of their own type, never as
// crashes: a file that cannot be read or written, text the narrow character set cannot carry
// for want of a converter, and hex text that is not hex. A file failure
// carries a std::error_code: the system's errno (generic category) or one of the engine's own
// codes below, so that callers choose their message from the code, never from its text.
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace angoka {

// Failures that have no errno of their own.
enum class Errc {
    SourceChanged = 1,  // the source shrank, grew or was replaced while it was being read
    NotRegularFile,     // a device, FIFO, socket or refused link where a file was expected
};
const std::error_category& EngineCategory();
inline std::error_code make_error_code(Errc e) {
    return {static_cast<int>(e), EngineCategory()};
}

// errno as an error code.
inline std::error_code SystemError(int error) {
    return {error, std::generic_category()};
}

// A file operation that failed: which file, what was being done, and why.
class FileError : public std::runtime_error {
public:
    FileError(std::filesystem::path path, std::string action, std::error_code code)
        : std::runtime_error(action + " " + path.string() + ": " + code.message()),
          path_(std::move(path)),
          action_(std::move(action)),
          code_(code) {}
    const std::filesystem::path& path() const { return path_; }
    const std::string& action() const { return action_; }
    const std::error_code& code() const { return code_; }
    std::string reason() const { return code_.message(); }

private:
    std::filesystem::path path_;
    std::string action_;
    std::error_code code_;
};

// The system cannot convert to or from the narrow character set (iconv lacks CP932).
class CharsetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A pair of characters in hex text that is not two hex digits.
class BadHexError : public std::runtime_error {
public:
    explicit BadHexError(std::size_t pairIndex)
        : std::runtime_error("not a hex pair at byte " + std::to_string(pairIndex)), pairIndex_(pairIndex) {}
    std::size_t pairIndex() const { return pairIndex_; }

private:
    std::size_t pairIndex_;
};

}  // namespace angoka

template <>
struct std::is_error_code_enum<angoka::Errc> : std::true_type {};
