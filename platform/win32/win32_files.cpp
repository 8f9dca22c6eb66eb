// Files on Win32: the program's own path, the history folder beside it,
// reading the start of a file, replacing a file safely through a new file in
// the same folder, listing a folder and removing a file.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/files.h"

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        if (!valid()) return true;
        const bool ok = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

// Where a new file beside path goes: the folder part, or the current folder.
std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);  // a root: keep its separator
    return path.substr(0, slash);
}

}  // namespace

std::string programPath() {
    // Long enough for any path Windows gives a program (32,767 characters).
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// On Windows the configuration file lives beside the program, under its name.
std::string configFileLocation() { return {}; }

// The history lives beside the program, as its configuration file does.
std::string historyFolder() {
    const std::string self = programPath();
    const auto slash = self.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    const std::string folder = self.substr(0, slash + 1) + "history";
    CreateDirectoryA(folder.c_str(), nullptr);  // already there, or it cannot be: the write will say
    return folder;
}

bool listFolder(std::string_view folder, std::vector<std::string>& names) {
    const std::string pattern = std::string(folder) + "\\*";
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    names.clear();
    // A folder with nothing in it at all (a drive's root) finds no match.
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::string_view name = found.cFileName;
        if (name != "." && name != "..") names.emplace_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

bool removeFile(std::string_view path) { return DeleteFileA(std::string(path).c_str()) != FALSE; }

FileReadResult readFileStart(std::string_view path, std::span<std::uint8_t> dest) {
    const std::string name(path);
    FileHandle file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return {FileReadStatus::NotOpened, 0};
    std::size_t total = 0;
    while (total < dest.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(dest.size() - total, 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file.get(), dest.data() + total, chunk, &got, nullptr)) return {FileReadStatus::ReadFailed, total};
        if (got == 0) break;  // end of file
        total += got;
    }
    return {FileReadStatus::Ok, total};
}

FileWriteStatus replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
    const std::string target(path);
    // A folder or a read-only file in the target's place cannot be replaced.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return FileWriteStatus::CannotCreate;

    // The new content goes to a fresh file in the target's own folder, so the
    // move below stays on one volume and replaces the target in one step.
    char tempName[MAX_PATH] = {};
    if (GetTempFileNameA(folderOf(target).c_str(), "kyr", 0, tempName) == 0) return FileWriteStatus::CannotCreate;
    FileHandle file(CreateFileA(tempName, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DeleteFileA(tempName);
        return FileWriteStatus::CannotCreate;
    }

    bool ok = true;
    std::size_t total = 0;
    while (ok && total < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - total, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + total, chunk, &written, nullptr) || written == 0)
            ok = false;
        else
            total += written;
    }
    if (ok && !FlushFileBuffers(file.get())) ok = false;
    if (!file.close()) ok = false;
    if (!ok) {
        DeleteFileA(tempName);
        return FileWriteStatus::WriteFailed;
    }
    // The target held open by another program, or a folder that lets us
    // create but not replace: nothing could take the file's place.
    if (!MoveFileExA(tempName, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tempName);
        return FileWriteStatus::CannotCreate;
    }
    return FileWriteStatus::Ok;
}

// The line file: each line is one WriteFile, so nothing waits in a buffer of ours.
struct LineFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

LineFile* openLineFile(std::string_view path) {
    const HANDLE handle = CreateFileA(std::string(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : new LineFile{handle};
}

bool writeFileLine(LineFile* file, std::string_view line) {
    if (!file) return false;
    std::string text(line);
    text += "\r\n";
    DWORD written = 0;
    return WriteFile(file->handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE &&
           written == text.size();
}

void closeLineFile(LineFile* file) {
    if (!file) return;
    CloseHandle(file->handle);
    delete file;
}
