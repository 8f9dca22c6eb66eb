// The link check in front of every exchange with the keyer, and the keyer's
// identity that it records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>


// 1 IBEX, 2 PIKE, 3 TERN, 4 LYNX, 5 bootloader only, 0 not yet identified.
extern std::uint8_t icType;
extern std::uint8_t firmwareMajor;
extern std::uint8_t firmwareMinor;

// What a link check found: the code (-1 on failure, 5 when only the
// bootloader answers, otherwise firmwareMajor), the interface status text
// and, once the variant is known, the IC label.
struct LinkCheck {
    int code = -1;
    std::string status;
    std::string icLabel;  // empty: the check ended before the variant
};

// Opens the device when no port is open, then the echo, version and
// variant exchanges; records icType, firmwareMajor and firmwareMinor.
LinkCheck checkLink(std::string_view deviceName);

// What the link check shows for a failed openPort code.
const char* portOpenFailureText(int code);

// Back to the state at program start (for tests).
void resetInterfaceTestState();
