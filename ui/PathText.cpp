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

}  // namespace angoka
