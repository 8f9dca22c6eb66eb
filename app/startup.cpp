#include "app/startup.h"

#include "app/main_window.h"
#include "platform/dialog.h"
#include "platform/files.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"

int runProgram() {
    // A Linux desktop keeps configuration in the user's folder, not beside the program.
    configPath = configFileLocation();
    if (configPath.empty()) configPath = makeConfigPath(programPath());
    readConfigFile();
    if (!registerMainWindowClass(MainWindowClassName, ProgramIconId)) return 0;
    return runModalDialog(nullptr, dlg::MainWindow, mainWindowProc);
}

void resetStartupState() { resetPortConfigState(); }
