// Serves a simulated keyer on a pseudo-terminal: the program (or Wine) opens
// the terminal's device as its serial port, and every byte it writes reaches
// the keyer, whose replies come back the same way.  The server runs on a
// thread of its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "sim/keyer_simulator.h"

class PtyKeyerServer {
public:
    explicit PtyKeyerServer(KeyerSimulator& keyer);
    ~PtyKeyerServer();
    PtyKeyerServer(const PtyKeyerServer&) = delete;
    PtyKeyerServer& operator=(const PtyKeyerServer&) = delete;

    // Before start: replies leave at the line rate (10 bits a byte at the
    // keyer's speed) and the keyer acts on a command only once its bytes
    // would have crossed the line.
    void setPacing(bool pace) { pace_ = pace; }
    // Before start: every chunk both ways goes to this file with its time.
    bool setLogFile(const std::string& path, std::string& error);

    // Opens the pseudo-terminal and starts serving; false with a reason.
    bool start(std::string& error);
    // The device the program opens, e.g. /dev/pts/5.
    const std::string& devicePath() const { return devicePath_; }
    // Stops serving and closes the terminal.  Idempotent.
    void stop();

    // Runs fn with the keyer while the server leaves it alone.
    void withKeyer(const std::function<void(KeyerSimulator&)>& fn);
    // Waits, in real time, until the keyer has received `count` bytes in all.
    bool waitForBytesFromHost(std::size_t count, int timeoutMs);
    std::size_t bytesFromHost() const { return received_.load(); }
    // Puts bytes on the line towards the host, from outside the keyer (noise).
    void sendNoise(std::span<const std::uint8_t> bytes);
    // The line goes dead: the program's next transfer finds it hung up.
    void hangUp();
    // A keyer whose cable is pulled by one of its hang-up faults
    // (setHangUpInReply, setHangUpInBlock) hangs the line up by itself: from
    // the fault on, the terminal takes nothing more from the program; the
    // keyer's last bytes are left for the program to read, then the line goes.

private:
    void serve();
    void handleChunk(std::span<const std::uint8_t> bytes);
    void flushOutput();
    void writeLog();
    void hangUpAfterFault();
    std::uint32_t hostBaud() const;

    KeyerSimulator& keyer_;
    std::mutex keyerMutex_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line survives the program's closes
    std::string devicePath_;
    bool pace_ = false;
    std::FILE* log_ = nullptr;
    std::size_t logged_ = 0;

    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> received_{0};
    std::mutex receivedMutex_;
    std::condition_variable receivedChanged_;
    std::deque<std::uint8_t> outgoing_;  // waiting for room in the terminal (server thread only)
    std::int64_t startUs_ = 0;
    bool lineBusy_ = false;           // paced: a command just came in or a reply is on its way (server thread only)
    std::int64_t nextByteDueUs_ = 0;  // paced: when its next byte is due
    std::atomic<bool> lineStopped_{false};  // a hang-up fault fired; the line goes once the output is out
    bool wroteAfterFault_ = false;          // the keyer's last bytes went out after the fault (server thread only)
};
