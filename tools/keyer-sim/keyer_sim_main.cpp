// keyer-sim: a simulated keyer on a pseudo-terminal, for running the program
// (natively or under Wine) without a keyer attached.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/keyer_version.h"
#include "platform/posix/posix_serial.h"
#include "sim/keyer_bootloader.h"
#include "sim/keyer_simulator.h"
#include "sim/pty_keyer_server.h"

namespace {

const char* const usage =
    "usage: keyer-sim [options]\n"
    "Serves a simulated keyer on a pseudo-terminal and prints its device path.\n"
    "\n"
    "  --link PATH           make PATH a symbolic link to the terminal, e.g.\n"
    "                        ~/.config/keyer-tools/ports/com7 (Linux program)\n"
    "                        or ~/.wine/dosdevices/com7 (Windows program under Wine)\n"
    "  --com N               the same as --link into the Linux port override folder\n"
    "  --firmware MAJOR.MINOR  firmware version, e.g. 31.02 (default 31.02)\n"
    "  --ic N                IC variant: 1 IBEX, 2 PIKE (default), 3 TERN, 4 LYNX;\n"
    "                        the minor byte carries the variant offset (0/50/100/150)\n"
    "  --minor-byte N        the minor version byte exactly as sent (overrides the above)\n"
    "  --pot N  --buttons N  --supply N   readings (defaults 0, 0, 52 = 5.04 V)\n"
    "  --bootloader-only     no firmware: the echo test is answered with 0xAA\n"
    "  --record FILE         start with this 300-byte record (default: a factory-fresh\n"
    "                        keyer, the settings \"Reset to Defaults\" writes, no messages)\n"
    "  --save-record FILE    write the keyer's record here on exit\n"
    "  --log FILE            log every byte both ways with timestamps\n"
    "  --pace                send and take bytes at the line rate\n"
    "  --help, --version     this text; the version\n"
    "Faults:\n"
    "  --silent              never answer\n"
    "  --short-reply CODE:LEN   cut replies to command CODE (hex) to LEN bytes\n"
    "  --reply CODE:BYTE     answer the one-byte query CODE (hex) with BYTE (hex)\n"
    "  --garbage-echo BYTE   answer the echo test with BYTE (hex)\n"
    "  --hang-up CODE:LEN    hang the line up right after LEN bytes of the reply\n"
    "                        to command CODE (hex), e.g. 0C:100 in the middle of\n"
    "                        the memory dump, 18:1 at the end of the link check\n"
    "  --hang-up-in-block CODE:LEN   hang the line up once LEN bytes of the data\n"
    "                        block of command CODE (hex: 0D image, 1B extension) came in\n"
    "  --hang-up-at WHERE    hang the line up in the bootloader, in place of its\n"
    "                        answer: WHERE is sync (the sync request), restart\n"
    "                        (the restart byte) or N, the record frame N counted\n"
    "                        from 0 (the first frame of an upload, record 4)\n"
    "  --silent-at WHERE     the bootloader says nothing there and does not act:\n"
    "                        no sync, frame N not stored, or no restart\n"
    "  --store-corrupts OFFSET   the keyer stores byte OFFSET (0-299) of every\n"
    "                        record written to it inverted, so a read-back differs\n"
    "  --update-resets-settings  after a firmware upload the record returns to\n"
    "                        factory settings, as some firmware updates do\n"
    "SIGUSR1 pulls the cable: the line hangs up and the keyer goes silent.\n"
    "Stops on SIGINT or SIGTERM, removing the link it made.\n";

bool parseNumber(std::string_view text, int base, long max, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const std::string copy(text);
    errno = 0;
    value = std::strtol(copy.c_str(), &end, base);
    return errno == 0 && end && *end == '\0' && value >= 0 && value <= max;
}

bool parseByte(std::string_view text, int base, std::uint8_t& byte) {
    long v = 0;
    if (!parseNumber(text, base, 255, v)) return false;
    byte = static_cast<std::uint8_t>(v);
    return true;
}

// "1A:11" -> code 0x1A and a second number in the given base.
bool parsePair(std::string_view text, int secondBase, long secondMax, std::uint8_t& code, long& second) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    return parseByte(text.substr(0, colon), 16, code) &&
           parseNumber(text.substr(colon + 1), secondBase, secondMax, second);
}

// Where a bootloader fault goes: the sync request, the restart byte, or a
// record frame by its number from the start of an upload.
struct BootloaderFault {
    enum class Where { Sync, Restart, Frame } where = Where::Frame;
    int frame = 0;
    sim::FrameFault fault;
};

bool parseBootloaderFault(std::string_view text, sim::FrameFault fault, std::vector<BootloaderFault>& faults) {
    BootloaderFault out;
    out.fault = fault;
    long n = 0;
    if (text == "sync") {
        out.where = BootloaderFault::Where::Sync;
    } else if (text == "restart") {
        out.where = BootloaderFault::Where::Restart;
    } else if (parseNumber(text, 10, 1023, n)) {
        out.where = BootloaderFault::Where::Frame;
        out.frame = static_cast<int>(n);
    } else {
        return false;
    }
    faults.push_back(out);
    return true;
}

void plant(sim::Bootloader& boot, const BootloaderFault& f) {
    switch (f.where) {
        case BootloaderFault::Where::Sync: boot.injectSyncFault(f.fault); break;
        case BootloaderFault::Where::Restart: boot.injectRestartFault(f.fault); break;
        case BootloaderFault::Where::Frame: boot.injectFrameFault(f.frame, f.fault); break;
    }
}

int fail(const std::string& message) {
    std::fprintf(stderr, "keyer-sim: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    SimulatedIdentity identity;
    int major = 31, minor = 2;
    long minorByte = -1;
    std::string linkPath, recordIn, recordOut, logPath;
    bool pace = false, silent = false, updateResetsSettings = false;
    long storeCorrupts = -1;
    std::vector<std::pair<std::uint8_t, long>> shortReplies, queryReplies, replyHangUps, blockHangUps;
    std::vector<BootloaderFault> bootloaderFaults;

    std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const auto value = [&](std::string_view& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string_view v;
        long n = 0;
        std::uint8_t code = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("keyer-sim %s\n", KEYER_VERSION_TEXT);
            return 0;
        } else if (a == "--link" && value(v)) {
            linkPath = v;
        } else if (a == "--com" && value(v) && parseNumber(v, 10, 255, n) && n > 0) {
            if (portOverrideFolder().empty()) return fail("--com needs HOME or XDG_CONFIG_HOME");
            linkPath = portOverrideFolder() + "/com" + std::to_string(n);
        } else if (a == "--firmware" && value(v)) {
            const auto dot = v.find('.');
            long ma = 0, mi = 0;
            if (dot == std::string_view::npos || !parseNumber(v.substr(0, dot), 10, 255, ma) ||
                !parseNumber(v.substr(dot + 1), 10, 255, mi))
                return fail("--firmware wants MAJOR.MINOR, e.g. 31.02");
            major = static_cast<int>(ma);
            minor = static_cast<int>(mi);
        } else if (a == "--ic" && value(v) && parseNumber(v, 10, 255, n)) {
            identity.icType = static_cast<std::uint8_t>(n);
        } else if (a == "--minor-byte" && value(v) && parseNumber(v, 10, 255, n)) {
            minorByte = n;
        } else if (a == "--pot" && value(v) && parseByte(v, 10, identity.potValue)) {
        } else if (a == "--buttons" && value(v) && parseByte(v, 10, identity.pushButtons)) {
        } else if (a == "--supply" && value(v) && parseByte(v, 10, identity.supplyReading)) {
        } else if (a == "--bootloader-only") {
            identity.firmwarePresent = false;
        } else if (a == "--record" && value(v)) {
            recordIn = v;
        } else if (a == "--save-record" && value(v)) {
            recordOut = v;
        } else if (a == "--log" && value(v)) {
            logPath = v;
        } else if (a == "--pace") {
            pace = true;
        } else if (a == "--silent") {
            silent = true;
        } else if (a == "--short-reply" && value(v) && parsePair(v, 10, 288, code, n)) {
            shortReplies.emplace_back(code, n);
        } else if (a == "--reply" && value(v) && parsePair(v, 16, 255, code, n)) {
            queryReplies.emplace_back(code, n);
        } else if (a == "--hang-up" && value(v) && parsePair(v, 10, 288, code, n)) {
            replyHangUps.emplace_back(code, n);
        } else if (a == "--hang-up-in-block" && value(v) && parsePair(v, 10, 288, code, n)) {
            blockHangUps.emplace_back(code, n);
        } else if (a == "--hang-up-at" && value(v) &&
                   parseBootloaderFault(v, sim::FrameFault::disconnect(), bootloaderFaults)) {
        } else if (a == "--silent-at" && value(v) &&
                   parseBootloaderFault(v, sim::FrameFault::silence(), bootloaderFaults)) {
        } else if (a == "--store-corrupts" && value(v) && parseNumber(v, 10, 299, n)) {
            storeCorrupts = n;
        } else if (a == "--update-resets-settings") {
            updateResetsSettings = true;
        } else if (a == "--garbage-echo" && value(v) && parseNumber(v, 16, 255, n)) {
            queryReplies.emplace_back(0x04, n);
        } else {
            std::fprintf(stderr, "keyer-sim: bad option %.*s\n%s", static_cast<int>(a.size()), a.data(), usage);
            return 2;
        }
    }

    identity.firmwareMajor = static_cast<std::uint8_t>(major);
    static constexpr int variantOffset[] = {0, 0, 50, 100, 150};
    const int offset = identity.icType >= 1 && identity.icType <= 4 ? variantOffset[identity.icType] : 0;
    identity.firmwareMinorByte = static_cast<std::uint8_t>(minorByte >= 0 ? minorByte : (minor + offset) & 0xFF);

    KeyerSimulator keyer(identity);
    // The keyer's bootloader takes firmware uploads; after one, the keyer
    // answers with the version and variant of the image it was given.
    const std::shared_ptr<sim::Bootloader> boot = sim::attachBootloader(keyer);
    for (const BootloaderFault& f : bootloaderFaults) plant(*boot, f);
    if (!recordIn.empty()) {
        std::ifstream in(recordIn, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) return fail("cannot read " + recordIn);
        if (bytes.size() != SimRecordSize) return fail(recordIn + " is not a 300-byte record");
        std::memcpy(keyer.record().data(), bytes.data(), SimRecordSize);
    }
    keyer.setSilent(silent);
    if (storeCorrupts >= 0) keyer.setStoreCorruption(static_cast<std::size_t>(storeCorrupts));
    keyer.setUpdateResetsSettings(updateResetsSettings);
    for (auto [c, len] : shortReplies) keyer.setReplyLength(c, static_cast<std::size_t>(len));
    for (auto [c, b] : queryReplies) keyer.setQueryReply(c, static_cast<std::uint8_t>(b));
    for (auto [c, len] : replyHangUps) keyer.setHangUpInReply(c, static_cast<std::size_t>(len));
    for (auto [c, len] : blockHangUps) keyer.setHangUpInBlock(c, static_cast<std::size_t>(len));

    // Signals are taken by sigwait below, never by the serving thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PtyKeyerServer server(keyer);
    server.setPacing(pace);
    std::string error;
    if (!logPath.empty() && !server.setLogFile(logPath, error)) return fail(error);
    if (!server.start(error)) return fail(error);

    bool linked = false;
    if (!linkPath.empty()) {
        std::error_code ec;
        const std::filesystem::path link(linkPath);
        if (link.has_parent_path()) std::filesystem::create_directories(link.parent_path(), ec);
        // Only a link may be replaced: a stale one from an earlier run.
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec)))
            std::filesystem::remove(link, ec);
        std::filesystem::create_symlink(server.devicePath(), link, ec);
        if (ec) return fail("cannot link " + linkPath + ": " + ec.message());
        linked = true;
    }

    std::printf("%s\n", server.devicePath().c_str());
    if (linked) std::printf("linked as %s\n", linkPath.c_str());
    std::fflush(stdout);

    for (;;) {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (signal != SIGUSR1) break;
        server.hangUp();
        std::fprintf(stderr, "keyer-sim: line hung up\n");
    }
    server.stop();

    if (linked) {
        std::error_code ec;
        std::filesystem::remove(linkPath, ec);
    }
    if (!recordOut.empty()) {
        std::ofstream out(recordOut, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(keyer.record().data()), SimRecordSize);
        if (!out) return fail("cannot write " + recordOut);
    }
    return 0;
}
