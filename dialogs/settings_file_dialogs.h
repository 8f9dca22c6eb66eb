// The main window's settings file commands: the record chosen in the
// system's file dialogs, its name on the status line 4057.
#pragma once

#include <cstddef>
#include <string>

#include "platform/dialog.h"
#include "platform/file_dialog.h"

// The path chosen in the last settings file dialog.  Emptied before each
// dialog, so a dialog never proposes the previous name.
inline constexpr std::size_t SettingsPathBufferSize = 256;  // characters, terminator included
extern std::string settingsFilePath;

// What both dialogs are given: "*.eep" first, then all files, extension "eep".
FileDialogSpec settingsFileDialogSpec();

// True when the file was read into the record.  A file shorter than the
// record replaces only its first bytes; bytes after the 300th are not read.
bool loadSettingsFile(Window mainWindow);
// True when all 300 bytes are on disk.  A failed save leaves any previous
// file of that name as it was.
bool saveSettingsFile(Window mainWindow);

// Back to the state at program start (for tests).
void resetSettingsFileState();
