#pragma once
// What a run tells the user on standard error ("qivg: <file>: <message>"), and the exit
// status it ends with: that of its first failure, or 130 once interrupted.
#include <filesystem>
#include <string>
#include <string_view>

#include "CodecTypes.h"
#include "Console.h"

namespace angoka::cli {

// The message for a failed file operation: the shared headline, and the reason for I/O.
std::string MessageFor(const Result& result);

class Reporter {
public:
    Reporter(const Console& console, bool quiet) : console_(console), quiet_(quiet) {}

    void Success() {
        ++succeeded_;
        ++handled_;
    }
    // A file that failed: "qivg: <file>: <message>", and the status it sets.
    void Failure(const std::filesystem::path& file, int status, std::string_view message);
    // Something worth knowing that is no failure; -q leaves it out.
    void Note(const std::filesystem::path& file, std::string_view message);
    // "qivg: <message>" for the run as a whole.
    void RunMessage(std::string_view message);
    // The last line of a run over more than one file; -q leaves it out.
    void Summary();

    int Status() const { return status_; }
    bool Interrupted() const;

private:
    void Line(std::string_view text);

    const Console& console_;
    bool quiet_;
    int status_ = 0;
    int handled_ = 0;
    int succeeded_ = 0;
};

}  // namespace angoka::cli
