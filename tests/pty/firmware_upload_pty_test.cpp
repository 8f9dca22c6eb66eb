// A firmware upload over a real pseudo-terminal: the termios serial device,
// real line-speed changes on the terminal, and the simulated keyer with its
// bootloader on the other end, then the Test that meets the new firmware.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "resources/control_ids.h"
#include "sim/keyer_bootloader.h"
#include "tests/firmware/hex_writer.h"
#include "tests/pty/keyer_sim_process.h"
#include "tests/pty/pty_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class PtyFirmwareUpload : public PtyKeyerTest {
protected:
    void SetUp() override {
        PtyKeyerTest::SetUp();
        comPortNumber = Port;
        // The worker's pauses must pass in real time here: the keyer on the
        // terminal sees the line speed as it is when the bytes arrive.
        headless::realTimeWorkerSleeps(true);
    }
    std::string imageFile(std::uint8_t rawVersion, std::uint8_t rawCode) {
        program = hexw::imageBytes(rawVersion, rawCode);
        const auto path = tempDir / "firmware.bin";
        hexw::writeText(path, hexw::fileOf(program));
        return path.string();
    }
    static void runUntilResult(Window u) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (u->timers.count(uploader::PollTimer) && !u->ended && std::chrono::steady_clock::now() < deadline) {
            headless::advanceClock(100);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_EQ(u->timers.count(uploader::PollTimer), 0u) << "no result within 90 s";
    }
    Bytes program;
};

TEST_F(PtyFirmwareUpload, UploadThenTestShowsTheImagesVersion) {
    const std::shared_ptr<sim::Bootloader> boot = sim::attachBootloader(keyer);
    serve();
    Window w = openMainWindow();
    w->click(mainwin::TestButton);
    ASSERT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.02");

    const std::string path = imageFile(0x20, 0x36);  // PIKE 32.04
    std::string outcome;
    headless::scriptDialog(dlg::FirmwareUploader, [&](Window u) {
        headless::answerFileDialog(path);
        u->click(uploader::LoadButton);
        u->click(uploader::ProgramButton);
        runUntilResult(u);
        outcome = u->text(uploader::StatusLine);
        u->click(uploader::ExitButton);
    });
    w->click(mainwin::FwUpdateButton);

    EXPECT_EQ(outcome, "Upload Completed Successfully");
    EXPECT_EQ(w->text(mainwin::OperationStatus), ">JX OK");
    EXPECT_EQ(w->text(mainwin::IcLabel), "JX IC: PIKE");
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 32.04");
    server->withKeyer([&](KeyerSimulator&) {
        EXPECT_EQ(boot->frames().size(), 956u);
        for (std::size_t r = 0; r < 956; ++r)
            for (std::size_t k = 0; k < 8; ++k)
                ASSERT_EQ(boot->word(r * 8 + k), program[r * 16 + 2 * k] | (program[r * 16 + 2 * k + 1] << 8));
    });
}

// keyer-sim run as its own process, as an operator runs it beside the program.
class KeyerSimFirmwareUpload : public PtyFirmwareUpload {
protected:
    void TearDown() override {
        keyerSim.kill();
        PtyFirmwareUpload::TearDown();
    }
    std::string start(std::vector<std::string> args) { return keyerSim.start(std::move(args)); }
    int stop() { return keyerSim.stop(); }
    KeyerSimProcess keyerSim;
};

TEST_F(KeyerSimFirmwareUpload, UploadThenTestShowsTheImagesVersion) {
    const auto log = tempDir / "wire.log";
    const std::string device = start({"--com", std::to_string(Port), "--ic", "4", "--firmware", "31.01", "--log",
                                      log.string()});
    ASSERT_TRUE(device.starts_with("/dev/")) << device;
    Window w = openMainWindow();
    w->click(mainwin::TestButton);
    ASSERT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.01");
    ASSERT_EQ(w->text(mainwin::IcLabel), "JX IC: LYNX");

    const std::string path = imageFile(0x99, 0x21);  // LYNX 33.03, stored the other way round
    std::string loaded, outcome;
    headless::scriptDialog(dlg::FirmwareUploader, [&](Window u) {
        headless::answerFileDialog(path);
        u->click(uploader::LoadButton);
        loaded = u->text(uploader::StatusLine);
        u->click(uploader::ProgramButton);
        runUntilResult(u);
        outcome = u->text(uploader::StatusLine);
        u->click(uploader::ExitButton);
    });
    w->click(mainwin::FwUpdateButton);

    EXPECT_EQ(loaded, "JX LYNX Version: 33.03 Loaded, 956 Records");
    EXPECT_EQ(outcome, "Upload Completed Successfully");
    EXPECT_EQ(w->text(mainwin::IcLabel), "JX IC: LYNX");
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 33.03");
    closePort(keyerLink);
    EXPECT_EQ(stop(), 0);

    // The keyer saw the hand-over and sync at 1200 baud and the frames at 9600.
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("host>keyer   1200: 00 10 9B"), std::string::npos);
    EXPECT_NE(text.find("keyer>host   1200: AA"), std::string::npos);
    EXPECT_NE(text.find("host>keyer   9600: 1B 00 20"), std::string::npos);
    EXPECT_NE(text.find("host>keyer   9600: 5A"), std::string::npos);
}

}  // namespace
