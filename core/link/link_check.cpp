#include "core/link/link_check.h"

#include <cstdio>
#include <string>

#include "core/link/host_commands.h"
#include "core/link/transport.h"

std::uint8_t icType = 0;
std::uint8_t firmwareMajor = 0;
std::uint8_t firmwareMinor = 0;

namespace {

constexpr int OldestSupportedMajor = 30;

struct VariantText {
    const char* label;
    const char* versionFormat;
    int minorOffset;  // the minor byte carries the variant in its hundreds
};

constexpr VariantText variants[] = {
    {"JX IC: IBEX", "JX F/W ver %d.%02d", 0},
    {"JX IC: PIKE", "JX F/W revision %d.%02d", 50},
    {"JX IC: TERN", "JX F/W revision %d.%02d", 100},
    {"JX IC: LYNX", "JX F/W revision %d.%02d", 150},
};
// A variant the keyer did not name (or one this program does not know): the
// minor byte is shown as it came.
constexpr VariantText unknownVariant{"JX IC: unknown", "JX F/W ver %d.%02d", 0};

std::string format(const char* pattern, int major, int minor) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, major, minor);
    return text;
}

}  // namespace

const char* portOpenFailureText(int code) {
    switch (code) {
        case PortOpenFailed: return "JX Fail:comm open";
        case PortGetStateFailed: return "JX Fail:get comm state";
        case PortSetStateFailed: return "JX Fail:set comm state";
        case PortPurgeFailed: return "JX Fail:comm purge";
        default: return "Comm Fail:unknown error";
    }
}

LinkCheck checkLink(std::string_view deviceName) {
    if (!portOpen) {
        const int r = openPortNamed(deviceName);
        if (r != PortOpened) return {-1, portOpenFailureText(r), {}};
    }

    std::uint8_t echo = 0;
    if (!echoTest(echo)) return {-1, "JX Fail:no response", {}};
    if (echo == hostcmd::BootloaderEcho) {
        icType = 5;
        return {5, "JX Fail:No O/S", {}};
    }
    if (echo != hostcmd::EchoParameter) return {-1, "JX Fail:echo mismatch", {}};

    // A missing reply leaves the value of the last test.
    readFirmwareMajor(firmwareMajor);
    readFirmwareMinor(firmwareMinor);
    if (firmwareMajor < OldestSupportedMajor) return {-1, "Only supports DO3", {}};

    // Firmware 30.00 to 30.03 predates the variant query and ran only on the IBEX.
    if (firmwareMajor == 30 && firmwareMinor < 4)
        icType = 1;
    else
        icType = readIcType();

    const VariantText& variant = icType >= 1 && icType <= 4 ? variants[icType - 1] : unknownVariant;
    return {firmwareMajor, format(variant.versionFormat, firmwareMajor, static_cast<int>(firmwareMinor) - variant.minorOffset),
            variant.label};
}

void resetInterfaceTestState() {
    icType = 0;
    firmwareMajor = 0;
    firmwareMinor = 0;
}
