#include "app/program_state.h"

#include "app/about_dialog.h"
#include "app/keyer_operations.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "firmware/uploader_dialog.h"
#include "link/interface_test.h"
#include "link/transport.h"
#include "settings/keyer_settings.h"
#include "settings/settings_file.h"

void resetProgramState() {
    resetTransportState();
    resetInterfaceTestState();
    resetSettingsState();
    resetSettingsFileState();
    resetStartupState();
    resetKeyerOperationsState();
    resetAboutState();
    resetUploaderState();
    mainWindowHandle = nullptr;
}
