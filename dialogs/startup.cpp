#include "dialogs/startup.h"

#include "core/link/port_config.h"
#include "dialogs/main_window.h"
#include "platform/dialog.h"
#include "platform/files.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"

std::int32_t comPortNumber = 0;
std::string configPath;

bool readConfigFile() {
    const ConfiguredPort configured = readConfiguredPort(configPath, comPortNumber);
    if (configured.status == FileReadStatus::NotOpened) {
        comPortNumber = 1;
        writeConfigFile();
        return true;
    }
    if (configured.status == FileReadStatus::ReadFailed) {
        messageBox(nullptr, "Read file failed.", "Error", MessageIcon::Warning);
        return false;
    }
    comPortNumber = configured.port;
    return true;
}

bool writeConfigFile() {
    if (configPath.empty()) return true;
    switch (writeConfiguredPort(configPath, comPortNumber)) {
        case FileWriteStatus::Ok:
        case FileWriteStatus::CannotCreate:  // a read-only folder: start with port 1 each time, quietly
            return true;
        case FileWriteStatus::WriteFailed:
            messageBox(nullptr, "CFG File SAve Failed.", "Error", MessageIcon::Warning);
            return false;
    }
    return false;
}

int runProgram() {
    // A Linux desktop keeps configuration in the user's folder, not beside the program.
    configPath = configFileLocation();
    if (configPath.empty()) configPath = makeConfigPath(programPath());
    readConfigFile();
    if (!registerMainWindowClass(MainWindowClassName, ProgramIconId)) return 0;
    return runModalDialog(nullptr, dlg::MainWindow, mainWindowProc);
}

void resetStartupState() {
    comPortNumber = 0;
    configPath.clear();
}
