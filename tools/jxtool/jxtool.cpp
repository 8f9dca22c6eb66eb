// jxtool: the keyer tools on the command line.  Every command calls the same
// operations as the dialogs and prints the results in the dialogs' words;
// nothing here decides what the keyer or a file may take.
#include "tools/jxtool/jxtool.h"

#include <atomic>
#include <bit>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/firmware/firmware_image.h"
#include "core/firmware/hex_file.h"
#include "core/firmware/upload_checks.h"
#include "core/firmware/upload_worker.h"
#include "core/link/keyer_transfers.h"
#include "core/link/link_check.h"
#include "core/link/open_failure_text.h"
#include "core/link/port_config.h"
#include "core/link/port_listing.h"
#include "core/link/record_history.h"
#include "core/link/transport.h"
#include "core/link/wire_trace.h"
#include "core/settings/keyer_settings.h"
#include "core/settings/record_fields.h"
#include "core/settings/record_json.h"
#include "core/settings/settings_file.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/serial.h"
#include "platform/threads.h"
#include "resources/keyer_version.h"
#include "tools/jxtool/doctor_command.h"
#include "tools/jxtool/port_wait.h"
#include "tools/jxtool/history_commands.h"
#include "tools/jxtool/jxtool_support.h"
#include "tools/jxtool/update_command.h"

namespace {

constexpr const char* Usage =
    "Usage: jxtool [--port N|DEVICE] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  ports [--wait [SECONDS]]       the serial ports the COM port dialog lists; --wait\n"
    "                                 shows the one that appears as the adapter is plugged in\n"
    "  doctor                         check the port, the system around it and the keyer\n"
    "  test                           the keyer's identity and readings, as Test shows them\n"
    "  read FILE.eep                  Read the keyer and save its 300 bytes\n"
    "  write FILE.eep [--no-verify]   check both user sets of the file, Write it to the keyer, read it back\n"
    "  show FILE.eep [--json]         every field of a settings file\n"
    "  diff A.eep B.eep               the fields and messages that differ\n"
    "  set FILE.eep NAME=VALUE...     change fields with the panel's bounds and messages\n"
    "  import FILE.json FILE.eep      build a settings file from the output of show --json\n"
    "  flash FIRMWARE.hex [--recovery] [--verbose]\n"
    "                                 replace the keyer's firmware through its bootloader\n"
    "  update FIRMWARE.hex [--recovery] [--settings FILE.eep]\n"
    "                                 back up the settings, flash, and put them back if the update changed them\n"
    "  history [--json]               the records read from and sent to keyers, newest first\n"
    "\n"
    "Options:\n"
    "  --port N|DEVICE  the keyer's port: a COM number, or on Linux a device path\n"
    "                   (default: the port the keyer tools program is set to)\n"
    "  --trace FILE     write every byte on the wire, and the opens, closes, speed\n"
    "                   changes, purges, drains and time-outs, to FILE\n"
    "  --help           this text; COMMAND --help tells about one command\n"
    "  --version        the version\n"
    "\n"
    "Exit status: 0 success, 1 the keyer or a file refused or failed, 2 bad usage.\n";

struct CommandHelp {
    std::string_view name;
    std::string_view text;
};
constexpr CommandHelp commandHelp[] = {
    {"ports", "jxtool ports [--wait [SECONDS]]\n  One line per serial port that exists, as the COM port dialog lists them\n"
              "  (on Linux with the device and what it is, found without opening any).\n"
              "  --wait lists them, asks for the adapter and prints the port that appears\n"
              "  within SECONDS (default 60); exit status 1 when none did.\n"},
    {"doctor", DoctorHelp},
    {"test", "jxtool [--port N|DEVICE] test\n  Checks the link and prints the keyer's IC, firmware and readings.\n"},
    {"read", "jxtool [--port N|DEVICE] read FILE.eep\n  Reads the keyer's 300 bytes and saves them, replacing FILE.eep\n"
             "  only once all of them are on disk.  A Read cut short saves nothing.  The\n"
             "  record read is kept in the record history too (jxtool history).\n"},
    {"write", "jxtool [--port N|DEVICE] write FILE.eep [--no-verify]\n"
              "  Checks both user sets of the file as the panel checks them (the first\n"
              "  refusal is printed and nothing is sent), writes the file to the keyer, then\n"
              "  reads the record back and compares all 300 bytes: \"Verified\", or \"Verify\n"
              "  Fail\" and each field that differs (exit status 1).  --no-verify skips the\n"
              "  read-back.\n"},
    {"show", "jxtool show FILE.eep [--json]\n  Prints every field of both user sets with its panel label, the RTTY\n"
             "  settings, the extension block, the fourteen messages and the selections.\n"
             "  --json prints the same as JSON, which import and set read back.\n"},
    {"diff", "jxtool diff A.eep B.eep\n  Prints the fields and messages that differ, by name.\n"},
    {"set", "jxtool set FILE.eep NAME=VALUE...\n  Changes fields (names as show prints them, e.g. user1.weight=60\n"
            "  msg1=\"CQ TEST\") with the panel's bounds and messages; FILE.eep is written\n"
            "  only when every value is taken.\n"},
    {"import", "jxtool import FILE.json FILE.eep\n  Builds FILE.eep from the output of show --json.\n"},
    {"flash", "jxtool [--port N|DEVICE] flash FIRMWARE.hex [--recovery] [--verbose]\n"
              "  Loads the firmware file, checks it against the keyer's IC and programs it.\n"
              "  A keyer that answers only with its bootloader is programmed in recovery\n"
              "  mode, and only with --recovery.  --verbose prints every record sent.\n"},
    {"update", UpdateHelp},
    {"history", HistoryHelp},
};

// 3 for "3", "COM3" or "com3"; 0 for anything else (a device path).
int comNumberOf(std::string_view text) {
    if (text.size() > 3 && (text.substr(0, 3) == "COM" || text.substr(0, 3) == "com")) text.remove_prefix(3);
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string_view::npos) return 0;
    return std::stoi(std::string(text));
}

bool saveFile(const std::string& path, const KeyerSettings& record) {
    const SettingsFileResult result = saveSettingsTo(path, record);
    // The file is replaced whole or not at all: one saved there before is still there.
    if (!result.ok) failed(path + ": " + std::string(result.message) + " (nothing was saved; the file is as it was)");
    return result.ok;
}

// The link check in front of every exchange; prints its texts.
bool linkChecked(KeyerLink& link, const Options& options, bool bootloaderAllowed = false, LinkCheck* found = nullptr) {
    link.trace = options.trace;
    const LinkCheck check = reconnectAndCheckLink(link, options.device);
    if (found) *found = check;
    printLine(check.status);
    if (!check.icLabel.empty()) printLine(check.icLabel);
    if (check.code < 0) {
        failed(check.openFailure == OpenFailure::None ? std::string(LinkFailedText)
                                                      : explainOpenFailure(options.device, check.openFailure));
        return false;
    }
    if (check.code == BootloaderOnlyCode && !bootloaderAllowed) {
        failed(NoFirmwareText);
        return false;
    }
    return true;
}

int commandPorts(const Options&, const std::vector<std::string>& args) {
    if (!args.empty()) {
        int seconds = DefaultPortWaitSeconds;
        if (args[0] != "--wait") return usageError("ports takes only --wait [SECONDS]");
        if (args.size() == 2) {
            seconds = args[1].size() <= 5 && args[1].find_first_not_of("0123456789") == std::string::npos
                          ? std::stoi("0" + args[1]) : -1;
            if (seconds < 0) return usageError("--wait takes whole seconds, not " + args[1]);
        }
        return waitForNewPort(seconds);
    }
    for (const ListedPort& port : listPorts()) printLine(port.text);
    return ExitOk;
}

int commandTest(const Options& options, const std::vector<std::string>&) {
    KeyerLink link;
    LinkCheck check;
    const bool linked = linkChecked(link, options, false, &check);
    if (linked) {
        printLine(KeyerAnswersText);
        const KeyerReadings readings = readKeyerReadings(link, check.identity.variant);
        printLine(readings.potValue);
        if (!readings.pushButtons.empty()) printLine(readings.pushButtons);
        printLine(readings.supplyVoltage);
    }
    closePort(link);
    return linked ? ExitOk : ExitFailed;
}

int commandRead(const Options& options, const std::vector<std::string>& args) {
    KeyerLink link;
    LinkCheck check;
    if (!linkChecked(link, options, false, &check)) return closePort(link), ExitFailed;
    printLine(ReadingText);
    KeyerSettings record = factorySettings();
    const TransferResult result = readRecordFromKeyer(link, record);
    closePort(link);
    printLine(result.status);
    if (!result.ok) return failed("nothing was saved");
    keepRecordInHistory(record, HistoryKind::Read, check.identity);
    return saveFile(args[0], record) ? ExitOk : ExitFailed;
}

int commandWrite(const Options& options, const std::vector<std::string>& args) {
    bool verify = true;
    std::string path;
    for (const std::string& arg : args) {
        if (arg == "--no-verify")
            verify = false;
        else if (path.empty())
            path = arg;
        else
            return usageError("write takes one settings file");
    }
    if (path.empty()) return usageError("write needs a settings file");
    KeyerSettings record{};
    if (!loadRecordToWrite(path, record)) return ExitFailed;
    KeyerLink link;
    LinkCheck check;
    if (!linkChecked(link, options, false, &check)) return closePort(link), ExitFailed;
    printLine(WritingText);
    const TransferResult result = writeRecordToKeyer(link, record);
    printLine(result.status);
    if (!result.ok) return closePort(link), ExitFailed;
    keepRecordInHistory(record, HistoryKind::Write, check.identity);
    if (!verify) return closePort(link), ExitOk;
    // What the keyer stored, read back after the hold on the same link.
    const VerifyResult verified = verifyRecordOnKeyer(link, record);
    closePort(link);
    printLine(verified.status);
    for (const std::string& line : verified.differences) printLine(line);
    return verified.ok ? ExitOk : ExitFailed;
}

int commandShow(const Options&, const std::vector<std::string>& args) {
    KeyerSettings record{};
    if (!loadSettingsArgument(args[0], record)) return ExitFailed;
    if (args.size() == 2) {
        std::fputs(recordToJson(record).c_str(), stdout);
        return ExitOk;
    }
    for (const RecordField& field : describeRecord(record))
        std::printf("%-26s %-26s %s\n", field.name.c_str(), field.label.c_str(), field.value.c_str());
    std::printf("%-26s %-26s %s\n", "extensionBlock", "Extension Block", extensionBlockHex(record).c_str());
    return ExitOk;
}

int commandDiff(const Options&, const std::vector<std::string>& args) {
    KeyerSettings a{}, b{};
    if (!loadSettingsArgument(args[0], a) || !loadSettingsArgument(args[1], b)) return ExitFailed;
    const std::vector<std::string> differences = recordDifferences(a, b);
    for (const std::string& line : differences) printLine(line);
    if (differences.empty()) printLine("no differences");
    return ExitOk;
}

int commandSet(const Options&, const std::vector<std::string>& args) {
    std::vector<FieldAssignment> assignments;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto eq = args[i].find('=');
        if (eq == std::string::npos || eq == 0) return usageError("'" + args[i] + "' is not NAME=VALUE");
        assignments.push_back({args[i].substr(0, eq), args[i].substr(eq + 1)});
    }
    KeyerSettings record{};
    if (!loadSettingsArgument(args[0], record)) return ExitFailed;
    const SetFieldsResult result = setRecordFields(record, assignments);
    if (!result.ok) return failed(result.message + " (" + args[0] + " is unchanged)");
    return saveFile(args[0], record) ? ExitOk : ExitFailed;
}

int commandImport(const Options&, const std::vector<std::string>& args) {
    std::ifstream in(args[0], std::ios::binary);
    if (!in) return failed(args[0] + ": File Not Found");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return failed(args[0] + ": the file could not be read");
    KeyerSettings record{};
    const JsonImportResult result = recordFromJson(text.str(), record);
    if (!result.ok) return failed(args[0] + ": " + result.message);
    return saveFile(args[1], record) ? ExitOk : ExitFailed;
}

int commandFlash(const Options& options, const std::vector<std::string>& args) {
    bool recoveryWanted = false;
    bool verbose = false;
    std::string path;
    for (const std::string& arg : args) {
        if (arg == "--recovery")
            recoveryWanted = true;
        else if (arg == "--verbose")
            verbose = true;
        else if (path.empty())
            path = arg;
        else
            return usageError("flash takes one firmware file");
    }
    if (path.empty()) return usageError("flash needs a firmware file");

    auto image = std::make_shared<FirmwareImage>();
    const int recordCount = loadFirmwareFile(*image, {}, path);
    if (recordCount <= 0) return failed(path + ": File Error");
    std::string loadMessage;
    const ImageIdentity identity = readImageIdentity(*image, recordCount, loadMessage);
    printLine(loadMessage);

    KeyerLink link;
    link.trace = options.trace;
    const UploadStart start = checkUploadMayStart(true, recordCount, identity.icCode, link, options.device, {});
    if (!start.mayStart && start.check.openFailure != OpenFailure::None)
        return closePort(link), failed(std::string(start.refusal) + ": " + explainOpenFailure(options.device, start.check.openFailure));
    if (!start.mayStart) return closePort(link), failed(start.refusal);
    if (start.recoveryMode && !recoveryWanted)
        return closePort(link), failed("JX Fail:No O/S: only the bootloader answers; --recovery programs it in recovery mode");
    printLine(start.programmingText);

    UploadLogSink log;
    if (verbose) log = [](const std::string& line) { std::fputs(line.c_str(), stdout), std::fflush(stdout); };
    const std::shared_ptr<const Upload> upload = startUpload(UploadJob{image, &link, start.recoveryMode, log});
    if (!upload) return closePort(link), failed(UploadStartFailedText);
    const bool onTerminal = standardErrorIsTerminal() && !verbose;
    int lastShown = -1;
    const int code =
        waitForUpload(*upload, [&](int percent) { showProgress(percent, onTerminal, lastShown); });
    if (onTerminal) std::fputc('\n', stderr);
    closePort(link);
    printLine(uploadResultMessage(code));
    return code == UploadComplete ? ExitOk : ExitFailed;
}

struct Command {
    std::string_view name;
    std::size_t minArgs;
    std::size_t maxArgs;
    bool talksToKeyer;  // only these look for the port the programs are set to
    int (*run)(const Options&, const std::vector<std::string>&);
};
constexpr Command commands[] = {
    {"ports", 0, 2, false, commandPorts}, {"test", 0, 0, true, commandTest},
    {"read", 1, 1, true, commandRead},    {"write", 1, 2, true, commandWrite},
    {"show", 1, 2, false, commandShow},   {"diff", 2, 2, false, commandDiff},
    {"set", 2, 1000, false, commandSet},  {"import", 2, 2, false, commandImport},
    {"flash", 1, 3, true, commandFlash},  {"update", 1, 4, true, commandUpdate},
    {"doctor", 0, 0, true, commandDoctor}, {"history", 0, 1, false, commandHistory},
};

// --trace: the trace every link of the command writes; none when the file
// cannot be made (said once, and the command runs untraced).
std::unique_ptr<WireTrace> startTrace(const std::string& path) {
    auto report = [path](std::string_view why) {
        std::fprintf(stderr, "jxtool: trace %s: %.*s\n", path.c_str(), static_cast<int>(why.size()), why.data());
    };
    std::unique_ptr<WireTrace> trace = startWireTraceFile(path, std::string("jxtool ") + ProgramVersion, report);
    if (!trace) report("cannot be created; going on without it");
    return trace;
}

}  // namespace

int runJxtool(const std::vector<std::string>& argv, const std::function<std::string()>& configFileLocator) {
    Options options;
    std::size_t i = 0;
    std::string portArgument;
    std::string tracePath;
    for (; i < argv.size() && argv[i].starts_with("-"); ++i) {
        const std::string& a = argv[i];
        if (a == "--help" || a == "-h") return std::fputs(Usage, stdout), ExitOk;
        if (a == "--version") return std::printf("jxtool %s\n", ProgramVersion), ExitOk;
        if (a == "--port") {
            if (++i == argv.size()) return usageError("--port needs a COM number or a device");
            portArgument = argv[i];
        } else if (a.starts_with("--port=")) {
            portArgument = a.substr(7);
        } else if (a == "--trace") {
            if (++i == argv.size()) return usageError("--trace needs a file");
            tracePath = argv[i];
        } else if (a.starts_with("--trace=")) {
            tracePath = a.substr(8);
        } else {
            return usageError("unknown option " + a);
        }
    }
    if (i == argv.size()) return usageError("no command given");
    const std::string name = argv[i++];
    const std::vector<std::string> args(argv.begin() + static_cast<std::ptrdiff_t>(i), argv.end());

    const Command* command = nullptr;
    for (const Command& c : commands)
        if (c.name == name) command = &c;
    if (!command) return usageError("unknown command " + name);
    for (const std::string& a : args) {
        if (a != "--help" && a != "-h") continue;
        for (const CommandHelp& h : commandHelp)
            if (h.name == name) std::fputs(std::string(h.text).c_str(), stdout);
        return ExitOk;
    }
    if (name == "show" && args.size() == 2 && args[1] != "--json") return usageError("show takes FILE and --json");
    if (args.size() < command->minArgs || args.size() > command->maxArgs)
        return usageError("wrong number of arguments for " + name + " (jxtool " + name + " --help)");

    options.device = portArgument;
    if (options.device.empty() && command->talksToKeyer) {
        const std::string configFile = configFileLocator();
        const ConfiguredPort configured = readConfiguredPort(configFile, 1);
        if (configured.status == FileReadStatus::ReadFailed) return failed(configFile + ": Read file failed.");
        options.device = portDeviceName(configured.port);
    } else if (const int n = comNumberOf(options.device); n > 0) {
        // "3", "COM3", "com12": the port by its number, in the name the device takes.
        options.device = portDeviceName(n);
    }
    const std::unique_ptr<WireTrace> trace = tracePath.empty() ? nullptr : startTrace(tracePath);
    options.trace = trace.get();
    return command->run(options, args);
}
