#pragma once
// The .qivg interop vectors (tests/data/vectors, README there), read once for every suite that
// runs them: the engine's hex-text road, the codec, the window and qivg.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace angoka::testing {

struct VectorRow {
    std::string id, qivg, plain, password;  // password in UTF-8
    std::int32_t inKey = 0;
    std::int32_t rounds = 0;
    std::string storedName;  // "*": unspecified
    std::string expected;    // ok, wrong_password, not_qivg, too_short, truncated, odd_length, bad_hex
};

inline void PrintTo(const VectorRow& row, std::ostream* os) {
    *os << row.id;
}

inline const std::filesystem::path& VectorFolder() {
    static const std::filesystem::path folder = ANGOKA_VECTORS_DIR;
    return folder;
}

// Every row of vectors.tsv (UTF-8, tab-separated, a header line first); a malformed line is a
// test failure, never silently skipped.
inline const std::vector<VectorRow>& VectorRows() {
    static const std::vector<VectorRow> rows = [] {
        std::vector<VectorRow> read;
        std::ifstream in(VectorFolder() / "vectors.tsv");
        std::string line;
        std::getline(in, line);  // the header
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            std::vector<std::string> f;
            std::size_t start = 0;
            for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
                f.push_back(line.substr(start, tab - start));
            f.push_back(line.substr(start));
            if (f.size() != 8) {
                ADD_FAILURE() << "malformed vector line: " << line;
                continue;
            }
            read.push_back({f[0], f[1], f[2], f[3], std::stoi(f[4]), std::stoi(f[5]), f[6], f[7]});
        }
        return read;
    }();
    return rows;
}

// The outcome that the window and qivg report for a row: `expected`, except that a wrong
// password in a file that has the shape of a .qivg file under no setting at all is reported
// as no .qivg file (the rows the README names).
inline std::string ReportedOutcome(const VectorRow& row) {
    const bool noQivgShape = row.id == "random_file" || row.id == "crafted_one_line_end";
    return noQivgShape && row.expected == "wrong_password" ? "not_qivg" : row.expected;
}

// A row's id as a test name.
inline std::string VectorTestName(const ::testing::TestParamInfo<VectorRow>& info) {
    std::string name = info.param.id;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

}  // namespace angoka::testing
