// A trace of what a link did on the wire, one text line per event: every
// transfer with its direction, line speed and bytes in hex, and the opens,
// closes, speed changes, purges, drains and time-outs around them.  The
// transport writes it for every caller whose link points to one; a trace
// that cannot be written is reported once and never stops an operation.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

struct WireTrace {
    // Where the lines go: false when a line could not be written.
    using LineWriter = std::function<bool(std::string_view line)>;
    // Told once, on the first line that could not be written.
    using FailureReport = std::function<void(std::string_view why)>;

    WireTrace(LineWriter writer, FailureReport report);

    const LineWriter writer;
    const FailureReport report;
    const std::int64_t startMs;  // monotonicMs() when the trace began
    std::mutex mutex;            // an upload writes from its worker thread
    bool failed = false;         // a line was lost: nothing more is written
};

enum class TransferDirection { ToKeyer, FromKeyer };

// "     104  text": the milliseconds since the trace began, then the event.
void traceEvent(WireTrace* trace, std::string_view text);
// "     104  host>keyer 1200: 00 04 55".
void traceTransfer(WireTrace* trace, TransferDirection direction, std::uint32_t baudRate,
                   std::span<const std::uint8_t> bytes);
// The line format, apart for tests.
std::string traceLine(std::int64_t elapsedMs, std::string_view text);
std::string transferText(TransferDirection direction, std::uint32_t baudRate, std::span<const std::uint8_t> bytes);

// A trace into the file at path, its first line naming the program that
// writes it ("jxtool 5.0"); null when the file cannot be created (the caller
// reports that).  report is told when a line could not be written later.
std::unique_ptr<WireTrace> startWireTraceFile(std::string_view path, std::string_view program,
                                              WireTrace::FailureReport report);
