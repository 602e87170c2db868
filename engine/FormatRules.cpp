#include "FormatRules.h"

#include "Paths.h"

namespace angoka {

std::vector<RoundKey> DrawRoundKeys(RunTime& random, std::int32_t rounds) {
    std::vector<RoundKey> keys;
    for (std::int32_t i = 0; i < rounds + kEnvelopeRounds; ++i) keys.push_back(DrawRoundKey(random));
    return keys;
}

namespace {

template <typename Char>
bool EndsWithExtension(std::basic_string_view<Char> name, std::u16string_view extension) {
    const auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (name.size() <= extension.size() || name[name.size() - extension.size() - 1] != Char('.'))
        return false;
    for (std::size_t i = 0; i < extension.size(); ++i) {
        const char32_t c = static_cast<char32_t>(name[name.size() - extension.size() + i]);
        if (lower(c) != lower(extension[i])) return false;
    }
    return true;
}

constexpr std::size_t kQivgSuffixLength = std::u16string_view(kQivgExtension).size() + 1;  // ".qivg"

}  // namespace

bool HasExtension(std::u16string_view name, std::u16string_view extension) {
    return EndsWithExtension(name, extension);
}

bool HasExtension(std::string_view name, std::u16string_view extension) {
    return EndsWithExtension(name, extension);
}

std::u16string WindowDestination(const std::u16string& source, bool encrypting) {
    if (source.empty()) return {};
    if (encrypting) return source + u"." + kQivgExtension;
    const std::u16string name = BaseName(source);
    // ".qivg" alone, or a folder's ".qivg", would give no file name.
    if (!HasExtension(name, kQivgExtension) || name.size() == kQivgSuffixLength) return {};
    return source.substr(0, source.size() - kQivgSuffixLength);
}

std::string EncryptedNameOf(const std::string& name) {
    return name + ".qivg";
}

std::string PlainNameOf(const std::string& name) {
    if (HasExtension(name, kQivgExtension) && name.size() > kQivgSuffixLength)
        return name.substr(0, name.size() - kQivgSuffixLength);
    return name + ".out";
}

std::optional<std::u16string> DottedStem(const std::u16string& path) {
    const auto dot = path.rfind(u'.');
    if (dot == std::u16string::npos) return std::nullopt;
    return path.substr(0, dot + 1);
}

std::string DottedStemOf(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + ".";
    return name.substr(0, dot + 1);
}

}  // namespace angoka
