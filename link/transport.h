// The one serial connection to the keyer: 1200 baud 8N1, DTR on, RTS off,
// blocks of bytes moved with bounded waits.
#pragma once

#include <cstdint>
#include <span>

// Results of openPort.
enum PortOpenResult : int {
    PortOpened = 0,
    PortOpenFailed = -4,
    PortGetStateFailed = -5,
    PortSetStateFailed = -6,
    PortPurgeFailed = -10,
};

extern bool portOpen;

int openPort(int portNumber);
void closePort();
bool writeBytes(std::span<const std::uint8_t> bytes);
bool readBytes(std::span<std::uint8_t> buffer);
bool setBaudRate(std::uint32_t baudRate);

// Closes any open port: back to the state at program start.
void resetTransportState();
