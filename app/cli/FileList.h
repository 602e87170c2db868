#pragma once
// The files a run works on, from its FILE arguments: a folder, with -r, stands for the files
// in it and below it that the command takes. Each file knows where its output goes.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace angoka::cli {

struct FileJob {
    std::filesystem::path input;
    // The output's folder: beside the input, or under -d (keeping the shape of a walked tree).
    // Empty: the current folder.
    std::filesystem::path outputFolder;
    // A folder of the tree that could not be listed; `input` names it.
    std::error_code listError;
};

struct FileListRequest {
    std::vector<std::string> files;
    bool recursive = false;
    std::optional<std::string> outputDir;
    // Which files found in a folder the command takes (a FILE named outright is always taken).
    std::function<bool(const std::filesystem::path&)> takes;
};

// Files found in a folder come in name order, each folder's files before its subfolders.
// Symbolic links, devices, FIFOs and sockets met on the way are skipped.
std::vector<FileJob> ListFiles(const FileListRequest& request);

}  // namespace angoka::cli
