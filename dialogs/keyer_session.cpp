#include "dialogs/keyer_session.h"

KeyerLink keyerLink;
std::uint8_t icType = 0;
std::uint8_t firmwareMajor = 0;
std::uint8_t firmwareMinor = 0;

KeyerIdentity knownKeyer() { return {static_cast<KeyerVariant>(icType), firmwareMajor, firmwareMinor}; }

void recordKeyerIdentity(const KeyerIdentity& identity) {
    icType = static_cast<std::uint8_t>(identity.variant);
    firmwareMajor = identity.firmwareMajor;
    firmwareMinor = identity.firmwareMinor;
}

void resetKeyerSession() {
    closePort(keyerLink);
    keyerLink.settings = {};
    keyerLink.bytesSinceDrain = 0;
    recordKeyerIdentity({});
}
