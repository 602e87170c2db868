#pragma once
// qivg's exit statuses, and which one each outcome of a file operation gives.
#include "CodecTypes.h"

namespace angoka::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;        // I/O, an output that exists, a missing input
inline constexpr int kExitUsage = 2;          // options, password input
inline constexpr int kExitWrongPassword = 3;  // or wrong settings
inline constexpr int kExitDamaged = 4;        // not a .qivg file, or a damaged one
inline constexpr int kExitInterrupted = 130;  // Ctrl-C, SIGINT, SIGTERM

// Every status with what --help says of it, in one table: the help's list is made from it, and
// the package's check holds the manual pages and the README to the same statuses.
struct ExitStatusMeaning {
    int status;
    const char* meaning;  // lines after the first are indented by the help
};
inline constexpr ExitStatusMeaning kExitStatuses[] = {
    {kExitOk, "すべて成功"},
    {kExitFailure,
     "失敗 (読み書きの失敗、-f なしで出力先が既にある、出力先が入力か書いたばかりの出力、\n"
     "入力ファイルがない、フォルダ、標準出力に書けない など)"},
    {kExitUsage, "使い方の誤り (オプション、パスワードの入力や確認の不一致、使えないパスワードや名前)"},
    {kExitWrongPassword, "パスワードが一致しない (内部変化数か暗号化回数が違うときも)"},
    {kExitDamaged,
     ".qivg ファイルでない (どの内部変化数と暗号化回数でも .qivg の形にならない。BMP 化\n"
     "されたファイルは qivg extract で取り出します) か壊れている (短すぎる、形式の印がない、\n"
     "途中で切れている、内容の桁数が奇数、16進数でない)、BMP が 118 バイトより短い"},
    {kExitInterrupted, "中断された (Ctrl-C、SIGINT、SIGTERM)。書きかけの出力は残りません"},
};

int ExitStatusFor(Outcome outcome);

}  // namespace angoka::cli
