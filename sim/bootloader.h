// The keyer's bootloader, as the simulated keyer runs it: it answers the sync
// request, moves to 9600 baud on the speed-up byte, takes 20-byte record
// frames into program memory (checking each frame's sum), and restarts into
// the firmware it holds.  Faults can be injected per frame.
//
// The model knows nothing of time or of a serial device: it is fed the bytes
// the host sends, with the line speed the host sends them at, and returns the
// bytes it answers.  Entering the bootloader is the firmware's business
// (host command 00 10 9B); the simulated keyer calls start() for it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace sim {

// What the bootloader does with one frame instead of handling it.
struct FrameFault {
    enum class Kind {
        Reply,       // answers `reply` and does not store the frame
        Silence,     // answers nothing and does not store the frame
        Disconnect,  // the keyer drops off the line: nothing more in either direction
    };
    Kind kind = Kind::Reply;
    std::uint8_t reply = 0;

    static FrameFault replyWith(std::uint8_t byte) { return {Kind::Reply, byte}; }
    static FrameFault silence() { return {Kind::Silence, 0}; }
    static FrameFault disconnect() { return {Kind::Disconnect, 0}; }
};

// One frame as the bootloader saw it.
struct FrameSeen {
    std::uint8_t command = 0;
    std::uint16_t wordAddress = 0;
    std::optional<std::uint8_t> reply;  // nothing when it stayed silent
};

// What the firmware in program memory says it is, from program word 3.
struct FirmwareIdentity {
    std::uint8_t major = 0;      // the version, as 00 09 answers it
    std::uint8_t minorByte = 0;  // minor version plus the variant offset, as 00 17 answers it
    std::uint8_t icType = 0;     // 1 IBEX .. 4 LYNX, as 00 18 answers it; 0 for codes from 200 up
};

class Bootloader {
public:
    static constexpr std::size_t ProgramWords = 8192;
    static constexpr std::uint32_t CommandBaud = 1200;
    static constexpr std::uint32_t RecordBaud = 9600;

    static constexpr std::uint8_t SyncReply = 0xAA;
    static constexpr std::uint8_t SpeedUpByte = 0x35;
    static constexpr std::uint8_t RestartByte = 0x5A;
    static constexpr std::uint8_t WriteRecord = 0x1B;
    static constexpr std::uint8_t WriteLastRecord = 0x2E;
    static constexpr std::uint8_t Accepted = 0x3C;
    static constexpr std::uint8_t StartOfFrameError = 0x80;
    static constexpr std::uint8_t ChecksumError = 0x81;
    static constexpr std::uint8_t FlashVerifyError = 0x82;
    static constexpr std::size_t FrameSize = 20;

    // Erased program memory (every word 0x3FFF), firmware marked valid or not,
    // bootloader not running.
    Bootloader() : Bootloader(true) {}
    explicit Bootloader(bool firmwareValid);

    // The bootloader takes over the line: 1200 baud, waiting for the sync
    // request.  Frames are numbered from 0 again.
    void start();
    // Power off and on: the firmware runs when it is valid, the bootloader otherwise.
    void powerCycle();
    bool running() const { return running_; }

    // Bytes from the host, sent at hostBaud.  Bytes sent at another speed than
    // the bootloader listens at arrive as line noise and are lost.  Returns the
    // answer bytes, in order.
    std::vector<std::uint8_t> receive(std::span<const std::uint8_t> bytes, std::uint32_t hostBaud);

    std::uint32_t lineSpeed() const { return lineSpeed_; }
    bool disconnected() const { return disconnected_; }

    // Frame frameNumber (0 for the first frame after start()) gets this fault
    // instead of its own answer; each fault is used once.
    void injectFrameFault(int frameNumber, FrameFault fault);
    // The next sync request, or the next restart byte, gets this fault instead
    // of its own handling: no sync (a reply fault answers its byte instead of
    // 0xAA), or no restart (the bootloader stays where it is, at 9600 baud).
    void injectSyncFault(FrameFault fault) { syncFault_ = fault; }
    void injectRestartFault(FrameFault fault) { restartFault_ = fault; }

    // Program memory.  A frame to a record at word address a writes words a to a+7.
    std::uint16_t word(std::size_t address) const { return memory_[address]; }
    void setWord(std::size_t address, std::uint16_t value) { memory_[address] = value; }
    // Valid once the last record (command 0x2E) is written; no longer valid
    // from the first record written before it.  Without valid firmware the
    // keyer restarts into its bootloader.
    bool firmwareValid() const { return firmwareValid_; }
    // Whether a complete upload has ended since construction: program memory
    // then decides what the firmware says it is.
    bool programmed() const { return programmed_; }
    FirmwareIdentity identity() const;

    const std::vector<FrameSeen>& frames() const { return frames_; }
    int restarts() const { return restarts_; }

private:
    void receiveByte(std::uint8_t byte, std::vector<std::uint8_t>& replies);
    void receiveCommandByte(std::uint8_t byte, std::vector<std::uint8_t>& replies);
    void handleFrame(std::vector<std::uint8_t>& replies);
    void restart();
    // Applies a planted fault in place of an answer; true when there was one.
    bool takeFault(std::optional<FrameFault>& planted, std::vector<std::uint8_t>& replies);

    std::array<std::uint16_t, ProgramWords> memory_{};
    bool firmwareValid_ = true;
    bool programmed_ = false;
    bool running_ = false;
    bool disconnected_ = false;
    bool synced_ = false;
    std::uint32_t lineSpeed_ = CommandBaud;
    std::array<std::uint8_t, 2> recent_{0xFF, 0xFF};  // the two bytes before this one, at 1200 baud
    std::vector<std::uint8_t> frame_;
    int frameNumber_ = 0;
    int restarts_ = 0;
    std::map<int, FrameFault> faults_;
    std::optional<FrameFault> syncFault_;
    std::optional<FrameFault> restartFault_;
    std::vector<FrameSeen> frames_;
};

}  // namespace sim
