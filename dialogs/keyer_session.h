// The window programs' connection to the keyer: the one link they use, and
// what the last link check found out about the keyer.
#pragma once

#include <cstdint>

#include "core/link/link_check.h"
#include "core/link/transport.h"

// The serial link of the main window's operations and of the uploader, which
// hands it to the upload worker while an upload runs.
extern KeyerLink keyerLink;

// 1 IBEX, 2 PIKE, 3 TERN, 4 LYNX, 5 bootloader only, 0 not yet identified:
// as the last link check left them.
extern std::uint8_t icType;
extern std::uint8_t firmwareMajor;
extern std::uint8_t firmwareMinor;

// The identity the session knows, and recording what a check found.
KeyerIdentity knownKeyer();
void recordKeyerIdentity(const KeyerIdentity& identity);

// Closes the link and forgets the keyer: the state at program start.
void resetKeyerSession();
