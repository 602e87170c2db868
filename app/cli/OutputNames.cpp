#include "OutputNames.h"

#include <algorithm>

namespace angoka::cli {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string DottedStemOf(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + ".";
    return name.substr(0, dot + 1);
}

bool HasSuffix(const std::string& name, const std::string& suffix) {
    return name.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return Lower(a) == Lower(b); });
}

std::string PlainNameOf(const std::string& name) {
    const std::string suffix = kQivgSuffix;
    if (name.size() > suffix.size() && HasSuffix(name, suffix))
        return name.substr(0, name.size() - suffix.size());
    return name + ".out";
}

}  // namespace angoka::cli
