#pragma once
// A reason to end the whole run before or between files: a usage error, a password that
// cannot be read, an interrupt. RunQivg shows "qivg: <message>" and ends with `status`.
#include <string>

namespace angoka::cli {

struct RunError {
    int status;
    std::string message;
};

}  // namespace angoka::cli
