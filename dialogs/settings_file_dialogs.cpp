#include "dialogs/settings_file_dialogs.h"

#include "core/settings/settings_file.h"
#include "dialogs/settings_record.h"
#include "platform/file_names.h"
#include "resources/control_ids.h"

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
