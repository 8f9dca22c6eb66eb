// The system's file chooser (GTK's where it is installed, FLTK's own
// otherwise) in place of the Windows open and save dialogs.
#include "platform/fltk/fltk_toolkit.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_dialog.h"
#include "platform/file_names.h"
#include "platform/fltk/fltk_internal.h"

namespace {

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Each chooser opens where the last one was left, at first in the current folder.
std::string lastFolder;

std::string startFolder() {
    if (!lastFolder.empty()) return lastFolder;
    std::string folder(4096, '\0');
    if (!::getcwd(folder.data(), folder.size())) return {};
    folder.resize(std::char_traits<char>::length(folder.c_str()));
    return folder;
}

bool chooseFile(Window owner, const FileDialogSpec& request, std::string& path, bool save) {
    fltk_backend::ensureStarted();
    Fl_Native_File_Chooser chooser(save ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                                        : Fl_Native_File_Chooser::BROWSE_FILE);
    if (!request.title.empty()) chooser.title(request.title.c_str());
    const fltk_backend::ChooserFilterList offered =
        fltk_backend::chooserFilterList(request.filters, request.initialFilter, !save);
    const std::string filter = fltk_backend::chooserFilter(offered.filters);
    if (!filter.empty()) {
        chooser.filter(filter.c_str());
        if (offered.initialIndex >= 0) chooser.filter_value(offered.initialIndex);
    }
    const std::string folder = startFolder();
    if (!folder.empty()) chooser.directory(folder.c_str());
    if (fltk_backend::usableAsInitialName(request.initialName)) chooser.preset_file(request.initialName.c_str());
    // No overwrite prompt: saving over a file is what the operator asked for.
    chooser.options(save ? Fl_Native_File_Chooser::NEW_FOLDER : Fl_Native_File_Chooser::NO_OPTIONS);

    for (;;) {
        if (chooser.show() != 0 || !chooser.filename() || !*chooser.filename()) return false;
        const std::string chosen = withDefaultExtension(chooser.filename(), request.defaultExtension);
        if (request.fileMustExist && !fileExists(chosen)) {
            messageBox(owner, chosen + "\nFile not found.\nCheck the file name and try again.",
                       request.title.empty() ? "Open" : request.title, MessageIcon::Warning);
            continue;
        }
        // A path longer than the caller's buffer is never cut: the operator chooses again.
        if (chosen.size() > request.maxPathChars) {
            messageBox(owner,
                       chosen + "\nThe path is too long: at most " + std::to_string(request.maxPathChars) +
                           " characters.",
                       request.title.empty() ? (save ? "Save As" : "Open") : request.title, MessageIcon::Warning);
            continue;
        }
        lastFolder = fltk_backend::folderOf(chosen);
        path = chosen;
        return true;
    }
}

}  // namespace

bool chooseFileToOpen(Window owner, const FileDialogSpec& request, std::string& path) {
    return chooseFile(owner, request, path, false);
}

bool chooseFileToSave(Window owner, const FileDialogSpec& request, std::string& path) {
    return chooseFile(owner, request, path, true);
}
