#include "dialogs/program_state.h"

#include "dialogs/about_dialog.h"
#include "dialogs/keyer_operations.h"
#include "dialogs/keyer_session.h"
#include "dialogs/main_window.h"
#include "dialogs/settings_file_dialogs.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "dialogs/uploader_dialog.h"

void resetProgramState() {
    resetKeyerSession();
    resetSettingsState();
    resetSettingsFileState();
    resetStartupState();
    resetKeyerOperationsState();
    resetAboutState();
    resetUploaderState();
    mainWindowHandle = nullptr;
}
