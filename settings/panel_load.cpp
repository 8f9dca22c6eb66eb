#include "settings/panel_load.h"

// Filled in by the settings panel work: until then the panel shows nothing.
void loadPanel(Window, UserSet) {}
