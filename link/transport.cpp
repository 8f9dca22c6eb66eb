#include "link/transport.h"

// Placeholders until the serial transport lands: no port ever opens.
bool portOpen = false;

int openPort(int) { return PortOpenFailed; }
void closePort() { portOpen = false; }
bool writeBytes(std::span<const std::uint8_t>) { return false; }
bool readBytes(std::span<std::uint8_t>) { return false; }
bool setBaudRate(std::uint32_t) { return false; }

void resetTransportState() { closePort(); }
