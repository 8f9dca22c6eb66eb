// The wire trace into a file, apart from the trace itself, so that only a
// program that writes one needs the system's line file.
#include "core/link/wire_trace.h"

#include <string>

#include "platform/files.h"

std::unique_ptr<WireTrace> startWireTraceFile(std::string_view path, std::string_view program,
                                              WireTrace::FailureReport report) {
    LineFile* file = openLineFile(path);
    if (!file) return nullptr;
    // The file goes with the last copy of the writer, that is with the trace.
    std::shared_ptr<LineFile> owned(file, closeLineFile);
    auto trace = std::make_unique<WireTrace>(
        [owned](std::string_view line) { return writeFileLine(owned.get(), line); }, std::move(report));
    traceEvent(trace.get(), std::string(program) + " wire trace: milliseconds since the start, then what the link did");
    return trace;
}
