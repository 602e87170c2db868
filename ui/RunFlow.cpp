// The order of a run's steps: what is checked before what is asked, and what is asked before
// anything is written.
#include "RunFlow.h"

#include <deque>
#include <filesystem>
#include <system_error>

#include "BmpCodec.h"
#include "Envelope.h"
#include "FileIdentity.h"
#include "FormatRules.h"
#include "Messages.h"
#include "Paths.h"
#include "RunMessages.h"
#include "SourceFile.h"
#include "WindowMessages.h"

namespace angoka {
namespace fs = std::filesystem;

namespace {

// How an output path came about: typed or chosen by the user, or made from the name stored
// inside the file, which may only name a file or nothing, never a link.
enum class OutputKind { Chosen, FromStoredName };

using WriteJob = std::function<Result(const Progress&, const WriteOptions&)>;

}  // namespace

// The queue of steps the front end takes, and what comes once it answers the one it waits on.
// Every method that ends a path of the run leaves the queue without a continuation: Next()
// then gives Done.
class RunFlow::Steps {
public:
    Steps(RunRequest request, RunTime& random) : request_(std::move(request)), random_(random) {
        if (request_.kind == RunRequest::Kind::Encrypt || request_.kind == RunRequest::Kind::Decrypt) {
            StartPane();
        } else {
            StartBmpPane();
        }
    }

    RunStep Next() {
        if (queue_.empty()) return {.kind = RunStep::Kind::Done, .written = written_};
        RunStep step = std::move(queue_.front());
        queue_.pop_front();
        return step;
    }
    void Answer(bool yes) { Take(onYes_)(yes); }
    void Answer(const std::optional<std::u16string>& text) { Take(onText_)(text); }
    void Finished(const Result& result, bool cancelRequested) { Take(onFinished_)(result, cancelRequested); }

private:
    template <typename Continuation>
    static Continuation Take(Continuation& waiting) {
        Continuation next = std::move(waiting);
        waiting = nullptr;
        if (!next) next = [](auto&&...) {};  // an answer nobody asked for changes nothing
        return next;
    }

    void Say(const std::u16string& text, std::optional<std::u16string> title = std::nullopt) {
        queue_.push_back({.kind = RunStep::Kind::Message, .text = text, .title = std::move(title)});
    }
    void Push(RunStep::Kind kind) { queue_.push_back({.kind = kind}); }
    void Ask(const std::u16string& question, Buttons buttons, std::function<void(bool)> then) {
        queue_.push_back({.kind = RunStep::Kind::Question, .text = question, .buttons = buttons});
        onYes_ = std::move(then);
    }
    void Run(std::function<Result(const Progress&)> work, std::function<void(const Result&, bool)> then) {
        queue_.push_back({.kind = RunStep::Kind::Work, .work = std::move(work)});
        onFinished_ = std::move(then);
    }

    // The work is over: its message, or the messages of what went wrong.
    void EndRun(const Result& result, const std::u16string& path, const std::u16string& doneMessage = {}) {
        queue_.push_back({.kind = RunStep::Kind::WorkDone, .succeeded = result.ok()});
        if (!result.ok()) {
            for (const RunMessage& m : FailureMessages(result, request_.source, path, request_.cipherTitle))
                Say(m.text, m.title);
        } else if (!doneMessage.empty()) {
            Say(doneMessage);
        }
    }

    // The encrypt/decrypt pane: its three boxes checked in order, then the run in the busy state.
    void StartPane() {
        if (request_.source.empty()) return Say(kEnterSource);
        if (request_.destination.empty()) return Say(kEnterDestination);
        if (request_.password.empty()) {
            Say(kEnterPassword);
            return Push(RunStep::Kind::FocusPassword);
        }
        // A password the file cannot store could never be matched again: the encrypted file
        // could never be opened.
        const Outcome storable = CheckPassword(request_.password);
        if (request_.kind == RunRequest::Kind::Encrypt && storable != Outcome::Ok) {
            Say(OutcomeText(storable));
            return Push(RunStep::Kind::FocusPassword);
        }
        queue_.push_back({.kind = RunStep::Kind::Busy, .swapCaption = true});
        // A destination typed without a folder goes beside the source.
        const std::u16string& destination = request_.destination;
        destination_ = FolderOf(destination).empty() ? FolderOf(request_.source) + destination : destination;
        if (request_.kind == RunRequest::Kind::Encrypt) return Encrypt();
        if (!RefuseOwnSource(destination_)) Decrypt(request_.inKey, request_.rounds, true);
    }

    void Encrypt() {
        if (RefuseSource(destination_) || RefuseOwnSource(destination_)) return;
        EncryptRequest encrypt{PathFromText(request_.source),
                               PathFromText(destination_),
                               request_.password,
                               StorableName(BaseName(request_.source)),
                               request_.inKey,
                               DrawRoundKeys(random_, request_.rounds)};
        Write(
            destination_,
            [encrypt = std::move(encrypt)](const Progress& progress, const WriteOptions& options) {
                return EncryptFile(encrypt, progress, options);
            },
            EncryptedMessage(destination_));
    }

    // Opens the file under the given numbers. When the password does not match, the finder tells
    // a file that is no .qivg file at all; with `searchOthers` it also offers numbers under
    // which the password does match.
    void Decrypt(std::int32_t inKey, std::int32_t rounds, bool searchOthers) {
        const DecryptRequest decrypt{PathFromText(request_.source), request_.password, inKey, rounds};
        auto opened = std::make_shared<OpenedQivg>();
        auto others = std::make_shared<std::optional<QivgSettings>>();
        Run(
            [decrypt, opened, others, searchOthers](const Progress& progress) {
                *opened = OpenQivg(decrypt, progress);
                if (opened->result.outcome == Outcome::WrongPassword && !progress.Cancelled()) {
                    const FoundSettings found = FindSettings(decrypt.source, decrypt.password);
                    opened->result.outcome = MismatchOutcome(found);
                    if (searchOthers && !found.settings.empty()) *others = found.settings.front();
                }
                return opened->result;
            },
            [this, opened, others](const Result&, bool cancelled) {
                AfterOpenStep(opened, *others, cancelled);
            });
    }

    void AfterOpenStep(const std::shared_ptr<OpenedQivg>& opened, const std::optional<QivgSettings>& others,
                       bool cancelled) {
        const Result& result = opened->result;
        if (result.ok() && cancelled) return EndRun({Outcome::Cancelled, {}, {}}, destination_);
        if (result.outcome == Outcome::WrongPassword && others && !cancelled)
            return TryOtherSettings(*others);
        if (!result.ok()) return EndRun(result, destination_);
        if (!opened->safeName) return WriteDecrypted(opened, destination_, OutputKind::Chosen);
        Ask(kStoredNameBefore + *opened->safeName + kStoredNameAfter, Buttons::YesNo,
            [this, opened](bool yes) {
                if (!yes) return WriteDecrypted(opened, destination_, OutputKind::Chosen);
                WriteDecrypted(opened, FolderOf(destination_) + *opened->safeName,
                               OutputKind::FromStoredName);
            });
    }

    void WriteDecrypted(const std::shared_ptr<OpenedQivg>& opened, const std::u16string& output,
                        OutputKind kind) {
        // The stored name may name the source itself; the typed name may have become it meanwhile.
        if (RefuseOwnSource(output)) return;
        Write(
            output,
            [opened, path = PathFromText(output)](const Progress& progress, const WriteOptions& options) {
                return WriteQivg(*opened, path, progress, options);
            },
            DecryptedMessage(output), kind);
    }

    // Offers the numbers under which the password matches; on Yes the controls take them and the
    // decryption starts again under them, once: no second search.
    void TryOtherSettings(const QivgSettings& others) {
        Ask(OtherSettingsQuestion(others.inKey, others.rounds), Buttons::YesNo, [this, others](bool yes) {
            if (!yes) {
                queue_.push_back({.kind = RunStep::Kind::WorkDone, .succeeded = false});
                return Say(kDecryptFailed);
            }
            queue_.push_back({.kind = RunStep::Kind::Settings, .settings = others});
            Decrypt(others.inKey, others.rounds, false);
        });
    }

    // The BMP pane: its box checked, then the run in the busy state (the caption stays).
    void StartBmpPane() {
        if (request_.source.empty()) return Say(kEnterFileName);
        const std::optional<std::u16string> stem = DottedStem(request_.source);
        if (!stem) return Say(kNoDot);
        queue_.push_back({.kind = RunStep::Kind::Busy, .swapCaption = false});
        if (request_.kind == RunRequest::Kind::Wrap) return Wrap(*stem);
        Extract(*stem);
    }

    void Wrap(const std::u16string& stem) {
        // A .bmp wrapped onto itself is replaced by its wrapped form, after the replace question.
        const std::u16string output = stem + kBmpExtension;
        if (RefuseSource(output)) return;
        Write(
            output,
            [from = PathFromText(request_.source), to = PathFromText(output)](const Progress& progress,
                                                                              const WriteOptions& options) {
                return WrapBmp(from, to, progress, options);
            },
            WrappedMessage(output));
    }

    void Extract(const std::u16string& stem) {
        // The file is looked at before the extension is asked for, so that a file that cannot be
        // extracted is refused without a question.
        const fs::path source = PathFromText(request_.source);
        if (const Result refused = CheckBmpToExtract(source); !refused.ok())
            return EndRun(refused, request_.source);
        queue_.push_back({.kind = RunStep::Kind::Input,
                          .text = stem + kExtensionPrompt,
                          .title = std::u16string(kExtensionTitle),
                          .defaultAnswer = kExtensionDefault});
        onText_ = [this, stem, source](const std::optional<std::u16string>& answer) {
            if (!answer) return;  // cancelled: nothing is written
            const std::u16string output = stem + *answer;
            Write(output,
                  [source, to = PathFromText(output)](const Progress& progress, const WriteOptions& options) {
                      return ExtractBmp(source, to, progress, options);
                  });
        };
    }

    // Ends the run with its message when the source cannot be read: nothing is asked about a
    // file the run could not make. True when it did.
    bool RefuseSource(const std::u16string& output) {
        SourceFile file;
        const Result opened = file.Open(PathFromText(request_.source));
        if (opened.ok()) return false;
        EndRun(opened, output);
        return true;
    }

    // Ends the run with its message when `output` is the source under another name or the same
    // (links followed, hard links too): writing it would destroy what it reads. True when it did.
    bool RefuseOwnSource(const std::u16string& output) {
        if (!IsSameFile(PathFromText(request_.source), PathFromText(output))) return false;
        queue_.push_back({.kind = RunStep::Kind::WorkDone, .succeeded = false});
        Say(kOutputIsSource + std::u16string(u"\r\n") + output);
        return true;
    }

    // The last steps of every run that writes: ask before replacing anything at `output`, run
    // `job` on the worker, then show `doneMessage` (none when empty) or what went wrong.
    void Write(const std::u16string& output, WriteJob job, const std::u16string& doneMessage = {},
               OutputKind kind = OutputKind::Chosen) {
        const fs::path path = PathFromText(output);
        std::error_code ec;
        // A link where only a file may be is refused as the write would refuse it, without first
        // asking whether to replace it.
        if (kind == OutputKind::FromStoredName && fs::is_symlink(path, ec))
            return EndRun({Outcome::DestinationNotFile, path, {}}, output);
        const auto start = [this, output, job = std::move(job), doneMessage, kind](bool replace) {
            Run([job, options = OptionsFor(replace, kind)](
                    const Progress& progress) { return job(progress, options); },
                [this, output, doneMessage](const Result& result, bool) {
                    if (result.ok()) written_ = output;
                    EndRun(result, output, doneMessage);
                });
        };
        // Anything at the path counts, a link that leads nowhere too; a folder is refused by the
        // write itself, with its own message. The save dialog has asked already.
        if (request_.replaceAgreed == output) return start(true);
        if (!fs::exists(fs::symlink_status(path, ec)) || fs::is_directory(path, ec)) return start(false);
        // No is the default: a Return pressed by habit keeps the file; No ends the run quietly.
        Ask(ReplaceQuestion(output), Buttons::YesNoDefaultNo, [start](bool yes) {
            if (yes) start(true);
        });
    }

    // The options of every write the window starts: the injected ones, a new file flushed to disk
    // before the completion message (users may delete the original as soon as they read it), an
    // existing file replaced only with the user's consent, and links followed only at a path
    // the user chose.
    WriteOptions OptionsFor(bool replace, OutputKind kind) const {
        WriteOptions options = request_.output;
        options.replace = replace;
        options.flushNew = true;
        if (kind == OutputKind::FromStoredName) options.followLinks = false;
        return options;
    }

    const RunRequest request_;
    RunTime& random_;
    std::u16string destination_;  // the pane's destination, beside the source when typed bare
    std::deque<RunStep> queue_;
    std::function<void(bool)> onYes_;
    std::function<void(const std::optional<std::u16string>&)> onText_;
    std::function<void(const Result&, bool)> onFinished_;
    std::optional<std::u16string> written_;
};

RunFlow::RunFlow(RunRequest request, RunTime& random)
    : steps_(std::make_unique<Steps>(std::move(request), random)) {}
RunFlow::~RunFlow() = default;

RunStep RunFlow::Next() {
    return steps_->Next();
}
void RunFlow::Answer(bool yes) {
    steps_->Answer(yes);
}
void RunFlow::Answer(const std::optional<std::u16string>& text) {
    steps_->Answer(text);
}
void RunFlow::Finished(const Result& result, bool cancelRequested) {
    steps_->Finished(result, cancelRequested);
}

}  // namespace angoka
