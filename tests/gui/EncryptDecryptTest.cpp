// The encrypt/decrypt pane: validation, every ending of a run, the busy state around its
// messages, the stored-name question, and the path rules.
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cerrno>

#include "BinAngsDL.h"
#include "BmpCodec.h"
#include "GuiFixture.h"
#include "Messages.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "UpDown.h"

namespace angoka::testing {
namespace {

constexpr char16_t kApp[] = u"暗号化しましょ";
constexpr char16_t kMarker[] = u"CFEC2EC5CF3FADE6";

class EncryptDecrypt : public FormTest {
protected:
    void Fill(const std::filesystem::path& source, const std::filesystem::path& destination,
              const std::u16string& password) {
        SetText("Text1_0", source);
        SetText("Text1_1", destination);
        SetText("Text2", password);
    }
    void Encrypt(const std::filesystem::path& source, const std::filesystem::path& destination,
                 const std::u16string& password = u"pass") {
        Fill(source, destination, password);
        Select("Option1");
        Run("Command2");
    }
    void Decrypt(const std::filesystem::path& source, const std::filesystem::path& destination,
                 const std::u16string& password = u"pass") {
        Fill(source, destination, password);
        Select("Option2");
        Run("Command2");
    }
    // An encrypted file made by the hex-text road, with any payload and stored name.
    void MakeQivg(const std::filesystem::path& path, std::u16string payload, const std::u16string& storedName,
                  int extraRounds = 1, const std::u16string& password = u"pass") {
        FakeRunTime quiet;
        BinAngsDL cipher(quiet);
        cipher.FileName(storedName);
        cipher.Pass(password);
        std::u16string work = cipher.PassAngs(payload);
        for (int i = 0; i < extraRounds; ++i) work = cipher.Angs(work);
        std::u16string target = PathText(path);
        cipher.SaveBin(target, work);
    }
    void ExpectIdleAfterRun() {
        EXPECT_FALSE(form->Running());
        EXPECT_EQ(Caption(), ToQ(kApp));
        EXPECT_EQ(Cursor(), Qt::ArrowCursor);
        EXPECT_TRUE(Child<QWidget>("Command2")->isEnabled());
    }
};

TEST_F(EncryptDecrypt, EmptyFieldsAreReportedInOrderWithoutEnteringTheBusyState) {
    struct Case {
        std::u16string source, destination, password;
        const char16_t* message;
        bool focusToPassword;
    };
    WriteFile(In("a.txt"), "data");
    const std::u16string a = PathText(In("a.txt")), out = PathText(In("out"));
    const Case cases[] = {
        {u"", u"", u"", u"元ファイルを入力してください", false},
        {u"", out, u"pw", u"元ファイルを入力してください", false},
        {a, u"", u"", u"後ファイルを入力してください", false},
        {a, out, u"", u"パスワードを入力してください", true},
        // A password the file cannot hold would make a file that never opens again.
        {a, out, u"pä\U0001F600", u"パスワードに使えない文字が含まれています", true},
        {a, out, u"line\rend", u"パスワードに使えない文字が含まれています", true},
    };
    for (const Case& c : cases) {
        services.messages.clear();
        seen.clear();
        Child<QWidget>("Command2")->setFocus();
        SetText("Text1_0", c.source);
        SetText("Text1_1", c.destination);
        SetText("Text2", c.password);
        Click("Command2");
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{c.message}) << ToQ(c.message).toStdString();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_FALSE(seen[0].message.title.has_value());
        EXPECT_EQ(seen[0].message.buttons, Buttons::OK);
        EXPECT_EQ(seen[0].caption, ToQ(kApp));
        EXPECT_EQ(seen[0].cursor, Qt::ArrowCursor);
        EXPECT_FALSE(seen[0].running);
        EXPECT_EQ(form->focusWidget() == Child<QWidget>("Text2"), c.focusToPassword);
        ExpectIdleAfterRun();
    }
    EXPECT_EQ(NamesIn(Dir()), std::set<std::string>{"a.txt"});
}

TEST_F(EncryptDecrypt, EncryptionWritesTheFileAndReportsWhileBusy) {
    const std::string content = Pattern(3000);
    WriteFile(In("a.txt"), content);
    Child<UpDown>("UD2")->setValue(4);
    Encrypt(In("a.txt"), In("a.qivg"), u"secret");

    const std::u16string expected = u"完了\r\n" + PathText(In("a.qivg")) + u"に出力完了";
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{expected});
    ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
    EXPECT_FALSE(seen[0].message.title.has_value());
    ExpectIdleAfterRun();
    // P + F + 2N + n + 25 bytes.
    const auto written = ReadFileIfAny(In("a.qivg"));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->size(), 6 + 5 + 2 * content.size() + 4 + 25);
    const auto first = static_cast<unsigned char>((*written)[0]);
    EXPECT_GE(first >> 4, 1);
    EXPECT_TRUE((first & 15) >= 1 && (first & 15) <= 14);
    // The window keeps what the user entered.
    EXPECT_EQ(Box("Text1_0")->text(), ToQ(PathText(In("a.txt"))));
    EXPECT_EQ(Box("Text2")->text(), QStringLiteral("secret"));
}

TEST_F(EncryptDecrypt, DecryptionOffersTheStoredNameAndWritesWhereTheAnswerSays) {
    const std::string content = Pattern(5000, 7);
    std::filesystem::create_directory(In("out"));
    WriteFile(In("a.txt"), content);
    Child<UpDown>("UD")->setValue(-10);
    Child<UpDown>("UD2")->setValue(3);
    Encrypt(In("a.txt"), In("a.qivg"));

    struct Case {
        const char* name;
        std::u16string destination;
        bool yes;
        std::u16string output;
    };
    const std::u16string out = PathText(In("out"));
    const Case cases[] = {
        {"yes", out + u"/x.bin", true, out + u"/a.txt"},
        {"no", out + u"/x.bin", false, out + u"/x.bin"},
        {"folder with trailing separator, yes", out + u"/", true, out + u"/a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(In("out"));
        std::filesystem::create_directory(In("out"));
        services.messages.clear();
        seen.clear();
        services.yesNoAnswers = {c.yes};
        Fill(In("a.qivg"), std::filesystem::path(), u"pass");
        SetText("Text1_1", std::u16string(c.destination));
        Select("Option2");
        Run("Command2");

        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].message.prompt, u"元のファイル名a.txtを検出しました。適応しますか？");
        EXPECT_EQ(seen[0].message.buttons, Buttons::YesNo);
        EXPECT_EQ(seen[1].message.prompt, c.output + u"に復号完了");
        ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
        ExpectIdleAfterRun();
        EXPECT_EQ(ReadFileIfAny(PathFromText(c.output)), content);
        EXPECT_EQ(NamesIn(In("out")).size(), 1u);
    }
}

TEST_F(EncryptDecrypt, FailedDecryptionsShowTheirMessagesAndWriteNothing) {
    WriteFile(In("a.txt"), "ABC");
    Child<UpDown>("UD2")->setValue(2);
    Encrypt(In("a.txt"), In("good.qivg"));
    const std::string good = *ReadFileIfAny(In("good.qivg"));

    MakeQivg(In("nomarker.qivg"), u"414243", u"a.txt", 2);
    MakeQivg(In("odd.qivg"), kMarker + std::u16string(u"41424"), u"a.txt", 2);
    MakeQivg(In("badhex.qivg"), kMarker + std::u16string(u"41XY"), u"a.txt", 2);
    WriteFile(In("truncated.qivg"), good.substr(0, good.size() - 2));
    WriteFile(In("short.qivg"), good.substr(0, 5));  // n + 3 bytes

    const std::u16string failed = u"復号に失敗しました";
    const std::u16string asked = u"元のファイル名a.txtを検出しました。適応しますか？";
    const std::u16string replace = PathText(In("x.bin")) + u"は既に存在します。置き換えますか？";
    struct Case {
        const char* name;
        const char* file;
        std::vector<std::u16string> prompts;
        std::optional<std::u16string> lastTitle = std::nullopt;  // nothing: the application's title
        std::u16string password = u"pass";
        int inKey = 0, rounds = 2;
    };
    // The content is checked while it is written, so after the stored-name question and the
    // consent to replace x.bin: the old file stays all the same.
    const std::u16string notQivg = u"正しいqivg形式ファイルではありませんでした";
    const std::u16string badHex = u"ファイルの内容が壊れているため復号できませんでした";
    const std::u16string cut = u"ファイルが途中で切れているため復号できませんでした";
    const std::u16string tooShort = u"ファイルが短すぎるため復号できませんでした";
    const std::u16string missing = NotFoundMessage(PathText(In("missing.qivg")));
    const std::u16string mismatch = kPasswordMismatchMessage, odd = kOddLengthMessage;
    const Case cases[] = {
        {.name = "wrong password", .file = "good.qivg", .prompts = {mismatch, failed}, .password = u"Pass"},
        {.name = "no format marker", .file = "nomarker.qivg", .prompts = {notQivg}},
        {.name = "odd length", .file = "odd.qivg", .prompts = {asked, replace, odd}, .lastTitle = u"-ｴﾗｰ"},
        {.name = "not hex", .file = "badhex.qivg", .prompts = {asked, replace, badHex}},
        {.name = "truncated", .file = "truncated.qivg", .prompts = {cut}},
        {.name = "too short", .file = "short.qivg", .prompts = {tooShort}},
        {.name = "missing", .file = "missing.qivg", .prompts = {missing}, .lastTitle = u""},
    };
    WriteFile(In("x.bin"), "keep");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        seen.clear();
        services.yesNoAnswers = {false, true};  // the stored name: no; replacing x.bin: yes
        Child<UpDown>("UD")->setValue(c.inKey);
        Child<UpDown>("UD2")->setValue(c.rounds);
        Decrypt(In(c.file), In("x.bin"), c.password);
        EXPECT_EQ(Prompts(), c.prompts);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().message.title, c.lastTitle);
        EXPECT_EQ(seen.back().message.buttons, Buttons::OK);
        ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
        ExpectIdleAfterRun();
        EXPECT_EQ(ReadFileIfAny(In("x.bin")), "keep");
    }
    EXPECT_EQ(NamesIn(Dir()), (std::set<std::string>{"a.txt", "badhex.qivg", "good.qivg", "nomarker.qivg",
                                                     "odd.qivg", "short.qivg", "truncated.qivg", "x.bin"}));
}

TEST_F(EncryptDecrypt, AMissingSourceEndsTheEncryptionAfterTheNotFoundMessage) {
    Encrypt(In("missing.txt"), In("out.qivg"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message.prompt, NotFoundMessage(PathText(In("missing.txt"))));
    EXPECT_EQ(seen[0].message.title, std::u16string());
    ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
    ExpectIdleAfterRun();
    EXPECT_FALSE(std::filesystem::exists(In("out.qivg")));
}

TEST_F(EncryptDecrypt, AnUnsafeStoredNameIsNeverOffered) {
    // Names that would leave the folder, or make a file the user does not see or that other
    // programs take for something else (an option, a name with a space they cannot see).
    struct Case {
        std::u16string name;
        bool offered;
    };
    const Case cases[] = {
        {u"../x", false},
        {u"a/b", false},
        {u"..", false},
        {u"", false},
        {u".profile", false},
        {u"-rf", false},
        {u"-", false},
        {u" a.txt", false},
        {u"a.txt ", false},
        {u"\u3000a.txt", false},
        {u"a.txt\u3000", false},
        {u"a.", false},
        {u"a.txt.", false},
        // The one kind that is offered: a space inside, a dot before the extension.
        {u"plain name.txt", true},
    };
    std::filesystem::create_directory(In("out"));
    for (const Case& c : cases) {
        SCOPED_TRACE(ToQ(c.name).toStdString());
        services.messages.clear();
        for (const auto& name : NamesIn(In("out"))) std::filesystem::remove(In("out") / name);
        MakeQivg(In("unsafe.qivg"), kMarker + std::u16string(u"414243"), c.name, 1);
        Child<UpDown>("UD2")->setValue(1);
        services.yesNoAnswers = {true};  // Yes to the stored name, wherever it is offered
        Decrypt(In("unsafe.qivg"), In("out/plain.bin"));
        const std::u16string output =
            c.offered ? PathText(In("out")) + u"/" + c.name : PathText(In("out/plain.bin"));
        std::vector<std::u16string> expected{output + u"に復号完了"};
        if (c.offered)
            expected.insert(expected.begin(), u"元のファイル名" + c.name + u"を検出しました。適応しますか？");
        EXPECT_EQ(Prompts(), expected);
        EXPECT_EQ(ReadFileIfAny(PathFromText(output)), "ABC");
        EXPECT_EQ(NamesIn(In("out")).size(), 1u);
    }
    EXPECT_EQ(NamesIn(Dir()), (std::set<std::string>{"out", "unsafe.qivg"}));
}

TEST_F(EncryptDecrypt, ASourceNameWithALineEndStillMakesAFileThatOpens) {
    // A CR in the stored name would split the envelope's lines; it is stored as "_".
    WriteFile(In("a\rb.txt"), "hello");
    Encrypt(In("a\rb.txt"), In("c.qivg"));
    services.messages.clear();
    Decrypt(In("c.qivg"), In("d.bin"));
    EXPECT_EQ(Prompts(), (std::vector<std::u16string>{u"元のファイル名a_b.txtを検出しました。適応しますか？",
                                                      PathText(In("a_b.txt")) + u"に復号完了"}));
    EXPECT_EQ(ReadFileIfAny(In("a_b.txt")), "hello");
}

TEST_F(EncryptDecrypt, PathsWithoutAFolder) {
    // A destination without a folder is taken beside the source.
    std::filesystem::create_directory(In("sub"));
    WriteFile(In("sub/a.txt"), "hello");
    Encrypt(In("sub/a.txt"), "b.qivg");
    EXPECT_EQ(Prompts(),
              std::vector<std::u16string>{u"完了\r\n" + PathText(In("sub/b.qivg")) + u"に出力完了"});
    EXPECT_TRUE(std::filesystem::exists(In("sub/b.qivg")));

    // A source without a folder is all base name (resolved in the working folder).
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(In("sub"));
    services.messages.clear();
    Encrypt("a.txt", "c.qivg");
    services.messages.clear();
    services.yesNoAnswers = {false};
    Decrypt("c.qivg", "d.bin");
    std::filesystem::current_path(previous);
    EXPECT_EQ(Prompts(), (std::vector<std::u16string>{u"元のファイル名a.txtを検出しました。適応しますか？",
                                                      u"d.binに復号完了"}));
    EXPECT_EQ(ReadFileIfAny(In("sub/d.bin")), "hello");
}

TEST_F(EncryptDecrypt, FileSystemFailuresNameThePathAndTheReason) {
    WriteFile(In("a.txt"), Pattern(100));
    std::filesystem::create_directory(In("folder.qivg"));

    Encrypt(In("a.txt"), In("folder.qivg"));
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{u"出力先がフォルダのため書き込めませんでした\r\n" +
                                                     PathText(In("folder.qivg"))});
    ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
    ExpectIdleAfterRun();

    services.messages.clear();
    Encrypt(In("a.txt"), In("no/such/folder/x.qivg"));
    ASSERT_EQ(Prompts().size(), 1u);
    const QString missingFolder = ToQ(Prompts()[0]);
    EXPECT_TRUE(missingFolder.startsWith(QStringLiteral("ファイルの読み書きに失敗しました\r\n")))
        << missingFolder.toStdString();
    EXPECT_TRUE(missingFolder.contains(ToQ(PathText(In("no/such/folder"))))) << missingFolder.toStdString();
    EXPECT_TRUE(missingFolder.contains(QStringLiteral("理由: "))) << missingFolder.toStdString();
    ExpectIdleAfterRun();

    // A disk that fills up part-way: the destination keeps its old content, no temporary file.
    WriteFile(In("full.qivg"), "old");
    WriteOptions full;
    full.writer = [](int, const void*, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    form->SetWriteOptions(full);
    services.messages.clear();
    seen.clear();
    services.yesNoAnswers = {true};
    Encrypt(In("a.txt"), In("full.qivg"));
    ASSERT_EQ(Prompts().size(), 2u);
    EXPECT_EQ(Prompts()[0], PathText(In("full.qivg")) + u"は既に存在します。置き換えますか？");
    const QString diskFull = ToQ(Prompts()[1]);
    EXPECT_TRUE(diskFull.contains(QStringLiteral("ディスクの空き容量が足りません")))
        << diskFull.toStdString();
    EXPECT_TRUE(diskFull.contains(ToQ(PathText(In("full.qivg"))))) << diskFull.toStdString();
    ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
    ExpectIdleAfterRun();
    EXPECT_EQ(ReadFileIfAny(In("full.qivg")), "old");
    EXPECT_EQ(NamesIn(Dir()), (std::set<std::string>{"a.txt", "folder.qivg", "full.qivg"}));
}

TEST_F(EncryptDecrypt, ARightPasswordUnderOtherNumbersIsOfferedThem) {
    const std::string content = Pattern(2000, 11);
    WriteFile(In("a.txt"), content);
    Child<UpDown>("UD")->setValue(-3);
    Child<UpDown>("UD2")->setValue(4);
    Encrypt(In("a.txt"), In("a.qivg"));
    std::filesystem::remove(In("a.txt"));

    const std::u16string offer =
        u"内部変化数 -3、暗号化回数 4 ならパスワードが一致します。この設定で復号しますか？";
    const std::u16string asked = u"元のファイル名a.txtを検出しました。適応しますか？";
    struct Case {
        const char* name;
        int inKey, rounds;
        bool yes;
    };
    const Case cases[] = {
        {"other internal change", 0, 4, true},
        {"other round count", -3, 1, true},
        {"both other", 10, 30, true},
        {"declined", 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        seen.clear();
        Child<UpDown>("UD")->setValue(c.inKey);
        Child<UpDown>("UD2")->setValue(c.rounds);
        services.yesNoAnswers = {c.yes, true};
        Decrypt(In("a.qivg"), In("x.bin"));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen[0].message.buttons, Buttons::YesNo);
        ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
        ExpectIdleAfterRun();
        if (c.yes) {
            // The spin controls and their echoes take the numbers; the run goes on under them.
            EXPECT_EQ(Prompts(),
                      (std::vector<std::u16string>{offer, asked, PathText(In("a.txt")) + u"に復号完了"}));
            EXPECT_EQ(Child<UpDown>("UD")->value(), -3);
            EXPECT_EQ(Child<UpDown>("UD2")->value(), 4);
            EXPECT_EQ(Child<QLabel>("Label5")->text(), QStringLiteral("-3"));
            EXPECT_EQ(Child<QLabel>("Label7")->text(), QStringLiteral("4"));
            EXPECT_EQ(ReadFileIfAny(In("a.txt")), content);
            std::filesystem::remove(In("a.txt"));
        } else {
            EXPECT_EQ(Prompts(), (std::vector<std::u16string>{offer, u"復号に失敗しました"}));
            EXPECT_EQ(Child<UpDown>("UD")->value(), c.inKey);
            EXPECT_EQ(Child<UpDown>("UD2")->value(), c.rounds);
        }
        EXPECT_EQ(NamesIn(Dir()), std::set<std::string>{"a.qivg"});
    }
}

TEST_F(EncryptDecrypt, AFileThatIsNoQivgFileIsSaidSoInOneBox) {
    // Whatever password is typed, such a file opens under no numbers: "wrong password" would
    // send the user hunting for one.
    const auto& header = BmpHeader();
    const std::string text = "Dear user,\r\nthis is a plain letter, no .qivg file at all.\r\n";
    WriteFile(In("random.qivg"), Pattern(5000, 21));
    WriteFile(In("letter.txt"), text);
    WriteFile(In("wrapped.bmp"), std::string(header.begin(), header.end()) + text);
    for (const char* file : {"random.qivg", "letter.txt", "wrapped.bmp"}) {
        SCOPED_TRACE(file);
        services.messages.clear();
        seen.clear();
        Decrypt(In(file), In("out.bin"));
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{u"正しいqivg形式ファイルではありませんでした"});
        ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
        ExpectIdleAfterRun();
    }
    EXPECT_EQ(NamesIn(Dir()), (std::set<std::string>{"letter.txt", "random.qivg", "wrapped.bmp"}));
}

TEST_F(EncryptDecrypt, APasswordThatIsOnlyTheEndOfTheStoredOneIsOfferedNoNumbers) {
    WriteFile(In("a.txt"), "hello");
    Encrypt(In("a.txt"), In("a.qivg"), u"secret1");  // 内部変化数 0, 暗号化回数 1
    // The precondition: with more rounds undone, the password line's first character becomes
    // a round key, and "ecret1" opens the file, content and all, under other numbers.
    bool opensElsewhere = false;
    for (std::int32_t inKey = -10; inKey <= 10; ++inKey)
        for (std::int32_t rounds = 2; rounds <= 30; ++rounds)
            opensElsewhere = opensElsewhere || OpenQivg({In("a.qivg"), u"ecret1", inKey, rounds}).result.ok();
    ASSERT_TRUE(opensElsewhere);

    services.messages.clear();
    Decrypt(In("a.qivg"), In("out.bin"), u"ecret1");
    EXPECT_EQ(Prompts(), (std::vector<std::u16string>{kPasswordMismatchMessage, u"復号に失敗しました"}));
    EXPECT_EQ(NamesIn(Dir()), (std::set<std::string>{"a.qivg", "a.txt"}));
}

TEST_F(EncryptDecrypt, AMatchingPasswordOverThePayloadErrorIsOnlyAFailure) {
    // The password matched, so there is no mismatch message and nothing to offer.
    const auto vector = std::filesystem::path(ANGOKA_VECTORS_DIR) / "crafted_payload_is_Error.qivg";
    ASSERT_TRUE(std::filesystem::exists(vector));
    Child<UpDown>("UD")->setValue(4);
    Child<UpDown>("UD2")->setValue(2);
    Decrypt(vector, In("out.bin"), u"pw");
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{u"復号に失敗しました"});
    ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
    ExpectIdleAfterRun();
    EXPECT_TRUE(NamesIn(Dir()).empty());
}

}  // namespace
}  // namespace angoka::testing
