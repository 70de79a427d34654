// Splitting a list of names.
#include "app/options/file_list.h"

#include "platform/system_reason.h"
#include <cerrno>
#include <fstream>
#include <iostream>

std::vector<std::string> ReadFileList(std::istream& in, bool nulSeparated) {
    std::vector<std::string> names;
    std::string name;
    while (std::getline(in, name, nulSeparated ? '\0' : '\n')) {
        if (!nulSeparated && name.ends_with('\r')) name.pop_back();
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

std::optional<std::vector<std::string>> ReadFileListFrom(const std::string& path, bool nulSeparated, std::string& error) {
    if (path == "-") return ReadFileList(std::cin, nulSeparated);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the file list " + path + ": " + SystemReason(errno);
        return std::nullopt;
    }
    std::vector<std::string> names = ReadFileList(in, nulSeparated);
    if (in.bad()) {
        error = "cannot read the file list " + path + ": " + SystemReason(errno);
        return std::nullopt;
    }
    return names;
}
