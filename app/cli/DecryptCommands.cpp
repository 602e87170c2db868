// decrypt and test: open the file under the user's settings (or the finder's), then write
// its content to a file or standard output, or only check it.
#include <optional>

#include "CliMessages.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "OutputNames.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "Utf.h"

namespace angoka::cli {
namespace {

// Opens the file under -k/-n, or under the first settings the finder gives with
// --find-settings. A wrong password's message names settings that would match. Nothing
// when the file was reported as failed.
std::optional<OpenedQivg> OpenJudged(Context& context, const FileJob& job) {
    const Options& options = context.options;
    QivgSettings settings{options.inKey, options.rounds};
    if (options.findSettings) {
        const FoundSettings found = FindSettings(job.input, context.password);
        if (!found.result.ok() || found.settings.empty()) {
            context.Finish(job,
                           found.result.ok() ? Result{Outcome::WrongPassword, job.input, {}} : found.result);
            return std::nullopt;
        }
        settings = found.settings.front();
        context.reporter.Note(job.input, SettingsUsedText(settings));
    }
    Progress stop;
    stop.cancel = &context.cancel;
    OpenedQivg opened = OpenQivg({job.input, context.password, settings.inKey, settings.rounds}, stop);
    if (opened.result.ok()) return opened;

    std::string hint;
    if (opened.result.outcome == Outcome::WrongPassword && !options.findSettings) {
        const FoundSettings found = FindSettings(job.input, context.password);
        if (found.result.ok() && !found.settings.empty()) hint = SettingsHintText(found.settings.front());
    }
    context.Finish(job, opened.result, hint);
    return std::nullopt;
}

std::filesystem::path OutputOf(const Context& context, const FileJob& job, const OpenedQivg& opened) {
    if (context.options.output) return *context.options.output;
    if (opened.safeName && !context.options.noStoredName)
        return job.outputFolder / PathFromText(*opened.safeName);
    return job.outputFolder / PlainNameOf(job.input.filename().native());
}

// Bytes that went out stay out: damage found later ends the run with its message.
void StreamOut(Context& context, const FileJob& job, const OpenedQivg& opened) {
    if (const std::string refusal = context.Guard().Refusal(job.input, context.console.out); !refusal.empty())
        return context.Fail(job.input, kExitFailure, refusal);
    context.Finish(job, StreamQivg(opened, context.console.out, context.ProgressFor(job)));
}

}  // namespace

void DecryptOne(Context& context, const FileJob& job) {
    const std::optional<OpenedQivg> opened = OpenJudged(context, job);
    if (!opened) return;
    if (context.options.ToStandardOutput()) return StreamOut(context, job, *opened);
    const std::filesystem::path output = OutputOf(context, job, *opened);
    if (!context.PrepareOutput(job, output)) return;
    context.FinishWrite(job, output, WriteQivg(*opened, output, context.ProgressFor(job), context.Writing()));
}

void TestOne(Context& context, const FileJob& job) {
    const std::optional<OpenedQivg> opened = OpenJudged(context, job);
    if (!opened) return;
    std::uint64_t bytes = 0;
    const Result checked = StreamQivg(*opened, -1, context.ProgressFor(job), &bytes);
    context.Finish(job, checked);
    if (checked.ok() && !context.options.quiet) {
        WriteText(context.console.out, TestedLine(Shown(job.input.native()),
                                                  Shown(ToUtf8(opened->storedName.value_or(u""))), bytes));
    }
}

}  // namespace angoka::cli
