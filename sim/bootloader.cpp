#include "sim/bootloader.h"

#include <utility>

namespace sim {

namespace {

constexpr std::uint16_t ErasedWord = 0x3FFF;
constexpr std::size_t IdentityWord = 3;
constexpr std::size_t WordsPerFrame = 8;

// The identity bytes 0x30 and 0x32 sit exchanged in an image.
std::uint8_t undoDigitSwap(std::uint8_t value) {
    if (value == 0x30) return 0x32;
    if (value == 0x32) return 0x30;
    return value;
}

}  // namespace

Bootloader::Bootloader(bool firmwareValid) : firmwareValid_(firmwareValid) {
    memory_.fill(ErasedWord);
    frame_.reserve(FrameSize);
}

void Bootloader::start() {
    running_ = true;
    synced_ = false;
    lineSpeed_ = CommandBaud;
    recent_ = {0xFF, 0xFF};
    frame_.clear();
    frameNumber_ = 0;
}

void Bootloader::powerCycle() {
    running_ = false;
    disconnected_ = false;
    if (!firmwareValid_) start();
}

void Bootloader::injectFrameFault(int frameNumber, FrameFault fault) { faults_[frameNumber] = fault; }

std::vector<std::uint8_t> Bootloader::receive(std::span<const std::uint8_t> bytes, std::uint32_t hostBaud) {
    std::vector<std::uint8_t> replies;
    for (std::uint8_t byte : bytes) {
        if (!running_ || disconnected_) break;
        if (hostBaud != lineSpeed_) continue;  // framing errors: the byte is lost
        receiveByte(byte, replies);
    }
    return replies;
}

void Bootloader::receiveByte(std::uint8_t byte, std::vector<std::uint8_t>& replies) {
    if (lineSpeed_ == CommandBaud) {
        receiveCommandByte(byte, replies);
        return;
    }
    if (frame_.empty()) {
        if (byte == RestartByte) {
            if (!takeFault(restartFault_, replies)) restart();
            return;
        }
        if (byte != WriteRecord && byte != WriteLastRecord) {
            replies.push_back(StartOfFrameError);
            return;
        }
    }
    frame_.push_back(byte);
    if (frame_.size() == FrameSize) {
        handleFrame(replies);
        frame_.clear();
    }
}

void Bootloader::receiveCommandByte(std::uint8_t byte, std::vector<std::uint8_t>& replies) {
    // The sync request is the firmware's echo test, 00 04 55.
    if (recent_[0] == 0x00 && recent_[1] == 0x04 && byte == 0x55) {
        if (!takeFault(syncFault_, replies)) {
            replies.push_back(SyncReply);
            synced_ = true;
        }
    } else if (byte == SpeedUpByte && synced_) {
        lineSpeed_ = RecordBaud;
    }
    recent_ = {recent_[1], byte};
}

bool Bootloader::takeFault(std::optional<FrameFault>& planted, std::vector<std::uint8_t>& replies) {
    if (!planted) return false;
    const FrameFault f = *planted;
    planted.reset();
    if (f.kind == FrameFault::Kind::Reply) replies.push_back(f.reply);
    if (f.kind == FrameFault::Kind::Disconnect) disconnected_ = true;
    return true;
}

void Bootloader::handleFrame(std::vector<std::uint8_t>& replies) {
    const int number = frameNumber_++;
    FrameSeen seen;
    seen.command = frame_[0];
    seen.wordAddress = static_cast<std::uint16_t>((frame_[1] << 8) | frame_[2]);

    auto answer = [&](std::uint8_t reply) {
        seen.reply = reply;
        replies.push_back(reply);
    };

    if (auto fault = faults_.find(number); fault != faults_.end()) {
        const FrameFault f = fault->second;
        faults_.erase(fault);
        if (f.kind == FrameFault::Kind::Reply) answer(f.reply);
        if (f.kind == FrameFault::Kind::Disconnect) disconnected_ = true;
        frames_.push_back(seen);
        return;
    }

    unsigned sum = 0;
    for (std::uint8_t b : frame_) sum += b;
    if (sum % 256 != 0) {
        answer(ChecksumError);
    } else if (seen.wordAddress + WordsPerFrame > ProgramWords) {
        answer(FlashVerifyError);  // beyond the flash: what is read back is not what was sent
    } else {
        for (std::size_t k = 0; k < WordsPerFrame; ++k)
            memory_[seen.wordAddress + k] =
                static_cast<std::uint16_t>(frame_[3 + 2 * k] | (frame_[4 + 2 * k] << 8));
        // The words the keyer starts from come last; until they are in, the
        // firmware is incomplete.
        firmwareValid_ = seen.command == WriteLastRecord;
        if (firmwareValid_) programmed_ = true;
        answer(Accepted);
    }
    frames_.push_back(seen);
}

void Bootloader::restart() {
    ++restarts_;
    frame_.clear();
    if (firmwareValid_) {
        running_ = false;
        lineSpeed_ = CommandBaud;
    } else {
        start();
    }
}

FirmwareIdentity Bootloader::identity() const {
    const std::uint16_t w = memory_[IdentityWord];
    std::uint8_t version = undoDigitSwap(static_cast<std::uint8_t>(w & 0xFF));
    std::uint8_t code = undoDigitSwap(static_cast<std::uint8_t>(w >> 8));
    if (version > 99) std::swap(version, code);
    FirmwareIdentity id;
    id.major = version;
    id.minorByte = code;
    id.icType = static_cast<std::uint8_t>(code < 200 ? code / 50 + 1 : 0);
    return id;
}

}  // namespace sim
