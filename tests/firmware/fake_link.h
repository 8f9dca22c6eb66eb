// A stand-in for the keyer link, linked instead of core/link/transport.cpp and
// core/link/link_check.cpp: it records every byte the program puts on the
// line, with the line speed of the moment, and plays a keyer whose firmware
// echoes 00 04 55 and hands over to the simulated bootloader on 00 10 9B.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "core/firmware/upload_worker.h"
#include "sim/bootloader.h"

namespace fake {

struct WireWrite {
    std::vector<std::uint8_t> bytes;
    std::uint32_t baud = 0;
    int progressAtWrite = 0;       // the watched upload's progress as the bytes went out
    bool resultPublished = false;  // whether its result was out as the bytes went out
};

struct Link {
    // The keyer.
    sim::Bootloader bootloader;
    bool firmwareIgnoresUpdate = false;  // keeps running (and echoing) after 00 10 9B
    bool silent = false;                 // answers nothing at all

    // The port.
    std::uint32_t baud = 1200;
    std::vector<WireWrite> writes;
    std::vector<std::uint32_t> baudRequests;
    std::vector<bool> resultPublishedAtBaudChange;
    std::uint32_t refusedBaud = 0;  // setBaudRate refuses this speed
    std::deque<std::uint8_t> input;
    int closes = 0;
    const Upload* watched = nullptr;  // the upload whose progress each write records

    // What testInterface finds.
    int testResult = 31;
    std::uint8_t testIcType = 1;
    int testCalls = 0;
    bool portOpenAtTest = false;
};

Link& link();
// A fresh keyer and port: firmware running (or, without firmware, only the
// bootloader, already started).
void resetLink(bool keyerHasFirmware = true);

// Every byte written, in order.
std::vector<std::uint8_t> wireBytes();
// The writes of exactly 20 bytes: the record frames.
std::vector<WireWrite> frameWrites();

}  // namespace fake
