// The bootloader model behind the simulated keyer's bootloader seam: once the
// keyer's firmware has handed over (00 10 9B), or when the keyer has no
// firmware, every byte it receives goes to the model; the model's answers go
// out at its own line speed, and its restart into complete firmware gives the
// keyer the version and IC variant of the image it now holds.
#pragma once

#include <memory>

#include "sim/bootloader.h"
#include "sim/keyer_simulator.h"

namespace sim {

// Installs a bootloader on keyer and returns it, for tests to inject faults
// and read program memory.  Its firmware starts out valid when the keyer has
// firmware.  The keyer holds a share of it for as long as the handler stays.
std::shared_ptr<Bootloader> attachBootloader(KeyerSimulator& keyer);

// Switches the keyer off and on: it runs its firmware when that is complete,
// and its bootloader otherwise (at 1200 baud, waiting for the sync request).
void powerCycle(KeyerSimulator& keyer, Bootloader& bootloader);

}  // namespace sim
