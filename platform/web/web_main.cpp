// The web page's program: the same start as the desktop programs, once the
// page has put back the stored configuration.
#include <emscripten.h>

#include "dialogs/startup.h"
#include "platform/web/web_internal.h"

namespace {
EM_JS(void, page_program_ended, (int exitCode), { KeyerPage.programEnded(exitCode); });
}

int main() {
    web::loadStoredConfiguration();
    const int exitCode = runProgram();
    page_program_ended(exitCode);
    return exitCode;
}
