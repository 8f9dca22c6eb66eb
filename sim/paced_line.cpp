#include "sim/paced_line.h"

#include <algorithm>

std::int64_t PacedKeyerLine::lineTimeUs(std::size_t count, std::uint32_t baud) const {
    return pacing_ ? KeyerSimulator::lineTimeUs(count, baud) : 0;
}

void PacedKeyerLine::setHostBaud(std::uint32_t baud, std::int64_t nowUs) {
    advance(nowUs);
    hostBaud_ = baud;
    keyer_.setHostBaud(baud);
}

void PacedKeyerLine::hostConnected(std::int64_t nowUs) {
    advance(nowUs);
    keyer_.hostConnected();
    sendKeyerOutput(nowUs);
}

void PacedKeyerLine::hostWrite(std::span<const std::uint8_t> bytes, std::int64_t nowUs) {
    if (bytes.empty()) return;
    advance(nowUs);
    const std::int64_t start = std::max(nowUs, hostLineFreeUs_);
    hostLineFreeUs_ = start + lineTimeUs(bytes.size(), hostBaud_);
    toKeyer_.push_back({{bytes.begin(), bytes.end()}, hostBaud_, hostLineFreeUs_});
    advance(nowUs);
}

void PacedKeyerLine::advance(std::int64_t nowUs) {
    while (!toKeyer_.empty() && toKeyer_.front().arrivesUs <= nowUs) {
        HostChunk chunk = std::move(toKeyer_.front());
        toKeyer_.pop_front();
        // The keyer hears the chunk at the speed it was sent with.
        keyer_.setHostBaud(chunk.baud);
        keyer_.receive(chunk.bytes);
        keyer_.setHostBaud(hostBaud_);
        sendKeyerOutput(chunk.arrivesUs);
    }
    // Nobody reads the wire log here: it would only grow.
    keyer_.clearWireLog();
}

void PacedKeyerLine::sendKeyerOutput(std::int64_t fromUs) {
    const std::vector<std::uint8_t> output = keyer_.takeAllOutput();
    // The bytes of a reply follow each other on the line's fixed schedule.
    std::int64_t at = std::max(fromUs, keyerLineFreeUs_);
    const std::int64_t byteUs = lineTimeUs(1, keyer_.keyerBaud());
    for (std::uint8_t byte : output) {
        at += byteUs;
        toHost_.push_back({byte, at});
    }
    if (!output.empty()) keyerLineFreeUs_ = at;
}

std::size_t PacedKeyerLine::arrived(std::int64_t nowUs) {
    advance(nowUs);
    std::size_t count = 0;
    while (count < toHost_.size() && toHost_[count].arrivesUs <= nowUs) ++count;
    return count;
}

std::size_t PacedKeyerLine::take(std::span<std::uint8_t> dest, std::int64_t nowUs) {
    const std::size_t count = std::min(arrived(nowUs), dest.size());
    for (std::size_t k = 0; k < count; ++k) dest[k] = toHost_[k].byte;
    toHost_.erase(toHost_.begin(), toHost_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

void PacedKeyerLine::dropArrived(std::int64_t nowUs) {
    const std::size_t count = arrived(nowUs);
    toHost_.erase(toHost_.begin(), toHost_.begin() + static_cast<std::ptrdiff_t>(count));
}

void PacedKeyerLine::clear(std::int64_t nowUs) {
    advance(nowUs);
    toKeyer_.clear();
    toHost_.clear();
    keyer_.discardOutput();
}

std::int64_t PacedKeyerLine::arrivalOf(std::size_t count) const {
    if (count == 0) return 0;
    return count <= toHost_.size() ? toHost_[count - 1].arrivesUs : -1;
}

std::int64_t PacedKeyerLine::nextArrivalUs(std::int64_t nowUs) const {
    std::int64_t next = toKeyer_.empty() ? -1 : toKeyer_.front().arrivesUs;
    for (const KeyerByte& b : toHost_) {
        if (b.arrivesUs <= nowUs) continue;  // there already, waiting to be taken
        if (next < 0 || b.arrivesUs < next) next = b.arrivesUs;
        break;
    }
    return next;
}
