#include "InternetShortcut.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QUrl>
#include <fstream>
#include <iterator>

#include "NarrowCharset.h"
#include "QtRunTime.h"

namespace angoka {
namespace {

QString DecodeShortcut(std::string bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray::fromStdString(bytes));
    return utf8.hasError() ? ToQString(FromNarrow(bytes)) : text;
}

}  // namespace

std::optional<std::u16string> ShortcutUrl(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    const QString text =
        DecodeShortcut(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    bool inSection = false;
    for (QString line : text.split(QChar(u'\n'))) {
        line = line.trimmed();
        if (line.startsWith(QChar(u'['))) {
            inSection = line.compare(QStringLiteral("[InternetShortcut]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(QChar(u'='));
        if (!inSection || equals <= 0 ||
            line.left(equals).trimmed().compare(QStringLiteral("URL"), Qt::CaseInsensitive) != 0)
            continue;
        const QString url = line.mid(equals + 1).trimmed();
        // A home page, nothing else: a shortcut may not start programs or open files.
        const QString scheme = QUrl(url).scheme().toLower();
        if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https")) return std::nullopt;
        return FromQString(url);
    }
    return std::nullopt;
}

}  // namespace angoka
