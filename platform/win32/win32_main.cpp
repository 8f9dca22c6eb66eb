// The Windows program's entry point: everything else is the shared start-up.
#include <windows.h>

#include "dialogs/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return runProgram(); }
