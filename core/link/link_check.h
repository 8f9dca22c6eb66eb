// The link check in front of every exchange with the keyer: it opens the
// port when it is closed, checks that running firmware echoes, reads the
// firmware version and works out the keyer's IC variant.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/link/transport.h"

// The keyer IC's variant as the link check records it.  Any other code the
// keyer may send (a variant this program does not know) keeps its value.
enum class KeyerVariant : std::uint8_t {
    Unidentified = 0,
    Ibex = 1,
    Pike = 2,
    Tern = 3,
    Lynx = 4,
    BootloaderOnly = 5,  // its firmware is missing: only the bootloader answers
};

// Who answered the last check that got so far: the variant (icType) and the
// firmware version bytes as the keyer sent them.
struct KeyerIdentity {
    KeyerVariant variant = KeyerVariant::Unidentified;
    std::uint8_t firmwareMajor = 0;
    std::uint8_t firmwareMinor = 0;  // the minor version plus 0, 50, 100 or 150 by variant
};

// The code of a check that found only the bootloader.
inline constexpr int BootloaderOnlyCode = static_cast<int>(KeyerVariant::BootloaderOnly);

// What a link check found: the code (-1 on failure, BootloaderOnlyCode when
// only the bootloader answers, otherwise the firmware major version), the
// interface status text, and once the variant is known, the IC label.
struct LinkCheck {
    int code = -1;
    std::string status;
    std::string icLabel;  // empty: the check ended before the variant
    // The identity known after the check: what it read over what was known
    // before (a failed check changes nothing; a bootloader only its variant).
    KeyerIdentity identity;
    OpenFailure openFailure = OpenFailure::None;  // why the port did not open, when it did not
};

// Opens the device when the link is closed, then the echo, version and
// variant exchanges.  `known` is the identity before the check: replies
// that do not come leave its values.
LinkCheck checkLink(KeyerLink& link, std::string_view deviceName, const KeyerIdentity& known = {});
// A fresh connection: the open port, if any, is closed first.
LinkCheck reconnectAndCheckLink(KeyerLink& link, std::string_view deviceName, const KeyerIdentity& known = {});

// The variant's name in short, as the record history names keyers: "IBEX",
// "PIKE", "TERN", "LYNX", "BOOTLOADER" for a keyer with only its bootloader,
// "UNKNOWN" for one not (or not yet) identified.
std::string_view variantName(KeyerVariant variant);
// The firmware version as the link check shows it, "31.02": the major and
// the minor byte less the variant's offset (unknown variant: the byte as
// it came); "none" for a keyer with only its bootloader.
std::string firmwareVersionText(const KeyerIdentity& identity);
// Both: "PIKE 31.02".
std::string keyerDescription(const KeyerIdentity& identity);

// What the link check shows for a failed openPort code.
const char* portOpenFailureText(int code);
