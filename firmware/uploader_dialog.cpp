#include "firmware/uploader_dialog.h"

#include <array>
#include <memory>
#include <string>

#include "firmware/firmware_image.h"
#include "firmware/hex_file.h"
#include "firmware/upload_worker.h"
#include "link/interface_test.h"
#include "link/port_config.h"
#include "link/transport.h"
#include "platform/threads.h"
#include "resources/control_ids.h"

using namespace uploader;

bool verboseMode = false;

namespace {

constexpr std::uint8_t RecoveryIcType = 5;  // only the bootloader answers
constexpr int PollPeriodMs = 100;
constexpr std::size_t LogTextLimit = 0xFFFF;

// The dialog's state.  The image is shared with a running worker, which keeps
// its own share: it outlives the upload whatever the dialog does meanwhile.
struct UploaderState {
    std::shared_ptr<FirmwareImage> image;
    bool imageLoaded = false;
    int recordCount = 0;
    ImageIdentity identity;
    Window logWindow = nullptr;  // set only in verbose mode
    bool uploadRunning = false;  // from the worker's start to the tick that shows its result
};
UploaderState state;

// Which IC variant each image is for, by its IC code: the table's columns.
enum ImageColumn { LynxImage, TernImage, PikeImage, IbexImage };

ImageColumn imageColumn(std::uint8_t code) {
    if (code >= 150) return LynxImage;  // codes from 200 up included: they program into a LYNX keyer
    if (code >= 100) return TernImage;
    if (code >= 50) return PikeImage;
    return IbexImage;
}

constexpr CompatibilityVerdict Accept{true, {}};
constexpr CompatibilityVerdict refuse(std::string_view text) { return {false, text}; }
constexpr CompatibilityVerdict UnknownKeyer = refuse("Error: Unknown Keyer IC Version !");

// Rows: icType 1 IBEX, 2 PIKE, 3 TERN, 4 LYNX, 5 bootloader only, then any
// other value.  Columns: ImageColumn.
constexpr std::array<std::array<CompatibilityVerdict, 4>, 6> compatibilityTable{{
    {{refuse("Error: Attempting to program an IBEX JX with a LYNX image !"),
      refuse("Error: Attempting to program an IBEX JX with a TERN image !"),
      refuse("Error: Attempting to program an IBEX JX with a PIKE image !"), Accept}},
    {{refuse("Error: Attempting to program a PIKE JX with a LYNX image !"),
      refuse("Error: Attempting to program a PIKE JX with a TERN image !"), Accept,
      refuse("Error: Attempting to program a PIKE JX with an IBEX image !")}},
    {{refuse("Error: Attempting to program a TERN JX with a LYNX image !"), Accept,
      refuse("Error: Attempting to program a TERN JX with a PIKE image !"),
      refuse("Error: Attempting to program a TERN JX with an IBEX image !")}},
    {{Accept, refuse("Error: Attempting to program a LYNX JX with a TERN image !"),
      refuse("Error: Attempting to program a LYNX JX with a PIKE image !"),
      refuse("Error: Attempting to program a LYNX JX with an IBEX image !")}},
    // A keyer without firmware takes any image: there is nothing to check it against.
    {{Accept, Accept, Accept, Accept}},
    {{UnknownKeyer, UnknownKeyer, UnknownKeyer, UnknownKeyer}},
}};

struct ResultText {
    int code;
    std::string_view text;
};
constexpr std::array<ResultText, 6> resultTexts{{
    {UploadComplete, "Upload Completed Successfully"},
    {SofError, "Error: SOF Error !"},
    {ChecksumError, "Error: Checksum !"},
    {FlashVerifyError, "Error: Flash Verify !"},
    {ReplyTimeout, "Error: VEDAR Timeout !"},
    {SyncError, "Error: VEDAR Sync !"},
}};
constexpr std::string_view OtherResultText = "Error: Restart failed !";

void setStatus(Window dialog, std::string_view text) { setControlText(dialog, StatusLine, text); }

void onOpen(Window dialog) {
    state.image = std::make_shared<FirmwareImage>();
    blankImage(*state.image);
    state.logWindow = nullptr;
    if (verboseMode) {
        state.logWindow = dialog;
        setTextLimit(dialog, LogEdit, LogTextLimit);
    }
    state.imageLoaded = false;
    state.recordCount = 0;
    state.identity = {};
    enableControl(dialog, LoadButton, true);
    enableControl(dialog, ProgramButton, false);
    resetUploadState();
}

void onLoad(Window dialog) {
    std::string path;
    if (!chooseFirmwareFile(dialog, path)) return;
    setStatus(dialog, "Opening File");
    setControlText(dialog, PathLine, path);

    state.recordCount = loadFirmwareFile(
        *state.image, [dialog](int position) { setProgress(dialog, ProgressBar, position); }, path);
    // A failed load leaves Program as it was: a later Program stops at the
    // record count check.
    if (state.recordCount <= 0) {
        setStatus(dialog, "File Error");
        return;
    }
    std::string message;
    state.identity = readImageIdentity(*state.image, state.recordCount, message);
    setStatus(dialog, message);
    state.imageLoaded = true;
    enableControl(dialog, ProgramButton, true);
}

void showUploadControls(Window dialog, bool uploading) {
    enableControl(dialog, LoadButton, !uploading);
    enableControl(dialog, ProgramButton, false);
    // The worker owns the port and reads the image until its result is in:
    // the dialog stays open meanwhile.
    enableControl(dialog, ExitButton, !uploading);
}

void onProgram(Window dialog) {
    setProgress(dialog, ProgressBar, 0);
    const UploadStart start =
        checkUploadMayStart(state.imageLoaded, state.recordCount, state.identity.icCode, portDeviceName(comPortNumber));
    if (!start.mayStart) {
        if (start.refusalInMessageBox)
            messageBox(nullptr, start.refusal, "Error", MessageIcon::Warning);
        else
            setStatus(dialog, start.refusal);
        return;
    }

    showUploadControls(dialog, true);
    resetUploadState();
    const bool recovery = start.recoveryMode;
    setStatus(dialog, start.programmingText);

    auto* job = new UploadJob{state.image, recovery, state.logWindow ? logIntoDialog(state.logWindow) : UploadLogSink{}};
    if (!startThread(uploadWorker, job)) {
        // Nothing reached the keyer: the image stays loaded and may be programmed again.
        delete job;
        showUploadControls(dialog, false);
        enableControl(dialog, ProgramButton, true);
        setStatus(dialog, UploadStartFailedText);
        return;
    }
    state.uploadRunning = true;
    startTimer(dialog, PollTimer, PollPeriodMs);
}

void onTick(Window dialog) {
    setProgress(dialog, ProgressBar, uploadProgress.load());
    if (!uploadFinished.load()) return;
    const int code = uploadResult.load();
    state.uploadRunning = false;
    showUploadControls(dialog, false);
    setStatus(dialog, uploadResultMessage(code));
    // The progress bar keeps its last position: 99 after a complete upload.
    clearUploadResult();
    stopTimer(dialog, PollTimer);
}

void onExit(Window dialog) {
    if (state.uploadRunning) return;
    endDialog(dialog, 0);
}

}  // namespace

UploadStart checkUploadMayStart(bool imageLoaded, int recordCount, std::uint8_t imageIcCode, std::string_view deviceName) {
    UploadStart start;
    if (!imageLoaded) {
        start.refusal = "Error: Please Open a Programming File !";
        return start;
    }
    if (recordCount <= 0) {
        start.refusal = "Error: Zero Length File !";
        return start;
    }
    if (portOpen) closePort();
    if (checkLink(deviceName).code < 0) {
        start.refusal = "JX not connected";
        start.refusalInMessageBox = true;
        return start;
    }
    const CompatibilityVerdict verdict = checkCompatibility(icType, imageIcCode);
    if (!verdict.accepted) {
        start.refusal = verdict.refusal;
        return start;
    }
    start.mayStart = true;
    start.recoveryMode = icType == RecoveryIcType;
    start.programmingText = start.recoveryMode ? "Programming VEDAR in Recovery mode...." : "Programming VEDAR....";
    return start;
}

CompatibilityVerdict checkCompatibility(std::uint8_t keyerIcType, std::uint8_t imageIcCode) {
    const std::size_t row = (keyerIcType >= 1 && keyerIcType <= 5) ? keyerIcType - 1u : 5u;
    return compatibilityTable[row][imageColumn(imageIcCode)];
}

std::string_view uploadResultMessage(int code) {
    for (const ResultText& r : resultTexts)
        if (r.code == code) return r.text;
    return OtherResultText;
}

bool uploaderDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            onOpen(dialog);
            return true;
        case DialogEvent::Command:
            switch (message.controlId) {
                case LoadButton:  // also Escape
                    // Escape reaches here even while the button is disabled; a
                    // load during an upload would blank the image on the wire.
                    if (!state.uploadRunning) onLoad(dialog);
                    return true;
                case ProgramButton:
                    if (!state.uploadRunning) onProgram(dialog);
                    return true;
                case ExitButton:
                    onExit(dialog);
                    return true;
                default:
                    return false;
            }
        case DialogEvent::Timer:
            onTick(dialog);
            return true;
        case DialogEvent::Close:
            onExit(dialog);
            return true;
    }
    return false;
}

void resetUploaderState() {
    state = UploaderState{};
    resetUploadState();
}
