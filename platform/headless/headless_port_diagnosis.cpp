// The port diagnosis of the test backend: facts a test sets, and otherwise
// what the probe finds, as on Windows.
#include <map>
#include <string>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/port_diagnosis.h"

namespace {
std::map<std::string, PortFacts, std::less<>> portFacts;
SystemFacts systemFacts;
LowLatencyState lowLatency = LowLatencyState::NotAsked;
}  // namespace

PortFacts examinePort(std::string_view deviceName) {
    if (const auto it = portFacts.find(deviceName); it != portFacts.end()) return it->second;
    PortFacts facts;
    const SerialOpenStatus probe = serialProbe(deviceName);
    facts.exists = probe != SerialOpenStatus::NotFound && probe != SerialOpenStatus::OtherError;
    return facts;
}

SystemFacts examineSystem() { return systemFacts; }

LowLatencyState lastOpenLowLatency() { return lowLatency; }

namespace headless {
void setPortFacts(std::string_view deviceName, const PortFacts& facts) { portFacts[std::string(deviceName)] = facts; }
void setSystemFacts(const SystemFacts& facts) { systemFacts = facts; }
void setLastOpenLowLatency(LowLatencyState state) { lowLatency = state; }
}  // namespace headless

namespace headless_internal {
void resetPortDiagnosis() {
    portFacts.clear();
    systemFacts = {};
    lowLatency = LowLatencyState::NotAsked;
}
}  // namespace headless_internal
