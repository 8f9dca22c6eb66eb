// The upload worker against the simulated bootloader: every byte on the
// wire, the line speeds, the pauses, the progress and the result.
#include <gtest/gtest.h>

#include <memory>

#include "core/firmware/upload_worker.h"
#include "dialogs/uploader_dialog.h"
#include "platform/headless/headless.h"
#include "platform/threads.h"
#include "resources/control_ids.h"
#include "tests/firmware/fake_link.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class UploadWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        fake::resetLink();
        fake::link().watched = &upload;
        image = std::make_shared<FirmwareImage>();
        blankImage(*image);
    }
    void TearDown() override { headless::reset(); }

    // Runs the worker to its end on this thread and returns its result.
    int run(bool recoveryMode = false, Window logWindow = nullptr) {
        const int code =
            runUpload(UploadJob{image, &link, recoveryMode, logWindow ? logIntoDialog(logWindow) : UploadLogSink{}}, upload);
        EXPECT_TRUE(upload.uploadFinished.load());
        EXPECT_EQ(upload.uploadResult.load(), code);
        return code;
    }
    // Record i as the keyer's memory must end up holding it.
    void fillWithPattern() {
        for (std::size_t r = 0; r < ImageRecordCount; ++r)
            for (std::size_t b = 2; b < ImageRecordSize; ++b)
                (*image)[r][b] = static_cast<std::uint8_t>(r * 31 + b * 7);
    }
    std::shared_ptr<FirmwareImage> image;
    KeyerLink link;
    Upload upload;
};

TEST_F(UploadWorkerTest, NormalModeStartsWithHandOverAndSync) {
    ASSERT_EQ(run(), UploadComplete);
    const Bytes wire = fake::wireBytes();
    ASSERT_GE(wire.size(), 7u);
    ASSERT_GE(fake::link().writes.size(), 2u);
    ASSERT_FALSE(headless::sleeps().empty());
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 7), (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35}));
    EXPECT_EQ(fake::link().writes[0].bytes, (Bytes{0x00, 0x10, 0x9B}));
    EXPECT_EQ(fake::link().writes[1].bytes, (Bytes{0x00, 0x04, 0x55}));
    EXPECT_EQ(headless::sleeps().front(), 200) << "no pause between hand-over and sync";
}

TEST_F(UploadWorkerTest, RecoveryModeStartsWithSync) {
    fake::resetLink(false);
    ASSERT_EQ(run(true), UploadComplete);
    const Bytes wire = fake::wireBytes();
    ASSERT_GE(wire.size(), 4u);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 4), (Bytes{0x00, 0x04, 0x55, 0x35}));
}

TEST_F(UploadWorkerTest, ByteCounts) {
    ASSERT_EQ(run(), UploadComplete);
    EXPECT_EQ(fake::wireBytes().size(), 19128u);
    SetUp();
    fake::resetLink(false);
    ASSERT_EQ(run(true), UploadComplete);
    EXPECT_EQ(fake::wireBytes().size(), 19125u);
}

TEST_F(UploadWorkerTest, FramesInOrderWithTheLastCommandOnRecordThree) {
    fillWithPattern();
    ASSERT_EQ(run(), UploadComplete);
    const auto frames = fake::frameWrites();
    ASSERT_EQ(frames.size(), 956u);
    std::vector<int> order;
    for (int i = 4; i <= 955; ++i) order.push_back(i);
    for (int i : {0, 1, 2, 3}) order.push_back(i);
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const Bytes& f = frames[n].bytes;
        const auto record = static_cast<std::size_t>(order[n]);
        EXPECT_EQ(f[0], record == 3 ? 0x2E : 0x1B) << "frame " << n;
        EXPECT_TRUE(std::equal((*image)[record].begin(), (*image)[record].end(), f.begin() + 1)) << "frame " << n;
        unsigned sum = 0;
        for (std::uint8_t b : f) sum += b;
        EXPECT_EQ(sum % 256, 0u) << "frame " << n;
        EXPECT_EQ(frames[n].baud, 9600u);
    }
}

TEST_F(UploadWorkerTest, TheKeyerHoldsTheImageAfterwards) {
    fillWithPattern();
    ASSERT_EQ(run(), UploadComplete);
    const sim::Bootloader& keyer = fake::link().bootloader;
    EXPECT_FALSE(keyer.running()) << "restarted into its new firmware";
    EXPECT_TRUE(keyer.firmwareValid());
    for (std::size_t r = 0; r <= 955; ++r)
        for (std::size_t k = 0; k < 8; ++k) ASSERT_EQ(keyer.word(r * 8 + k), recordWord((*image)[r], k)) << r;
    EXPECT_EQ(keyer.word(956 * 8), 0x3FFF) << "the top 68 records are never sent";
}

TEST_F(UploadWorkerTest, BlankImageStillSendsEveryFrame) {
    ASSERT_EQ(run(), UploadComplete);
    const auto frames = fake::frameWrites();
    ASSERT_EQ(frames.size(), 956u);
    for (const auto& f : frames)
        for (std::size_t b = 3; b < 19; b += 2) {
            ASSERT_EQ(f.bytes[b], 0xFF);
            ASSERT_EQ(f.bytes[b + 1], 0x3F);
        }
}

TEST_F(UploadWorkerTest, SpeedsAndPausesOfACompleteUpload) {
    ASSERT_EQ(run(), UploadComplete);
    const auto& wire = fake::link();
    EXPECT_EQ(wire.baudRequests, (std::vector<std::uint32_t>{9600, 1200}));
    EXPECT_EQ(headless::sleeps(), (std::vector<int>{200, 500, 100}));
    EXPECT_EQ(wire.baud, 1200u);
    // The speed-up byte goes out at 1200 baud, the restart byte at 9600.
    ASSERT_GE(wire.writes.size(), 3u);
    EXPECT_EQ(wire.writes[2].bytes, Bytes{0x35});
    EXPECT_EQ(wire.writes[2].baud, 1200u);
    EXPECT_EQ(wire.writes.back().bytes, Bytes{0x5A});
    EXPECT_EQ(wire.writes.back().baud, 9600u);
}

TEST_F(UploadWorkerTest, ProgressPerRecord) {
    ASSERT_EQ(run(), UploadComplete);
    const auto frames = fake::frameWrites();
    for (std::size_t n = 0; n < 952; ++n) {
        const int record = static_cast<int>(n) + 4;
        ASSERT_EQ(frames[n].progressAtWrite, record * 100 / 960) << record;
    }
    EXPECT_EQ(frames[0].progressAtWrite, 0);
    EXPECT_EQ(frames[951].progressAtWrite, 99);
    for (std::size_t n = 952; n < 956; ++n) EXPECT_EQ(frames[n].progressAtWrite, 99);
    EXPECT_EQ(upload.uploadProgress.load(), 99);
}

TEST_F(UploadWorkerTest, ResultComesAfterEveryOtherEffect) {
    ASSERT_EQ(run(), UploadComplete);
    for (const auto& w : fake::link().writes) ASSERT_FALSE(w.resultPublished);
    for (bool published : fake::link().resultPublishedAtBaudChange) EXPECT_FALSE(published);
}

TEST_F(UploadWorkerTest, ChecksumReplyToRecord100StopsEverything) {
    fake::link().bootloader.injectFrameFault(96, sim::FrameFault::replyWith(0x81));  // frames start at record 4
    EXPECT_EQ(run(), ChecksumError);
    const auto frames = fake::frameWrites();
    ASSERT_EQ(frames.size(), 97u);
    EXPECT_EQ(frames.back().bytes[1] << 8 | frames.back().bytes[2], 100 * 8);
    EXPECT_EQ(fake::link().writes.back().bytes, frames.back().bytes) << "nothing after the refused frame";
    EXPECT_EQ(fake::link().baud, 9600u) << "no restart, no return to 1200 baud";
    EXPECT_EQ(fake::link().baudRequests, std::vector<std::uint32_t>{9600});
    EXPECT_EQ(headless::sleeps(), std::vector<int>{200});
}

class UploadWorkerReply : public UploadWorkerTest, public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(UploadWorkerReply, EndsTheUploadWithTheReplyAsItsCode) {
    fake::link().bootloader.injectFrameFault(953, sim::FrameFault::replyWith(GetParam()));  // record 1
    EXPECT_EQ(run(), GetParam());
    EXPECT_TRUE(upload.uploadFinished.load()) << "a result of 0 is a result too";
    EXPECT_EQ(fake::frameWrites().size(), 954u);
    EXPECT_NE(fake::link().writes.back().bytes, Bytes{0x5A});
}

INSTANTIATE_TEST_SUITE_P(Replies, UploadWorkerReply,
                         ::testing::Values(std::uint8_t{0x80}, std::uint8_t{0x81}, std::uint8_t{0x82},
                                           std::uint8_t{0x89}, std::uint8_t{0x00}, std::uint8_t{0x3D}));

TEST_F(UploadWorkerTest, SilentRecordTimesOut) {
    fake::link().bootloader.injectFrameFault(0, sim::FrameFault::silence());
    EXPECT_EQ(run(), ReplyTimeout);
    EXPECT_EQ(fake::frameWrites().size(), 1u);
}

TEST_F(UploadWorkerTest, DisconnectedKeyerTimesOut) {
    fake::link().bootloader.injectFrameFault(500, sim::FrameFault::disconnect());
    EXPECT_EQ(run(), ReplyTimeout);
    EXPECT_EQ(fake::frameWrites().size(), 501u);
}

TEST_F(UploadWorkerTest, SilentSyncTimesOut) {
    fake::link().silent = true;
    EXPECT_EQ(run(), ReplyTimeout);
    EXPECT_EQ(fake::wireBytes(), (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55}));
    EXPECT_TRUE(fake::link().baudRequests.empty());
    EXPECT_EQ(fake::link().baud, 1200u);
}

TEST_F(UploadWorkerTest, FirmwareEchoInsteadOfSyncIsAMismatch) {
    fake::link().firmwareIgnoresUpdate = true;  // the firmware keeps running and echoes 0x55
    EXPECT_EQ(run(), SyncReplyMismatch);
    EXPECT_EQ(fake::wireBytes(), (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55}));
}

TEST_F(UploadWorkerTest, RefusedSpeedUp) {
    fake::link().refusedBaud = 9600;
    EXPECT_EQ(run(), PortSpeedFailed);
    EXPECT_TRUE(fake::frameWrites().empty());
}

TEST_F(UploadWorkerTest, RefusedReturnToHostSpeed) {
    fake::link().refusedBaud = 1200;
    EXPECT_EQ(run(), PortSpeedFailed);
    EXPECT_EQ(fake::link().writes.back().bytes, Bytes{0x5A});
    EXPECT_EQ(fake::link().baud, 9600u);
    EXPECT_EQ(headless::sleeps(), (std::vector<int>{200, 500})) << "no settling pause after a refusal";
}

// --- The log --------------------------------------------------------------------

class UploadWorkerLog : public UploadWorkerTest {
protected:
    Window logDialog() {
        Window w = headless::openDialog(nullptr, dlg::FirmwareUploader, nullptr);
        setTextLimit(w, uploader::LogEdit, 0xFFFF);
        return w;
    }
};

TEST_F(UploadWorkerLog, OneLinePerRecordInWireOrder) {
    Window w = logDialog();
    ASSERT_EQ(run(false, w), UploadComplete);
    const std::string log = w->text(uploader::LogEdit);
    ASSERT_EQ(log.size(), 956u * 51);
    EXPECT_EQ(log.substr(0, 51), "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
    EXPECT_EQ(log.substr(951 * 51, 51), "1dd8 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
    EXPECT_EQ(log.substr(955 * 51, 51), "0018 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
}

TEST_F(UploadWorkerLog, TimedOutRecordLogs84) {
    Window w = logDialog();
    fake::link().bootloader.injectFrameFault(1, sim::FrameFault::silence());
    ASSERT_EQ(run(false, w), ReplyTimeout);
    EXPECT_EQ(w->text(uploader::LogEdit), "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n"
                                          "0028 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 84\r\n");
}

TEST_F(UploadWorkerLog, NoLogWindowNoLog) {
    Window w = logDialog();
    ASSERT_EQ(run(false, nullptr), UploadComplete);
    EXPECT_EQ(w->text(uploader::LogEdit), "");
}

TEST_F(UploadWorkerLog, LinesFromTheWorkerThreadWaitForTheDialogThread) {
    Window w = logDialog();
    const auto started = startUpload(UploadJob{image, &link, false, logIntoDialog(w)});
    ASSERT_TRUE(started);
    while (!started->uploadFinished.load()) headless::pumpMessages();
    EXPECT_EQ(started->uploadResult.load(), UploadComplete);
    EXPECT_EQ(w->text(uploader::LogEdit).size(), 956u * 51);
}

TEST_F(UploadWorkerTest, TheWorkerLetsGoOfTheImage) {
    const std::weak_ptr<FirmwareImage> watch = image;
    const auto started = startUpload(UploadJob{image, &link, false, {}});
    ASSERT_TRUE(started);
    image.reset();
    while (!started->uploadFinished.load()) std::this_thread::yield();
    EXPECT_TRUE(watch.expired()) << "the image is let go before the result is out";
}

}  // namespace
