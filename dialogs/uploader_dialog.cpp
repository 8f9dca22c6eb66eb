#include "dialogs/uploader_dialog.h"

#include <array>
#include <memory>
#include <string>

#include "core/firmware/firmware_image.h"
#include "core/firmware/hex_file.h"
#include "core/firmware/upload_checks.h"
#include "core/firmware/upload_worker.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "platform/file_dialog.h"
#include "platform/threads.h"
#include "resources/control_ids.h"

using namespace uploader;

bool verboseMode = false;

namespace {

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
    // The upload under way, from the worker's start to the tick that shows its result.
    std::shared_ptr<const Upload> upload;
};
UploaderState state;

}  // namespace

bool chooseFirmwareFile(Window owner, std::string& path) {
    FileDialogSpec spec;
    spec.title = "Open";
    spec.filters = {{"All files", "*.*"}, {"Bin Files", "*.bin"}};
    spec.initialFilter = 2;
    spec.defaultExtension = "bin";
    spec.initialName = "*.bin";
    spec.maxPathChars = 127;  // a 128-character buffer with its terminator
    spec.fileMustExist = true;
    return chooseFileToOpen(owner, spec, path);
}

namespace {

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
    const UploadStart start = checkUploadMayStart(state.imageLoaded, state.recordCount, state.identity.icCode, keyerLink,
                                                  portDeviceName(comPortNumber), knownKeyer());
    if (start.linkChecked) recordKeyerIdentity(start.check.identity);
    if (!start.mayStart) {
        if (start.refusalInMessageBox)
            messageBox(nullptr, start.refusal, "Error", MessageIcon::Warning);
        else
            setStatus(dialog, start.refusal);
        return;
    }

    showUploadControls(dialog, true);
    setStatus(dialog, start.programmingText);
    state.upload = startUpload(UploadJob{state.image, &keyerLink, start.recoveryMode,
                                         state.logWindow ? logIntoDialog(state.logWindow) : UploadLogSink{}});
    if (!state.upload) {
        // Nothing reached the keyer: the image stays loaded and may be programmed again.
        showUploadControls(dialog, false);
        enableControl(dialog, ProgramButton, true);
        setStatus(dialog, UploadStartFailedText);
        return;
    }
    startTimer(dialog, PollTimer, PollPeriodMs);
}

void onTick(Window dialog) {
    if (!state.upload) return;
    const Upload& upload = *state.upload;
    setProgress(dialog, ProgressBar, upload.uploadProgress.load());
    if (!upload.uploadFinished.load()) return;
    const int code = upload.uploadResult.load();
    // The progress bar keeps its last position: 99 after a complete upload.
    state.upload.reset();
    showUploadControls(dialog, false);
    setStatus(dialog, uploadResultMessage(code));
    stopTimer(dialog, PollTimer);
}

void onExit(Window dialog) {
    if (state.upload) return;
    endDialog(dialog, 0);
}

}  // namespace

bool uploadUnderWay() { return state.upload != nullptr; }

UploadLogSink logIntoDialog(Window dialog) {
    return [dialog](const std::string& line) { insertEditText(dialog, LogEdit, line); };
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
                    if (!state.upload) onLoad(dialog);
                    return true;
                case ProgramButton:
                    if (!state.upload) onProgram(dialog);
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

void resetUploaderState() { state = UploaderState{}; }
