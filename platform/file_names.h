// Paths as the program shows and completes them, the same on every system:
// Windows paths use backslashes, the others slashes, and either may appear.
#pragma once

#include <string>
#include <string_view>

// The part of a path after its last separator.
inline std::string_view fileNameOfPath(std::string_view path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// The path with ".extension" added when its file name has no extension of
// its own (an empty path or extension is returned as it is).
inline std::string withDefaultExtension(const std::string& path, const std::string& extension) {
    const std::string_view name = fileNameOfPath(path);
    if (extension.empty() || name.empty() || name.find('.') != std::string_view::npos) return path;
    return path + "." + extension;
}

// A file name in a folder, joined with the separator the folder's path uses.
inline std::string pathInFolder(std::string_view folder, std::string_view name) {
    const bool backslashes = folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos;
    std::string path(folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += backslashes ? '\\' : '/';
    return path.append(name);
}
