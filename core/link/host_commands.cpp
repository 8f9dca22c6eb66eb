#include "core/link/host_commands.h"

#include <algorithm>

#include "core/settings/keyer_settings.h"

namespace {

void writeCommand(KeyerLink& link, std::uint8_t code) {
    const std::array<std::uint8_t, 2> bytes{hostcmd::Prefix, code};
    writeBytes(link, bytes);  // a failed write shows up as a missing reply
}

bool queryByte(KeyerLink& link, std::uint8_t code, std::uint8_t& value) {
    writeCommand(link, code);
    std::array<std::uint8_t, 1> reply{};
    if (!readBytes(link, reply)) return false;
    value = reply[0];
    return true;
}

std::uint8_t queryOrZero(KeyerLink& link, std::uint8_t code) {
    std::uint8_t value = 0;
    return queryByte(link, code, value) ? value : 0;
}

}  // namespace

bool echoTest(KeyerLink& link, std::uint8_t& reply) {
    writeBytes(link, hostcmd::EchoTestBytes);
    std::array<std::uint8_t, 1> answer{};
    if (!readBytes(link, answer)) return false;
    reply = answer[0];
    return true;
}

bool readFirmwareMajor(KeyerLink& link, std::uint8_t& value) {
    return queryByte(link, hostcmd::ReadFirmwareMajor, value);
}
bool readFirmwareMinor(KeyerLink& link, std::uint8_t& value) {
    return queryByte(link, hostcmd::ReadFirmwareMinor, value);
}

std::uint8_t readPushButtons(KeyerLink& link) { return queryOrZero(link, hostcmd::ReadPushButtons); }
std::uint8_t readPotValue(KeyerLink& link) { return queryOrZero(link, hostcmd::ReadPotValue); }
std::uint8_t readSupplyVoltage(KeyerLink& link) { return queryOrZero(link, hostcmd::ReadSupplyVoltage); }
std::uint8_t readIcType(KeyerLink& link) { return queryOrZero(link, hostcmd::ReadIcType); }

bool dumpImage(KeyerLink& link, KeyerSettings& record) {
    writeCommand(link, hostcmd::DumpImage);
    // The serial device fills only the bytes that arrive and is finished with
    // the buffer when the read returns, so the image cannot change later.
    return readBytes(link, recordBytes(record).first<MemoryImageSize>());
}

bool loadImage(KeyerLink& link, const KeyerSettings& record) {
    writeCommand(link, hostcmd::LoadImage);
    return writeBytes(link, recordBytes(record).first<MemoryImageSize>());
}

bool readExtensionBlock(KeyerLink& link, KeyerSettings& record) {
    writeCommand(link, hostcmd::ReadExtensionBlock);
    // Start from the block as it is, so a short reply leaves the missing
    // bytes as they were rather than undefined.
    std::array<std::uint8_t, ExtensionBlockSize> reply{};
    const auto block = recordBytes(record).last<ExtensionBlockSize>();
    std::copy(block.begin(), block.end(), reply.begin());
    const bool complete = readBytes(link, reply);
    std::copy(reply.begin(), reply.end(), block.begin());
    return complete;
}

bool writeExtensionBlock(KeyerLink& link, const KeyerSettings& record) {
    writeCommand(link, hostcmd::WriteExtensionBlock);
    std::array<std::uint8_t, ExtensionBlockSize> block{};
    const auto source = recordBytes(record).last<ExtensionBlockSize>();
    std::copy(source.begin(), source.end(), block.begin());
    return writeBytes(link, block);
}

bool startFirmwareUpdate(KeyerLink& link) { return writeBytes(link, hostcmd::StartFirmwareUpdateBytes); }

double supplyVolts(std::uint8_t reading) {
    if (reading == 0) return 0.0;
    return 26214.4 / reading / 100;
}
