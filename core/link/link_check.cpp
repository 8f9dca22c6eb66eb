#include "core/link/link_check.h"

#include <string>

#include "core/link/host_commands.h"
#include "core/text_format.h"

namespace {

constexpr int OldestSupportedMajor = 30;

struct VariantText {
    const char* name;
    const char* label;
    const char* versionFormat;
    int minorOffset;  // the minor byte carries the variant in its hundreds
};

constexpr VariantText variants[] = {
    {"IBEX", "JX IC: IBEX", "JX F/W ver %d.%02d", 0},
    {"PIKE", "JX IC: PIKE", "JX F/W revision %d.%02d", 50},
    {"TERN", "JX IC: TERN", "JX F/W revision %d.%02d", 100},
    {"LYNX", "JX IC: LYNX", "JX F/W revision %d.%02d", 150},
};
// A variant the keyer did not name (or one this program does not know): the
// minor byte is shown as it came.
constexpr VariantText unknownVariant{"UNKNOWN", "JX IC: unknown", "JX F/W ver %d.%02d", 0};

const VariantText& variantText(KeyerVariant variant) {
    const auto code = static_cast<std::uint8_t>(variant);
    return code >= 1 && code <= 4 ? variants[code - 1] : unknownVariant;
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

LinkCheck checkLink(KeyerLink& link, std::string_view deviceName, const KeyerIdentity& known) {
    LinkCheck check;
    check.identity = known;
    const auto ended = [&check](int code, std::string_view status) {
        check.code = code;
        check.status = status;
        return check;
    };
    if (!link.portOpen) {
        const PortOpenOutcome open = openPort(link, deviceName);
        if (open.code != PortOpened) {
            check.openFailure = open.reason;
            return ended(-1, portOpenFailureText(open.code));
        }
    }

    std::uint8_t echo = 0;
    if (!echoTest(link, echo)) return ended(-1, "JX Fail:no response");
    if (echo == hostcmd::BootloaderEcho) {
        check.identity.variant = KeyerVariant::BootloaderOnly;
        return ended(BootloaderOnlyCode, "JX Fail:No O/S");
    }
    if (echo != hostcmd::EchoParameter) return ended(-1, "JX Fail:echo mismatch");

    // A missing reply leaves the value of the last test.
    KeyerIdentity& id = check.identity;
    readFirmwareMajor(link, id.firmwareMajor);
    readFirmwareMinor(link, id.firmwareMinor);
    if (id.firmwareMajor < OldestSupportedMajor) return ended(-1, "Only supports DO3");

    // Firmware 30.00 to 30.03 predates the variant query and ran only on the IBEX.
    if (id.firmwareMajor == 30 && id.firmwareMinor < 4)
        id.variant = KeyerVariant::Ibex;
    else
        id.variant = static_cast<KeyerVariant>(readIcType(link));

    const VariantText& variant = variantText(id.variant);
    check.icLabel = variant.label;
    return ended(id.firmwareMajor,
                 formatText(variant.versionFormat, id.firmwareMajor, static_cast<int>(id.firmwareMinor) - variant.minorOffset));
}

std::string_view variantName(KeyerVariant variant) {
    return variant == KeyerVariant::BootloaderOnly ? "BOOTLOADER" : variantText(variant).name;
}

std::string firmwareVersionText(const KeyerIdentity& identity) {
    if (identity.variant == KeyerVariant::BootloaderOnly) return "none";
    return formatText("%d.%02d", identity.firmwareMajor,
                      static_cast<int>(identity.firmwareMinor) - variantText(identity.variant).minorOffset);
}

std::string keyerDescription(const KeyerIdentity& identity) {
    return std::string(variantName(identity.variant)) + " " + firmwareVersionText(identity);
}

LinkCheck reconnectAndCheckLink(KeyerLink& link, std::string_view deviceName, const KeyerIdentity& known) {
    if (link.portOpen) closePort(link);
    return checkLink(link, deviceName, known);
}
