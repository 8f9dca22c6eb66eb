#include "sim/keyer_simulator.h"

#include <algorithm>

#include "core/settings/keyer_settings.h"

namespace {
// The keyer's host command codes, each after the prefix byte 0x00.
constexpr std::uint8_t Prefix = 0x00;
constexpr std::uint8_t EchoTest = 0x04;
constexpr std::uint8_t ReadPushButtons = 0x05;
constexpr std::uint8_t ReadPotValue = 0x06;
constexpr std::uint8_t ReadFirmwareMajor = 0x09;
constexpr std::uint8_t DumpImage = 0x0C;
constexpr std::uint8_t LoadImage = 0x0D;
constexpr std::uint8_t StartFirmwareUpdate = 0x10;
constexpr std::uint8_t ReadSupplyVoltage = 0x15;
constexpr std::uint8_t ReadFirmwareMinor = 0x17;
constexpr std::uint8_t ReadIcType = 0x18;
constexpr std::uint8_t ReadExtensionBlock = 0x1A;
constexpr std::uint8_t WriteExtensionBlock = 0x1B;

constexpr std::uint8_t BootloaderKey = 0x9B;     // parameter that makes the firmware hand over
constexpr std::uint8_t BootloaderEcho = 0xAA;    // the bootloader's answer to the echo test
}  // namespace

static_assert(SimRecordSize == RecordSize && SimImageSize == MemoryImageSize && SimExtensionSize == ExtensionBlockSize);

// A keyer leaves the factory with the settings that "Reset to Defaults"
// writes and no messages, so the first Read shows a record that a Write
// takes back unchanged.
KeyerSimulator::KeyerSimulator(SimulatedIdentity identity) : identity_(identity), record_(factoryRecord()) {
    keyerBaud_ = identity_.firmwareBaud;
    mode_ = identity_.firmwarePresent ? Mode::Firmware : Mode::Bootloader;
}

void KeyerSimulator::setHostBaud(std::uint32_t baud) { hostBaud_ = baud; }

void KeyerSimulator::hostConnected() {
    if (!connectNoise_.empty()) send(connectNoise_);
}

std::size_t KeyerSimulator::receive(std::span<const std::uint8_t> bytes) {
    if (!connected_ || bytes.empty()) return 0;
    wireLog_.push_back({WireDirection::HostToKeyer, now(), hostBaud_, {bytes.begin(), bytes.end()}});
    const bool sameSpeed = hostBaud_ == keyerBaud_;
    std::size_t taken = 0;
    for (std::uint8_t raw : bytes) {
        if (!connected_) break;  // the cable went with an earlier byte of this chunk
        ++taken;
        const std::uint8_t byte = sameSpeed ? raw : garbled(raw);
        if (mode_ == Mode::Firmware)
            firmwareByte(byte);
        else if (bootloader_)
            bootloader_(*this, byte);
        else
            builtInBootloaderByte(byte);
    }
    return taken;
}

std::size_t KeyerSimulator::takeOutput(std::span<std::uint8_t> dest) {
    const std::size_t count = std::min(dest.size(), output_.size());
    std::copy_n(output_.begin(), count, dest.begin());
    output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::vector<std::uint8_t> KeyerSimulator::takeAllOutput() {
    std::vector<std::uint8_t> all(output_.begin(), output_.end());
    output_.clear();
    return all;
}

void KeyerSimulator::send(std::span<const std::uint8_t> bytes) {
    if (!connected_ || silent_ || bytes.empty()) return;
    wireLog_.push_back({WireDirection::KeyerToHost, now(), keyerBaud_, {bytes.begin(), bytes.end()}});
    const bool sameSpeed = hostBaud_ == keyerBaud_;
    for (std::uint8_t b : bytes) output_.push_back(sameSpeed ? b : garbled(b));
}

void KeyerSimulator::enterBootloader() {
    mode_ = Mode::Bootloader;
    state_ = ParseState::Idle;
    bootloaderEchoStep_ = 0;
}

void KeyerSimulator::startFirmware() {
    if (!identity_.firmwarePresent) return;
    mode_ = Mode::Firmware;
    state_ = ParseState::Idle;
    keyerBaud_ = identity_.firmwareBaud;
}

void KeyerSimulator::clearFaults() {
    silent_ = false;
    connected_ = true;
    replyLengths_.clear();
    queryReplies_.clear();
    connectNoise_.clear();
    hangUpInReply_.clear();
    hangUpInBlock_.clear();
    hungUpByFault_ = false;
    storeCorruption_.reset();
    updateResetsSettings_ = false;
}

void KeyerSimulator::firmwareReplaced() {
    if (updateResetsSettings_) record_ = factoryRecord();
}

void KeyerSimulator::hangUpByFault() {
    connected_ = false;
    hungUpByFault_ = true;
}

std::vector<std::vector<std::uint8_t>> KeyerSimulator::hostChunks() const {
    std::vector<std::vector<std::uint8_t>> chunks;
    for (const WireChunk& c : wireLog_)
        if (c.direction == WireDirection::HostToKeyer) chunks.push_back(c.bytes);
    return chunks;
}

std::vector<std::uint8_t> KeyerSimulator::bytesFromHost() const {
    std::vector<std::uint8_t> all;
    for (const WireChunk& c : wireLog_)
        if (c.direction == WireDirection::HostToKeyer) all.insert(all.end(), c.bytes.begin(), c.bytes.end());
    return all;
}

std::vector<std::uint8_t> KeyerSimulator::bytesToHost() const {
    std::vector<std::uint8_t> all;
    for (const WireChunk& c : wireLog_)
        if (c.direction == WireDirection::KeyerToHost) all.insert(all.end(), c.bytes.begin(), c.bytes.end());
    return all;
}

std::int64_t KeyerSimulator::lineTimeUs(std::size_t byteCount, std::uint32_t baud) {
    if (baud == 0) return 0;
    // A start bit, eight data bits and a stop bit.
    return static_cast<std::int64_t>(byteCount) * 10 * 1'000'000 / static_cast<std::int64_t>(baud);
}

// --- The firmware's command parser ----------------------------------------------

void KeyerSimulator::firmwareByte(std::uint8_t byte) {
    switch (state_) {
        case ParseState::Idle:
            // Anything but the prefix between commands is ignored.
            if (byte == Prefix) state_ = ParseState::Code;
            return;
        case ParseState::Code:
            if (byte == Prefix) return;  // a repeated prefix starts the command again
            state_ = ParseState::Idle;
            command(byte);
            return;
        case ParseState::Parameter:
            state_ = ParseState::Idle;
            commandWithParameter(pendingCode_, byte);
            return;
        case ParseState::Data: {
            block_.push_back(byte);
            const auto cut = hangUpInBlock_.find(pendingCode_);
            if (cut != hangUpInBlock_.end() && block_.size() >= cut->second) {
                state_ = ParseState::Idle;
                block_.clear();
                hangUpByFault();
                return;
            }
            if (block_.size() == blockExpected_) {
                state_ = ParseState::Idle;
                blockReceived(pendingCode_);
            }
            return;
        }
    }
}

void KeyerSimulator::command(std::uint8_t code) {
    const auto expectBlock = [&](std::size_t size) {
        pendingCode_ = code;
        block_.clear();
        blockExpected_ = size;
        state_ = ParseState::Data;
    };
    switch (code) {
        case EchoTest:
        case StartFirmwareUpdate:
            pendingCode_ = code;
            state_ = ParseState::Parameter;
            return;
        case ReadPushButtons:
            queryReply(code, identity_.pushButtons);
            break;
        case ReadPotValue:
            queryReply(code, identity_.potValue);
            break;
        case ReadFirmwareMajor:
            queryReply(code, identity_.firmwareMajor);
            break;
        case ReadSupplyVoltage:
            queryReply(code, identity_.supplyReading);
            break;
        case ReadFirmwareMinor:
            queryReply(code, identity_.firmwareMinorByte);
            break;
        case ReadIcType:
            // Firmware 30.00 to 30.03 predates the variant query and ignores it.
            if (identity_.firmwareMajor == 30 && identity_.firmwareMinorByte < 4) return;
            queryReply(code, identity_.icType);
            break;
        case DumpImage:
            reply(code, std::span<const std::uint8_t>(record_.data(), SimImageSize));
            break;
        case ReadExtensionBlock:
            reply(code, std::span<const std::uint8_t>(record_.data() + SimImageSize, SimExtensionSize));
            break;
        case LoadImage:
            expectBlock(SimImageSize);
            return;
        case WriteExtensionBlock:
            expectBlock(SimExtensionSize);
            return;
        default:
            return;  // unknown codes are ignored
    }
    commands_.push_back(code);
}

void KeyerSimulator::commandWithParameter(std::uint8_t code, std::uint8_t parameter) {
    commands_.push_back(code);
    if (code == EchoTest) {
        queryReply(code, parameter);
    } else if (code == StartFirmwareUpdate && parameter == BootloaderKey) {
        enterBootloader();
    }
}

void KeyerSimulator::blockReceived(std::uint8_t code) {
    commands_.push_back(code);
    // The keyer takes a block only once it is complete.
    const std::size_t offset = code == LoadImage ? 0 : SimImageSize;
    std::copy(block_.begin(), block_.end(), record_.begin() + static_cast<std::ptrdiff_t>(offset));
    if (storeCorruption_ && *storeCorruption_ >= offset && *storeCorruption_ < offset + block_.size())
        record_[*storeCorruption_] ^= 0xFF;
    block_.clear();
}

void KeyerSimulator::queryReply(std::uint8_t code, std::uint8_t value) {
    const auto chosen = queryReplies_.find(code);
    const std::uint8_t byte = chosen != queryReplies_.end() ? chosen->second : value;
    reply(code, std::span<const std::uint8_t>(&byte, 1));
}

void KeyerSimulator::reply(std::uint8_t code, std::span<const std::uint8_t> bytes) {
    const auto cut = replyLengths_.find(code);
    if (cut != replyLengths_.end()) bytes = bytes.first(std::min(cut->second, bytes.size()));
    const auto hangUp = hangUpInReply_.find(code);
    if (hangUp != hangUpInReply_.end()) bytes = bytes.first(std::min(hangUp->second, bytes.size()));
    send(bytes);
    if (hangUp != hangUpInReply_.end()) hangUpByFault();
}

// Without a bootloader model plugged in, the bootloader only answers the echo
// test, so that a keyer without firmware can be told from a silent one.
void KeyerSimulator::builtInBootloaderByte(std::uint8_t byte) {
    switch (bootloaderEchoStep_) {
        case 0:
            if (byte == Prefix) bootloaderEchoStep_ = 1;
            return;
        case 1:
            bootloaderEchoStep_ = byte == EchoTest ? 2 : (byte == Prefix ? 1 : 0);
            return;
        default:
            bootloaderEchoStep_ = 0;
            commands_.push_back(EchoTest);
            send(BootloaderEcho);
            return;
    }
}
