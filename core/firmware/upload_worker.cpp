#include "core/firmware/upload_worker.h"

#include <algorithm>
#include <cstdio>

#include "core/link/host_commands.h"
#include "platform/threads.h"

namespace {

// Tells the bootloader to move to 9600 baud.
constexpr std::array<std::uint8_t, 1> SpeedUp{0x35};
// Tells the bootloader to start the firmware it now holds.
constexpr std::array<std::uint8_t, 1> Restart{0x5A};

constexpr std::uint32_t HostBaud = 1200;
constexpr std::uint32_t BootloaderBaud = 9600;

// Time the bootloader needs to change its own line speed, and the keyer to
// restart and settle into its firmware.
constexpr int SpeedUpPauseMs = 200;
constexpr int RestartPauseMs = 500;
constexpr int SettlePauseMs = 100;

constexpr int ProgressDivisor = 960;

// The whole exchange; returns the result code.
int exchange(const UploadJob& job, Upload& upload) {
    KeyerLink& link = *job.link;
    if (!job.recoveryMode) startFirmwareUpdate(link);

    // The sync request is the echo test, which a bootloader answers with its
    // own byte.  A missing sync reply and a wrong one are told apart: a wrong
    // one means the firmware is still running (it echoes) or something else
    // is on the line.
    std::uint8_t reply = 0;
    if (!echoTest(link, reply)) return ReplyTimeout;
    if (reply != hostcmd::BootloaderEcho) return SyncReplyMismatch;

    writeBytes(link, SpeedUp);
    sleepMs(SpeedUpPauseMs);
    if (!setBaudRate(link, BootloaderBaud)) return PortSpeedFailed;

    for (int i = FirstMainPassRecord; i <= LastSentRecord; ++i) {
        upload.uploadProgress.store(i * 100 / ProgressDivisor);
        const std::uint8_t answer = sendImageRecord(job, WriteRecordCommand, i);
        if (answer != RecordAccepted) return answer;
    }
    for (int i = 0; i < FirstMainPassRecord; ++i) {
        const std::uint8_t command = i == FirstMainPassRecord - 1 ? WriteLastRecordCommand : WriteRecordCommand;
        const std::uint8_t answer = sendImageRecord(job, command, i);
        if (answer != RecordAccepted) return answer;
    }

    writeBytes(link, Restart);
    sleepMs(RestartPauseMs);
    if (!setBaudRate(link, HostBaud)) return PortSpeedFailed;
    sleepMs(SettlePauseMs);
    return UploadComplete;
}

// The result, published after every other effect of the upload.
void finish(Upload& upload, int code) {
    upload.uploadResult.store(code);
    upload.uploadFinished.store(true);
}

// What the worker thread owns: its job and its share of the upload.
struct WorkerContext {
    UploadJob job;
    std::shared_ptr<Upload> upload;
};

// The thread routine.
void uploadWorker(void* context) {
    std::unique_ptr<WorkerContext> owned(static_cast<WorkerContext*>(context));
    const int code = exchange(owned->job, *owned->upload);
    const std::shared_ptr<Upload> upload = std::move(owned->upload);
    // Let go of the image and the log before telling anyone: once the result
    // is out, the worker touches nothing its starter owns.
    owned.reset();
    finish(*upload, code);
}

}  // namespace

RecordFrame buildRecordFrame(std::uint8_t command, const ImageRecord& record) {
    RecordFrame frame{};
    frame[0] = command;
    std::copy(record.begin(), record.end(), frame.begin() + 1);
    unsigned sum = 0;
    for (std::size_t k = 0; k + 1 < frame.size(); ++k) sum += frame[k];
    frame[RecordFrameSize - 1] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
    return frame;
}

std::string recordLogLine(const ImageRecord& r, std::uint8_t reply) {
    // Each group of four digits is one program word as it sits in the record,
    // low byte first.
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(),
                  "%02x%02x - %02x%02x %02x%02x %02x%02x %02x%02x %02x%02x %02x%02x %02x%02x %02x%02x %02x\r\n",
                  r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11], r[12], r[13], r[14],
                  r[15], r[16], r[17], reply);
    return text.data();
}

std::uint8_t sendImageRecord(const UploadJob& job, std::uint8_t command, int recordIndex) {
    const ImageRecord& record = (*job.image)[static_cast<std::size_t>(recordIndex)];
    const RecordFrame frame = buildRecordFrame(command, record);
    writeBytes(*job.link, frame);

    std::array<std::uint8_t, 1> reply{};
    const std::uint8_t answer = readBytes(*job.link, reply) ? reply[0] : static_cast<std::uint8_t>(ReplyTimeout);

    if (job.log) job.log(recordLogLine(record, answer));
    return answer;
}

int runUpload(const UploadJob& job, Upload& upload) {
    const int code = exchange(job, upload);
    finish(upload, code);
    return code;
}

std::shared_ptr<const Upload> startUpload(UploadJob job) {
    auto upload = std::make_shared<Upload>();
    auto* context = new WorkerContext{std::move(job), upload};
    if (!startThread(uploadWorker, context)) {
        delete context;
        return nullptr;
    }
    return upload;
}

int waitForUpload(const Upload& upload, const UploadProgressSink& progress, int pollMs) {
    int shown = -1;
    const auto tell = [&] {
        const int percent = upload.uploadProgress.load();
        if (percent != shown && progress) progress(percent);
        shown = percent;
    };
    while (!upload.uploadFinished.load()) {
        tell();
        sleepMs(pollMs);
    }
    tell();
    return upload.uploadResult.load();
}
