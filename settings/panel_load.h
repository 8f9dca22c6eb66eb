// Shows one user set of the settings record in the main window's panel.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "settings/keyer_settings.h"

void loadPanel(Window mainWindow, UserSet set);

// List indexes that the panel shows for the record's bits (entries in the
// order the main window fills its lists).
int keyerModeIndex(std::uint8_t modeReg, std::uint8_t outputConfig);
int paddleHangIndex(std::uint8_t outputConfig);
int outputSelectionIndex(std::uint8_t outputConfig);
