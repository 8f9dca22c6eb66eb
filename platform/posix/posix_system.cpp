// Files, threads and time of the Linux programs: the desktop program and jxtool.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/xdg_config.h"
#include "platform/threads.h"

namespace {

// Creates each missing folder of path (not its last component) with
// permissions for the owner only, as the XDG base directories ask.
void createParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

}  // namespace

std::string programPath() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

std::string configFileLocation() {
    const std::string folder = keyerConfigFolder();
    if (folder.empty()) return {};
    const std::string file = folder + "/keyer-tools.cfg";
    createParentFolders(file);
    return file;
}

FileReadResult readFileStart(std::string_view path, std::span<std::uint8_t> dest) {
    return posixReadFileStart(path, dest);
}

FileWriteStatus replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
    return posixReplaceFile(path, bytes);
}

void sleepMs(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::int64_t monotonicMs() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

bool startThread(void (*fn)(void*), void* arg) {
    // The thread runs on its own; the program never waits for it to end.
    try {
        std::thread(fn, arg).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
