#pragma once
// What one run must never write over: its own inputs, and the outputs it has already written.
// Without it a run over several files could replace a file before reading it (a stored name
// equal to another input) or replace its own output of a moment ago (two files storing one
// name), and count both as successes. Files are known by path and by device and inode, links
// followed, so a link or a second spelling of a path is caught too.
#include <filesystem>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "FileList.h"

namespace angoka::cli {

class OutputGuard {
public:
    // Learns every input of the run before anything is written.
    explicit OutputGuard(const std::vector<FileJob>& jobs);

    // Why `output` may not be written for `input`, as the user reads it (UTF-8); empty when it
    // may. Holds with -f too: consent to replace a file is no consent to lose it unread.
    std::string Refusal(const std::filesystem::path& input, const std::filesystem::path& output) const;
    // The same for an open descriptor (standard output redirected into the input).
    std::string Refusal(const std::filesystem::path& input, int output) const;
    // `output` has been written: no later file of the run may write it again.
    void Written(const std::filesystem::path& output);

private:
    bool IsWritten(const std::filesystem::path& output, const std::optional<FileIdentity>& identity) const;
    bool IsInput(const std::optional<FileIdentity>& identity) const;

    std::vector<FileIdentity> inputs_;
    std::vector<std::filesystem::path> writtenPaths_;  // absolute and lexically normal
    std::vector<FileIdentity> written_;
};

}  // namespace angoka::cli
