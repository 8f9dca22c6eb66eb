#include "core/link/wire_trace.h"

#include <utility>

#include "core/text_format.h"
#include "platform/threads.h"

WireTrace::WireTrace(LineWriter lineWriter, FailureReport failureReport)
    : writer(std::move(lineWriter)), report(std::move(failureReport)), startMs(monotonicMs()) {}

std::string traceLine(std::int64_t elapsedMs, std::string_view text) {
    std::string line = formatText("%8lld  ", static_cast<long long>(elapsedMs));
    line += text;
    return line;
}

std::string transferText(TransferDirection direction, std::uint32_t baudRate, std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = direction == TransferDirection::ToKeyer ? "host>keyer " : "keyer>host ";
    text += std::to_string(baudRate) + ":";
    text.reserve(text.size() + bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

void traceEvent(WireTrace* trace, std::string_view text) {
    if (!trace) return;
    std::lock_guard lock(trace->mutex);
    if (trace->failed) return;
    if (trace->writer(traceLine(monotonicMs() - trace->startMs, text))) return;
    // Lost lines would make the trace lie about the wire: it ends here.
    trace->failed = true;
    if (trace->report) trace->report("a line could not be written; the trace stops here");
}

void traceTransfer(WireTrace* trace, TransferDirection direction, std::uint32_t baudRate,
                   std::span<const std::uint8_t> bytes) {
    if (trace) traceEvent(trace, transferText(direction, baudRate, bytes));
}
