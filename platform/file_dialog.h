// The system's file-open and file-save dialogs.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/dialog.h"

struct FileFilter {
    std::string description;  // "Settings Files (*.eep)"
    std::string pattern;      // "*.eep"
};

struct FileDialogSpec {
    std::vector<FileFilter> filters;
    int initialFilter = 1;             // 1-based, as the system dialogs count
    std::string defaultExtension;      // appended to a name typed without one
    std::string title;                 // empty: the system's own title
    std::string initialName;           // text in the name field at open
    std::size_t maxPathChars = 255;    // the caller's path buffer, less its terminator
    bool fileMustExist = false;
};

// True with the chosen path in path; false when the operator cancels.
bool chooseFileToOpen(Window owner, const FileDialogSpec& spec, std::string& path);
bool chooseFileToSave(Window owner, const FileDialogSpec& spec, std::string& path);
