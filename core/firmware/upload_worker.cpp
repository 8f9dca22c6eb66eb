#include "core/firmware/upload_worker.h"

#include <algorithm>
#include <cstdio>

#include "core/link/transport.h"
#include "platform/threads.h"

std::atomic<int> uploadProgress{0};
std::atomic<int> uploadResult{0};
std::atomic<bool> uploadFinished{false};

namespace {

// The host command that makes the running firmware start its bootloader.
constexpr std::array<std::uint8_t, 3> StartFirmwareUpdate{0x00, 0x10, 0x9B};
// The echo test; a bootloader answers it with 0xAA instead of echoing 0x55.
constexpr std::array<std::uint8_t, 3> SyncRequest{0x00, 0x04, 0x55};
constexpr std::uint8_t BootloaderSyncReply = 0xAA;
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
int runUpload(const UploadJob& job) {
    if (!job.recoveryMode) writeBytes(StartFirmwareUpdate);

    // A missing sync reply and a wrong one are told apart: a wrong one means
    // the firmware is still running (it echoes 0x55) or something else is
    // on the line.
    writeBytes(SyncRequest);
    std::array<std::uint8_t, 1> reply{};
    if (!readBytes(reply)) return ReplyTimeout;
    if (reply[0] != BootloaderSyncReply) return SyncReplyMismatch;

    writeBytes(SpeedUp);
    sleepMs(SpeedUpPauseMs);
    if (!setBaudRate(BootloaderBaud)) return PortSpeedFailed;

    for (int i = FirstMainPassRecord; i <= LastSentRecord; ++i) {
        uploadProgress.store(i * 100 / ProgressDivisor);
        const std::uint8_t answer = sendImageRecord(job, WriteRecordCommand, i);
        if (answer != RecordAccepted) return answer;
    }
    for (int i = 0; i < FirstMainPassRecord; ++i) {
        const std::uint8_t command = i == FirstMainPassRecord - 1 ? WriteLastRecordCommand : WriteRecordCommand;
        const std::uint8_t answer = sendImageRecord(job, command, i);
        if (answer != RecordAccepted) return answer;
    }

    writeBytes(Restart);
    sleepMs(RestartPauseMs);
    if (!setBaudRate(HostBaud)) return PortSpeedFailed;
    sleepMs(SettlePauseMs);
    return UploadComplete;
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
    writeBytes(frame);

    std::array<std::uint8_t, 1> reply{};
    const std::uint8_t answer = readBytes(reply) ? reply[0] : static_cast<std::uint8_t>(ReplyTimeout);

    if (job.log) job.log(recordLogLine(record, answer));
    return answer;
}

void uploadWorker(void* context) {
    std::unique_ptr<UploadJob> job(static_cast<UploadJob*>(context));
    const int code = runUpload(*job);
    // Let go of the image before telling the dialog: once the result is out,
    // the worker touches nothing the dialog owns.
    job.reset();
    uploadResult.store(code);
    uploadFinished.store(true);
}

void clearUploadResult() {
    uploadResult.store(0);
    uploadFinished.store(false);
}

void resetUploadState() {
    uploadProgress.store(0);
    clearUploadResult();
}
