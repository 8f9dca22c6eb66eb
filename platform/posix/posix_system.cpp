// Files, threads and time of the Linux programs: the desktop program and jxtool.
#include <unistd.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/xdg_config.h"
#include "platform/threads.h"

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
    posixCreateFolders(folder);
    return folder + "/keyer-tools.cfg";
}

std::string historyFolder() {
    const std::string data = keyerDataFolder();
    if (data.empty()) return {};
    const std::string folder = data + "/history";
    posixCreateFolders(folder);
    return folder;
}

bool listFolder(std::string_view folder, std::vector<std::string>& names) { return posixListFolder(folder, names); }

bool removeFile(std::string_view path) { return posixRemoveFile(path); }

FileReadResult readFileStart(std::string_view path, std::span<std::uint8_t> dest) {
    return posixReadFileStart(path, dest);
}

FileWriteStatus replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
    return posixReplaceFile(path, bytes);
}

void sleepMs(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::int64_t wallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
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
