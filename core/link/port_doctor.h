// jxtool doctor's checks of a port, each one line that says ok, warn or
// fail and what to do: the port exists, the user may open it, no other
// program holds it, nothing on the system reaches for it (ModemManager,
// brltty's rules for CH340/CH341 adapters), its latency, and last whether
// the keyer answers the link check.  Logic over the facts platform/
// port_diagnosis.h gathers; a check the system gives no facts for is left out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/link_check.h"
#include "core/link/port_listing.h"
#include "platform/port_diagnosis.h"

enum class CheckVerdict { Ok, Warn, Fail };

struct DoctorCheck {
    CheckVerdict verdict = CheckVerdict::Ok;
    std::string text;  // "port: COM7 (/dev/pts/3) exists"
};

// "ok    port: COM7 (/dev/pts/3) exists".
std::string doctorLine(const DoctorCheck& check);

// Whether a udev rule file's text claims the USB device vendor:product.
bool rulesClaimDevice(std::string_view ruleText, std::uint16_t vendor, std::uint16_t product);

// The checks before the keyer's: the port, access, holders, ModemManager, brltty.
std::vector<DoctorCheck> portChecks(std::string_view deviceName, const PortFacts& port, const SystemFacts& system,
                                    const std::vector<ListedPort>& ports);
// The adapter's latency, after the link check opened the port (Linux only).
DoctorCheck latencyCheck(const PortFacts& port, LowLatencyState lowLatency);

// Every check of the port, with the facts gathered now and the link check
// run on `link` (which is closed again).
std::vector<DoctorCheck> checkPortHealth(KeyerLink& link, std::string_view deviceName);
