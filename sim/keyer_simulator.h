// A model of the keyer at the far end of the serial line: its 300-byte
// memory record, its host command set with fixed-length replies, its version,
// IC variant and readings, the hand-over to its bootloader, its line speed,
// and faults to inject.  It knows nothing of any platform: a serial backend
// (headless, a pseudo-terminal server) carries bytes to and from it.
//
// Bytes may arrive in any chunking; the keyer parses them one at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::size_t SimRecordSize = 300;
inline constexpr std::size_t SimImageSize = 288;
inline constexpr std::size_t SimExtensionSize = 12;

// What the keyer is and what it reads from its pot, buttons and supply.
struct SimulatedIdentity {
    std::uint8_t firmwareMajor = 31;
    std::uint8_t firmwareMinorByte = 52;  // minor version plus the variant offset (0, 50, 100, 150)
    std::uint8_t icType = 2;              // 1 IBEX, 2 PIKE, 3 TERN, 4 LYNX
    bool firmwarePresent = true;          // false: only the bootloader runs
    std::uint8_t potValue = 0;
    std::uint8_t pushButtons = 0;
    std::uint8_t supplyReading = 52;      // 262.144 / reading volts
    std::uint32_t firmwareBaud = 1200;    // the speed the keyer firmware talks at
};

enum class WireDirection { HostToKeyer, KeyerToHost };

// One chunk of bytes as its sender put it on the line.
struct WireChunk {
    WireDirection direction = WireDirection::HostToKeyer;
    std::int64_t timeMs = 0;
    std::uint32_t baud = 0;  // the sender's line speed
    std::vector<std::uint8_t> bytes;
};

class KeyerSimulator {
public:
    enum class Mode { Firmware, Bootloader };

    // In bootloader mode every byte the keyer receives goes to this handler
    // (the bootloader model), which answers with send() and may change the
    // keyer's speed or start the firmware.  Without one, the keyer answers
    // the echo test 00 04 xx with 0xAA and ignores everything else.
    using BootloaderHandler = std::function<void(KeyerSimulator& keyer, std::uint8_t byte)>;

    explicit KeyerSimulator(SimulatedIdentity identity = {});

    // --- The host's side of the line -------------------------------------
    // The speed of the host's UART; bytes at a speed other than the keyer's
    // own are garbled in both directions.
    void setHostBaud(std::uint32_t baud);
    std::uint32_t hostBaud() const { return hostBaud_; }
    // The host raised DTR (opened the port): a keyer with connect noise set
    // sends it now.
    void hostConnected();
    // Bytes the host put on the line; the count the keyer took before its
    // cable went (all of them while it stays connected).
    std::size_t receive(std::span<const std::uint8_t> bytes);
    // What the keyer has sent and the host has not yet taken, in order.
    std::size_t pendingOutput() const { return output_.size(); }
    std::size_t takeOutput(std::span<std::uint8_t> dest);
    std::vector<std::uint8_t> takeAllOutput();
    void discardOutput() { output_.clear(); }

    // --- The keyer's side -------------------------------------------------
    // Puts bytes on the line towards the host at the keyer's speed (replies,
    // and the bootloader's answers).
    void send(std::span<const std::uint8_t> bytes);
    void send(std::uint8_t byte) { send(std::span<const std::uint8_t>(&byte, 1)); }
    Mode mode() const { return mode_; }
    // The firmware hands over to its bootloader (what 00 10 9B does).
    void enterBootloader();
    // The bootloader restarts the firmware; without firmware it stays.
    void startFirmware();
    void setKeyerBaud(std::uint32_t baud) { keyerBaud_ = baud; }
    std::uint32_t keyerBaud() const { return keyerBaud_; }
    void setBootloaderHandler(BootloaderHandler handler) { bootloader_ = std::move(handler); }

    SimulatedIdentity& identity() { return identity_; }
    // The 300 bytes the keyer holds: at first those of a factory-fresh keyer
    // (the default user sets and extension block, an empty message memory).
    const SimulatedIdentity& identity() const { return identity_; }
    std::array<std::uint8_t, SimRecordSize>& record() { return record_; }
    const std::array<std::uint8_t, SimRecordSize>& record() const { return record_; }

    // --- Faults -----------------------------------------------------------
    // Says nothing at all (the firmware and the bootloader alike).
    void setSilent(bool silent) { silent_ = silent; }
    // Replies to this command code are cut to at most `length` bytes.
    void setReplyLength(std::uint8_t commandCode, std::size_t length) { replyLengths_[commandCode] = length; }
    // A one-byte query (the echo test included) is answered with this byte.
    void setQueryReply(std::uint8_t commandCode, std::uint8_t reply) { queryReplies_[commandCode] = reply; }
    // Sent when the host raises DTR, before any command.
    void setConnectNoise(std::vector<std::uint8_t> bytes) { connectNoise_ = std::move(bytes); }
    // The cable is pulled: nothing passes either way from now on.
    void disconnect() { connected_ = false; }
    // The cable is pulled in the middle of a transfer: right after `length`
    // bytes of the reply to this command have gone out (they still arrive),
    // or once `length` bytes of the data block of this command (0x0D, 0x1B)
    // have come in (the rest is lost).
    void setHangUpInReply(std::uint8_t commandCode, std::size_t length) { hangUpInReply_[commandCode] = length; }
    void setHangUpInBlock(std::uint8_t commandCode, std::size_t length) { hangUpInBlock_[commandCode] = length; }
    // The cable is pulled now, as those two pull it: for faults planted
    // outside the firmware's commands (the bootloader's).
    void pullCable() { hangUpByFault(); }
    // Whether a fault pulled the cable; a line server then hangs its line up.
    bool hungUpByFault() const { return hungUpByFault_; }
    bool connected() const { return connected_; }
    // Every block the keyer stores comes out with this byte of the record
    // inverted, so the record stored differs from the one sent there.
    void setStoreCorruption(std::optional<std::size_t> recordOffset) { storeCorruption_ = recordOffset; }
    // After a firmware upload the record returns to factory settings, as
    // some firmware updates do.
    void setUpdateResetsSettings(bool on) { updateResetsSettings_ = on; }
    // The bootloader restarts into firmware it has just been given.
    void firmwareReplaced();
    void clearFaults();

    // --- What went over the line -----------------------------------------
    // Every chunk both ways, as the senders put them on the line.
    const std::vector<WireChunk>& wireLog() const { return wireLog_; }
    void clearWireLog() { wireLog_.clear(); }
    // Host chunks only (one per write on a backend that passes writes whole).
    std::vector<std::vector<std::uint8_t>> hostChunks() const;
    // All bytes one way, concatenated.
    std::vector<std::uint8_t> bytesFromHost() const;
    std::vector<std::uint8_t> bytesToHost() const;
    // Command codes the firmware received and acted on, in order.
    const std::vector<std::uint8_t>& commands() const { return commands_; }
    // Timestamps for the wire log (milliseconds); none set: 0.
    void setClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    // Time that `byteCount` bytes need on the line at `baud` (10 bits each).
    static std::int64_t lineTimeUs(std::size_t byteCount, std::uint32_t baud);
    // What a byte becomes when sender and receiver run at different speeds.
    static std::uint8_t garbled(std::uint8_t byte) { return static_cast<std::uint8_t>(0xF0 | (byte >> 4)); }

private:
    enum class ParseState { Idle, Code, Parameter, Data };

    void firmwareByte(std::uint8_t byte);
    void command(std::uint8_t code);
    void commandWithParameter(std::uint8_t code, std::uint8_t parameter);
    void blockReceived(std::uint8_t code);
    void reply(std::uint8_t code, std::span<const std::uint8_t> bytes);
    void hangUpByFault();
    void queryReply(std::uint8_t code, std::uint8_t value);
    void builtInBootloaderByte(std::uint8_t byte);
    std::int64_t now() const { return clock_ ? clock_() : 0; }

    SimulatedIdentity identity_;
    std::array<std::uint8_t, SimRecordSize> record_{};
    Mode mode_ = Mode::Firmware;
    std::uint32_t hostBaud_ = 1200;
    std::uint32_t keyerBaud_ = 1200;

    ParseState state_ = ParseState::Idle;
    std::uint8_t pendingCode_ = 0;
    std::vector<std::uint8_t> block_;
    std::size_t blockExpected_ = 0;
    int bootloaderEchoStep_ = 0;

    std::deque<std::uint8_t> output_;
    BootloaderHandler bootloader_;

    bool silent_ = false;
    bool connected_ = true;
    std::map<std::uint8_t, std::size_t> replyLengths_;
    std::map<std::uint8_t, std::uint8_t> queryReplies_;
    std::vector<std::uint8_t> connectNoise_;
    std::map<std::uint8_t, std::size_t> hangUpInReply_;
    std::map<std::uint8_t, std::size_t> hangUpInBlock_;
    bool hungUpByFault_ = false;
    std::optional<std::size_t> storeCorruption_;
    bool updateResetsSettings_ = false;

    std::vector<WireChunk> wireLog_;
    std::vector<std::uint8_t> commands_;
    std::function<std::int64_t()> clock_;
};
