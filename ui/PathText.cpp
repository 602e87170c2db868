#include "PathText.h"

#include <QLineEdit>

#include "Paths.h"
#include "QtRunTime.h"
#include "WindowMessages.h"

namespace angoka {
namespace {

std::size_t LastSeparator(const std::u16string& path) {
    for (std::size_t i = path.size(); i-- > 0;)
        if (IsPathSeparator(path[i])) return i;
    return std::u16string::npos;
}

bool EndsWithIgnoringCase(const std::u16string& text, const std::u16string& suffix) {
    return text.size() >= suffix.size() && ToQString(text.substr(text.size() - suffix.size()))
                                                   .compare(ToQString(suffix), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::u16string BoxText(const QLineEdit* box) {
    return FromQString(box->text());
}

std::u16string BaseName(const std::u16string& path) {
    const std::size_t cut = LastSeparator(path);
    return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string FolderOf(const std::u16string& path) {
    const std::size_t cut = LastSeparator(path);
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

std::u16string BesideSource(const std::u16string& source, const std::u16string& destination) {
    if (LastSeparator(destination) != std::u16string::npos) return destination;
    return FolderOf(source) + destination;
}

bool HasExtension(const std::u16string& path, const std::u16string& extension) {
    return EndsWithIgnoringCase(BaseName(path), u"." + extension);
}

std::u16string SuggestedDestination(const std::u16string& source, bool encrypting) {
    const std::u16string suffix = std::u16string(u".") + kEncryptedSuffix;
    if (source.empty()) return {};
    if (encrypting) return source + suffix;
    // "x.qivg" gives "x"; ".qivg" alone, or a folder's ".qivg", would give no file name.
    if (!EndsWithIgnoringCase(source, suffix) || BaseName(source).size() <= suffix.size()) return {};
    return source.substr(0, source.size() - suffix.size());
}

}  // namespace angoka
