// Settings files: the 300-byte record saved and loaded whole, by path.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/settings/keyer_settings.h"

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
