#include "Reporter.h"

#include "CliMessages.h"
#include "ExitStatus.h"
#include "Messages.h"
#include "Utf.h"

namespace angoka::cli {

std::string MessageFor(const Result& result) {
    std::string message = ToUtf8(OutcomeText(result.outcome));
    if (result.outcome == Outcome::IoError && result.error) {
        message += "。" + ToUtf8(kReasonLabel) + ToUtf8(ReasonText(result.error));
    }
    if (result.outcome == Outcome::DestinationExists) message += std::string(" ") + std::string(kForceHint);
    return message;
}

void Reporter::Failure(const std::filesystem::path& file, int status, std::string_view message) {
    ++handled_;
    if (status_ == kExitOk || status == kExitInterrupted) status_ = status;
    Line(Printable(file.native()) + ": " + std::string(message));
}

void Reporter::Note(const std::filesystem::path& file, std::string_view message) {
    if (!quiet_) Line(Printable(file.native()) + ": " + std::string(message));
}

void Reporter::RunMessage(std::string_view message) {
    Line(message);
}

void Reporter::Summary() {
    if (!quiet_ && handled_ > 1) Line(SummaryText(handled_, succeeded_));
}

bool Reporter::Interrupted() const {
    return status_ == kExitInterrupted;
}

void Reporter::Line(std::string_view text) {
    WriteText(console_.err, std::string(kProgramName) + ": " + std::string(text) + "\n");
}

}  // namespace angoka::cli
