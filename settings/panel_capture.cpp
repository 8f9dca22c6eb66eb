#include "settings/panel_capture.h"

// Placeholders until the settings editing work lands.
bool capturePanel(Window, UserSet) { return false; }
void selectUserSet(Window, UserSet) {}
void applyImmediateUpdate(Window, int, int) {}
