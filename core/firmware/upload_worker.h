// The bootloader upload: a worker thread that makes the keyer's firmware hand
// over to its bootloader, synchronises, raises the line to 9600 baud, sends
// the image record by record, restarts the keyer and returns to 1200 baud.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/firmware/firmware_image.h"
#include "core/link/transport.h"

// Result codes: the bootloader's replies to a record frame and the worker's own.
enum UploadResultCode : std::uint8_t {
    RecordAccepted = 0x3C,  // the upload goes on; never a result
    SofError = 0x80,
    ChecksumError = 0x81,
    FlashVerifyError = 0x82,
    ReplyTimeout = 0x84,
    UploadComplete = 0x88,
    SyncError = 0x89,
    PortSpeedFailed = 0x8A,
    SyncReplyMismatch = 0x8B,
};

// Frame commands.
inline constexpr std::uint8_t WriteRecordCommand = 0x1B;
inline constexpr std::uint8_t WriteLastRecordCommand = 0x2E;

// Records sent: 4 to 955 first, then 0 to 3, so that the words the keyer
// starts from are written last.  956 to 1023 are never sent.
inline constexpr int FirstMainPassRecord = 4;
inline constexpr int LastSentRecord = 955;

inline constexpr std::size_t RecordFrameSize = 20;
using RecordFrame = std::array<std::uint8_t, RecordFrameSize>;

// Takes one log line per record, on the worker's thread; it returns once
// the line is where it goes, so the log keeps in step with the wire.
using UploadLogSink = std::function<void(const std::string& line)>;
// Told each new progress percentage (0 to 99) of an upload.
using UploadProgressSink = std::function<void(int percent)>;

// What one upload needs, fixed when it starts.  The worker holds a share of
// the image, so the image lives at least until the worker is done with it;
// the link is the worker's alone until the upload has finished.
struct UploadJob {
    std::shared_ptr<const FirmwareImage> image;
    KeyerLink* link = nullptr;  // open, and checked: the keyer answered the link check
    bool recoveryMode = false;  // only the bootloader runs: no hand-over command
    UploadLogSink log;          // empty: no log
};

// One upload under way, shared by the worker and whoever follows it.  The
// worker writes uploadProgress (0 to 99) as it goes; it stores its code in
// uploadResult and then sets uploadFinished as its very last action, so that
// every code (a reply byte of 0 included) ends the upload, and once
// uploadFinished is seen the worker touches neither the link nor the image.
struct Upload {
    std::atomic<int> uploadProgress{0};
    std::atomic<int> uploadResult{0};
    std::atomic<bool> uploadFinished{false};
};

// Starts the worker on a thread of its own.  Empty when the thread could not
// be started: then nothing was sent.
std::shared_ptr<const Upload> startUpload(UploadJob job);
// Waits for an upload to finish, telling `progress` (on this thread) each
// percentage it reaches, polled every pollMs; returns the result code.
int waitForUpload(const Upload& upload, const UploadProgressSink& progress, int pollMs = 100);
// The whole upload on the calling thread (the worker's body); returns the
// result code, which it has stored into `upload` as the worker would.
int runUpload(const UploadJob& job, Upload& upload);

// Sends one record frame and returns the bootloader's reply, or ReplyTimeout
// when none arrived; appends the record's log line when the job logs.
std::uint8_t sendImageRecord(const UploadJob& job, std::uint8_t command, int recordIndex);

// The 20 bytes on the wire: command, the record's 18 bytes, a checksum that
// makes all 20 sum to 0 modulo 256.
RecordFrame buildRecordFrame(std::uint8_t command, const ImageRecord& record);
// "aaaa - wwww wwww ... wwww rr" and CR LF: 51 characters.
std::string recordLogLine(const ImageRecord& record, std::uint8_t reply);
