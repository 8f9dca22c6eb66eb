// Why a port would not open, in one line with what to do about it: the
// link's reason for the failure read against what the system shows about the
// device (its mode and group, the user's groups, the processes holding it).
// The window keeps its short status text; jxtool prints this beside it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/port_listing.h"
#include "core/link/transport.h"
#include "platform/port_diagnosis.h"

// The device file the port leads to, else the name the operator gave.
std::string deviceOf(std::string_view deviceName, const PortFacts& facts);
// "COM11 (/dev/ttyUSB0)", "/dev/ttyUSB0", "COM12": the port as the operator named it.
std::string portLabel(std::string_view deviceName, const PortFacts& facts);

// The explanation from given facts and the ports there are (for a port that
// does not exist).
std::string composeOpenFailure(std::string_view deviceName, OpenFailure failure, const PortFacts& facts,
                               const std::vector<ListedPort>& ports);

// The same with the system's facts about the device, gathered now.
std::string explainOpenFailure(std::string_view deviceName, OpenFailure failure);

// Parts of the explanation that jxtool doctor shows as checks of their own.
std::string missingPortText(std::string_view deviceName, const PortFacts& facts, const std::vector<ListedPort>& ports);
std::string accessDeniedText(std::string_view deviceName, const PortFacts& facts);
// The processes other than the line's far end that hold the device:
// "minicom (PID 812), cat (PID 900)"; empty when none is known.
std::string holdersText(const PortFacts& facts);
// How many processes holdersText names.
std::size_t namedHolderCount(const PortFacts& facts);
