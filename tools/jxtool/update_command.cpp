#include "tools/jxtool/update_command.h"

#include <cstdio>
#include <optional>

#include "core/firmware/firmware_update.h"
#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "platform/console.h"
#include "tools/jxtool/jxtool_support.h"

namespace {

// An argument as the shell takes it back: quoted when it holds anything
// beyond the characters of plain paths.
std::string quotedArgument(const std::string& text) {
    const bool plain = !text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                               "0123456789/\\._:-+=,@") == std::string::npos;
    if (plain) return text;
#if defined(_WIN32)
    return "\"" + text + "\"";
#else
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

std::string stepPrefix(int step, std::string_view name) {
    return std::to_string(step) + "/" + std::to_string(UpdateStepCount) + " " + std::string(name) + ": ";
}

// The sixth step: what the update came to, and after a failure once the
// bootloader had the keyer, where its settings are and how to put them back.
void printSummary(const FirmwareUpdateOutcome& outcome, const Options& options, const std::string& firmwarePath) {
    const std::string prefix = stepPrefix(UpdateStepCount, "summary");
    if (outcome.ok) {
        const std::string settings = outcome.settingsRestored    ? "settings restored and verified"
                                     : outcome.keptRecordPath.empty() ? "no settings to restore"
                                                                      : "settings unchanged by the update";
        printLine(prefix + keyerDescription(outcome.before) + " -> " + keyerDescription(*outcome.after) + ", " +
                  settings);
        return;
    }
    const int step = static_cast<int>(*outcome.failedStep);
    printLine(prefix + "the update failed at step " + std::to_string(step) + " (" +
              std::string(updateStepName(*outcome.failedStep)) + ")" +
              (outcome.programmingStarted ? "" : "; nothing was sent to the bootloader"));
    if (!outcome.programmingStarted) return;
    if (outcome.keptRecordPath.empty()) {
        printLine("No settings were kept before the update: there is nothing to restore.");
        return;
    }
    const std::string port = "jxtool --port " + quotedArgument(options.device);
    printLine("The settings from before the update are in " + outcome.keptRecordPath);
    // A keyer left without firmware takes no Write: the update again, in recovery mode, does both.
    if (!outcome.after)
        printLine("If only the bootloader answers, program it again with: " + port + " update " +
                  quotedArgument(firmwarePath) + " --recovery --settings " + quotedArgument(outcome.keptRecordPath));
    printLine("Restore them with: " + port + " write " + quotedArgument(outcome.keptRecordPath));
}

}  // namespace

int commandUpdate(const Options& options, const std::vector<std::string>& args) {
    FirmwareUpdateJob job;
    job.device = options.device;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--recovery") {
            job.recoveryAllowed = true;
        } else if (args[i] == "--settings") {
            if (++i == args.size()) return usageError("--settings needs a settings file");
            job.settingsPath = args[i];
        } else if (args[i].starts_with("--settings=")) {
            job.settingsPath = args[i].substr(11);
        } else if (job.firmwarePath.empty() && !args[i].starts_with("--")) {
            job.firmwarePath = args[i];
        } else {
            return usageError("update takes one firmware file, --recovery and --settings FILE");
        }
    }
    if (job.firmwarePath.empty()) return usageError("update needs a firmware file");
    if (!job.settingsPath.empty() && !job.recoveryAllowed)
        return usageError("--settings names the settings to restore in recovery mode: give --recovery too");
    if (!job.settingsPath.empty()) {
        KeyerSettings settings{};
        if (!loadRecordToWrite(job.settingsPath, settings)) return ExitFailed;
        job.settingsToRestore = settings;
    }

    const bool onTerminal = standardErrorIsTerminal();
    bool barShown = false;
    int lastShown = -1;
    job.progress = [&](int percent) {
        showProgress(percent, onTerminal, lastShown);
        barShown = onTerminal;
    };
    job.report = [&](UpdateStep step, std::string_view text) {
        if (barShown) std::fputc('\n', stderr), barShown = false;
        printLine(stepPrefix(static_cast<int>(step), updateStepName(step)) + std::string(text));
        std::fflush(stdout);
    };

    KeyerLink link;
    link.trace = options.trace;
    const FirmwareUpdateOutcome outcome = updateFirmwareKeepingSettings(link, job);
    closePort(link);
    printSummary(outcome, options, job.firmwarePath);
    return outcome.ok ? ExitOk : ExitFailed;
}
