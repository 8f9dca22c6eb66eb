#include "link/interface_test.h"

std::uint8_t icType = 0;
std::uint8_t firmwareMajor = 0;
std::uint8_t firmwareMinor = 0;

// Placeholder until the keyer link lands: no keyer ever answers.
int testInterface(Window) { return -1; }

void resetInterfaceTestState() {
    icType = 0;
    firmwareMajor = 0;
    firmwareMinor = 0;
}
