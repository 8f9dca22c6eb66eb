// The keyer hanging up or falling silent at each step of the link check and
// of a firmware upload, over a real pseudo-terminal.  Every fault must end
// with its text within the design's waits, leave the window usable, and let
// the next operation run once the keyer is back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <thread>

#include "core/firmware/upload_worker.h"
#include "core/settings/keyer_settings.h"
#include "dialogs/keyer_operations.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "dialogs/uploader_dialog.h"
#include "resources/control_ids.h"
#include "sim/keyer_bootloader.h"
#include "tests/firmware/hex_writer.h"
#include "tests/pty/keyer_sim_process.h"
#include "tests/pty/pty_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Fault { HangUp, Silence };

const char* faultName(Fault f) { return f == Fault::HangUp ? "HangUp" : "Silence"; }

class FaultPointTest : public PtyKeyerTest {
protected:
    void SetUp() override {
        PtyKeyerTest::SetUp();
        comPortNumber = Port;
    }
    // The keyer comes back: faults cleared, and after a hang-up a new line
    // (the old terminal is gone), linked as COM7 again.
    void keyerBack(Fault fault) {
        if (fault == Fault::Silence) {
            server->withKeyer([](KeyerSimulator& k) { k.clearFaults(); });
            return;
        }
        server->stop();
        keyer.clearFaults();
        std::filesystem::remove(portsDir / ("com" + std::to_string(Port)));
        serve();
    }
    // The 250 ms ticks that clear the status line run: the window is idle again.
    static void statusLineClears(Window w) {
        headless::advanceClock(12 * 250);
        EXPECT_EQ(w->text(mainwin::OperationStatus), "");
    }
};

// --- The link check ------------------------------------------------------------

// The link check's queries in the order it sends them: echo, major, minor, variant.
constexpr std::uint8_t LinkCheckCodes[] = {0x04, 0x09, 0x17, 0x18};

struct LinkFaultPoint {
    const char* name;
    std::uint8_t code;  // the query the keyer goes at
    Fault fault;
    const char* interfaceStatus;
    const char* operationStatus;
    const char* icLabel;     // nullptr: the label the window had
    const char* potReading;  // the first of Test's readings
    int waits;               // read waits of 4 s the fault may cost
};

// A program fresh from its start: no earlier version to fall back on, so a
// missing version is below the oldest supported one.  A missing variant is
// shown as unknown, and the link check still passes.
const LinkFaultPoint linkFaultPoints[] = {
    {"Echo", 0x04, Fault::HangUp, "JX Fail:no response", ">JX ERR", nullptr, "", 0},
    {"Echo", 0x04, Fault::Silence, "JX Fail:no response", ">JX ERR", nullptr, "", 1},
    {"Version", 0x09, Fault::HangUp, "Only supports DO3", ">JX ERR", nullptr, "", 0},
    {"Version", 0x09, Fault::Silence, "Only supports DO3", ">JX ERR", nullptr, "", 2},
    {"Variant", 0x18, Fault::HangUp, "JX F/W ver 31.52", ">JX OK", "JX IC: unknown", "PotValue: 0", 0},
    {"Variant", 0x18, Fault::Silence, "JX F/W ver 31.52", ">JX OK", "JX IC: unknown", "PotValue: 9", 1},
};

void PrintTo(const LinkFaultPoint& p, std::ostream* os) { *os << p.name << faultName(p.fault); }

class LinkCheckFault : public FaultPointTest, public ::testing::WithParamInterface<LinkFaultPoint> {};

TEST_P(LinkCheckFault, EndsWithItsTextAndTheNextTestPasses) {
    const LinkFaultPoint& p = GetParam();
    keyer.identity().potValue = 9;
    if (p.fault == Fault::HangUp) {
        keyer.setHangUpInReply(p.code, 0);
    } else {
        // Silent from this query to the end of the link check; Test's readings are answered.
        for (std::uint8_t c : LinkCheckCodes)
            if (c >= p.code) keyer.setReplyLength(c, 0);
    }
    serve();
    Window w = openMainWindow();
    const std::string labelBefore = w->text(mainwin::IcLabel);
    const auto recordBefore = keyerSettings;

    const auto start = Clock::now();
    w->click(mainwin::TestButton);
    // Each unanswered read costs its 4 s wait and no more; a hung-up line none.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4 * p.waits + 10));
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), p.interfaceStatus);
    EXPECT_EQ(w->text(mainwin::OperationStatus), p.operationStatus);
    EXPECT_EQ(w->text(mainwin::IcLabel), p.icLabel ? p.icLabel : labelBefore);
    EXPECT_EQ(w->text(mainwin::PotValueReading), p.potReading);
    EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);
    EXPECT_FALSE(operationBusy);
    EXPECT_TRUE(w->enabled(mainwin::TestButton));
    statusLineClears(w);

    keyerBack(p.fault);
    w->click(mainwin::TestButton);
    EXPECT_EQ(w->text(mainwin::OperationStatus), ">JX OK");
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.02");
    EXPECT_EQ(w->text(mainwin::IcLabel), "JX IC: PIKE");
}

INSTANTIATE_TEST_SUITE_P(Points, LinkCheckFault, ::testing::ValuesIn(linkFaultPoints),
                         [](const ::testing::TestParamInfo<LinkFaultPoint>& i) {
                             return std::string(i.param.name) + faultName(i.param.fault);
                         });

// --- The upload ----------------------------------------------------------------

enum class Step { Sync, Frame, Restart };

struct UploadFaultPoint {
    const char* name;
    Step step;
    int frame;  // Step::Frame: counted from 0, the first record the worker sends (record 4)
    Fault fault;
    const char* outcome;
    std::size_t framesSeen;  // by the bootloader, the failed one included
    const char* testAfter;   // the Test the main window runs once the uploader closes
};

constexpr const char* Timeout = "Error: VEDAR Timeout !";
constexpr const char* Complete = "Upload Completed Successfully";

// The restart byte has no answer: a keyer silent there looks like a complete
// upload, and one that hangs up refuses the speed change back to 1200 baud.
// After a fault in the main pass the keyer comes back in its bootloader.
const UploadFaultPoint uploadFaultPoints[] = {
    {"Sync", Step::Sync, 0, Fault::HangUp, Timeout, 0, ">JX OK"},
    {"Sync", Step::Sync, 0, Fault::Silence, Timeout, 0, ">JX OK"},
    {"FirstRecord", Step::Frame, 0, Fault::HangUp, Timeout, 1, ">JX OK"},
    {"FirstRecord", Step::Frame, 0, Fault::Silence, Timeout, 1, ">JX OK"},
    {"Record500", Step::Frame, 496, Fault::HangUp, Timeout, 497, ">JX BAD"},
    {"Record500", Step::Frame, 496, Fault::Silence, Timeout, 497, ">JX BAD"},
    {"Restart", Step::Restart, 0, Fault::HangUp, "Error: Restart failed !", 956, ">JX OK"},
    {"Restart", Step::Restart, 0, Fault::Silence, Complete, 956, ">JX OK"},
};

void PrintTo(const UploadFaultPoint& p, std::ostream* os) { *os << p.name << faultName(p.fault); }

class UploadFaultTest : public FaultPointTest {
protected:
    void SetUp() override {
        FaultPointTest::SetUp();
        // The keyer on the terminal sees the line speed as it is when the
        // bytes arrive: the worker's pauses must pass in real time.
        headless::realTimeWorkerSleeps(true);
        hexw::writeText(imagePath(), hexw::fileOf(hexw::imageBytes(0x20, 0x36)));  // PIKE 32.04
    }
    std::string imagePath() const { return (tempDir / "firmware.bin").string(); }
    // Polls as the dialog's timer does until the result is shown; false on
    // a worker that never ends.
    static bool runUntilResult(Window u, std::chrono::seconds deadline) {
        const auto end = Clock::now() + deadline;
        while (u->timers.count(uploader::PollTimer) && Clock::now() < end) {
            headless::advanceClock(100);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return u->timers.count(uploader::PollTimer) == 0;
    }
};

class UploadFault : public UploadFaultTest, public ::testing::WithParamInterface<UploadFaultPoint> {};

constexpr const char* Loaded = "JX PIKE Version: 32.04 Loaded, 956 Records";

TEST_P(UploadFault, EndsWithItsTextAndTheDialogStaysUsable) {
    const UploadFaultPoint& p = GetParam();
    const std::shared_ptr<sim::Bootloader> boot = sim::attachBootloader(keyer);
    const sim::FrameFault fault = p.fault == Fault::HangUp ? sim::FrameFault::disconnect() : sim::FrameFault::silence();
    switch (p.step) {
        case Step::Sync: boot->injectSyncFault(fault); break;
        case Step::Frame: boot->injectFrameFault(p.frame, fault); break;
        case Step::Restart: boot->injectRestartFault(fault); break;
    }
    serve();
    Window w = openMainWindow();
    w->click(mainwin::TestButton);
    ASSERT_EQ(w->text(mainwin::OperationStatus), ">JX OK");
    const auto recordBefore = keyerSettings;

    headless::scriptDialog(dlg::FirmwareUploader, [&](Window u) {
        headless::answerFileDialog(imagePath());
        u->click(uploader::LoadButton);
        ASSERT_EQ(u->text(uploader::StatusLine), Loaded);
        u->click(uploader::ProgramButton);
        // A whole upload takes about 20 s at 9600 baud; one silent reply 4 s more.
        ASSERT_TRUE(runUntilResult(u, std::chrono::seconds(90))) << "the worker never ended";
        EXPECT_EQ(u->text(uploader::StatusLine), p.outcome);
        EXPECT_TRUE(u->enabled(uploader::LoadButton));
        EXPECT_TRUE(u->enabled(uploader::ExitButton));
        EXPECT_FALSE(u->enabled(uploader::ProgramButton));
        server->withKeyer([&](KeyerSimulator& k) {
            EXPECT_EQ(k.hungUpByFault(), p.fault == Fault::HangUp);
            EXPECT_EQ(boot->frames().size(), p.framesSeen) << "nothing is sent after the fault";
            EXPECT_EQ(boot->restarts(), 0);
        });

        // The dialog takes the next command: the image loads again.
        headless::answerFileDialog(imagePath());
        u->click(uploader::LoadButton);
        EXPECT_EQ(u->text(uploader::StatusLine), Loaded);
        EXPECT_TRUE(u->enabled(uploader::ProgramButton));

        // The operator switches the keyer off and on.
        keyerBack(p.fault);
        server->withKeyer([&](KeyerSimulator& k) { sim::powerCycle(k, *boot); });
        u->click(uploader::ExitButton);
    });
    w->click(mainwin::FwUpdateButton);

    EXPECT_EQ(w->text(mainwin::OperationStatus), p.testAfter);
    EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);
    EXPECT_FALSE(uploadUnderWay()) << "the result was taken";
}

INSTANTIATE_TEST_SUITE_P(Points, UploadFault, ::testing::ValuesIn(uploadFaultPoints),
                         [](const ::testing::TestParamInfo<UploadFaultPoint>& i) {
                             return std::string(i.param.name) + faultName(i.param.fault);
                         });

// keyer-sim as its own process plants the same fault from its command line.
class KeyerSimUploadFault : public UploadFaultTest {
protected:
    void TearDown() override {
        keyerSim.kill();
        UploadFaultTest::TearDown();
    }
    KeyerSimProcess keyerSim;
};

TEST_F(KeyerSimUploadFault, HangsUpAtRecord500) {
    ASSERT_TRUE(keyerSim.start({"--com", std::to_string(Port), "--hang-up-at", "496"}).starts_with("/dev/"));
    Window w = openMainWindow();
    w->click(mainwin::TestButton);
    ASSERT_EQ(w->text(mainwin::OperationStatus), ">JX OK");

    std::string outcome;
    headless::scriptDialog(dlg::FirmwareUploader, [&](Window u) {
        headless::answerFileDialog(imagePath());
        u->click(uploader::LoadButton);
        u->click(uploader::ProgramButton);
        ASSERT_TRUE(runUntilResult(u, std::chrono::seconds(90))) << "the worker never ended";
        outcome = u->text(uploader::StatusLine);
        // The line is gone: COM7 now leads nowhere.
        EXPECT_EQ(keyerSim.stop(), 0);
        const auto portLink = portsDir / ("com" + std::to_string(Port));
        std::filesystem::remove(portLink);
        std::filesystem::create_symlink(tempDir / "unplugged", portLink);
        u->click(uploader::ExitButton);
    });
    w->click(mainwin::FwUpdateButton);

    EXPECT_EQ(outcome, Timeout);
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX Fail:comm open");
    EXPECT_EQ(w->text(mainwin::OperationStatus), ">JX ERR");
}

}  // namespace
