// gui_bench [FOLDER] [MIB]: encrypts, then decrypts, a file of MIB MiB (default 1024) through
// the window, offscreen, and reports the longest stall of the event loop (measured with a
// 10 ms timer) and how often the progress bar moved. Targets: no stall over 16 ms (one frame
// at 60 Hz), at least 5 progress updates a second. The last line gives the longest stall of
// both runs, for bench/run-bench. The files go to FOLDER (default: the system's temporary
// folder) and are deleted afterwards.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "FakeRunTime.h"
#include "Form1.h"

namespace {

namespace fs = std::filesystem;

struct Figures {
    double seconds = 0;
    double longestTimerGapMs = 0;
    double longestTimerGapAt = 0;  // seconds into the run when it ended
    int progressUpdates = 0;
    double longestProgressGapMs = 0;
    std::size_t messages = 0;
};

void MakeFile(const fs::path& path, std::uint64_t mib) {
    std::mt19937_64 random(42);
    std::vector<std::uint64_t> block((1 << 20) / sizeof(std::uint64_t));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::uint64_t i = 0; i < mib; ++i) {
        for (auto& word : block) word = random();
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 8));
    }
    if (!out) {
        std::fprintf(stderr, "gui_bench: cannot write %s\n", path.c_str());
        std::exit(2);
    }
}

Figures RunThroughWindow(angoka::Form1& form) {
    Figures figures;
    QElapsedTimer clock;
    qint64 lastTick = 0, lastProgress = 0;

    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if ((now - lastTick) / 1e6 > figures.longestTimerGapMs) {
            figures.longestTimerGapMs = (now - lastTick) / 1e6;
            figures.longestTimerGapAt = now / 1e9;
        }
        lastTick = now;
    });
    auto* bar = form.findChild<QProgressBar*>(QStringLiteral("RunProgress"));
    QObject::connect(bar, &QProgressBar::valueChanged, [&] {
        const qint64 now = clock.nsecsElapsed();
        ++figures.progressUpdates;
        figures.longestProgressGapMs = std::max(figures.longestProgressGapMs, (now - lastProgress) / 1e6);
        lastProgress = now;
    });

    QEventLoop loop;
    QObject::connect(&form, &angoka::Form1::runFinished, &loop, &QEventLoop::quit);
    clock.start();
    ticker.start();
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    loop.exec();
    figures.seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    QObject::disconnect(bar, nullptr, nullptr, nullptr);
    return figures;
}

// The same timer on an idle window, for comparison: what the machine itself costs.
double IdleLongestGapMs(int milliseconds) {
    QElapsedTimer clock;
    qint64 lastTick = 0;
    double longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, (now - lastTick) / 1e6);
        lastTick = now;
    });
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    clock.start();
    ticker.start();
    loop.exec();
    return longest;
}

constexpr double kStallTargetMs = 16;

bool Report(const char* what, std::uint64_t mib, const Figures& f) {
    const double rate = f.progressUpdates / f.seconds;
    const bool ok = f.longestTimerGapMs <= kStallTargetMs && rate >= 5;
    std::printf(
        "%-8s %6llu MiB  %7.2f s  %7.1f MiB/s  longest event-loop gap %6.1f ms (10 ms timer, at %.2f s)  "
        "progress: %5d updates, %7.1f /s, longest gap %6.1f ms  %s\n",
        what, static_cast<unsigned long long>(mib), f.seconds, mib / f.seconds, f.longestTimerGapMs,
        f.longestTimerGapAt, f.progressUpdates, rate, f.longestProgressGapMs, ok ? "ok" : "MISSED");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::uint64_t mib = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;
    const fs::path work = folder / ("angoka-gui-bench-" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(work);
    const fs::path source = work / "big.bin", encrypted = work / "big.qivg", decrypted = work / "big.out";
    MakeFile(source, mib);

    angoka::FakeRunTime services;
    services.programFolder = work.u16string();
    angoka::Form1 form(services);
    form.show();
    auto text = [&](const char* name, const fs::path& path) {
        form.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromStdString(path.string()));
    };
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("password"));

    std::printf("idle     longest event-loop gap %6.1f ms over 5 s (the machine's own share)\n",
                IdleLongestGapMs(5000));
    bool ok = true;
    text("Text1_0", source);
    text("Text1_1", encrypted);
    form.findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
    const Figures encrypt = RunThroughWindow(form);
    ok &= Report("encrypt", mib, encrypt);

    text("Text1_0", encrypted);
    text("Text1_1", decrypted);
    form.findChild<QRadioButton*>(QStringLiteral("Option2"))->setChecked(true);
    services.yesNoAnswers = {false};
    const Figures decrypt = RunThroughWindow(form);
    ok &= Report("decrypt", mib, decrypt);

    std::printf("longest event-loop stall %.1f ms over a %llu MiB encrypt and decrypt (target %.0f ms)\n",
                std::max(encrypt.longestTimerGapMs, decrypt.longestTimerGapMs),
                static_cast<unsigned long long>(mib), kStallTargetMs);
    for (const auto& m : services.messages)
        std::printf("message: %s\n", QString::fromStdU16String(m.prompt).toStdString().c_str());
    const bool same = fs::file_size(decrypted) == fs::file_size(source);
    fs::remove_all(work);
    if (!same) {
        std::printf("gui_bench: the decrypted file differs in size from the source\n");
        return 1;
    }
    return ok ? 0 : 1;
}
