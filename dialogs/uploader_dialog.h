// The firmware uploader dialog (template 1003): load an image file, check it
// against the keyer's IC variant, program it through the upload worker and
// follow the worker with a 100 ms timer.
#pragma once

#include <string>

#include "core/firmware/upload_worker.h"
#include "platform/dialog.h"

// Makes the uploader log every block it programs.  Off at start, not saved;
// only OK in the about dialog changes it.
extern bool verboseMode;

bool uploaderDialogProc(Window dialog, const DialogMessage& message);

// The file-open dialog for firmware files.  True with the chosen path (at
// most 127 characters); false when the operator cancels.
bool chooseFirmwareFile(Window owner, std::string& path);

// Whether an upload is under way: from the worker's start to the tick that
// shows its result.
bool uploadUnderWay();

// The log edit as the upload's log sink: each line is handed to the dialog's
// thread and awaited.
UploadLogSink logIntoDialog(Window dialog);

// Back to the start state (for tests).  Must not be called while a worker runs.
void resetUploaderState();
