#include "core/firmware/firmware_update.h"

#include <algorithm>
#include <memory>
#include <string>

#include "core/firmware/firmware_image.h"
#include "core/firmware/hex_file.h"
#include "core/firmware/upload_checks.h"
#include "core/link/keyer_transfers.h"
#include "core/link/record_history.h"
#include "platform/threads.h"

namespace {

// Between link checks while the keyer restarts.
constexpr int RestartRetryPauseMs = 500;

constexpr std::string_view stepNames[] = {"check", "backup", "program", "restart", "settings"};

std::string checkText(const LinkCheck& check) {
    return check.icLabel.empty() ? check.status : check.status + ", " + check.icLabel;
}

// The variant a keyer running the image reports: ImageVariant's order is
// KeyerVariant's, one lower; an IC code no variant owns names none.
KeyerVariant variantOfImage(const ImageIdentity& image) {
    const ImageVariant variant = imageVariant(image.icCode);
    return variant == ImageVariant::Unknown ? KeyerVariant::Unidentified
                                            : static_cast<KeyerVariant>(static_cast<int>(variant) + 1);
}

KeyerIdentity identityOfImage(const ImageIdentity& image) { return {variantOfImage(image), image.version, image.icCode}; }

// What the keyer should report once it runs the image: its version and
// IC code as the major and minor bytes, and the variant the code names.
bool runsImage(const KeyerIdentity& keyer, const ImageIdentity& image) {
    const KeyerVariant variant = variantOfImage(image);
    return keyer.firmwareMajor == image.version && keyer.firmwareMinor == image.icCode &&
           (variant == KeyerVariant::Unidentified || keyer.variant == variant);
}

class UpdateRun {
public:
    UpdateRun(KeyerLink& link, const FirmwareUpdateJob& job) : link_(link), job_(job) {}

    FirmwareUpdateOutcome run() {
        if (check() && backUp() && program()) {
            // A keyer that answers with other firmware still gets its settings back.
            if (restart() || outcome_.after) settings();
        }
        outcome_.ok = !outcome_.failedStep;
        return outcome_;
    }

private:
    void report(std::string_view text) const {
        if (job_.report) job_.report(step_, text);
    }
    bool fail(std::string_view text) {
        report(text);
        if (!outcome_.failedStep) outcome_.failedStep = step_;
        return false;
    }
    void reportKept(const HistoryKeepResult& kept) const {
        if (kept.outcome == HistoryOutcome::Kept) report("kept as " + kept.path);
        else if (kept.outcome == HistoryOutcome::SameAsNewest) report("already in the history as " + kept.path);
        else report("not kept in the history: " + kept.problem());
    }

    bool check() {
        step_ = UpdateStep::Check;
        image_ = std::make_shared<FirmwareImage>();
        recordCount_ = loadFirmwareFile(*image_, {}, job_.firmwarePath);
        if (recordCount_ <= 0) return fail(job_.firmwarePath + ": File Error");
        std::string loadMessage;
        imageIdentity_ = readImageIdentity(*image_, recordCount_, loadMessage);
        report(loadMessage);
        start_ = checkUploadMayStart(true, recordCount_, imageIdentity_.icCode, link_, job_.device, {});
        if (start_.linkChecked) report(checkText(start_.check));
        outcome_.before = start_.check.identity;
        if (!start_.mayStart) return fail(start_.refusal);
        if (start_.recoveryMode && !job_.recoveryAllowed)
            return fail("only the bootloader answers: recovery mode was not asked for");
        report("the image fits this keyer");
        return true;
    }

    bool backUp() {
        step_ = UpdateStep::Backup;
        if (start_.recoveryMode) {
            if (!job_.settingsToRestore) {
                report("only the bootloader answers: no settings to read, none to restore");
                return true;
            }
            restore_ = job_.settingsToRestore;
            outcome_.keptRecordPath = job_.settingsPath;
            report("only the bootloader answers: the settings to restore are " + job_.settingsPath);
            return true;
        }
        if (job_.settingsToRestore) report("the keyer's own settings are restored, not " + job_.settingsPath);
        KeyerSettings before = factorySettings();
        const TransferResult read = readRecordFromKeyer(link_, before);
        report(read.status);
        if (!read.ok) return fail("nothing was sent to the bootloader");
        const HistoryKeepResult kept = keepInHistory(before, HistoryKind::BeforeUpdate, start_.check.identity);
        // Without a copy on disk an update that failed half-way would lose the settings.
        if (!kept.inHistory())
            return fail("not kept in the history: " + kept.problem() + "; nothing was sent to the bootloader");
        reportKept(kept);
        restore_ = before;
        outcome_.keptRecordPath = kept.path;
        return true;
    }

    bool program() {
        step_ = UpdateStep::Program;
        report(start_.programmingText);
        const std::shared_ptr<const Upload> upload =
            startUpload(UploadJob{image_, &link_, start_.recoveryMode, job_.log});
        if (!upload) return fail(UploadStartFailedText);
        outcome_.programmingStarted = true;
        const int code = waitForUpload(*upload, job_.progress, job_.uploadPollMs);
        if (code != UploadComplete) return fail(uploadResultMessage(code));
        report(uploadResultMessage(code));
        return true;
    }

    bool restart() {
        step_ = UpdateStep::Restart;
        const std::int64_t deadline = monotonicMs() + job_.restartWaitMs;
        LinkCheck check;
        for (;;) {
            check = reconnectAndCheckLink(link_, job_.device);
            if (check.code >= 0 || monotonicMs() >= deadline) break;
            sleepMs(RestartRetryPauseMs);
        }
        if (check.code < 0) return fail(check.status + ": the keyer did not answer after the upload");
        report(checkText(check));
        if (check.code == BootloaderOnlyCode) return fail("only the bootloader answers: the firmware did not start");
        outcome_.after = check.identity;
        if (!runsImage(check.identity, imageIdentity_))
            return fail("the keyer reports " + keyerDescription(check.identity) + ", the image is " +
                        keyerDescription(identityOfImage(imageIdentity_)));
        report("the keyer runs the image's firmware");
        return true;
    }

    bool settings() {
        step_ = UpdateStep::Settings;
        KeyerSettings after = factorySettings();
        const TransferResult read = readRecordFromKeyer(link_, after);
        report(read.status);
        if (!read.ok) return fail("the settings after the update could not be read");
        reportKept(keepInHistory(after, HistoryKind::AfterUpdate, *outcome_.after));
        if (!restore_) {
            report("no settings were kept before the update: nothing to restore");
            return true;
        }
        const bool fromFile = start_.recoveryMode;
        const auto afterBytes = recordBytes(after);
        const auto restoreBytes = recordBytes(*restore_);
        if (std::equal(afterBytes.begin(), afterBytes.end(), restoreBytes.begin())) {
            report(fromFile ? "the same as " + job_.settingsPath + ": nothing to restore"
                            : "the same as before the update: nothing to restore");
            return true;
        }
        report(fromFile ? "not the settings of " + job_.settingsPath + ": writing those back"
                        : "not the settings kept before the update: writing those back");
        report(WritingText);
        const TransferResult written = writeRecordToKeyer(link_, *restore_);
        if (!written.ok) return fail(written.status);
        report(written.status);
        reportKept(keepInHistory(*restore_, HistoryKind::Write, *outcome_.after));
        const VerifyResult verified = verifyRecordOnKeyer(link_, *restore_);
        if (!verified.ok) {
            report(verified.status);
            for (const std::string& line : verified.differences) report(line);
            return fail("the settings did not come back as written");
        }
        report(verified.status);
        outcome_.settingsRestored = true;
        return true;
    }

    KeyerLink& link_;
    const FirmwareUpdateJob& job_;
    UpdateStep step_ = UpdateStep::Check;
    std::shared_ptr<FirmwareImage> image_;
    int recordCount_ = 0;
    ImageIdentity imageIdentity_;
    UploadStart start_;
    std::optional<KeyerSettings> restore_;
    FirmwareUpdateOutcome outcome_;
};

}  // namespace

std::string_view updateStepName(UpdateStep step) { return stepNames[static_cast<int>(step) - 1]; }

FirmwareUpdateOutcome updateFirmwareKeepingSettings(KeyerLink& link, const FirmwareUpdateJob& job) {
    return UpdateRun(link, job).run();
}
