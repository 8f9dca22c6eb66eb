// Program's checks before an upload, and the texts an upload ends with: the
// same for the uploader dialog and jxtool.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/link/link_check.h"

// Whether an image with the given IC code may be programmed into a keyer of
// the variant given; when not, the status text that says why.
struct CompatibilityVerdict {
    bool accepted = false;
    std::string_view refusal;
};
CompatibilityVerdict checkCompatibility(KeyerVariant keyer, std::uint8_t imageIcCode);

// Program's checks in their order: an image loaded and not empty, the link
// check on the device (an open link is closed first, and `known` is the
// keyer's identity before it), the compatibility of the image with the
// keyer that answered.
struct UploadStart {
    bool mayStart = false;
    std::string_view refusal;          // why not; shown on the status line...
    bool refusalInMessageBox = false;  // ...or in an "Error" box ("JX not connected")
    bool recoveryMode = false;         // only the bootloader answered
    std::string_view programmingText;  // the status line while the upload runs
    bool linkChecked = false;          // the link check ran: `check` holds what it found
    LinkCheck check;
};
UploadStart checkUploadMayStart(bool imageLoaded, int recordCount, std::uint8_t imageIcCode, KeyerLink& link,
                                std::string_view deviceName, const KeyerIdentity& known);

// The status text for an upload's result code.
std::string_view uploadResultMessage(int code);

// Shown when the worker thread could not be started.
inline constexpr std::string_view UploadStartFailedText = "Error: Upload could not start !";
