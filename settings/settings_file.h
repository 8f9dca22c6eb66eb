// Settings files: the 300-byte record saved and loaded whole, chosen in the
// system's file dialogs.  The main window's status line 4057 shows the name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "settings/keyer_settings.h"

// The path chosen in the last settings file dialog.  Emptied before each
// dialog, so a dialog never proposes the previous name.
inline constexpr std::size_t SettingsPathBufferSize = 256;  // characters, terminator included
extern std::string settingsFilePath;

// What both dialogs are given: "*.eep" first, then all files, extension "eep".
FileDialogSpec settingsFileDialogSpec();

// The part of a path after its last separator, as the status line shows it.
std::string_view fileNameOfPath(std::string_view path);

// A settings file read or written without a window.  On failure `message` is
// the text the dialogs show, and the record is as it was.
struct SettingsFileResult {
    bool ok = false;
    std::string_view message;
    std::size_t bytesRead = 0;  // after a load: the record's first bytesRead bytes came from the file
};
// A file shorter than the record replaces only its first bytes; bytes after
// the 300th are not read.
SettingsFileResult loadSettingsFrom(std::string_view path, KeyerSettings& record);
// All 300 bytes, atomically: a failed save leaves any previous file as it was.
SettingsFileResult saveSettingsTo(std::string_view path, const KeyerSettings& record);

// True when the file was read into the record.  A file shorter than the
// record replaces only its first bytes; bytes after the 300th are not read.
bool loadSettingsFile(Window mainWindow);
// True when all 300 bytes are on disk.  A failed save leaves any previous
// file of that name as it was.
bool saveSettingsFile(Window mainWindow);

// Back to the state at program start (for tests).
void resetSettingsFileState();
