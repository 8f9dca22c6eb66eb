#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/files.h"
#include "resources/control_ids.h"
#include "settings/keyer_settings.h"

std::string settingsFilePath;

FileDialogSpec settingsFileDialogSpec() {
    FileDialogSpec spec;
    spec.filters = {{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    spec.initialFilter = 1;
    spec.defaultExtension = "eep";
    spec.maxPathChars = SettingsPathBufferSize - 1;
    // No title, folder or flags: the system's defaults, so no overwrite
    // prompt and no must-exist check.
    return spec;
}

std::string_view fileNameOfPath(std::string_view path) {
    // Windows paths use backslashes; the Linux build's paths use slashes.
    const auto separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

namespace {

void showError(Window mainWindow, std::string_view text) { messageBox(mainWindow, text, "Error", MessageIcon::None); }

void showStatus(Window mainWindow, std::string_view text) {
    setControlText(mainWindow, mainwin::SettingsFileStatus, text);
}

// Runs one of the two file dialogs into settingsFilePath; false on Cancel.
bool chooseSettingsFile(Window mainWindow, bool forSaving) {
    settingsFilePath.clear();
    FileDialogSpec spec = settingsFileDialogSpec();
    spec.initialName = settingsFilePath;
    const bool chosen = forSaving ? chooseFileToSave(mainWindow, spec, settingsFilePath)
                                  : chooseFileToOpen(mainWindow, spec, settingsFilePath);
    // A name that does not fit the buffer is refused by the system dialog, as a cancel.
    if (!chosen || settingsFilePath.size() > spec.maxPathChars) {
        settingsFilePath.clear();
        return false;
    }
    return true;
}

}  // namespace

bool loadSettingsFile(Window mainWindow) {
    if (!chooseSettingsFile(mainWindow, false)) return false;
    // Shown before the file is opened, so the name is there even when opening fails.
    showStatus(mainWindow, "EEP FileName: " + std::string(fileNameOfPath(settingsFilePath)));

    // Read into a copy first: a read that fails midway leaves the record as it was,
    // rather than half one configuration and half another.
    std::array<std::uint8_t, RecordSize> incoming{};
    const FileReadResult result = readFileStart(settingsFilePath, incoming);
    switch (result.status) {
        case FileReadStatus::NotOpened:
            showError(mainWindow, "File Not Found");
            return false;
        case FileReadStatus::ReadFailed:
            showError(mainWindow, "Read Settings file failed.");
            return false;
        case FileReadStatus::Ok:
            break;
    }
    // A shorter file replaces only the bytes it holds (a 288-byte memory image
    // keeps the extension block); nothing is validated here.
    const std::size_t count = std::min(result.bytesRead, RecordSize);
    std::copy_n(incoming.begin(), count, recordBytes().begin());
    return true;
}

bool saveSettingsFile(Window mainWindow) {
    if (!chooseSettingsFile(mainWindow, true)) return false;
    showStatus(mainWindow, fileNameOfPath(settingsFilePath));

    // The new content replaces the file only once all of it is on disk, so a
    // full disk never costs the operator the configuration saved there before.
    switch (replaceFile(settingsFilePath, recordBytes())) {
        case FileWriteStatus::Ok:
            return true;
        case FileWriteStatus::CannotCreate:
            showError(mainWindow, "Can't open Settings file for write");
            return false;
        case FileWriteStatus::WriteFailed:
            showError(mainWindow, "Export Log File Failed.");
            return false;
    }
    return false;
}

void resetSettingsFileState() { settingsFilePath.clear(); }
