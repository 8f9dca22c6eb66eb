// The "Comm Port Setup" dialog (template 1002): finds which of COM1 to COM50
// exist, lists them, and on OK makes the chosen one the program's port and
// stores it in the configuration file.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "platform/serial.h"

inline constexpr int FirstProbedPort = 1;
inline constexpr int LastProbedPort = 50;

// A port exists when it opens, or when it fails as busy, denied, faulty or
// timed out: such a port is held by another program or misbehaving, and the
// operator may still want to choose it.
bool portExists(SerialOpenStatus probe);

bool comPortDialogProc(Window dialog, const DialogMessage& message);
