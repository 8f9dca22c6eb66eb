// Files of the web page: the program's files are in the module's memory file
// system; the configuration file is kept in the browser's storage, files the
// operator opens come in through the browser's file chooser, and files the
// program saves go out through the browser's save picker or as a download.
#include <emscripten.h>

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/web/web_internal.h"

namespace {

// Folders of the memory file system, by where their files come from and go
// (the page's script puts what the file chooser opens in /chosen/).
constexpr std::string_view StoredFolder = "/stored/";    // kept in the browser's storage
constexpr std::string_view SessionFolder = "/session/";  // this page's life only
constexpr std::string_view SavedFolder = "/saved/";      // saved through the save picker
constexpr std::string_view DownloadFolder = "/download/";

EM_JS(int, page_virtual_session, (), { return KeyerPage.virtualSession ? 1 : 0; });
EM_JS(void, page_load_stored, (const char* folder), { KeyerPage.loadStoredFiles(UTF8ToString(folder)); });
EM_JS(void, page_store_file, (const char* path), { KeyerPage.storeFile(UTF8ToString(path)); });
EM_JS(void, page_forget_file, (const char* path), { KeyerPage.forgetFile(UTF8ToString(path)); });
EM_JS(int, page_choose_file_to_open, (const char* accept), {
    return KeyerPage.chooseFileToOpen(UTF8ToString(accept));
});
EM_JS(char*, page_chosen_path, (int operation), { return KeyerPage.cString(KeyerPage.chosenPath(operation)); });
EM_JS(int, page_choose_file_to_save, (const char* suggestedName, const char* description, const char* extension), {
    return KeyerPage.chooseFileToSave(UTF8ToString(suggestedName), UTF8ToString(description), UTF8ToString(extension));
});
EM_JS(int, page_write_saved_file, (const char* path), { return KeyerPage.writeSavedFile(UTF8ToString(path)); });
EM_JS(void, page_download_file, (const char* path), { KeyerPage.downloadFile(UTF8ToString(path)); });

bool startsWith(std::string_view path, std::string_view folder) { return path.substr(0, folder.size()) == folder; }

// "*.eep" gives ".eep"; every file ("*.*", "*") gives nothing.
std::string extensionOf(const FileFilter& filter) {
    if (filter.pattern.size() > 2 && filter.pattern.starts_with("*.") && filter.pattern != "*.*")
        return filter.pattern.substr(1);
    return {};
}

const FileFilter* initialFilter(const FileDialogSpec& spec) {
    const std::size_t index = spec.initialFilter >= 1 ? static_cast<std::size_t>(spec.initialFilter - 1) : 0;
    return index < spec.filters.size() ? &spec.filters[index] : nullptr;
}

// Where the program's own files go: the browser's storage, or for a session
// on the virtual keyer alone (?keyer=virtual) memory for this page's life.
std::string keptFolder() { return std::string(page_virtual_session() ? SessionFolder : StoredFolder); }

}  // namespace

namespace web {

void loadStoredConfiguration() { page_load_stored(std::string(StoredFolder).c_str()); }

}  // namespace web

// --- platform/files.h -------------------------------------------------------

std::string programPath() { return "/keyer-tools"; }

std::string configFileLocation() { return keptFolder() + "keyer-tools.cfg"; }

// A real keyer's records are kept in the browser's storage beside the
// configuration; the virtual keyer's last for this page's life only.
std::string historyFolder() {
    const std::string folder = keptFolder() + "history";
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return {};
    return folder;
}

bool listFolder(std::string_view folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(std::string(folder).c_str());
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return true;
}

bool removeFile(std::string_view path) {
    const std::string target(path);
    if (std::remove(target.c_str()) != 0) return false;
    if (startsWith(target, StoredFolder)) page_forget_file(target.c_str());
    return true;
}

FileReadResult readFileStart(std::string_view path, std::span<std::uint8_t> dest) {
    std::FILE* file = std::fopen(std::string(path).c_str(), "rb");
    if (!file) return {FileReadStatus::NotOpened, 0};
    const std::size_t count = std::fread(dest.data(), 1, dest.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return {failed ? FileReadStatus::ReadFailed : FileReadStatus::Ok, count};
}

FileWriteStatus replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
    const std::string target(path);
    const std::string fresh = target + ".new";
    std::FILE* file = std::fopen(fresh.c_str(), "wb");
    if (!file) return FileWriteStatus::CannotCreate;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written || std::rename(fresh.c_str(), target.c_str()) != 0) {
        std::remove(fresh.c_str());
        return FileWriteStatus::WriteFailed;
    }
    // Where the bytes go beyond this page.
    if (startsWith(target, StoredFolder)) page_store_file(target.c_str());
    if (startsWith(target, DownloadFolder)) page_download_file(target.c_str());
    if (startsWith(target, SavedFolder) && web::awaitPageOperation(page_write_saved_file(target.c_str()), -1) != 0)
        return FileWriteStatus::WriteFailed;
    return FileWriteStatus::Ok;
}

// --- platform/file_dialog.h ---------------------------------------------------

bool chooseFileToOpen(Window, const FileDialogSpec& spec, std::string& path) {
    const FileFilter* filter = initialFilter(spec);
    const std::string accept = filter ? extensionOf(*filter) : std::string();
    const int operation = page_choose_file_to_open(accept.c_str());
    if (web::awaitPageOperation(operation, -1) != 0) return false;
    path = web::takeString(page_chosen_path(operation));
    return !path.empty();
}

bool chooseFileToSave(Window, const FileDialogSpec& spec, std::string& path) {
    const FileFilter* filter = initialFilter(spec);
    const std::string extension = filter ? extensionOf(*filter) : std::string();
    std::string suggested(fileNameOfPath(spec.initialName));
    if (suggested.empty() || suggested.find('*') != std::string::npos) suggested = "settings";
    suggested = withDefaultExtension(suggested, spec.defaultExtension);
    const int operation = page_choose_file_to_save(suggested.c_str(), filter ? filter->description.c_str() : "",
                                                   extension.c_str());
    if (web::awaitPageOperation(operation, -1) != 0) return false;
    path = web::takeString(page_chosen_path(operation));
    return !path.empty();
}
