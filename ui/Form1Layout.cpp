// The window's controls: places and sizes (in twips, 15 to a pixel at 96 dpi), captions,
// containers, fonts, colours, the names a screen reader reads and the keyboard tab order.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "Form1.h"
#include "FormatRules.h"
#include "PathBox.h"
#include "RunTime.h"
#include "UpDown.h"

namespace angoka {
namespace {

constexpr int kTwipsPerPixel = 15;

QRect Twips(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

template <class Widget, class... Args>
Widget* Place(QWidget* container, const char* name, QRect geometry, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., container);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// Frames with their caption on the frame line, and the password box showing "*" for every
// character at once.
constexpr char kStyleSheet[] = R"(
QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 5px; padding: 0px 1px; }
QLineEdit#Text2 { lineedit-password-character: 42; lineedit-password-mask-delay: 0; }
)";

}  // namespace

QFont Form1Font() {
    QFont font;
    // The Japanese proportional gothic of Windows, else the one that Linux desktops carry.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                      QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

namespace {

// A caption wider than its label (the window's font is wider than the one it was laid out
// for) is narrowed just enough to fit, rather than cut off.
void FitCaption(QLabel* label) {
    QFont font = label->font();
    for (int stretch = 100; stretch >= 75; stretch -= 1) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= label->width()) break;
    }
    if (font.stretch() != 100) label->setFont(font);
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Blue on a light background; a lighter blue where the background is dark, so that the link
// stays as easy to read as on white.
QColor LinkColour(const QColor& background) {
    return background.lightness() < 128 ? QColor(110, 160, 255) : QColor(0, 0, 255);
}

}  // namespace

QIcon Form1Icon() {
    // The padlock the desktop shows for the program, compiled in from data/icons: each size
    // is drawn for itself, so the title bar and the task bar stay sharp at any scale.
    QIcon icon;
    for (const QFileInfo& file : QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Files))
        icon.addFile(file.filePath());
    return icon;
}

void Form1::BuildLayout() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf16(kAppTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips(0, 0, 7500, 4545).size());
    setWindowIcon(Form1Icon());
    setFont(Form1Font());

    BuildEncryptPane();
    BuildBmpPane();
    Command4 = Place<QPushButton>(this, "Command4", Twips(5940, 4200, 1485, 315), QStringLiteral("閉じる"));
    Label9 = Place<QLabel>(this, "Label9", Twips(60, 4230, 2025, 180), QStringLiteral("QuorvaneHP"));
    // The free strip of the bottom row, between the link and the close button: progress of
    // a run and its cancel button, hidden while idle.
    RunProgress = Place<QProgressBar>(this, "RunProgress", QRect(146, 282, 172, 17));
    RunProgress->setRange(0, 1000);
    RunProgress->setValue(0);
    RunProgress->hide();
    RunCancel = Place<QPushButton>(this, "RunCancel", QRect(324, 280, 66, 21), QStringLiteral("中止"));
    RunCancel->hide();

    StyleControls();
    // Tab order: the controls that take the focus, by their place in the designer's order.
    QWidget* const tabOrder[] = {Command2,    Option2,  Option1,     UD2,       UD,          Text2,
                                 Command1[1], Text1[1], Command1[0], Text1[0],  Command1[2], Option3,
                                 Option4,     Command3, Text1[2],    RunCancel, Command4};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Command2->setFocus(Qt::OtherFocusReason);
}

// Frame2, the encrypt/decrypt pane, and Frame1, its settings.
void Form1::BuildEncryptPane() {
    Frame2 = Place<QGroupBox>(this, "Frame2", Twips(30, 30, 7425, 2415), QStringLiteral("暗号化・復号"));
    Label1 = Place<QLabel>(Frame2, "Label1", Twips(120, 360, 1785, 195), QStringLiteral("元ファイル"));
    Text1[0] = Place<PathBox>(Frame2, "Text1_0", Twips(1920, 330, 4395, 270));
    Command1[0] =
        Place<QPushButton>(Frame2, "Command1_0", Twips(6330, 330, 645, 285), QStringLiteral("参照"));
    Label2 = Place<QLabel>(Frame2, "Label2", Twips(210, 690, 1695, 180), QStringLiteral("後のファイル名"));
    Text1[1] = Place<PathBox>(Frame2, "Text1_1", Twips(1920, 660, 4395, 270));
    Command1[1] =
        Place<QPushButton>(Frame2, "Command1_1", Twips(6330, 660, 645, 285), QStringLiteral("参照"));
    Frame1 = Place<QGroupBox>(Frame2, "Frame1", Twips(180, 1020, 5775, 1245), QStringLiteral("設定"));
    Command2 = Place<QPushButton>(Frame2, "Command2", Twips(6060, 1020, 1185, 315), QStringLiteral("開始"));

    Label3 = Place<QLabel>(Frame1, "Label3", Twips(150, 270, 840, 180), QStringLiteral("PassWord："));
    Text2 = Place<QLineEdit>(Frame1, "Text2", Twips(990, 240, 4725, 270));
    Label4 = Place<QLabel>(Frame1, "Label4", Twips(150, 630, 900, 180), QStringLiteral("内部変化数"));
    Label5 = Place<QLabel>(Frame1, "Label5", Twips(1110, 600, 360, 240), QStringLiteral("0"));
    UD = Place<UpDown>(Frame1, "UD", Twips(1500, 600, 240, 255), kMinInKey, kMaxInKey, kDefaultInKey);
    Option1 = Place<QRadioButton>(Frame1, "Option1", Twips(1890, 600, 915, 255), QStringLiteral("暗号化"));
    Label6 = Place<QLabel>(Frame1, "Label6", Twips(150, 930, 915, 195), QStringLiteral("暗号化回数"));
    Label7 = Place<QLabel>(Frame1, "Label7", Twips(1110, 900, 375, 225), QStringLiteral("1"));
    UD2 = Place<UpDown>(Frame1, "UD2", Twips(1500, 900, 240, 255), kMinRounds, kMaxRounds, kDefaultRounds);
    Option2 = Place<QRadioButton>(Frame1, "Option2", Twips(1890, 870, 1065, 285), QStringLiteral("復号化"));
    Option1->setChecked(true);
    Text2->setEchoMode(QLineEdit::Password);
}

// Frame3, the BMP pane, and Frame4, its mode.
void Form1::BuildBmpPane() {
    Frame3 = Place<QGroupBox>(this, "Frame3", Twips(30, 2490, 7425, 1665),
                              QStringLiteral("BMP化・BMPデータ取り出し"));
    Label8 = Place<QLabel>(Frame3, "Label8", Twips(180, 270, 825, 195), QStringLiteral("ファイル名"));
    Text1[2] = Place<PathBox>(Frame3, "Text1_2", Twips(1080, 240, 5235, 270));
    Command1[2] =
        Place<QPushButton>(Frame3, "Command1_2", Twips(6330, 240, 645, 285), QStringLiteral("参照"));
    Frame4 = Place<QGroupBox>(Frame3, "Frame4", Twips(180, 600, 1755, 915), QStringLiteral("データ設定"));
    Command3 = Place<QPushButton>(Frame3, "Command3", Twips(6030, 690, 1185, 285), QStringLiteral("開始"));

    Option3 = Place<QRadioButton>(Frame4, "Option3", Twips(90, 240, 1305, 225), QStringLiteral("BMP化"));
    Option4 =
        Place<QRadioButton>(Frame4, "Option4", Twips(90, 480, 1515, 315), QStringLiteral("データ取り出し"));
    Option3->setChecked(true);
}

// What the controls look like beyond their places: the frames' style, the echo labels, the
// link, the names for screen readers, captions that fit.
void Form1::StyleControls() {
    setStyleSheet(QString::fromLatin1(kStyleSheet));
    for (QLabel* echo : {Label5, Label7}) echo->setAutoFillBackground(true);
    QFont link = font();
    link.setBold(true);
    link.setItalic(true);
    link.setUnderline(true);
    Label9->setFont(link);
    Label9->setCursor(Qt::PointingHandCursor);
    ApplyColours();
    NameForScreenReaders();
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9}) {
        label->setFocusPolicy(Qt::NoFocus);
        FitCaption(label);
    }
}

void Form1::FollowPalette() {
    // Qt tells the window of a new scheme and the window passes it on, but not to controls
    // under a style sheet (all of ours): each takes it again from its container here,
    // containers first.
    const std::function<void(QObject*)> follow = [&follow](QObject* container) {
        for (QObject* child : container->children()) {
            if (!child->isWidgetType() || static_cast<QWidget*>(child)->isWindow()) continue;
            QEvent changed(QEvent::ApplicationPaletteChange);
            QCoreApplication::sendEvent(child, &changed);
            follow(child);
        }
    };
    follow(this);
}

void Form1::ApplyColours() {
    // The echo labels are white whatever the scheme, so their text stays black.
    for (QLabel* echo : {Label5, Label7}) {
        SetColour(echo, QPalette::Window, Qt::white);
        SetColour(echo, QPalette::WindowText, Qt::black);
    }
    SetColour(Label9, QPalette::WindowText, LinkColour(palette().color(QPalette::Window)));
}

// What a screen reader says for each control: which path a box holds, what a button does.
void Form1::NameForScreenReaders() {
    const std::pair<QWidget*, const char*> names[] = {
        {Text1[0], "元ファイルのパス"},
        {Command1[0], "元ファイルを参照"},
        {Text1[1], "後のファイル名のパス"},
        {Command1[1], "後のファイル名を参照"},
        {Command2, "暗号化・復号を開始"},
        {Text2, "パスワード"},
        {UD, "内部変化数"},
        {UD2, "暗号化回数"},
        {Option1, "暗号化"},
        {Option2, "復号化"},
        {Text1[2], "BMP化・データ取り出しをするファイルのパス"},
        {Command1[2], "BMP化・データ取り出しをするファイルを参照"},
        {Option3, "BMP化"},
        {Option4, "データ取り出し"},
        {Command3, "BMP化・データ取り出しを開始"},
        {Command4, "閉じる"},
        {Label9, "QuorvaneHP (ホームページを開く)"},
        {RunProgress, "進行状況"},
        {RunCancel, "処理を中止"},
    };
    for (const auto& [widget, name] : names) widget->setAccessibleName(QString::fromUtf8(name));
}

}  // namespace angoka
