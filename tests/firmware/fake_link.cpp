#include "tests/firmware/fake_link.h"

#include <array>

#include "core/firmware/upload_worker.h"
#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "dialogs/keyer_session.h"
#include "dialogs/uploader_dialog.h"

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
    resetKeyerSession();
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

KeyerLink::~KeyerLink() { closePort(*this); }

PortOpenOutcome openPort(KeyerLink& link, std::string_view) {
    link.portOpen = true;
    theLink.baud = 1200;
    theLink.input.clear();
    return {PortOpened, OpenFailure::None};
}

void closePort(KeyerLink& link) {
    if (link.portOpen) ++theLink.closes;
    link.portOpen = false;
}

bool writeBytes(KeyerLink&, std::span<const std::uint8_t> bytes) {
    const Upload* upload = theLink.watched;
    theLink.writes.push_back({std::vector<std::uint8_t>(bytes.begin(), bytes.end()), theLink.baud,
                              upload ? upload->uploadProgress.load() : 0, upload && upload->uploadFinished.load()});
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

bool readBytes(KeyerLink&, std::span<std::uint8_t> buffer) {
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

bool setBaudRate(KeyerLink&, std::uint32_t baudRate) {
    theLink.baudRequests.push_back(baudRate);
    theLink.resultPublishedAtBaudChange.push_back(theLink.watched && theLink.watched->uploadFinished.load());
    if (baudRate == theLink.refusedBaud) return false;
    theLink.baud = baudRate;
    return true;
}

std::int32_t comPortNumber = 0;

std::string portDeviceName(int portNumber) { return "COM" + std::to_string(portNumber); }

LinkCheck checkLink(KeyerLink& link, std::string_view name, const KeyerIdentity& known) {
    ++theLink.testCalls;
    theLink.portOpenAtTest = link.portOpen;
    LinkCheck check;
    check.code = theLink.testResult;
    check.identity = known;
    if (theLink.testResult < 0) return check;
    openPort(link, name);
    check.identity.variant = static_cast<KeyerVariant>(theLink.testIcType);
    return check;
}

LinkCheck reconnectAndCheckLink(KeyerLink& link, std::string_view name, const KeyerIdentity& known) {
    if (link.portOpen) closePort(link);
    return checkLink(link, name, known);
}
