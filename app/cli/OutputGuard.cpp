#include "OutputGuard.h"

#include <sys/stat.h>

#include <algorithm>

#include "CliMessages.h"
#include "Console.h"

namespace angoka::cli {
namespace fs = std::filesystem;
namespace {

fs::path Normal(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal();
}

template <typename Range, typename Value>
bool Holds(const Range& range, const Value& value) {
    return std::find(range.begin(), range.end(), value) != range.end();
}

}  // namespace

OutputGuard::OutputGuard(const std::vector<FileJob>& jobs) {
    for (const FileJob& job : jobs) {
        if (const auto identity = IdentityOf(job.input)) inputs_.push_back(*identity);
    }
}

std::string OutputGuard::Refusal(const fs::path& input, const fs::path& output) const {
    const std::optional<FileIdentity> identity = IdentityOf(output);
    if (identity && identity == IdentityOf(input)) return ToUtf8(kOutputIsSource);
    if (IsWritten(output, identity)) return WrittenThisRunText(Printable(output.native()));
    if (IsInput(identity)) return InputOfThisRunText(Printable(output.native()));
    return {};
}

std::string OutputGuard::Refusal(const fs::path& input, int output) const {
    struct stat info {};
    if (::fstat(output, &info) != 0 || !S_ISREG(info.st_mode)) return {};
    const std::optional<FileIdentity> identity = FileIdentity{info.st_dev, info.st_ino};
    return identity == IdentityOf(input) ? ToUtf8(kOutputIsSource) : std::string();
}

void OutputGuard::Written(const fs::path& output) {
    writtenPaths_.push_back(Normal(output));
    if (const auto identity = IdentityOf(output)) written_.push_back(*identity);
}

bool OutputGuard::IsWritten(const fs::path& output, const std::optional<FileIdentity>& identity) const {
    return Holds(writtenPaths_, Normal(output)) || (identity && Holds(written_, *identity));
}

bool OutputGuard::IsInput(const std::optional<FileIdentity>& identity) const {
    return identity && Holds(inputs_, *identity);
}

}  // namespace angoka::cli
