#pragma once
// Failures that the engine reports to its caller as values of their own type, never as
// crashes: a file that cannot be read or written, and hex text that is not hex.
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace angoka {

// A file operation that failed: which file, what was being done, and the system's reason.
class FileError : public std::runtime_error {
public:
    FileError(std::filesystem::path path, std::string action, std::string reason)
        : std::runtime_error(action + " " + path.string() + ": " + reason),
          path_(std::move(path)), action_(std::move(action)), reason_(std::move(reason)) {}
    const std::filesystem::path& path() const { return path_; }
    const std::string& action() const { return action_; }
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path path_;
    std::string action_;
    std::string reason_;
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
