#include "core/link/host_commands.h"

#include <algorithm>

#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"

namespace {

void writeCommand(std::uint8_t code) {
    const std::array<std::uint8_t, 2> bytes{hostcmd::Prefix, code};
    writeBytes(bytes);  // a failed write shows up as a missing reply
}

bool queryByte(std::uint8_t code, std::uint8_t& value) {
    writeCommand(code);
    std::array<std::uint8_t, 1> reply{};
    if (!readBytes(reply)) return false;
    value = reply[0];
    return true;
}

std::uint8_t queryOrZero(std::uint8_t code) {
    std::uint8_t value = 0;
    return queryByte(code, value) ? value : 0;
}

}  // namespace

bool echoTest(std::uint8_t& reply) {
    writeBytes(hostcmd::EchoTestBytes);
    std::array<std::uint8_t, 1> answer{};
    if (!readBytes(answer)) return false;
    reply = answer[0];
    return true;
}

bool readFirmwareMajor(std::uint8_t& value) { return queryByte(hostcmd::ReadFirmwareMajor, value); }
bool readFirmwareMinor(std::uint8_t& value) { return queryByte(hostcmd::ReadFirmwareMinor, value); }

std::uint8_t readPushButtons() { return queryOrZero(hostcmd::ReadPushButtons); }
std::uint8_t readPotValue() { return queryOrZero(hostcmd::ReadPotValue); }
std::uint8_t readSupplyVoltage() { return queryOrZero(hostcmd::ReadSupplyVoltage); }
std::uint8_t readIcType() { return queryOrZero(hostcmd::ReadIcType); }

bool dumpImage(KeyerSettings& record) {
    writeCommand(hostcmd::DumpImage);
    // The serial device fills only the bytes that arrive and is finished with
    // the buffer when the read returns, so the image cannot change later.
    return readBytes(recordBytes(record).first<MemoryImageSize>());
}

bool loadImage(const KeyerSettings& record) {
    writeCommand(hostcmd::LoadImage);
    return writeBytes(recordBytes(record).first<MemoryImageSize>());
}

bool readExtensionBlock(KeyerSettings& record) {
    writeCommand(hostcmd::ReadExtensionBlock);
    // Start from the block as it is, so a short reply leaves the missing
    // bytes as they were rather than undefined.
    std::array<std::uint8_t, ExtensionBlockSize> reply{};
    const auto block = recordBytes(record).last<ExtensionBlockSize>();
    std::ranges::copy(block, reply.begin());
    const bool complete = readBytes(reply);
    std::ranges::copy(reply, block.begin());
    return complete;
}

bool writeExtensionBlock(const KeyerSettings& record) {
    writeCommand(hostcmd::WriteExtensionBlock);
    std::array<std::uint8_t, ExtensionBlockSize> block{};
    std::ranges::copy(recordBytes(record).last<ExtensionBlockSize>(), block.begin());
    return writeBytes(block);
}

bool startFirmwareUpdate() { return writeBytes(hostcmd::StartFirmwareUpdateBytes); }

double supplyVolts(std::uint8_t reading) {
    if (reading == 0) return 0.0;
    return 26214.4 / reading / 100;
}
