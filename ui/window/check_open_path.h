// The length checks a path chosen in the open dialog must pass before the
// file is read: the whole path, its folder, its name and its extension each
// have to fit the program's path buffers.
#pragma once

#include <string_view>

class UserReport;

// Messages of the path checks.
inline constexpr char kPathTooLongMessage[] =
    "指定されたファイルパス名が長すぎます。ファイルパスを指定しなおして下さい。";
inline constexpr char kFolderTooLongMessage[] = "指定されたフォルダ名が長すぎます。フォルダを指定しなおして下さい。";
inline constexpr char kNameTooLongMessage[] = "指定されたファイル名が長すぎます。ファイル名を指定しなおして下さい。";
inline constexpr char kExtensionTooLongMessage[] =
    "指定された拡張子名が長すぎます。拡張子名を指定しなおして下さい。";

// The parts of a path as the checks measure them: the folder up to and
// including the last "/", the extension from the last "." of the file name
// (dot included), and the name between.
struct OpenPathParts {
    std::string_view folder;
    std::string_view name;
    std::string_view extension;
};

// Splits `path` into folder, name and extension. A dot in a folder's name
// never starts the extension.
OpenPathParts SplitOpenPath(std::string_view path);

// True when `path` and its parts fit (lengths in bytes: path below 260,
// folder, name and extension below 256 each); otherwise reports the first
// part that is too long to `report` and returns false.
bool CheckOpenPath(std::string_view path, UserReport& report);
