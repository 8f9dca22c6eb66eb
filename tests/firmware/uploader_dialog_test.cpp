// The uploader dialog as an operator uses it: load, the checks before
// programming, the upload with its timer, the result, and what the dialog
// refuses while the worker runs.
#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "core/firmware/upload_worker.h"
#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "dialogs/about_dialog.h"
#include "dialogs/keyer_session.h"
#include "dialogs/uploader_dialog.h"
#include "platform/headless/headless.h"
#include "resources/control_ids.h"
#include "tests/firmware/fake_link.h"
#include "tests/firmware/hex_writer.h"

using namespace uploader;

namespace {

using Bytes = std::vector<std::uint8_t>;

class UploaderDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        fake::resetLink();
        resetUploaderState();
        std::random_device rd;
        tempDir = std::filesystem::temp_directory_path() / ("uploader-test-" + std::to_string(rd()));
        std::filesystem::create_directories(tempDir);
    }
    void TearDown() override {
        headless::reset();
        resetUploaderState();
        std::error_code ignored;
        std::filesystem::remove_all(tempDir, ignored);
    }

    Window open() { return headless::openDialog(nullptr, dlg::FirmwareUploader, uploaderDialogProc); }

    std::string writeFile(const std::string& name, const std::string& text) {
        const auto path = tempDir / name;
        hexw::writeText(path, text);
        return path.string();
    }
    std::string imageFile(std::uint8_t rawVersion, std::uint8_t rawCode) {
        return writeFile("image.bin", hexw::fileOf(hexw::imageBytes(rawVersion, rawCode)));
    }
    void load(Window w, const std::string& path) {
        headless::answerFileDialog(path);
        ASSERT_TRUE(w->click(LoadButton));
    }
    // A keyer of icType that passes the interface test.
    void keyer(std::uint8_t type) {
        fake::link().testResult = type == 5 ? 5 : 31;
        fake::link().testIcType = type;
        if (type == 5) {
            fake::resetLink(false);
            fake::link().testResult = 5;
            fake::link().testIcType = 5;
        }
    }
    // Lets the clock run, 100 ms at a time, until the dialog has shown a result.
    void runUntilResult(Window w) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (w->timers.count(PollTimer) && !w->ended && std::chrono::steady_clock::now() < deadline) {
            headless::advanceClock(100);
            std::this_thread::yield();
        }
        ASSERT_EQ(w->timers.count(PollTimer), 0u) << "no result within a minute";
    }
    Window programmed(std::uint8_t keyerType, std::uint8_t rawVersion, std::uint8_t rawCode) {
        keyer(keyerType);
        Window w = open();
        load(w, imageFile(rawVersion, rawCode));
        w->click(ProgramButton);
        return w;
    }

    std::filesystem::path tempDir;
};

TEST_F(UploaderDialogTest, OpensWithLoadOnly) {
    Window w = open();
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_FALSE(w->enabled(ProgramButton));
    EXPECT_TRUE(w->enabled(ExitButton));
    EXPECT_EQ(w->control(LogEdit).textLimit, 30000u) << "the system's default without verbose mode";
    EXPECT_TRUE(w->timers.empty());
}

TEST_F(UploaderDialogTest, VerboseModeRaisesTheLogLimit) {
    verboseMode = true;
    Window w = open();
    EXPECT_EQ(w->control(LogEdit).textLimit, 0xFFFFu);
}

TEST_F(UploaderDialogTest, LoadShowsTheImageIdentity) {
    Window w = open();
    const std::string path = imageFile(0x1F, 0x35);
    load(w, path);
    EXPECT_EQ(w->text(StatusLine), "JX PIKE Version: 31.03 Loaded, 956 Records");
    EXPECT_EQ(w->text(PathLine), path);
    EXPECT_TRUE(w->enabled(ProgramButton));
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_EQ(w->control(ProgressBar).progress, 100) << "record positions above 100 show as full";
    ASSERT_EQ(headless::fileDialogs().size(), 1u);
    EXPECT_EQ(headless::fileDialogs()[0].spec.title, "Open");
}

TEST_F(UploaderDialogTest, CancelledLoadChangesNothing) {
    Window w = open();
    headless::answerFileDialog(std::nullopt);
    w->click(LoadButton);
    EXPECT_EQ(w->text(StatusLine), "");
    EXPECT_EQ(w->text(PathLine), "");
    EXPECT_FALSE(w->enabled(ProgramButton));
}

TEST_F(UploaderDialogTest, EscapeActsAsLoad) {
    Window w = open();
    headless::answerFileDialog(imageFile(0x35, 0x1F));
    w->pressEscape();
    EXPECT_FALSE(w->ended);
    EXPECT_EQ(headless::fileDialogs().size(), 1u);
    EXPECT_EQ(w->text(StatusLine), "JX IBEX Version: 53.31 Loaded, 956 Records");
}

TEST_F(UploaderDialogTest, FailedFirstLoadKeepsProgramDisabled) {
    Window w = open();
    load(w, writeFile("eof.bin", ":00000001FF\n"));
    EXPECT_EQ(w->text(StatusLine), "File Error");
    EXPECT_FALSE(w->enabled(ProgramButton));
    load(w, (tempDir / "absent.bin").string());
    EXPECT_EQ(w->text(StatusLine), "File Error");
}

TEST_F(UploaderDialogTest, FailedLoadAfterAGoodOneStopsProgramAtTheCount) {
    Window w = open();
    load(w, imageFile(0x1F, 0x35));
    load(w, writeFile("broken.bin", ":0400100001020304E3\n:00000001FF\n"));
    EXPECT_EQ(w->text(StatusLine), "File Error");
    EXPECT_TRUE(w->enabled(ProgramButton));
    w->click(ProgramButton);
    EXPECT_EQ(w->text(StatusLine), "Error: Zero Length File !");
    EXPECT_EQ(fake::link().testCalls, 0);
    EXPECT_TRUE(fake::link().writes.empty());
}

TEST_F(UploaderDialogTest, ImageBeyondTheKeyersMemoryIsAFileError) {
    Window w = open();
    load(w, writeFile("far.bin", hexw::line(0, 0x04, {0x00, 0x01}) + "\n" + hexw::line(0, 0, {1, 2}) + "\n" +
                                     hexw::EndOfFile + "\n"));
    EXPECT_EQ(w->text(StatusLine), "File Error");
    EXPECT_FALSE(w->enabled(ProgramButton));
}

TEST_F(UploaderDialogTest, ProgramWithoutAnImage) {
    Window w = open();
    setProgress(w, ProgressBar, 40);
    sendCommand(w, ProgramButton);
    EXPECT_EQ(w->text(StatusLine), "Error: Please Open a Programming File !");
    EXPECT_EQ(w->control(ProgressBar).progress, 0);
    EXPECT_EQ(fake::link().testCalls, 0);
}

TEST_F(UploaderDialogTest, NoKeyerShowsAMessageBox) {
    fake::link().testResult = -1;
    keyerLink.portOpen = true;
    Window w = open();
    load(w, imageFile(0x1F, 0x35));
    w->click(ProgramButton);
    EXPECT_EQ(fake::link().closes, 1) << "the port is closed before the test";
    EXPECT_FALSE(fake::link().portOpenAtTest);
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    const auto& box = headless::messageBoxes()[0];
    EXPECT_EQ(box.ownerTemplateId, 0) << "a box without owner";
    EXPECT_EQ(box.text, "JX not connected");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, MessageIcon::Warning);
    EXPECT_EQ(w->text(StatusLine), "JX PIKE Version: 31.03 Loaded, 956 Records");
    EXPECT_TRUE(w->enabled(ProgramButton));
    EXPECT_TRUE(w->timers.empty());
}

TEST_F(UploaderDialogTest, WrongVariantIsRefusedBeforeAnyByteIsSent) {
    Window w = programmed(2, 0x1F, 0x03);
    EXPECT_EQ(w->text(StatusLine), "Error: Attempting to program a PIKE JX with an IBEX image !");
    EXPECT_TRUE(fake::link().writes.empty());
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_TRUE(w->enabled(ProgramButton));
    EXPECT_TRUE(w->timers.empty());
}

TEST_F(UploaderDialogTest, UnknownKeyerIsRefused) {
    Window w = programmed(0, 0x1F, 0x35);
    EXPECT_EQ(w->text(StatusLine), "Error: Unknown Keyer IC Version !");
    EXPECT_TRUE(fake::link().writes.empty());
}

TEST_F(UploaderDialogTest, CompleteUpload) {
    Window w = programmed(2, 0x1F, 0x35);
    EXPECT_EQ(w->text(StatusLine), "Programming VEDAR....");
    EXPECT_FALSE(w->enabled(LoadButton));
    EXPECT_FALSE(w->enabled(ProgramButton));
    ASSERT_EQ(w->timers.count(PollTimer), 1u);
    EXPECT_EQ(w->timers[PollTimer].periodMs, 100);

    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Upload Completed Successfully");
    EXPECT_EQ(w->control(ProgressBar).progress, 99);
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_FALSE(w->enabled(ProgramButton)) << "a new load is needed to program again";
    EXPECT_TRUE(w->enabled(ExitButton));
    EXPECT_EQ(w->text(LogEdit), "") << "no log without verbose mode";
    EXPECT_FALSE(uploadUnderWay()) << "the result was taken";
    const Bytes wire = fake::wireBytes();
    ASSERT_EQ(wire.size(), 19128u);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 6), (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55}));
    EXPECT_EQ(fake::link().bootloader.identity().major, 31);

    // A later tick (there is none: the timer stopped) would not move the bar.
    headless::advanceClock(1000);
    EXPECT_EQ(w->control(ProgressBar).progress, 99);

    w->click(ExitButton);
    EXPECT_TRUE(w->ended);
    EXPECT_EQ(w->result, 0);
}

TEST_F(UploaderDialogTest, RecoveryModeTakesAnyImage) {
    Window w = programmed(5, 0x99, 0x1F);
    ASSERT_EQ(w->text(StatusLine), "Programming VEDAR in Recovery mode....");
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Upload Completed Successfully");
    const Bytes wire = fake::wireBytes();
    ASSERT_EQ(wire.size(), 19125u);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 3), (Bytes{0x00, 0x04, 0x55}));
}

TEST_F(UploaderDialogTest, LynxKeyerTakesAnImageWithoutVariant) {
    Window w = programmed(4, 0x1F, 0xC8);
    EXPECT_EQ(w->text(StatusLine), "Programming VEDAR....");
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Upload Completed Successfully");
}

TEST_F(UploaderDialogTest, ChecksumErrorAtRecord100) {
    fake::link().bootloader.injectFrameFault(96, sim::FrameFault::replyWith(0x81));
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Error: Checksum !");
    EXPECT_EQ(w->control(ProgressBar).progress, 10);
    EXPECT_EQ(fake::link().baud, 9600u);
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_FALSE(w->enabled(ProgramButton));
}

TEST_F(UploaderDialogTest, SilentSyncTimesOut) {
    fake::link().silent = true;
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Error: VEDAR Timeout !");
}

TEST_F(UploaderDialogTest, FirmwareEchoAtSyncIsARestartFailure) {
    fake::link().firmwareIgnoresUpdate = true;
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Error: Restart failed !");
}

TEST_F(UploaderDialogTest, ReplyOfZeroEndsTheUpload) {
    fake::link().bootloader.injectFrameFault(10, sim::FrameFault::replyWith(0x00));
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Error: Restart failed !");
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_TRUE(w->enabled(ExitButton));
}

struct ReplyText {
    std::uint8_t reply;
    const char* text;
};

void PrintTo(const ReplyText& c, std::ostream* os) { *os << "reply " << std::hex << int(c.reply); }

class UploaderDialogReply : public UploaderDialogTest, public ::testing::WithParamInterface<ReplyText> {};

TEST_P(UploaderDialogReply, ShowsItsMessage) {
    fake::link().bootloader.injectFrameFault(0, sim::FrameFault::replyWith(GetParam().reply));
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Replies, UploaderDialogReply,
                         ::testing::Values(ReplyText{0x80, "Error: SOF Error !"}, ReplyText{0x81, "Error: Checksum !"},
                                           ReplyText{0x82, "Error: Flash Verify !"},
                                           ReplyText{0x89, "Error: VEDAR Sync !"},
                                           ReplyText{0x8A, "Error: Restart failed !"},
                                           ReplyText{0x3D, "Error: Restart failed !"}));

TEST_F(UploaderDialogTest, VerboseLogsEveryRecord) {
    verboseMode = true;
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Upload Completed Successfully");
    const std::string log = w->text(LogEdit);
    ASSERT_EQ(log.size(), 956u * 51);
    EXPECT_EQ(log.substr(0, 7), "0020 - ");
    EXPECT_EQ(log.substr(49, 2), "\r\n");
}

TEST_F(UploaderDialogTest, VerboseLogOfABlankRecordFour) {
    verboseMode = true;
    keyer(2);
    Window w = open();
    // Record 0 carries a PIKE identity; record 4 stays blank.
    load(w, writeFile("small.bin", hexw::line(0, 0, {0, 0, 0, 0, 0, 0, 0x1F, 0x35}) + "\n" + hexw::EndOfFile + "\n"));
    ASSERT_EQ(w->text(StatusLine), "JX PIKE Version: 31.03 Loaded, 1 Records");
    w->click(ProgramButton);
    runUntilResult(w);
    EXPECT_EQ(w->text(LogEdit).substr(0, 51), "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
}

TEST_F(UploaderDialogTest, NothingClosesOrReloadsWhileTheWorkerRuns) {
    // In verbose mode the worker waits for this thread at its first record,
    // so the upload is certainly running while the operator tries these.
    verboseMode = true;
    Window w = programmed(2, 0x1F, 0x35);
    ASSERT_EQ(w->timers.count(PollTimer), 1u);
    const std::size_t fileDialogsBefore = headless::fileDialogs().size();

    w->pressCloseBox();
    EXPECT_FALSE(w->ended);
    EXPECT_FALSE(w->enabled(ExitButton));
    EXPECT_FALSE(w->click(ExitButton));
    sendCommand(w, ExitButton);
    EXPECT_FALSE(w->ended);
    headless::answerFileDialog(imageFile(0x35, 0x1F));
    w->pressEscape();
    sendCommand(w, LoadButton);
    EXPECT_EQ(headless::fileDialogs().size(), fileDialogsBefore) << "no load while the image is on the wire";
    sendCommand(w, ProgramButton);
    EXPECT_EQ(fake::link().testCalls, 1);
    EXPECT_EQ(w->text(StatusLine), "Programming VEDAR....");

    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Upload Completed Successfully");
    w->pressCloseBox();
    EXPECT_TRUE(w->ended);
}

TEST_F(UploaderDialogTest, WorkerThatCannotStartIsReported) {
    headless::failThreadStart(true);
    Window w = programmed(2, 0x1F, 0x35);
    EXPECT_EQ(w->text(StatusLine), "Error: Upload could not start !");
    EXPECT_TRUE(w->timers.empty());
    EXPECT_TRUE(w->enabled(LoadButton));
    EXPECT_TRUE(w->enabled(ProgramButton)) << "nothing reached the keyer: programming may be tried again";
    EXPECT_TRUE(w->enabled(ExitButton));
    EXPECT_TRUE(fake::link().writes.empty());
    w->click(ExitButton);
    EXPECT_TRUE(w->ended);
}

TEST_F(UploaderDialogTest, ProgrammingAgainNeedsANewLoad) {
    Window w = programmed(2, 0x1F, 0x35);
    runUntilResult(w);
    EXPECT_FALSE(w->enabled(ProgramButton));
    load(w, imageFile(0x20, 0x36));
    EXPECT_EQ(w->text(StatusLine), "JX PIKE Version: 32.04 Loaded, 956 Records");
    EXPECT_TRUE(w->enabled(ProgramButton));
    w->click(ProgramButton);
    runUntilResult(w);
    EXPECT_EQ(w->text(StatusLine), "Upload Completed Successfully");
    EXPECT_EQ(fake::link().testCalls, 2);
}

TEST_F(UploaderDialogTest, ReopenedDialogStartsWithoutAnImage) {
    Window first = open();
    load(first, imageFile(0x1F, 0x35));
    first->click(ExitButton);
    Window second = open();
    EXPECT_FALSE(second->enabled(ProgramButton));
    sendCommand(second, ProgramButton);
    EXPECT_EQ(second->text(StatusLine), "Error: Please Open a Programming File !");
}

}  // namespace
