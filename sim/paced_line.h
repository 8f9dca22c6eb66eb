// A simulated keyer at the far end of a line that carries bytes at the line
// rate (10 bits a byte), on a clock its user reads: what keyer-sim --pace does
// on a pseudo-terminal, for a program that has no thread to spare (the web
// page's virtual keyer).  Nothing here waits: the user asks when the next
// byte arrives and comes back then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "sim/keyer_simulator.h"

class PacedKeyerLine {
public:
    explicit PacedKeyerLine(KeyerSimulator& keyer) : keyer_(keyer) {}

    // Off: every byte arrives the moment it is sent (nobody is watching).
    void setPacing(bool on) { pacing_ = on; }

    // --- The host's side, each at the time nowUs --------------------------
    // The host's UART speed from now on; bytes already on the line keep theirs.
    void setHostBaud(std::uint32_t baud, std::int64_t nowUs);
    // The host raised DTR: a keyer with connect noise sends it now.
    void hostConnected(std::int64_t nowUs);
    // Puts bytes on the line behind those still crossing; the keyer takes
    // them once the last has crossed, and answers from that moment.
    void hostWrite(std::span<const std::uint8_t> bytes, std::int64_t nowUs);
    // Bytes that have reached the host and wait to be taken.
    std::size_t arrived(std::int64_t nowUs);
    std::size_t take(std::span<std::uint8_t> dest, std::int64_t nowUs);
    // Drops what has reached the host; bytes still crossing arrive later.
    void dropArrived(std::int64_t nowUs);
    // The port closed: what has crossed by nowUs reaches the keyer, and
    // everything else on the line both ways is forgotten.
    void clear(std::int64_t nowUs);

    // When the last byte the host wrote will have crossed.
    std::int64_t hostOutputDoneUs() const { return hostLineFreeUs_; }
    // The moment `count` bytes will have reached the host (counting those
    // not yet taken), as far as it is known now; -1 when not that many are
    // on their way yet.
    std::int64_t arrivalOf(std::size_t count) const;
    // The next moment after nowUs that something reaches either end; -1
    // when nothing is on its way.
    std::int64_t nextArrivalUs(std::int64_t nowUs) const;

private:
    struct HostChunk {
        std::vector<std::uint8_t> bytes;
        std::uint32_t baud = 0;
        std::int64_t arrivesUs = 0;
    };
    struct KeyerByte {
        std::uint8_t byte = 0;
        std::int64_t arrivesUs = 0;
    };

    std::int64_t lineTimeUs(std::size_t count, std::uint32_t baud) const;
    // Delivers every host chunk that has crossed by nowUs.
    void advance(std::int64_t nowUs);
    // Puts what the keyer has sent on the line towards the host, from fromUs.
    void sendKeyerOutput(std::int64_t fromUs);

    KeyerSimulator& keyer_;
    bool pacing_ = true;
    std::uint32_t hostBaud_ = 1200;
    std::deque<HostChunk> toKeyer_;
    std::deque<KeyerByte> toHost_;
    std::int64_t hostLineFreeUs_ = 0;
    std::int64_t keyerLineFreeUs_ = 0;
};
