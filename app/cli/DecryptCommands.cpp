// decrypt and test: open the file under the user's settings (or the finder's), then write
// its content to a file or standard output, or only check it.
#include <optional>

#include "BmpCodec.h"
#include "CliMessages.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "FormatRules.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "RunError.h"
#include "Utf.h"

namespace angoka::cli {
namespace {

// A password mismatch, told apart from a file that is no .qivg file at all by what the finder
// saw in it. Settings it found are named, unless they were the ones tried (`searched`); a
// wrapped bitmap is pointed to extract.
void FinishMismatch(Context& context, const FileJob& job, const FoundSettings& found, bool searched) {
    std::string hint;
    if (!searched && found.result.ok() && !found.settings.empty())
        hint = SettingsHintText(found.settings.front());
    if (BeginsWithBmpHeader(job.input)) hint += kWrappedBmpHint;
    context.Finish(job, {MismatchOutcome(found), job.input, {}}, hint);
}

// Opens the file under -k/-n, or under the first settings the finder gives with
// --find-settings. Nothing when the file was reported as failed.
std::optional<OpenedQivg> OpenJudged(Context& context, const FileJob& job) {
    const Options& options = context.options;
    QivgSettings settings{options.inKey, options.rounds};
    std::optional<FoundSettings> found;
    if (options.findSettings) {
        found = FindSettings(job.input, context.password);
        if (!found->result.ok()) {
            context.Finish(job, found->result);
            return std::nullopt;
        }
        if (found->settings.empty()) {
            FinishMismatch(context, job, *found, true);
            return std::nullopt;
        }
        settings = found->settings.front();
        context.reporter.Note(job.input, SettingsUsedText(settings));
    }
    Progress stop;
    stop.cancel = &context.cancel;
    OpenedQivg opened = OpenQivg({job.input, context.password, settings.inKey, settings.rounds}, stop);
    if (opened.result.ok()) return opened;
    if (opened.result.outcome != Outcome::WrongPassword) {
        context.Finish(job, opened.result);
        return std::nullopt;
    }
    if (!found) found = FindSettings(job.input, context.password);
    FinishMismatch(context, job, *found, options.findSettings);
    return std::nullopt;
}

Output OutputOf(const Context& context, const FileJob& job, const OpenedQivg& opened) {
    if (context.options.output) return {*context.options.output};
    if (opened.safeName && !context.options.noStoredName)
        return {job.outputFolder / PathFromText(*opened.safeName), true};
    return {job.outputFolder / PlainNameOf(job.input.filename().native())};
}

// Why the engine found a stored name unsafe, so that the user learns which rule it broke.
std::string_view WhyNotSafe(const std::u16string& name) {
    switch (FileNameProblem(name)) {
        case NameProblem::Separator:
            return kNameHasSeparator;
        case NameProblem::Control:
            return kNameHasControl;
        case NameProblem::TooLong:
            return kNameTooLong;
        case NameProblem::LeadingDot:
            return kNameLeadingDot;
        case NameProblem::LeadingDash:
            return kNameLeadingDash;
        case NameProblem::SpaceAtEnd:
            return kNameSpaceAtEnd;
        case NameProblem::TrailingDot:
            return kNameTrailingDot;
        case NameProblem::Empty:  // no name at all: never noted
        case NameProblem::None:
            break;
    }
    return kNameUnreadable;  // every rule holds, but some byte was no character
}

// A stored name that would have named the output and did not: the user is told why, so that a
// file called "f" instead of ".bashrc" is no surprise. An empty name is no name at all.
void NoteUnusedName(Context& context, const FileJob& job, const OpenedQivg& opened, const Output& output) {
    const Options& options = context.options;
    if (options.output || options.noStoredName || opened.safeName) return;
    if (!opened.storedName || opened.storedName->empty()) return;
    context.reporter.Note(
        job.input, UnusedNameText(Printable(ToUtf8(*opened.storedName)), WhyNotSafe(*opened.storedName),
                                  Printable(output.path.native())));
}

// Bytes that went out stay out: damage found later ends the run with its message.
void StreamOut(Context& context, const FileJob& job, const OpenedQivg& opened) {
    if (const std::string refusal = context.Guard().Refusal(job.input, context.console.out); !refusal.empty())
        return context.Fail(job.input, kExitFailure, refusal);
    context.Finish(job, StreamQivg(opened, context.console.out, context.ProgressFor(job), nullptr,
                                   std::string(kStandardOutput)));
}

}  // namespace

void DecryptOne(Context& context, const FileJob& job) {
    const std::optional<OpenedQivg> opened = OpenJudged(context, job);
    if (!opened) return;
    if (context.options.ToStandardOutput()) return StreamOut(context, job, *opened);
    const Output output = OutputOf(context, job, *opened);
    NoteUnusedName(context, job, *opened, output);
    if (!context.PrepareOutput(job, output)) return;
    context.FinishWrite(job, output,
                        WriteQivg(*opened, output.path, context.ProgressFor(job), context.Writing(output)));
}

void TestOne(Context& context, const FileJob& job) {
    const std::optional<OpenedQivg> opened = OpenJudged(context, job);
    if (!opened) return;
    std::uint64_t bytes = 0;
    const Result checked = StreamQivg(*opened, -1, context.ProgressFor(job), &bytes);
    context.Finish(job, checked);
    if (checked.ok() && !context.options.quiet) {
        const std::string line = TestedLine(Printable(job.input.native()),
                                            Printable(ToUtf8(opened->storedName.value_or(u""))), bytes);
        // A report that does not reach its reader is a failed run, whatever the files hold.
        if (const std::error_code error = WriteText(context.console.out, line))
            throw RunError{kExitFailure, StandardOutputFailedText(error)};
    }
}

}  // namespace angoka::cli
