#include "core/link/port_doctor.h"

#include <algorithm>
#include <cctype>

#include "core/link/open_failure_text.h"
#include "core/text_format.h"
#include "platform/file_names.h"

namespace {

constexpr std::uint16_t Ch34xVendor = 0x1a86;
constexpr std::uint16_t Ch340Product = 0x7523;
constexpr std::uint16_t Ch341Product = 0x5523;

DoctorCheck ok(std::string text) { return {CheckVerdict::Ok, std::move(text)}; }
DoctorCheck warn(std::string text) { return {CheckVerdict::Warn, std::move(text)}; }
DoctorCheck fail(std::string text) { return {CheckVerdict::Fail, std::move(text)}; }

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The adapters brltty's rules are known to take: CH340 and CH341 (1a86:7523, 1a86:5523).
bool isClaimedSerialChip(std::uint16_t vendor, std::uint16_t product) {
    return vendor == Ch34xVendor && (product == Ch340Product || product == Ch341Product);
}

DoctorCheck holdersCheck(const std::string& device, const PortFacts& port) {
    const std::string others = holdersText(port);
    if (!others.empty()) {
        const bool one = namedHolderCount(port) == 1;
        return fail("holders: " + others + (one ? " has " : " have ") + device + " open: close " +
                    (one ? "it" : "them") + " before talking to the keyer");
    }
    if (port.heldUnnamed) return fail("holders: another program has " + device + " open: close it before talking to the keyer");
    for (const PortHolder& holder : port.holders)
        if (holder.farEnd)
            return ok("holders: only " + holder.program + formatText(" (PID %d)", holder.processId) +
                      ", the other end of the pseudo-terminal, has it open");
    return ok(port.holdersComplete ? "holders: no other program has it open"
                                   : "holders: no other program you may see has it open (root sees them all)");
}

DoctorCheck brlttyCheck(const PortFacts& port, const SystemFacts& system) {
    std::string claiming;
    for (const UdevRuleFile& rules : system.brlttyRules)
        if (rulesClaimDevice(rules.text, Ch34xVendor, Ch340Product) || rulesClaimDevice(rules.text, Ch34xVendor, Ch341Product)) {
            claiming = rules.path;
            break;
        }
    if (claiming.empty()) return ok("brltty: no udev rule of brltty claims CH340/CH341 adapters");
    const bool portIsOne = isClaimedSerialChip(port.usbVendor, port.usbProduct);
    // brltty takes such an adapter as it is plugged in, so its port is gone: one plugged in with the port missing is the sign.
    const bool onePluggedIn = std::any_of(system.usbDevices.begin(), system.usbDevices.end(), [](std::uint32_t id) {
        return isClaimedSerialChip(static_cast<std::uint16_t>(id >> 16), static_cast<std::uint16_t>(id & 0xFFFF));
    });
    if (!portIsOne && !(onePluggedIn && !port.exists))
        return ok("brltty: " + claiming + " claims CH340/CH341 adapters, but the port is none");
    return fail("brltty: " + claiming + " claims CH340/CH341 adapters like this one and takes them away: " +
                "sudo apt remove brltty if you use no braille display, else mask the rule: sudo ln -s /dev/null /etc/udev/rules.d/" +
                std::string(fileNameOfPath(claiming)));
}

}  // namespace

std::string doctorLine(const DoctorCheck& check) {
    const char* verdict = check.verdict == CheckVerdict::Ok ? "ok" : check.verdict == CheckVerdict::Warn ? "warn" : "fail";
    return formatText("%-4s  ", verdict) + check.text;
}

bool rulesClaimDevice(std::string_view ruleText, std::uint16_t vendor, std::uint16_t product) {
    const std::string v = formatText("%04x", vendor);
    const std::string p = formatText("%04x", product);
    std::size_t start = 0;
    while (start < ruleText.size()) {
        std::size_t end = ruleText.find('\n', start);
        if (end == std::string_view::npos) end = ruleText.size();
        const std::string line = lowerCase(ruleText.substr(start, end - start));
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        // ENV{PRODUCT}=="1a86/7523/*", or ATTRS{idVendor}=="1a86", ATTRS{idProduct}=="7523".
        if (line.find(v + "/" + p + "/") != std::string::npos) return true;
        if (line.find("idvendor}==\"" + v + "\"") != std::string::npos &&
            line.find("idproduct}==\"" + p + "\"") != std::string::npos)
            return true;
    }
    return false;
}

std::vector<DoctorCheck> portChecks(std::string_view deviceName, const PortFacts& port, const SystemFacts& system,
                                    const std::vector<ListedPort>& ports) {
    std::vector<DoctorCheck> checks;
    const std::string device = deviceOf(deviceName, port);
    if (!port.exists) {
        checks.push_back(fail("port: " + missingPortText(deviceName, port, ports)));
    } else {
        checks.push_back(ok("port: " + portLabel(deviceName, port) + " exists"));
        if (port.accessChecked)
            checks.push_back(port.mayOpen ? ok("access: you may open " + device + (port.group.empty() ? "" : " (group " + port.group + ")"))
                                          : fail("access: " + accessDeniedText(deviceName, port)));
        if (port.holdersChecked) checks.push_back(holdersCheck(device, port));
    }
    if (system.servicesChecked) {
        if (system.modemManagerIds.empty())
            checks.push_back(ok("ModemManager: not running"));
        else
            checks.push_back(warn(formatText("ModemManager: running (PID %d): ", system.modemManagerIds.front()) +
                                  "it opens new serial devices to probe them, which holds the port for a while after plugging in; "
                                  "sudo systemctl stop ModemManager if you use no mobile modem"));
        checks.push_back(brlttyCheck(port, system));
    }
    return checks;
}

DoctorCheck latencyCheck(const PortFacts& port, LowLatencyState lowLatency) {
    const std::string timer = port.latencyTimerMs >= 0 ? formatText("latency timer %d ms", port.latencyTimerMs) : "";
    switch (lowLatency) {
        case LowLatencyState::On:
            return ok("latency: low-latency mode on" + (timer.empty() ? "" : ", " + timer));
        case LowLatencyState::Refused:
            if (port.latencyTimerMs > 1) {
                const std::string tty(fileNameOfPath(port.devicePath));
                return warn("latency: the driver refused low-latency mode and holds each reply up to " +
                            std::to_string(port.latencyTimerMs) + " ms; echo 1 | sudo tee /sys/class/tty/" + tty +
                            "/device/latency_timer");
            }
            return ok("latency: low-latency mode refused" +
                      (timer.empty() ? "" : formatText(", but the latency timer is %d ms", port.latencyTimerMs)));
        case LowLatencyState::NotSupported:
        case LowLatencyState::NotAsked: break;
    }
    if (timer.empty()) return ok("latency: the device has no latency timer");
    return ok("latency: " + timer + " (the port is asked for low-latency mode as it opens)");
}

namespace {

// The keyer's answer to the link check; check is null when there was no port to ask on.
DoctorCheck keyerCheck(const LinkCheck* check, std::string_view openExplanation) {
    if (!check) return fail("keyer: not asked: the port does not exist");
    if (check->code == BootloaderOnlyCode)
        return fail("keyer: " + check->status + ": only its bootloader answers; jxtool flash --recovery FIRMWARE.hex programs it");
    if (check->code >= 0) return ok("keyer: " + check->icLabel + ", " + check->status);
    if (check->openFailure != OpenFailure::None) return fail("keyer: " + check->status + ": " + std::string(openExplanation));
    return fail("keyer: " + check->status + ": is the keyer on this port, powered and cabled?");
}

}  // namespace

std::vector<DoctorCheck> checkPortHealth(KeyerLink& link, std::string_view deviceName) {
    const PortFacts port = examinePort(deviceName);
    const SystemFacts system = examineSystem();
    std::vector<DoctorCheck> checks = portChecks(deviceName, port, system, port.exists ? std::vector<ListedPort>{} : listPorts());
    if (!port.exists) {
        checks.push_back(keyerCheck(nullptr, {}));
        return checks;
    }
    const LinkCheck linkCheck = reconnectAndCheckLink(link, deviceName);
    closePort(link);
    if (system.servicesChecked) checks.push_back(latencyCheck(port, lastOpenLowLatency()));
    const std::string explanation =
        linkCheck.openFailure == OpenFailure::None ? std::string() : explainOpenFailure(deviceName, linkCheck.openFailure);
    checks.push_back(keyerCheck(&linkCheck, explanation));
    return checks;
}
