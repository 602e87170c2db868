#include "ExitStatus.h"

namespace angoka::cli {

int ExitStatusFor(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return kExitOk;
        case Outcome::WrongPassword:
        case Outcome::ErrorPayload:
            return kExitWrongPassword;
        case Outcome::TooShort:
        case Outcome::NotQivg:
        case Outcome::Truncated:
        case Outcome::OddLength:
        case Outcome::BadHex:
        case Outcome::BmpTooShort:
            return kExitDamaged;
        // Refused before anything is read: what the user typed cannot be used.
        case Outcome::EmptyPassword:
        case Outcome::UnstorablePassword:
        case Outcome::PasswordTooLong:
        case Outcome::TooFewRounds:
            return kExitUsage;
        case Outcome::Cancelled:
            return kExitInterrupted;
        // A file's own name that cannot be stored, a missing input, the output, I/O.
        case Outcome::UnstorableName:
        case Outcome::SourceMissing:
        case Outcome::NoStem:
        case Outcome::CharsetUnavailable:
        case Outcome::DestinationIsFolder:
        case Outcome::DestinationExists:
        case Outcome::DestinationNotFile:
        case Outcome::IoError:
        case Outcome::InternalError:
            return kExitFailure;
    }
    return kExitFailure;
}

}  // namespace angoka::cli
