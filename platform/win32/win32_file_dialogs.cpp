// The system's file-open and file-save dialogs (comdlg32).
#include <windows.h>
// After <windows.h>, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "platform/file_dialog.h"
#include "platform/win32/dialog_template_bytes.h"
#include "platform/win32/win32_internal.h"

namespace {

bool runFileDialog(Window owner, const FileDialogSpec& spec, std::string& path, bool save) {
    const std::string filter = win32::fileDialogFilter(spec.filters);
    // The caller's path buffer: the name field starts with initialName, cut
    // to what the buffer holds.
    std::string buffer(spec.maxPathChars + 1, '\0');
    buffer.replace(0, std::min(spec.initialName.size(), spec.maxPathChars), spec.initialName, 0, spec.maxPathChars);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = win32::toHwnd(owner);
    dialog.lpstrFilter = spec.filters.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(spec.initialFilter);
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrDefExt = spec.defaultExtension.empty() ? nullptr : spec.defaultExtension.c_str();
    dialog.lpstrTitle = spec.title.empty() ? nullptr : spec.title.c_str();
    dialog.Flags = spec.fileMustExist ? OFN_FILEMUSTEXIST : 0;

    const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) return false;
    path = buffer.c_str();
    return true;
}

}  // namespace

bool chooseFileToOpen(Window owner, const FileDialogSpec& spec, std::string& path) {
    return runFileDialog(owner, spec, path, false);
}

bool chooseFileToSave(Window owner, const FileDialogSpec& spec, std::string& path) {
    return runFileDialog(owner, spec, path, true);
}
