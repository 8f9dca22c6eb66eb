#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

FileReadResult posixReadFileStart(std::string_view path, std::span<std::uint8_t> dest) {
    const std::string name(path);
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {FileReadStatus::NotOpened, 0};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return {FileReadStatus::NotOpened, 0};
    }
    std::size_t total = 0;
    while (total < dest.size()) {
        const ssize_t n = ::read(fd, dest.data() + total, dest.size() - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return {FileReadStatus::ReadFailed, total};
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return {FileReadStatus::Ok, total};
}

FileWriteStatus posixReplaceFile(std::string_view path, std::span<const std::uint8_t> bytes,
                                 bool simulateWriteFailure, const FlushToDisk& flush) {
    const auto flushed = [&](int fd) { return (flush ? flush(fd) : ::fsync(fd)) == 0; };
    const std::string target(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return FileWriteStatus::CannotCreate;

    // The new content goes to a file beside the target, so that the rename
    // below stays inside one file system and replaces the target at once.
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return FileWriteStatus::CannotCreate;
    ::fchmod(fd, 0644);

    bool ok = true;
    std::size_t total = 0;
    const std::size_t toWrite = simulateWriteFailure ? bytes.size() / 2 : bytes.size();
    while (ok && total < toWrite) {
        const ssize_t n = ::write(fd, bytes.data() + total, toWrite - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else total += static_cast<std::size_t>(n);
    }
    if (simulateWriteFailure) ok = false;
    if (ok && !flushed(fd)) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(temp.c_str());
        return FileWriteStatus::WriteFailed;
    }
    // The rename is an entry in the folder: flush the folder too, so that the
    // new file and not the old one is there after a power cut.  The file has
    // already replaced the old one, so a folder that cannot be flushed (some
    // file systems refuse) does not undo the save.
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)flushed(dir);
        ::close(dir);
    }
    return FileWriteStatus::Ok;
}

// The line file of files.h, for every POSIX backend: stdio's buffer, flushed
// after each line, so a line costs one write.
struct LineFile {
    std::FILE* stream = nullptr;
};

LineFile* openLineFile(std::string_view path) {
    std::FILE* stream = std::fopen(std::string(path).c_str(), "we");
    return stream ? new LineFile{stream} : nullptr;
}

bool writeFileLine(LineFile* file, std::string_view line) {
    if (!file) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), file->stream) == line.size() &&
                         std::fputc('\n', file->stream) != EOF;
    return std::fflush(file->stream) == 0 && written;
}

void closeLineFile(LineFile* file) {
    if (!file) return;
    std::fclose(file->stream);
    delete file;
}

bool posixListFolder(std::string_view folder, std::vector<std::string>& names) {
    const std::string name(folder);
    DIR* dir = ::opendir(name.c_str());
    if (!dir) return false;
    names.clear();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view file = entry->d_name;
        if (file != "." && file != "..") names.emplace_back(file);
    }
    ::closedir(dir);
    return true;
}

bool posixRemoveFile(std::string_view path) { return ::unlink(std::string(path).c_str()) == 0; }

void posixCreateFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
}
