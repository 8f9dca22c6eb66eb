// wire_bench: what the keyer exchanges cost over a real pseudo-terminal,
// against keyer-sim --pace, set beside the least time their bytes and the
// prescribed pauses need (Test, Read, Write and a verified Write, uploads,
// and jxtool update with its settings restored); and the program's own costs around them (a full
// firmware file, the COM port list, the Linux program's start and memory).
// Prints one Markdown table on standard output, progress on standard error.
//
// The exchanges run in this process through the same link and firmware
// operations that the main window and jxtool call, so process start is not
// in their figures; it has a row of its own.
//
// keyer-sim --pace sends each reply byte after its 10 bits at the keyer's
// speed and acts on a command only once the command's bytes would have
// crossed the line: a pseudo-terminal takes the host's bytes at once, but
// the keyer's answer still waits for them.  So on this medium every exchange
// that waits for a reply pays both directions' bytes, and only bytes that
// the host writes just before a prescribed pause (Write's two blocks before
// the 3000 ms hold, the speed-up and restart bytes of an upload) cross
// during the pause.  On a real line Write's blocks must also leave the line
// before the hold starts.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/full_image_file.h"
#include "bench/x_map_watch.h"
#include "core/firmware/firmware_image.h"
#include "core/firmware/firmware_update.h"
#include "core/firmware/hex_file.h"
#include "core/firmware/upload_checks.h"
#include "core/firmware/upload_worker.h"
#include "core/link/keyer_transfers.h"
#include "core/link/transport.h"
#include "core/link/wire_trace.h"
#include "core/settings/keyer_settings.h"
#include "dialogs/com_port_dialog.h"
#include "platform/posix/serial_latency.h"
#include "platform/serial.h"
#include "platform/threads.h"
#include "tests/pty/keyer_sim_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// --- The least time on the wire ---------------------------------------------

constexpr double lineMs(int bytes, double baud) { return bytes * 10.0 * 1000.0 / baud; }

constexpr double Slow = KeyerBaudRate;  // 1200: host commands, link check, sync
constexpr double Fast = 9600;           // the bootloader's record frames
constexpr int OpenPauseMs = SettleBeforePurgeMs;
constexpr int Frames = LastSentRecord + 1;  // records 4 to 955, then 0 to 3: 956
constexpr int UploadPausesMs = 200 + 500 + 100;

// The link check against keyer-sim's default keyer (firmware 31.02, PIKE):
// echo 00 04 55, major 00 09, minor 00 17, variant 00 18, one byte back each.
constexpr int LinkHost = 3 + 2 + 2 + 2, LinkReply = 4;
// A keyer with its bootloader alone answers the echo with 0xAA and no more.
constexpr int RecoveryLinkHost = 3, RecoveryLinkReply = 1;
// Test: pot value, push buttons, supply voltage.
constexpr int TestHost = 2 + 2 + 2, TestReply = 3;
// Read: 00 0C with the 288-byte image, 00 1A with the 12-byte extension block.
constexpr int ReadHost = 2 + 2, ReadReply = 288 + 12;
// Write: 00 1B and the extension block, 00 0D and the image; nothing back.
constexpr int WriteHost = 2 + 12 + 2 + 288;
// An upload: the hand-over 00 10 9B (normal mode only) and the sync request
// at 1200 baud with its reply; each frame 20 bytes out and one back at 9600.
constexpr int HandOver = 3, SyncHost = 3, SyncReply = 1;

constexpr double linkFloor(bool recovery) {
    return OpenPauseMs + (recovery ? lineMs(RecoveryLinkHost + RecoveryLinkReply, Slow) : lineMs(LinkHost + LinkReply, Slow));
}
constexpr double testFloor = linkFloor(false) + lineMs(TestHost + TestReply, Slow);
constexpr double readFloor = linkFloor(false) + lineMs(ReadHost + ReadReply, Slow);
constexpr double writeFloorHere = linkFloor(false) + std::max<double>(WriteSettleMs, lineMs(WriteHost, Slow));
constexpr double writeFloorLine = linkFloor(false) + lineMs(WriteHost, Slow) + WriteSettleMs;
constexpr double uploadFloor(bool recovery) {
    return linkFloor(recovery) + lineMs((recovery ? 0 : HandOver) + SyncHost + SyncReply, Slow) +
           lineMs(Frames * (static_cast<int>(RecordFrameSize) + 1), Fast) + UploadPausesMs;
}
// A verified Write reads the record back on the same link after the hold.
constexpr double readBackFloor = lineMs(ReadHost + ReadReply, Slow);
constexpr double verifiedWriteFloorHere = writeFloorHere + readBackFloor;
constexpr double verifiedWriteFloorLine = writeFloorLine + readBackFloor;
// jxtool update with settings to restore: the upload (its link check is
// step 1's), the Read before it, the link check after the restart, the Read
// after it, then a verified Write of the record kept.
constexpr double updateFloor(bool realLine) {
    return uploadFloor(false) + 2 * readBackFloor + linkFloor(false) +
           (realLine ? verifiedWriteFloorLine : verifiedWriteFloorHere) - linkFloor(false);
}
constexpr int UpdatePausesMs = 2 * OpenPauseMs + UploadPausesMs + WriteSettleMs;

// --- Helpers ----------------------------------------------------------------

struct Figures {
    std::vector<double> runs;
    double median() const {
        std::vector<double> v = runs;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double low() const { return runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
    double high() const { return runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end()); }
};

// The link every exchange here runs on.
KeyerLink benchLink;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "wire_bench: %s\n", why.c_str());
    closePort(benchLink);
    std::exit(1);
}

void progress(const std::string& what) {
    std::fprintf(stderr, "wire_bench: %s\n", what.c_str());
    std::fflush(stderr);
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string ms(double value) {
    if (value >= 100) return format("%.0f ms", value);
    if (value >= 1) return format("%.1f ms", value);
    return format("%.3f ms", value);
}

std::string megabytes(long kib) { return format("%.1f MB", static_cast<double>(kib) * 1024.0 / 1e6); }

// A program started with its output silenced and the environment changed by
// `overrides` ("NAME=value").
pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& overrides = {}) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const std::string& o) {
            return entry.compare(0, o.find('=') + 1, o, 0, o.find('=') + 1) == 0;
        });
        if (!replaced) environment.push_back(entry);
    }
    environment.insert(environment.end(), overrides.begin(), overrides.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

struct Ended {
    int status = -1;
    long maxRssKib = 0;
};
Ended waitForEnd(pid_t pid) {
    Ended ended;
    if (pid <= 0) return ended;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid) {
        ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ended.maxRssKib = usage.ru_maxrss;
    }
    return ended;
}

// A field of /proc/PID/status in kB ("VmHWM", "VmRSS"); 0 when not found.
long statusKib(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with(field + ":")) return std::atol(line.c_str() + field.size() + 1);
    return 0;
}

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// --- The keyer exchanges ----------------------------------------------------

double timeTest(const std::string& device) {
    const auto start = Clock::now();
    const LinkCheck check = reconnectAndCheckLink(benchLink, device);
    if (check.code < 0) fail("Test: " + check.status);
    const KeyerReadings readings = readKeyerReadings(benchLink, check.identity.variant);
    const double elapsed = msSince(start);
    if (readings.pushButtons.empty()) fail("Test: no push-button reading");
    closePort(benchLink);
    return elapsed;
}

double timeRead(const std::string& device) {
    KeyerSettings record{};
    const auto start = Clock::now();
    const LinkCheck check = reconnectAndCheckLink(benchLink, device);
    if (check.code < 0) fail("Read: " + check.status);
    const TransferResult result = readRecordFromKeyer(benchLink, record);
    const double elapsed = msSince(start);
    if (!result.ok) fail("Read: " + std::string(result.status));
    closePort(benchLink);
    return elapsed;
}

double timeWrite(const std::string& device) {
    const KeyerSettings record = factorySettings();
    const auto start = Clock::now();
    const LinkCheck check = reconnectAndCheckLink(benchLink, device);
    if (check.code < 0) fail("Write: " + check.status);
    const TransferResult result = writeRecordToKeyer(benchLink, record);
    const double elapsed = msSince(start);
    if (!result.ok) fail("Write: " + std::string(result.status));
    closePort(benchLink);
    return elapsed;
}

double timeVerifiedWrite(const std::string& device) {
    const KeyerSettings record = factorySettings();
    const auto start = Clock::now();
    const LinkCheck check = reconnectAndCheckLink(benchLink, device);
    if (check.code < 0) fail("verified Write: " + check.status);
    const TransferResult result = writeRecordToKeyer(benchLink, record);
    const VerifyResult verified = verifyRecordOnKeyer(benchLink, record);
    const double elapsed = msSince(start);
    if (!result.ok || !verified.ok) fail("verified Write: " + std::string(result.ok ? verified.status : result.status));
    closePort(benchLink);
    return elapsed;
}

// jxtool update's five steps, from loading the file to the restored
// record verified, against a keyer whose update resets its settings.
double timeUpdate(const std::string& device, const std::string& imagePath) {
    FirmwareUpdateJob job;
    job.firmwarePath = imagePath;
    job.device = device;
    const auto start = Clock::now();
    const FirmwareUpdateOutcome outcome = updateFirmwareKeepingSettings(benchLink, job);
    const double elapsed = msSince(start);
    closePort(benchLink);
    if (!outcome.ok || !outcome.settingsRestored) fail("update: it did not end with the settings restored");
    return elapsed;
}

// From Program (its checks and link check) to the worker's result.
double timeUpload(const std::string& device, const std::shared_ptr<FirmwareImage>& image, int recordCount,
                  std::uint8_t icCode, bool recovery) {
    const auto start = Clock::now();
    const UploadStart allowed = checkUploadMayStart(true, recordCount, icCode, benchLink, device, {});
    if (!allowed.mayStart) fail("upload refused: " + std::string(allowed.refusal));
    if (allowed.recoveryMode != recovery) fail("upload: not the mode asked for");
    const auto upload = startUpload(UploadJob{image, &benchLink, allowed.recoveryMode, {}});
    if (!upload) fail("upload: no worker");
    // Looked at every 2 ms: a busier watch would take the processor from
    // the worker and the keyer it measures.
    const int code = waitForUpload(*upload, {}, 2);
    const double elapsed = msSince(start);
    closePort(benchLink);
    if (code != UploadComplete) fail("upload: " + std::string(uploadResultMessage(code)));
    return elapsed;
}

// Record frames exchanged one after another by a plain loop on the link, to
// a keyer with its bootloader alone: what one frame costs on this medium
// apart from the upload worker.  Each figure is a frame's round trip.
Figures timeFrameExchanges(const std::string& device, const FirmwareImage& image, int count) {
    if (openPort(benchLink, device).code != PortOpened) fail("frames: the port did not open");
    const std::uint8_t sync[] = {0x00, 0x04, 0x55}, speedUp[] = {0x35};
    std::uint8_t reply[1] = {};
    writeBytes(benchLink, sync);
    if (!readBytes(benchLink, reply) || reply[0] != 0xAA) fail("frames: no sync");
    writeBytes(benchLink, speedUp);
    sleepMs(200);
    if (!setBaudRate(benchLink, 9600)) fail("frames: no 9600 baud");
    Figures f;
    for (int i = 0; i < count; ++i) {
        const RecordFrame frame =
            buildRecordFrame(WriteRecordCommand, image[static_cast<std::size_t>(FirstMainPassRecord + i)]);
        const auto start = Clock::now();
        writeBytes(benchLink, frame);
        const bool answered = readBytes(benchLink, reply);
        f.runs.push_back(msSince(start));
        if (!answered || reply[0] != RecordAccepted) fail("frames: not accepted");
    }
    closePort(benchLink);
    return f;
}

std::string startKeyer(KeyerSimProcess& keyer, std::vector<std::string> args, bool paced = true) {
    if (paced) args.push_back("--pace");
    const std::string device = keyer.start(args);
    if (!device.starts_with("/dev/")) fail("keyer-sim did not start");
    return device;
}

// --- The COM port list ------------------------------------------------------

// What the COM port dialog does as it opens (dialogs/com_port_dialog.cpp):
// every COM number probed by its device name, the ones that exist counted.
// Point this at whatever lists the ports when that changes.
int buildPortList() {
    int listed = 0;
    for (int n = FirstProbedPort; n <= LastProbedPort; ++n)
        if (portExists(serialProbe(portDeviceName(n)))) ++listed;
    return listed;
}

Figures timePortList(int runs, int& listed) {
    Figures f;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        listed = buildPortList();
        f.runs.push_back(msSince(start));
    }
    return f;
}

// --- The Linux program ------------------------------------------------------

struct XServer {
    pid_t pid = -1;
    std::string display;
    ~XServer() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

// Xvfb on the display asked for, or on one it picks itself.
bool startXServer(XServer& server, const std::string& wanted) {
    if (!wanted.empty()) {
        server.pid = spawn({"/usr/bin/Xvfb", wanted, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"});
        server.display = wanted;
        return server.pid > 0;
    }
    int fds[2];
    if (::pipe(fds) != 0) return false;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    server.pid = spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                        "-nolisten", "tcp", "-noreset"});
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (server.pid > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    ::close(fds[0]);
    server.display = ":" + number;
    return server.pid > 0 && !number.empty();
}

struct WindowFigures {
    Figures startMs;
    Figures peakKib;
    bool ok = false;
};

WindowFigures timeProgramStart(const std::string& program, const std::string& display, const fs::path& configHome,
                               int runs) {
    WindowFigures figures;
    XMapWatch* watch = nullptr;
    for (int tries = 0; tries < 100 && !watch; ++tries) {
        watch = openMapWatch(display);
        if (!watch) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!watch) return figures;
    for (int i = 0; i < runs; ++i) {
        discardEvents(watch);
        const auto start = Clock::now();
        const pid_t pid = spawn({program}, {"DISPLAY=" + display, "XDG_CONFIG_HOME=" + configHome.string()});
        if (pid < 0) break;
        const bool shown = waitForTopLevelMap(watch, 20000);
        const double elapsed = msSince(start);
        // Resident memory once the window has drawn itself and settled.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const long peak = statusKib(pid, "VmHWM");
        ::kill(pid, SIGTERM);
        waitForEnd(pid);
        if (!shown) break;
        figures.startMs.runs.push_back(elapsed);
        figures.peakKib.runs.push_back(static_cast<double>(peak));
    }
    closeMapWatch(watch);
    figures.ok = static_cast<int>(figures.startMs.runs.size()) == runs;
    return figures;
}

// --- The table --------------------------------------------------------------

struct Table {
    std::vector<std::string> rows;
    void add(const std::string& what, const Figures& f, const std::string& range, const std::string& floorHere,
             const std::string& overhead, const std::string& unpaced, const std::string& goal,
             std::optional<bool> met, const std::string& floorLine, const std::string& measured = {}) {
        rows.push_back("| " + what + " | " + std::to_string(f.runs.size()) + " | " +
                       (measured.empty() ? ms(f.median()) : measured) + " | " + range + " | " + floorHere + " | " +
                       overhead + " | " + unpaced + " | " + goal + " | " +
                       (met ? (*met ? "yes" : "**no**") : std::string("-")) + " | " + floorLine + " |");
    }
    static std::string range(const Figures& f) {
        return f.runs.size() < 2 ? std::string("-") : ms(f.low()) + " - " + ms(f.high());
    }
    // `unpaced`: the same against a keyer that answers at once, less the
    // prescribed pauses: what the exchanges cost without any line time.
    void addExchange(const std::string& what, const Figures& f, const Figures& unpaced, double pausesMs,
                     double floorHere, double floorLine) {
        const double overhead = f.median() - floorHere;
        add(what, f, range(f), ms(floorHere), ms(overhead), ms(unpaced.median() - pausesMs), "overhead < 10 ms",
            overhead < 10, ms(floorLine));
    }
    void addUpload(const std::string& what, const Figures& f, const Figures& unpaced, double pausesMs, double floor) {
        const double overhead = f.median() - floor;
        const double perFrame = overhead / Frames;
        const double unpacedMs = unpaced.median() - pausesMs;
        add(what, f, range(f), ms(floor), ms(overhead) + ", " + format("%.3f", perFrame) + " ms a frame",
            ms(unpacedMs) + ", " + format("%.3f", unpacedMs / Frames) + " ms a frame", "< 0.5 ms a frame",
            perFrame < 0.5, ms(floor));
    }
    // An upload and five more exchanges: the upload's goal, and 10 ms for each of them.
    void addUpdate(const std::string& what, const Figures& f, const Figures& unpaced, double floorHere,
                   double floorLine) {
        const double overhead = f.median() - floorHere;
        const double goal = 0.5 * Frames + 5 * 10;
        add(what, f, range(f), ms(floorHere), ms(overhead), ms(unpaced.median() - UpdatePausesMs),
            "overhead < " + ms(goal), overhead < goal, ms(floorLine));
    }
    void addFrames(const std::string& what, const Figures& f) {
        double sum = 0;
        for (double v : f.runs) sum += v;
        const double floor = lineMs(static_cast<int>(RecordFrameSize) + 1, Fast);
        const double mean = f.runs.empty() ? 0 : sum / static_cast<double>(f.runs.size());
        add(what, f, range(f), ms(floor) + " a frame",
            "median " + format("%.3f", f.median() - floor) + ", mean " + format("%.3f", mean - floor) + " ms a frame",
            "-", "-", std::nullopt, ms(floor) + " a frame", format("%.3f ms", f.median()));
    }
    void addPlain(const std::string& what, const Figures& f, const std::string& goal, std::optional<bool> met,
                  const std::string& measured = {}, const std::string& spread = {}) {
        add(what, f, spread.empty() ? range(f) : spread, "-", "-", "-", goal, met, "-", measured);
    }
};

struct Options {
    int runs = 5;
    int uploadRuns = 3;
    std::string display;  // empty: Xvfb picks one
    bool skipUploads = false;
    std::string latencyOf;  // only tell what low-latency mode this device gave
};

const char* const Usage =
    "usage: wire_bench [--runs N] [--upload-runs N] [--no-uploads] [--display :N]\n"
    "       wire_bench --latency-of DEVICE\n"
    "Measures the keyer exchanges over a pseudo-terminal against keyer-sim --pace,\n"
    "a full firmware file, the COM port list and the Linux program's start, and\n"
    "prints a Markdown table.  --display starts Xvfb on that display (default: a\n"
    "free one Xvfb picks).  --latency-of opens a serial device (e.g. /dev/ttyUSB0)\n"
    "as the program does and tells whether its driver took low-latency mode.\n";

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--runs" && more)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--upload-runs" && more)
            options.uploadRuns = std::max(1, std::atoi(argv[++i]));
        else if (a == "--display" && more)
            options.display = argv[++i];
        else if (a == "--latency-of" && more)
            options.latencyOf = argv[++i];
        else if (a == "--no-uploads")
            options.skipUploads = true;
        else {
            const bool asked = a == "--help";
            std::fputs(Usage, asked ? stdout : stderr);
            return asked ? 0 : 2;
        }
    }
    ::signal(SIGPIPE, SIG_IGN);
    if (!options.latencyOf.empty()) {
        SerialDevice* device = nullptr;
        if (serialOpen(options.latencyOf, &device) != SerialOpenStatus::Opened) fail("cannot open " + options.latencyOf);
        serialClose(device);
        std::printf("%s: %s\n", options.latencyOf.c_str(), lowLatencyText(lastLowLatency()).c_str());
        return 0;
    }

    char folderTemplate[] = "/tmp/wire-bench-XXXXXX";
    if (!::mkdtemp(folderTemplate)) fail("no temporary folder");
    const fs::path work = folderTemplate;
    // No port overrides of the operator's own reach the bench.
    ::setenv("XDG_CONFIG_HOME", (work / "no-ports").c_str(), 1);
    Table table;
    std::string lowLatencyLine;

    // Test, Read, Write and a verified Write against one keyer, paced and then answering at once.
    {
        Figures test[2], read[2], tracedRead[2], write[2], verified[2];
        for (const bool paced : {true, false}) {
            KeyerSimProcess keyer;
            const std::string device = startKeyer(keyer, {}, paced);
            progress(std::string("Test, Read and Write, ") + (paced ? "paced" : "unpaced"));
            const int k = paced ? 0 : 1;
            for (int i = 0; i < options.runs; ++i) test[k].runs.push_back(timeTest(device));
            if (paced) lowLatencyLine = lowLatencyText(lastLowLatency());
            for (int i = 0; i < options.runs; ++i) read[k].runs.push_back(timeRead(device));
            // The same Read with the link writing its wire trace into a file.
            const std::unique_ptr<WireTrace> trace = startWireTraceFile((work / "wire.log").string(), "bench", {});
            if (!trace) fail("cannot write the wire trace");
            benchLink.trace = trace.get();
            for (int i = 0; i < options.runs; ++i) tracedRead[k].runs.push_back(timeRead(device));
            benchLink.trace = nullptr;
            for (int i = 0; i < options.runs; ++i) write[k].runs.push_back(timeWrite(device));
            for (int i = 0; i < options.runs; ++i) verified[k].runs.push_back(timeVerifiedWrite(device));
        }
        table.addExchange("Test", test[0], test[1], OpenPauseMs, testFloor, testFloor);
        table.addExchange("Read", read[0], read[1], OpenPauseMs, readFloor, readFloor);
        table.addExchange("Read with a wire trace", tracedRead[0], tracedRead[1], OpenPauseMs, readFloor, readFloor);
        table.addExchange("Write", write[0], write[1], OpenPauseMs + WriteSettleMs, writeFloorHere, writeFloorLine);
        table.addExchange("Write, verified (jxtool write)", verified[0], verified[1], OpenPauseMs + WriteSettleMs,
                          verifiedWriteFloorHere, verifiedWriteFloorLine);
    }

    // A full image file: loaded, then uploaded.
    const std::string imagePath = writeFullImageFile(work / "full-image.hex");
    if (imagePath.empty()) fail("cannot write the image file");
    auto image = std::make_shared<FirmwareImage>();
    Figures load;
    int recordCount = 0;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        recordCount = loadFirmwareFile(*image, {}, imagePath);
        load.runs.push_back(msSince(start));
    }
    if (recordCount != static_cast<int>(FullImageLines)) fail("the image file did not load");
    // The settings the update's keyer starts with, and its record history.
    const std::string recordPath = (work / "settings.eep").string();
    {
        auto settings = factorySettings();
        settings.user1.weight = 60;
        std::ofstream(recordPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(recordBytes(settings).data()), RecordSize);
    }
    ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    std::string loadMessage;
    const ImageIdentity identity = readImageIdentity(*image, recordCount, loadMessage);

    if (!options.skipUploads) {
        Figures normal[2], recovery[2], update[2], frames;
        for (const bool paced : {true, false}) {
            const int k = paced ? 0 : 1;
            const std::string how = paced ? "paced" : "unpaced";
            {
                KeyerSimProcess keyer;
                const std::string device = startKeyer(keyer, {}, paced);
                for (int i = 0; i < options.uploadRuns; ++i) {
                    progress("upload, normal mode, " + how + ", run " + std::to_string(i + 1));
                    normal[k].runs.push_back(timeUpload(device, image, recordCount, identity.icCode, false));
                }
            }
            for (int i = 0; i < options.uploadRuns; ++i) {
                // A recovered keyer runs firmware again: each run needs a fresh one.
                KeyerSimProcess keyer;
                const std::string device = startKeyer(keyer, {"--bootloader-only"}, paced);
                progress("upload, recovery mode, " + how + ", run " + std::to_string(i + 1));
                recovery[k].runs.push_back(timeUpload(device, image, recordCount, identity.icCode, true));
            }
            {
                // A keyer with settings of its own that every upload resets.
                KeyerSimProcess keyer;
                const std::string device =
                    startKeyer(keyer, {"--update-resets-settings", "--record", recordPath}, paced);
                for (int i = 0; i < options.uploadRuns; ++i) {
                    progress("update with the settings restored, " + how + ", run " + std::to_string(i + 1));
                    update[k].runs.push_back(timeUpdate(device, imagePath));
                }
            }
        }
        {
            KeyerSimProcess keyer;
            const std::string device = startKeyer(keyer, {"--bootloader-only"});
            progress("frame exchanges alone");
            frames = timeFrameExchanges(device, *image, 300);
        }
        const double pauses = OpenPauseMs + UploadPausesMs;
        table.addUpload("Upload, normal mode (956 frames)", normal[0], normal[1], pauses, uploadFloor(false));
        table.addUpload("Upload, recovery mode (956 frames)", recovery[0], recovery[1], pauses, uploadFloor(true));
        table.addUpdate("jxtool update: upload, settings reset and restored", update[0], update[1], updateFloor(false),
                        updateFloor(true));
        table.addFrames("Frame exchanges alone (a loop on the link)", frames);
    }
    table.addPlain("Full firmware file load (1024 data lines)", load, "< 5 ms", load.median() < 5);

    // The COM port list: the machine's own ports (no overrides), then fifty
    // pseudo-terminals as COM1-COM50.
    {
        progress("the COM port list");
        int listed = 0;
        const Figures none = timePortList(20, listed);
        table.addPlain("COM port list, no ports (" + std::to_string(listed) + " of this machine's own found)", none,
                       "< 200 ms", none.median() < 200);
        const fs::path ports = work / "fifty" / "keyer-tools" / "ports";
        fs::create_directories(ports);
        std::vector<int> masters;
        for (int n = FirstProbedPort; n <= LastProbedPort; ++n) {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) fail("no pseudo-terminal");
            masters.push_back(master);
            fs::create_symlink(::ptsname(master), ports / ("com" + std::to_string(n)));
        }
        ::setenv("XDG_CONFIG_HOME", (work / "fifty").c_str(), 1);
        const Figures fifty = timePortList(20, listed);
        if (listed != LastProbedPort) fail("the fifty ports were not all listed");
        table.addPlain("COM port list, fifty ports", fifty, "-", std::nullopt);
        for (int m : masters) ::close(m);
        ::setenv("XDG_CONFIG_HOME", (work / "no-ports").c_str(), 1);
    }

    // The Linux program: from exec to its main window mapped, and its memory.
    {
        progress("keyer-tools start");
        KeyerSimProcess keyer;
        const std::string device = startKeyer(keyer, {});
        const fs::path configHome = work / "program";
        fs::create_directories(configHome / "keyer-tools" / "ports");
        fs::create_symlink(device, configHome / "keyer-tools" / "ports" / "com1");
        XServer server;
        if (!startXServer(server, options.display)) fail("Xvfb did not start");
        const WindowFigures window = timeProgramStart(KEYER_TOOLS_PATH, server.display, configHome, options.runs);
        if (!window.ok) fail("keyer-tools showed no window on " + server.display);
        table.addPlain("keyer-tools: exec to main window mapped (Xvfb)", window.startMs, "< 150 ms",
                       window.startMs.median() < 150);
        const auto peak = static_cast<long>(window.peakKib.median());
        table.addPlain("keyer-tools: peak resident (VmHWM) after start", window.peakKib, "< 20 MB",
                       static_cast<double>(peak) * 1024.0 < 20e6, megabytes(peak),
                       megabytes(static_cast<long>(window.peakKib.low())) + " - " +
                           megabytes(static_cast<long>(window.peakKib.high())));
    }

    // jxtool as a process: its start alone, and its memory through a flash.
    {
        progress("jxtool as a process");
        Figures start;
        for (int i = 0; i < options.runs; ++i) {
            const auto t = Clock::now();
            const Ended ended = waitForEnd(spawn({JXTOOL_PATH, "--version"}));
            if (ended.status != 0) fail("jxtool --version failed");
            start.runs.push_back(msSince(t));
        }
        table.addPlain("jxtool: process start and exit (--version)", start, "-", std::nullopt);
        if (!options.skipUploads) {
            KeyerSimProcess keyer;
            const std::string device = startKeyer(keyer, {});
            progress("jxtool flash");
            Figures flash, peak;
            const auto t = Clock::now();
            const Ended ended = waitForEnd(spawn({JXTOOL_PATH, "--port", device, "flash", imagePath},
                                                 {"XDG_CONFIG_HOME=" + (work / "no-ports").string()}));
            flash.runs.push_back(msSince(t));
            if (ended.status != 0) fail("jxtool flash failed");
            peak.runs.push_back(static_cast<double>(ended.maxRssKib));
            table.addPlain("jxtool flash: exec to exit (file, checks, upload)", flash, "-", std::nullopt);
            table.addPlain("jxtool flash: peak resident (maxrss)", peak, "-", std::nullopt,
                           megabytes(ended.maxRssKib));
        }
    }
    fs::remove_all(work);

    utsname system{};
    ::uname(&system);
    std::printf("| What | Runs | Median | Range | Floor here | Overhead | Without line time | Goal | Met | "
                "Floor on a real line |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& row : table.rows) std::printf("%s\n", row.c_str());
    std::printf("\nMachine: %u cores, Linux %s, load average %s at the end.  "
                "The keyer's pseudo-terminal: %s.\n",
                std::thread::hardware_concurrency(), system.release, firstLine("/proc/loadavg").c_str(),
                lowLatencyLine.c_str());
    return 0;
}
