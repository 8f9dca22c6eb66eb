// The port's facts on Windows: only whether it exists and whether another
// program has it, both from the probe (which opens the port and closes it at
// once); Windows names no owner, group or holder to a program.
#include "platform/port_diagnosis.h"
#include "platform/serial.h"

PortFacts examinePort(std::string_view deviceName) {
    PortFacts facts;
    const SerialOpenStatus probe = serialProbe(deviceName);
    facts.exists = probe != SerialOpenStatus::NotFound && probe != SerialOpenStatus::OtherError;
    // A port open elsewhere answers "access denied".
    facts.holdersChecked = facts.exists;
    facts.heldUnnamed = probe == SerialOpenStatus::AccessDenied || probe == SerialOpenStatus::Busy;
    return facts;
}

SystemFacts examineSystem() { return {}; }

LowLatencyState lastOpenLowLatency() { return LowLatencyState::NotAsked; }
