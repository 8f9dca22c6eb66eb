// Files, threads, time and the console of the headless backend.
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/posix/posix_files.h"
#include "platform/threads.h"

namespace {
std::string programFile;
std::string configFile;
std::string historyFolderPath;
constexpr std::int64_t DefaultWallClockMs = 1'700'000'000'000;
std::int64_t wallClockBaseMs = DefaultWallClockMs;
std::int64_t wallClockSetAtMs = 0;
bool failReads = false;
bool failWrites = false;
bool failThreads = false;
std::atomic<bool> realTimeSleeps{false};

std::mutex sleepMutex;
std::vector<int> sleepLog;

struct StartedThread {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
};
std::mutex threadMutex;
std::vector<StartedThread> threads;
}  // namespace

std::string programPath() { return programFile; }
std::string configFileLocation() { return configFile; }

std::string historyFolder() {
    if (!historyFolderPath.empty()) posixCreateFolders(historyFolderPath);
    return historyFolderPath;
}

bool listFolder(std::string_view folder, std::vector<std::string>& names) { return posixListFolder(folder, names); }

bool removeFile(std::string_view path) { return posixRemoveFile(path); }

FileReadResult readFileStart(std::string_view path, std::span<std::uint8_t> dest) {
    FileReadResult result = posixReadFileStart(path, dest);
    if (failReads && result.status == FileReadStatus::Ok) return {FileReadStatus::ReadFailed, 0};
    return result;
}

FileWriteStatus replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
    return posixReplaceFile(path, bytes, failWrites);
}

void sleepMs(int milliseconds) {
    {
        std::lock_guard lock(sleepMutex);
        sleepLog.push_back(milliseconds);
    }
    // The dialogs' thread is blocked meanwhile: time passes, no timer fires.
    if (headless_internal::onDialogThread())
        headless_internal::advanceClockWithoutTimers(milliseconds);
    else if (realTimeSleeps.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::int64_t monotonicMs() { return headless::nowMs(); }

std::int64_t wallClockMs() { return wallClockBaseMs + headless::nowMs() - wallClockSetAtMs; }

// Progress goes line by line, as into a log.
bool standardErrorIsTerminal() { return false; }

bool startThread(void (*fn)(void*), void* arg) {
    if (failThreads) return false;
    std::lock_guard lock(threadMutex);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    threads.push_back({std::thread([fn, arg, finished] {
                           fn(arg);
                           finished->store(true);
                       }),
                       finished});
    return true;
}

namespace headless {

void reset() {
    headless_internal::resetThreads();
    headless_internal::resetDialogs();
    headless_internal::resetFiles();
    if (headless_internal::resetSerialPorts) headless_internal::resetSerialPorts();
    realTimeSleeps = false;
    std::lock_guard lock(sleepMutex);
    sleepLog.clear();
}

const std::vector<int>& sleeps() { return sleepLog; }
void setProgramPath(std::string path) { programFile = std::move(path); }
void setConfigFileLocation(std::string path) { configFile = std::move(path); }
void setHistoryFolder(std::string path) { historyFolderPath = std::move(path); }
void setWallClock(std::int64_t epochMs) {
    wallClockBaseMs = epochMs;
    wallClockSetAtMs = nowMs();
}
void failFileReads(bool fail) { failReads = fail; }
void failFileWrites(bool fail) { failWrites = fail; }
void failThreadStart(bool fail) { failThreads = fail; }
void realTimeWorkerSleeps(bool on) { realTimeSleeps = on; }

}  // namespace headless

namespace headless_internal {

void (*resetSerialPorts)() = nullptr;

void resetFiles() {
    programFile.clear();
    configFile.clear();
    historyFolderPath.clear();
    wallClockBaseMs = DefaultWallClockMs;
    wallClockSetAtMs = 0;
    failReads = false;
    failWrites = false;
}

void resetThreads() {
    // A worker may be waiting for the dialogs' thread: keep pumping until it ends.
    std::vector<StartedThread> running;
    {
        std::lock_guard lock(threadMutex);
        running.swap(threads);
    }
    for (auto& t : running) {
        while (!t.finished->load()) {
            headless::pumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        t.thread.join();
    }
    failThreads = false;
}

}  // namespace headless_internal
