// The headless manager itself: the tests of every other folder rely on it
// behaving as the system dialog manager does.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/threads.h"
#include "resources/control_ids.h"

namespace {

int ticks = 0;
std::vector<int> commands;

bool recordingProc(Window, const DialogMessage& m) {
    if (m.event == DialogEvent::Timer) ++ticks;
    if (m.event == DialogEvent::Command) commands.push_back(m.controlId * 10 + m.notifyCode);
    return true;
}

bool refuseHash(Window, int, unsigned ch) { return ch != '#'; }

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        ticks = 0;
        commands.clear();
    }
    void TearDown() override { headless::reset(); }
};

TEST_F(HeadlessTest, TimersFireAsTheClockMoves) {
    Window w = headless::openDialog(nullptr, dlg::MainWindow, recordingProc);
    startTimer(w, 1, 250);
    headless::advanceClock(249);
    EXPECT_EQ(ticks, 0);
    headless::advanceClock(1);
    EXPECT_EQ(ticks, 1);
    headless::advanceClock(1000);
    EXPECT_EQ(ticks, 5);
    stopTimer(w, 1);
    headless::advanceClock(1000);
    EXPECT_EQ(ticks, 5);
}

TEST_F(HeadlessTest, ASleepOnTheDialogThreadCoalescesTicks) {
    Window w = headless::openDialog(nullptr, dlg::MainWindow, recordingProc);
    startTimer(w, 1, 250);
    sleepMs(3000);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(headless::nowMs(), 3000);
    headless::advanceClock(1);
    EXPECT_EQ(ticks, 1) << "missed ticks arrive as one";
    EXPECT_EQ(headless::sleeps(), std::vector<int>{3000});
}

TEST_F(HeadlessTest, TypingPassesTheFilterAndTheEditStyle) {
    Window w = headless::openDialog(nullptr, dlg::MainWindow, recordingProc);
    installCharFilter(w, mainwin::MessageEdit1, refuseHash);
    w->type(mainwin::MessageEdit1, "cq#de\r");
    EXPECT_EQ(w->text(mainwin::MessageEdit1), "CQDE\r\n");
    w->type(mainwin::MessageEdit1, "\b");
    EXPECT_EQ(w->text(mainwin::MessageEdit1), "CQDE");
    w->type(mainwin::SerialNumberEdit, "12a3");
    EXPECT_EQ(w->text(mainwin::SerialNumberEdit), "123");
    w->paste(mainwin::MessageEdit1, "#x");
    EXPECT_EQ(w->text(mainwin::MessageEdit1), "CQDE#X");
}

TEST_F(HeadlessTest, ClicksReachTheProcedureOnlyWhenEnabledAndVisible) {
    Window w = headless::openDialog(nullptr, dlg::MainWindow, recordingProc);
    EXPECT_TRUE(w->click(mainwin::SwapCheck));
    EXPECT_TRUE(w->checked(mainwin::SwapCheck));
    enableControl(w, mainwin::ReadButton, false);
    EXPECT_FALSE(w->click(mainwin::ReadButton));
    EXPECT_TRUE(w->click(mainwin::User2Radio));
    EXPECT_FALSE(w->checked(mainwin::User2Radio)) << "radio buttons are not automatic";
    listAdd(w, mainwin::KeyerModeList, "A");
    listAdd(w, mainwin::KeyerModeList, "B");
    w->select(mainwin::KeyerModeList, 1);
    EXPECT_EQ(commands, (std::vector<int>{40140, 40690, 40491}));
    listSelect(w, mainwin::KeyerModeList, 7);
    EXPECT_EQ(listSelection(w, mainwin::KeyerModeList), -1);
}

TEST_F(HeadlessTest, ModalDialogsRunTheirScriptsOrClose) {
    int seen = 0;
    headless::scriptDialog(dlg::About, [&](Window d) {
        seen = d->templateId;
        endDialog(d, 7);
    });
    EXPECT_EQ(runModalDialog(nullptr, dlg::About, recordingProc), 7);
    EXPECT_EQ(seen, dlg::About);
    // No script: closed by its frame; a procedure that ignores the close is ended anyway.
    EXPECT_EQ(runModalDialog(nullptr, dlg::About, recordingProc), -1);
}

TEST_F(HeadlessTest, InsertsFromAnotherThreadWaitForTheDialogThread) {
    Window w = headless::openDialog(nullptr, dlg::FirmwareUploader, recordingProc);
    struct Job {
        Window w;
    } job{w};
    ASSERT_TRUE(startThread([](void* p) { insertEditText(static_cast<Job*>(p)->w, uploader::LogEdit, "line\r\n"); },
                            &job));
    while (w->text(uploader::LogEdit).empty()) headless::pumpMessages();
    EXPECT_EQ(w->text(uploader::LogEdit), "line\r\n");
}

TEST_F(HeadlessTest, FileDialogsAddTheDefaultExtension) {
    FileDialogSpec spec;
    spec.defaultExtension = "eep";
    std::string path;
    headless::answerFileDialog("/tmp/a/settings");
    headless::answerFileDialog("/tmp/a.b/settings.bak");
    headless::answerFileDialog(std::nullopt);
    EXPECT_TRUE(chooseFileToOpen(nullptr, spec, path));
    EXPECT_EQ(path, "/tmp/a/settings.eep");
    EXPECT_TRUE(chooseFileToSave(nullptr, spec, path));
    EXPECT_EQ(path, "/tmp/a.b/settings.bak");
    EXPECT_FALSE(chooseFileToSave(nullptr, spec, path));
    EXPECT_FALSE(chooseFileToOpen(nullptr, spec, path)) << "an empty queue cancels";
}

}  // namespace
