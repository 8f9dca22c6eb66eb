// A firmware update that keeps the keyer's settings: Program's checks, a
// backup of the record into the history, the upload, the restart into the
// new firmware, and the record written back (and verified) when the update
// changed it.  Each step reports its outcome as it goes, in the words the
// link check, Read, Write and the uploader use.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/firmware/upload_worker.h"
#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"

enum class UpdateStep { Check = 1, Backup, Program, Restart, Settings };
inline constexpr int UpdateStepCount = 6;  // the caller's summary is the sixth
// "check", "backup", "program", "restart", "settings"
std::string_view updateStepName(UpdateStep step);

// Told each outcome line of a step, as it happens.
using UpdateReport = std::function<void(UpdateStep step, std::string_view text)>;

// How long the keyer may take after an upload to answer the link check
// again with its new firmware.
inline constexpr int RestartWaitMs = 10'000;

struct FirmwareUpdateJob {
    std::string firmwarePath;
    std::string device;
    bool recoveryAllowed = false;  // a keyer with only its bootloader may be programmed
    // In recovery mode there is no firmware to read the record from: this
    // one (from `settingsPath`) is written back, if any.
    std::optional<KeyerSettings> settingsToRestore;
    std::string settingsPath;
    UploadLogSink log;
    UploadProgressSink progress;
    UpdateReport report;
    int restartWaitMs = RestartWaitMs;
    int uploadPollMs = 10;  // how often the upload's progress is looked at
};

struct FirmwareUpdateOutcome {
    bool ok = false;                       // every step passed
    std::optional<UpdateStep> failedStep;  // the first step that did not
    bool programmingStarted = false;       // something went to the bootloader
    std::string keptRecordPath;            // the record to restore: its history entry or the settings file
    KeyerIdentity before;                  // the keyer as step 1 found it
    std::optional<KeyerIdentity> after;    // as step 4 found it, when it answered
    bool settingsRestored = false;         // step 5 wrote the kept record back and it verified
};

// Runs the five steps on `link` (opened by step 1) and leaves it open.  A
// refusal in step 1, a Read cut short in step 2 or a backup that cannot be
// kept ends the update before anything goes to the bootloader.
FirmwareUpdateOutcome updateFirmwareKeepingSettings(KeyerLink& link, const FirmwareUpdateJob& job);
