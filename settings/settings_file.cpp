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

SettingsFileResult loadSettingsFrom(std::string_view path, KeyerSettings& record) {
    // Read into a copy first: a read that fails midway leaves the record as it was,
    // rather than half one configuration and half another.
    std::array<std::uint8_t, RecordSize> incoming{};
    const FileReadResult result = readFileStart(path, incoming);
    switch (result.status) {
        case FileReadStatus::NotOpened: return {false, "File Not Found"};
        case FileReadStatus::ReadFailed: return {false, "Read Settings file failed."};
        case FileReadStatus::Ok: break;
    }
    // A shorter file replaces only the bytes it holds (a 288-byte memory image
    // keeps the extension block); nothing is validated here.
    const std::size_t count = std::min(result.bytesRead, RecordSize);
    std::copy_n(incoming.begin(), count, recordBytes(record).begin());
    return {true, {}, count};
}

SettingsFileResult saveSettingsTo(std::string_view path, const KeyerSettings& record) {
    // The new content replaces the file only once all of it is on disk, so a
    // full disk never costs the operator the configuration saved there before.
    switch (replaceFile(path, recordBytes(record))) {
        case FileWriteStatus::Ok: return {true, {}};
        case FileWriteStatus::CannotCreate: return {false, "Can't open Settings file for write"};
        case FileWriteStatus::WriteFailed: return {false, "Export Log File Failed."};
    }
    return {false, "Export Log File Failed."};
}

bool loadSettingsFile(Window mainWindow) {
    if (!chooseSettingsFile(mainWindow, false)) return false;
    // Shown before the file is opened, so the name is there even when opening fails.
    showStatus(mainWindow, "EEP FileName: " + std::string(fileNameOfPath(settingsFilePath)));
    const SettingsFileResult result = loadSettingsFrom(settingsFilePath, keyerSettings);
    if (!result.ok) showError(mainWindow, result.message);
    return result.ok;
}

bool saveSettingsFile(Window mainWindow) {
    if (!chooseSettingsFile(mainWindow, true)) return false;
    showStatus(mainWindow, fileNameOfPath(settingsFilePath));
    const SettingsFileResult result = saveSettingsTo(settingsFilePath, keyerSettings);
    if (!result.ok) showError(mainWindow, result.message);
    return result.ok;
}

void resetSettingsFileState() { settingsFilePath.clear(); }
