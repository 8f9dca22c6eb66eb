#include "tests/firmware/fake_link.h"

#include <array>

#include "core/firmware/upload_worker.h"
#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "dialogs/uploader_dialog.h"

bool portOpen = false;
std::uint8_t icType = 0;
std::uint8_t firmwareMajor = 0;
std::uint8_t firmwareMinor = 0;

namespace fake {

namespace {
Link theLink;
std::array<std::uint8_t, 2> recentFirmwareBytes{0xFF, 0xFF};

// The running firmware's side: the echo test and the hand-over command.
void firmwareReceives(std::uint8_t byte) {
    if (recentFirmwareBytes[0] == 0x00 && recentFirmwareBytes[1] == 0x04 && byte == 0x55)
        theLink.input.push_back(0x55);
    if (recentFirmwareBytes[0] == 0x00 && recentFirmwareBytes[1] == 0x10 && byte == 0x9B &&
        !theLink.firmwareIgnoresUpdate) {
        theLink.bootloader.start();
        recentFirmwareBytes = {0xFF, 0xFF};
        return;
    }
    recentFirmwareBytes = {recentFirmwareBytes[1], byte};
}
}  // namespace

Link& link() { return theLink; }

void resetLink(bool keyerHasFirmware) {
    theLink = Link{};
    theLink.bootloader = sim::Bootloader(keyerHasFirmware);
    if (!keyerHasFirmware) theLink.bootloader.start();
    recentFirmwareBytes = {0xFF, 0xFF};
    portOpen = false;
    icType = 0;
    verboseMode = false;
}

std::vector<std::uint8_t> wireBytes() {
    std::vector<std::uint8_t> all;
    for (const WireWrite& w : theLink.writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
}

std::vector<WireWrite> frameWrites() {
    std::vector<WireWrite> frames;
    for (const WireWrite& w : theLink.writes)
        if (w.bytes.size() == 20) frames.push_back(w);
    return frames;
}

}  // namespace fake

using fake::theLink;

int openPort(int) {
    portOpen = true;
    theLink.baud = 1200;
    theLink.input.clear();
    return PortOpened;
}

void closePort() {
    if (portOpen) ++theLink.closes;
    portOpen = false;
}

bool writeBytes(std::span<const std::uint8_t> bytes) {
    theLink.writes.push_back({std::vector<std::uint8_t>(bytes.begin(), bytes.end()), theLink.baud,
                              uploadProgress.load(), uploadFinished.load()});
    if (theLink.bootloader.disconnected()) return false;
    if (theLink.silent) return true;
    for (std::uint8_t byte : bytes) {
        if (theLink.bootloader.running()) {
            const std::uint8_t one[1] = {byte};
            for (std::uint8_t reply : theLink.bootloader.receive(one, theLink.baud)) theLink.input.push_back(reply);
        } else if (theLink.baud == 1200) {
            fake::firmwareReceives(byte);
        }
    }
    return true;
}

bool readBytes(std::span<std::uint8_t> buffer) {
    if (theLink.bootloader.disconnected() || theLink.input.size() < buffer.size()) {
        theLink.input.clear();
        return false;
    }
    for (std::uint8_t& b : buffer) {
        b = theLink.input.front();
        theLink.input.pop_front();
    }
    return true;
}

bool setBaudRate(std::uint32_t baudRate) {
    theLink.baudRequests.push_back(baudRate);
    theLink.resultPublishedAtBaudChange.push_back(uploadFinished.load());
    if (baudRate == theLink.refusedBaud) return false;
    theLink.baud = baudRate;
    return true;
}

void resetTransportState() { closePort(); }

std::int32_t comPortNumber = 0;

std::string portDeviceName(int portNumber) { return "COM" + std::to_string(portNumber); }

LinkCheck checkLink(std::string_view) {
    ++theLink.testCalls;
    theLink.portOpenAtTest = portOpen;
    if (theLink.testResult < 0) return {theLink.testResult, {}, {}};
    openPort(0);
    icType = theLink.testIcType;
    return {theLink.testResult, {}, {}};
}

void resetInterfaceTestState() { icType = 0; }
