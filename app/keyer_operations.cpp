#include "app/keyer_operations.h"

#include "app/main_window.h"

bool operationBusy = false;
std::int32_t statusCountdown = 0;

// Placeholders until the keyer operations land: each runs only the button
// frame, so the button rules can be seen at work.
void testKeyer(Window mainWindow) {
    lockControls(mainWindow);
    unlockControls(mainWindow);
}
void readKeyer(Window mainWindow) {
    lockControls(mainWindow);
    unlockControls(mainWindow);
}
void writeKeyer(Window mainWindow) {
    lockControls(mainWindow);
    unlockControls(mainWindow);
}
void statusTimerTick(Window) {}

void resetKeyerOperationsState() {
    operationBusy = false;
    statusCountdown = 0;
}
