#pragma once
// A reason to end the whole run before or between files: a usage error, a password that
// cannot be read, an interrupt. RunQivg shows "qivg: <message>" and ends with `status`.
#include <stdexcept>
#include <string>

namespace angoka::cli {

class RunError : public std::runtime_error {
public:
    RunError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
    const int status;
};

}  // namespace angoka::cli
