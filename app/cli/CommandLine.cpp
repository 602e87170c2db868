#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>

#include "CliMessages.h"
#include "ExitStatus.h"
#include "FormatRules.h"

namespace angoka::cli {
namespace {

constexpr const char* kDescription =
    "qivg: ファイルをパスワードで暗号化して .qivg ファイルにし、元に戻します。ファイルを .bmp に\n"
    "見せかけることもできます。angoka のウィンドウと同じ処理です。";

constexpr const char* kPasswordNote =
    "パスワード:\n"
    "  --password-file のファイルの1行目 (改行 LF、CR LF、CR は除く。- は標準入力) から読むか、\n"
    "  端末で表示せずに尋ねます (encrypt では確認のため2回)。コマンドラインの引数では受け付けません。\n"
    "  ファイルも端末もないときは使い方の誤りです。1024 文字より長いパスワードと空のパスワード、\n"
    "  encrypt では改行や CP932 にない文字を含むパスワードも、何も書く前に断ります。\n"
    "\n";

constexpr const char* kOutputNote =
    "出力:\n"
    "  出力先が既にあるときは -f がなければそのファイルは失敗とし、何も書きません。出力は一時ファイルに\n"
    "  書いてから置き換えるため、失敗や中断で途中までのファイルが残ることはありません。置き換えた\n"
    "  ファイルは新しいファイルになるので、ハードリンクの他の名前には元の内容が残ります。\n"
    "  一度の実行の入力ファイルと、その実行で書いた出力は、-f があっても置き換えません。\n"
    "  FILE は通常のファイルに限ります。/dev、/proc、/sys の中のファイルは -o か -d で出力先を\n"
    "  指定します。\n"
    "  進み具合 (ファイル、%、MB/s) は標準エラーが端末のときだけ表示します。\n"
    "\n";

constexpr const char* kSeveralFilesNote =
    "  FILE が複数のときは、失敗があっても残りを続け、最初の失敗のステータスで終わります。\n"
    "  二つ以上のファイルを処理したときは、最後に「N 件中 S 件成功、F 件失敗」を表示します。\n"
    "\n";

constexpr const char* kSecurityNote =
    "注意: .qivg 形式は気軽にのぞかれないようにするだけのもので、現代的な暗号ではありません。\n"
    "  パスワードは鍵ではなくファイルの中にあり、形式を知っている人には読み出せます。変換も数字を\n"
    "  ずらすだけで、改ざんも検出しません。本当に秘密にしたいものには age や GnuPG を使ってください。";

// "終了ステータス:" and a line for each status (its number in a column of its own), then what
// holds for several files.
std::string ExitStatusText() {
    std::string text = "終了ステータス:\n";
    for (const ExitStatusMeaning& s : kExitStatuses) {
        std::string number = std::to_string(s.status);
        number.resize(5, ' ');
        std::string meaning = s.meaning;
        for (std::size_t at = 0; (at = meaning.find('\n', at)) != std::string::npos; at += 8)
            meaning.insert(at + 1, 7, ' ');
        text += "  " + number + meaning + "\n";
    }
    return text + kSeveralFilesNote;
}

// What every command's help ends with.
std::string Footer() {
    return std::string(kOutputNote) + ExitStatusText() + kSecurityNote;
}

// A decimal integer: an optional "-" and digits only, leading zeros allowed.
std::optional<std::int32_t> Decimal(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// "内部変化数 (-10〜10、既定 0)。"
std::string RangeText(const std::string& name, int low, int high, int byDefault) {
    return name + " (" + std::to_string(low) + "〜" + std::to_string(high) + "、既定 " +
           std::to_string(byDefault) + ")。";
}

class Builder {
public:
    Builder(CLI::App& app, Options& options) : app_(app), options_(options) {}

    // `password`: the command asks for one, and its help says how.
    CLI::App* Command(const std::string& name, const std::string& description, bool password) {
        CLI::App* command = app_.add_subcommand(name, description);
        command->group("コマンド");
        command->footer(std::string(password ? kPasswordNote : "") + Footer());
        command->set_help_flag("-h,--help", "この説明を表示します");
        return command;
    }

    void Settings(CLI::App* command, const std::string& use) {
        Number(command, "-k,--inkey", options_.inKey, kMinInKey, kMaxInKey,
               RangeText("内部変化数", kMinInKey, kMaxInKey, kDefaultInKey) + use);
        Number(command, "-n,--rounds", options_.rounds, kMinRounds, kMaxRounds,
               RangeText("暗号化回数", kMinRounds, kMaxRounds, kDefaultRounds) + use);
    }

    void FindSettings(CLI::App* command) {
        command->add_flag("--find-settings", options_.findSettings,
                          "パスワードが一致する内部変化数と暗号化回数を探し、最初に見つかったもので\n"
                          "処理して、その値を表示します (-k、-n とは一緒に使えません)。このオプションが\n"
                          "なくても、パスワードが一致しなければ探して、見つかった値をエラーに添えます");
    }

    void Name(CLI::App* command) {
        Text(command, "--name", options_.name,
             "中に保存するファイル名 (既定: FILE の名前で、CR は _ に置き換えます)。\n"
             "改行を含む名前は使えません。FILE が一つのときだけ使えます")
            ->option_text("NAME");
    }

    void Output(CLI::App* command, const std::string& outputUse) {
        Text(command, "-o,--output", options_.output, outputUse)->option_text("PATH");
        Text(command, "-d,--output-dir", options_.outputDir,
             "出力をこのフォルダに書きます (なければ作ります)。-r では元のフォルダの\n"
             "構成をこの下に保ちます。-o とは一緒に使えません")
            ->option_text("DIR");
        command->add_flag("-f,--force", options_.force,
                          "既にある出力先を置き換えます。このオプションがなければ、出力先が既に\n"
                          "あるファイルは失敗とし、何も書きません");
    }

    void Common(CLI::App* command, const std::string& recursiveUse) {
        command->add_flag("-r,--recursive", options_.recursive,
                          "FILE がフォルダなら、その中と下のフォルダにある" + recursiveUse +
                              "を\n処理します (シンボリックリンクは除く)");
        command->add_flag("-q,--quiet", options_.quiet,
                          "エラー以外を表示しません (進み具合、まとめの行、test の OK の行、\n"
                          "--find-settings の値)");
    }

    void Password(CLI::App* command) {
        Text(command, "--password-file", options_.passwordFile,
             "パスワードをこのファイルの1行目から読みます (- は標準入力。それが端末なら\n"
             "表示せずに尋ねます)")
            ->option_text("FILE");
    }

    void Files(CLI::App* command) {
        command->add_option("FILE", options_.files, "処理するファイル")->required()->option_text("...");
    }

private:
    // A number in [low, high], always read as decimal: CLI11 alone would take "010" for eight
    // and accept "0x3", which the window's spin boxes never show.
    static void Number(CLI::App* command, const std::string& names, std::int32_t& target, int low, int high,
                       const std::string& description) {
        const CLI::Validator decimal(
            [low, high](std::string& value) {
                const std::optional<std::int32_t> number = Decimal(value);
                return number && *number >= low && *number <= high ? std::string()
                                                                   : NotInRangeText(value, low, high);
            },
            "");
        command
            ->add_option_function<std::string>(
                names, [&target](const std::string& value) { target = *Decimal(value); }, description)
            ->check(decimal)
            ->option_text("N");
    }

    // An option whose value is kept only when it is given.
    static CLI::Option* Text(CLI::App* command, const std::string& names, std::optional<std::string>& target,
                             const std::string& description) {
        return command->add_option_function<std::string>(
            names, [&target](const std::string& value) { target = value; }, description);
    }

    CLI::App& app_;
    Options& options_;
};

constexpr const char* kSameAsEncrypt = "暗号化したときと同じ値で復号します";
constexpr const char* kOutputUse = "出力先 (FILE が一つのときだけ。フォルダは作りません)";

CLI::App* BuildEncrypt(Builder& b) {
    CLI::App* encrypt = b.Command("encrypt",
                                  "各 FILE を暗号化して、同じフォルダの FILE.qivg に書きます。FILE の名前\n"
                                  "(または --name) を中に保存します。CP932 にない文字は「?」として保存します",
                                  true);
    b.Settings(encrypt, "復号のときにも同じ値が要ります");
    b.Name(encrypt);
    b.Output(encrypt, kOutputUse);
    b.Common(encrypt, "すべてのファイル (*.qivg を除く) ");
    b.Password(encrypt);
    b.Files(encrypt);
    return encrypt;
}

CLI::App* BuildDecrypt(Builder& b, Options& options) {
    CLI::App* decrypt =
        b.Command("decrypt",
                  "各 FILE を復号して、中に保存された名前で FILE と同じフォルダに書きます。\n"
                  "その名前が安全なファイル名でない (フォルダを含む、「.」か「-」で始まる など) ときや\n"
                  "--no-stored-name のときは、FILE から .qivg を除いた名前 (.qivg で終わらなければ\n"
                  "FILE.out) にします。保存された名前の場所のシンボリックリンクはたどりません",
                  true);
    b.Settings(decrypt, kSameAsEncrypt);
    decrypt->add_flag("--no-stored-name", options.noStoredName, "中に保存された名前を使いません");
    b.Output(decrypt,
             std::string(kOutputUse) +
                 "。- は標準出力 (端末には\n"
                 "書きません。内容が途中で壊れていたら、それまでの分を書いたあと終了ステータス 4 で\n"
                 "終わります)");
    b.Common(decrypt, " *.qivg ");
    b.Password(decrypt);
    b.FindSettings(decrypt);
    b.Files(decrypt);
    return decrypt;
}

CLI::App* BuildTest(Builder& b) {
    CLI::App* test =
        b.Command("test",
                  "各 FILE を復号できるか確かめます。何も書きません。良いファイルごとに標準出力に\n"
                  "「FILE: OK (保存された名前, 内容の大きさ バイト)」の行を書きます",
                  true);
    b.Settings(test, kSameAsEncrypt);
    b.Common(test, " *.qivg ");
    b.Password(test);
    b.FindSettings(test);
    b.Files(test);
    return test;
}

CLI::App* BuildWrap(Builder& b) {
    CLI::App* wrap = b.Command("wrap",
                               "各 FILE の前に 118 バイトの BMP ヘッダーを付けて、名前の最後の「.」までに\n"
                               "bmp を付けた名前で書きます (a.b.c → a.b.bmp、README → README.bmp)",
                               false);
    b.Output(wrap, kOutputUse);
    b.Common(wrap, "すべてのファイル (*.bmp を除く) ");
    b.Files(wrap);
    return wrap;
}

CLI::App* BuildExtract(Builder& b, Options& options) {
    CLI::App* extract = b.Command("extract",
                                  "各 FILE の先頭 118 バイトを除いた残りを、名前の最後の「.」までに EXT を\n"
                                  "付けた名前で書きます (photo.bmp → photo.qivg)",
                                  false);
    extract->add_option("--ext", options.extension, "付ける拡張子 (既定 qivg。先頭の「.」は除きます)")
        ->option_text("EXT");
    b.Output(extract, kOutputUse);
    b.Common(extract, " *.bmp ");
    b.Files(extract);
    return extract;
}

// Sets up qivg itself and every command with the options it takes; `commands` learns which is
// which.
void Build(CLI::App& app, Options& options, std::vector<std::pair<CLI::App*, Command>>& commands) {
    auto formatter = app.get_formatter();
    formatter->label("Usage", "使い方");
    formatter->label("OPTIONS", "オプション");
    formatter->label("SUBCOMMAND", "コマンド");
    formatter->label("Positionals", "引数");
    formatter->column_width(26);
    app.option_defaults()->group("オプション");
    app.set_help_flag("-h,--help", "この説明を表示します (コマンドの説明は qivg COMMAND --help)");
    app.set_version_flag("--version", std::string(kProgramName) + " (angoka) " + ANGOKA_VERSION,
                         "バージョンを表示します");
    app.footer(std::string(kPasswordNote) + Footer());
    app.require_subcommand(1);

    Builder b(app, options);
    commands = {{BuildEncrypt(b), Command::Encrypt},
                {BuildDecrypt(b, options), Command::Decrypt},
                {BuildTest(b), Command::Test},
                {BuildWrap(b), Command::Wrap},
                {BuildExtract(b, options), Command::Extract}};
}

bool Given(const CLI::App& command, const std::string& name) {
    const CLI::Option* option = command.get_option_no_throw(name);
    return option && option->count() > 0;
}

// The checks on options that go together, which CLI11 would word in English; empty when the
// options make sense.
std::string_view UsageProblem(const Options& options, const CLI::App& command) {
    if (options.findSettings && (Given(command, "--inkey") || Given(command, "--rounds"))) {
        return kFindSettingsExcludesSettings;
    }
    if (options.output && options.outputDir) return kOutputExcludesOutputDir;
    const bool oneFile = options.files.size() == 1 && !options.recursive;
    for (const std::string& file : options.files) {
        if (file == "-") return kStdinIsNoFile;
    }
    if (options.output && !oneFile) return kOutputNeedsOneFile;
    if (options.ToStandardOutput() && options.command != Command::Decrypt) return kStdoutOnlyForDecrypt;
    if (options.name && !oneFile) return kNameNeedsOneFile;
    if (options.extension.empty() || options.extension.find('/') != std::string::npos) return kBadExtension;
    return {};
}

CommandLine UsageError(std::string_view problem) {
    CommandLine result;
    result.status = kExitUsage;
    result.err = std::string(kProgramName) + ": " + std::string(kUsagePrefix) + std::string(problem) + "\n" +
                 std::string(kProgramName) + ": " + std::string(kUsageHint) + "\n";
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CLI::App app(kDescription, std::string(kProgramName));
    Options options;
    std::vector<std::pair<CLI::App*, Command>> commands;
    Build(app, options, commands);

    // CLI11 would only say that a command is missing.
    const auto named = [&args](const auto& command) { return command.first->get_name() == args[0]; };
    if (!args.empty() && !args[0].starts_with("-") && std::none_of(commands.begin(), commands.end(), named)) {
        return UsageError(std::string(kUnknownCommand) + args[0]);
    }
    // A C string ends at its first NUL: such an argument would name another file.
    const auto hasNul = [](const std::string& arg) { return arg.find('\0') != std::string::npos; };
    if (std::any_of(args.begin(), args.end(), hasNul)) return UsageError(kNulInArgument);
    std::vector<const char*> argv{"qivg"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        return {std::nullopt, kExitOk, app.help(), {}};
    } catch (const CLI::CallForVersion& version) {
        return {std::nullopt, kExitOk, std::string(version.what()) + "\n", {}};
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }
    const CLI::App* parsed = nullptr;
    for (const auto& [command, which] : commands) {
        if (command->parsed()) {
            options.command = which;
            parsed = command;
        }
    }
    // "--ext .jpg" means what "--ext jpg" means, not "photo..jpg".
    if (options.extension.starts_with('.')) options.extension.erase(0, 1);
    if (const std::string_view problem = UsageProblem(options, *parsed); !problem.empty())
        return UsageError(problem);
    return {std::move(options), kExitOk, {}, {}};
}

}  // namespace angoka::cli
