// Firmware updates from end to end: the main window's "FW Update", the
// uploader dialog, the serial transport and the in-process simulated keyer
// with its bootloader, and the Test that follows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/link/link_check.h"
#include "dialogs/about_dialog.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "platform/headless/headless.h"
#include "resources/control_ids.h"
#include "sim/keyer_bootloader.h"
#include "sim/keyer_simulator.h"
#include "tests/firmware/hex_writer.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int Port = 3;

class FirmwareUpdate : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        comPortNumber = Port;
    }
    // A keyer on COM3, with its bootloader.
    void plugIn(SimulatedIdentity identity = {}) {
        keyer = std::make_unique<KeyerSimulator>(identity);
        boot = sim::attachBootloader(*keyer);
        headless::attachKeyer(Port, *keyer);
    }
    // The main window after a Test, which enables "FW Update".
    Window testedMainWindow() {
        Window w = openMainWindow();
        w->click(mainwin::TestButton);
        return w;
    }
    std::string imageFile(std::uint8_t rawVersion, std::uint8_t rawCode) {
        program = hexw::imageBytes(rawVersion, rawCode);
        const auto path = tempDir / "firmware.bin";
        hexw::writeText(path, hexw::fileOf(program));
        return path.string();
    }
    // Load (keeping the load message where asked), Program, and the clock
    // run until the dialog shows a result.
    static void loadAndProgram(Window u, const std::string& path, std::string* loaded = nullptr) {
        headless::answerFileDialog(path);
        ASSERT_TRUE(u->click(uploader::LoadButton));
        if (loaded) *loaded = u->text(uploader::StatusLine);
        ASSERT_TRUE(u->click(uploader::ProgramButton));
        runUntilResult(u);
    }
    static void runUntilResult(Window u) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (u->timers.count(uploader::PollTimer) && !u->ended && std::chrono::steady_clock::now() < deadline) {
            headless::advanceClock(100);
            std::this_thread::yield();
        }
        ASSERT_EQ(u->timers.count(uploader::PollTimer), 0u) << "no result within a minute";
    }
    // Runs "FW Update" with the uploader doing `script`, then Exit.
    void fwUpdate(Window w, std::function<void(Window)> script) {
        headless::scriptDialog(dlg::FirmwareUploader, [script](Window u) {
            script(u);
            u->click(uploader::ExitButton);
        });
        ASSERT_TRUE(w->click(mainwin::FwUpdateButton));
    }
    // Program word k of record r as the image file gives it.
    std::uint16_t imageWord(std::size_t r, std::size_t k) const {
        return static_cast<std::uint16_t>(program[r * 16 + 2 * k] | (program[r * 16 + 2 * k + 1] << 8));
    }
    void expectKeyerHoldsTheImage() const {
        for (std::size_t r = 0; r < 956; ++r)
            for (std::size_t k = 0; k < 8; ++k) ASSERT_EQ(boot->word(r * 8 + k), imageWord(r, k)) << r << "/" << k;
    }
    // The host's bytes from the first byte of the upload on.
    Bytes uploadBytes(std::size_t skip) const {
        const Bytes all = keyer->bytesFromHost();
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(skip), all.end());
    }

    std::unique_ptr<KeyerSimulator> keyer;
    std::shared_ptr<sim::Bootloader> boot;
    Bytes program;
};

TEST_F(FirmwareUpdate, UploadThenTestShowsTheNewVersion) {
    plugIn();  // a PIKE keyer with firmware 31.02
    Window w = testedMainWindow();
    ASSERT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.02");
    const std::size_t before = keyer->bytesFromHost().size();
    const std::string path = imageFile(0x20, 0x36);  // PIKE 32.04

    std::string outcome;
    int progress = -1;
    fwUpdate(w, [&](Window u) {
        loadAndProgram(u, path);
        outcome = u->text(uploader::StatusLine);
        progress = u->control(uploader::ProgressBar).progress;
    });
    EXPECT_EQ(outcome, "Upload Completed Successfully");
    EXPECT_EQ(progress, 99);
    EXPECT_EQ(headless::modalRuns(), std::vector<int>{dlg::FirmwareUploader});

    // The Test that follows the dialog meets the new firmware.
    EXPECT_EQ(w->text(mainwin::OperationStatus), ">JX OK");
    EXPECT_EQ(w->text(mainwin::IcLabel), "JX IC: PIKE");
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 32.04");
    expectKeyerHoldsTheImage();

    // On the wire: the uploader's own interface test, then the upload.
    const Bytes sent = uploadBytes(before);
    const Bytes test{0x00, 0x04, 0x55, 0x00, 0x09, 0x00, 0x17, 0x00, 0x18};
    ASSERT_GE(sent.size(), test.size() + 19128);
    ASSERT_TRUE(std::equal(test.begin(), test.end(), sent.begin()));
    const Bytes upload(sent.begin() + static_cast<std::ptrdiff_t>(test.size()),
                       sent.begin() + static_cast<std::ptrdiff_t>(test.size() + 19128));
    EXPECT_EQ(Bytes(upload.begin(), upload.begin() + 7), (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35}));
    EXPECT_EQ(upload.back(), 0x5A);
    EXPECT_EQ(upload[7], 0x1B);
    EXPECT_EQ((upload[8] << 8) | upload[9], 0x0020) << "record 4 first";
}

TEST_F(FirmwareUpdate, FramesGoOutAt9600AndRepliesComeBackAt9600) {
    plugIn();
    Window w = testedMainWindow();
    const std::string path = imageFile(0x1F, 0x35);
    fwUpdate(w, [&](Window u) { loadAndProgram(u, path); });
    std::size_t frames = 0;
    for (const WireChunk& c : keyer->wireLog()) {
        if (c.direction != WireDirection::HostToKeyer || c.bytes.size() != 20) continue;
        ++frames;
        EXPECT_EQ(c.baud, 9600u);
    }
    EXPECT_EQ(frames, 956u);
    ASSERT_EQ(boot->frames().size(), 956u);
    EXPECT_TRUE(std::all_of(boot->frames().begin(), boot->frames().end(),
                            [](const sim::FrameSeen& f) { return f.reply == 0x3C; }));
    EXPECT_EQ(boot->frames().back().command, 0x2E);
    EXPECT_EQ(boot->frames().back().wordAddress, 0x0018);
    EXPECT_EQ(headless::serialLineSettings(Port)->baudRate, 1200u) << "the Test after the dialog reopened at 1200";
}

TEST_F(FirmwareUpdate, IdConfigurationAndEepromLinesChangeNoFrame) {
    plugIn();
    Window w = testedMainWindow();
    const std::string plain = imageFile(0x20, 0x36);
    const auto vendor = tempDir / "vendor.bin";
    hexw::writeText(vendor, hexw::toolChainFileOf(program));

    // The load message and every frame on the wire, for one upload.
    const auto upload = [&](const std::string& path, std::string& loaded) {
        keyer->clearWireLog();
        fwUpdate(w, [&](Window u) { loadAndProgram(u, path, &loaded); });
        std::vector<Bytes> frames;
        for (const WireChunk& c : keyer->wireLog())
            if (c.direction == WireDirection::HostToKeyer && c.bytes.size() == 20) frames.push_back(c.bytes);
        return frames;
    };
    std::string plainLoaded, vendorLoaded;
    const std::vector<Bytes> plainFrames = upload(plain, plainLoaded);
    const std::vector<Bytes> vendorFrames = upload(vendor.string(), vendorLoaded);
    EXPECT_EQ(plainLoaded, "JX PIKE Version: 32.04 Loaded, 956 Records");
    EXPECT_EQ(vendorLoaded, plainLoaded);
    EXPECT_EQ(plainFrames.size(), 956u);
    EXPECT_EQ(vendorFrames, plainFrames);
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 32.04");
    expectKeyerHoldsTheImage();
}

TEST_F(FirmwareUpdate, LynxImageIntoALynxKeyer) {
    SimulatedIdentity lynx;
    lynx.icType = 4;
    lynx.firmwareMinorByte = 151;
    plugIn(lynx);
    Window w = testedMainWindow();
    ASSERT_EQ(w->text(mainwin::IcLabel), "JX IC: LYNX");
    const std::string path = imageFile(0x99, 0x1F);  // LYNX 31.03, bytes stored the other way round
    std::string loaded;
    fwUpdate(w, [&](Window u) { loadAndProgram(u, path, &loaded); });
    EXPECT_EQ(loaded, "JX LYNX Version: 31.03 Loaded, 956 Records");
    EXPECT_EQ(w->text(mainwin::IcLabel), "JX IC: LYNX");
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.03");
}

TEST_F(FirmwareUpdate, WrongImageNeverReachesTheKeyer) {
    plugIn();  // PIKE
    Window w = testedMainWindow();
    const std::string path = imageFile(0x1F, 0x03);  // IBEX, code 3
    std::string status;
    fwUpdate(w, [&](Window u) {
        headless::answerFileDialog(path);
        u->click(uploader::LoadButton);
        u->click(uploader::ProgramButton);
        status = u->text(uploader::StatusLine);
    });
    EXPECT_EQ(status, "Error: Attempting to program a PIKE JX with an IBEX image !");
    EXPECT_TRUE(boot->frames().empty());
    EXPECT_EQ(keyer->mode(), KeyerSimulator::Mode::Firmware);
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.02");
}

TEST_F(FirmwareUpdate, BrokenUploadThenRecoveryMode) {
    plugIn();
    Window w = testedMainWindow();
    const std::string path = imageFile(0x20, 0x36);
    boot->injectFrameFault(96, sim::FrameFault::replyWith(0x81));  // record 100

    std::string outcome;
    int progress = -1;
    fwUpdate(w, [&](Window u) {
        loadAndProgram(u, path);
        outcome = u->text(uploader::StatusLine);
        progress = u->control(uploader::ProgressBar).progress;
    });
    EXPECT_EQ(outcome, "Error: Checksum !");
    EXPECT_EQ(progress, 10);
    EXPECT_EQ(boot->frames().size(), 97u);
    EXPECT_TRUE(boot->running()) << "the keyer is left in its bootloader, at 9600 baud";
    EXPECT_EQ(boot->lineSpeed(), 9600u);
    EXPECT_NE(w->text(mainwin::OperationStatus), ">JX OK");

    // Switched off and on, the keyer has only its bootloader.
    sim::powerCycle(*keyer, *boot);
    w->click(mainwin::TestButton);
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX Fail:No O/S");
    EXPECT_EQ(icType, 5);

    const std::size_t before = keyer->bytesFromHost().size();
    std::string programming;
    fwUpdate(w, [&](Window u) {
        headless::answerFileDialog(path);
        u->click(uploader::LoadButton);
        u->click(uploader::ProgramButton);
        programming = u->text(uploader::StatusLine);
        runUntilResult(u);
        outcome = u->text(uploader::StatusLine);
    });
    EXPECT_EQ(programming, "Programming VEDAR in Recovery mode....");
    EXPECT_EQ(outcome, "Upload Completed Successfully");
    const Bytes sent = uploadBytes(before);
    // The uploader's interface test (echo answered 0xAA), then the upload without hand-over.
    // The uploader's interface test (its echo answered 0xAA), the upload
    // without the hand-over command, then the main window's Test.
    const Bytes test{0x00, 0x04, 0x55, 0x00, 0x09, 0x00, 0x17, 0x00, 0x18, 0x00, 0x06, 0x00, 0x05, 0x00, 0x15};
    ASSERT_EQ(sent.size(), 3u + 19125u + test.size());
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 7), (Bytes{0x00, 0x04, 0x55, 0x00, 0x04, 0x55, 0x35}));
    EXPECT_EQ(sent[3 + 19125 - 1], 0x5A);
    EXPECT_TRUE(std::equal(test.begin(), test.end(), sent.end() - static_cast<std::ptrdiff_t>(test.size())));
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 32.04");
    expectKeyerHoldsTheImage();
}

TEST_F(FirmwareUpdate, VerboseLogOfTheWholeUpload) {
    plugIn();
    verboseMode = true;
    Window w = testedMainWindow();
    // Only record 0 carries data (a PIKE identity); the rest of the image is blank.
    const auto path = tempDir / "small.bin";
    hexw::writeText(path, hexw::line(0, 0, {0, 0, 0, 0, 0, 0, 0x1F, 0x35}) + "\n" + hexw::EndOfFile + "\n");
    std::string log;
    fwUpdate(w, [&](Window u) {
        loadAndProgram(u, path.string());
        log = u->text(uploader::LogEdit);
    });
    ASSERT_EQ(log.size(), 956u * 51);
    EXPECT_EQ(log.substr(0, 51), "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
    EXPECT_EQ(log.substr(955 * 51, 51), "0018 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
    EXPECT_EQ(log.substr(952 * 51, 51), "0000 - 0000 0000 0000 1f35 ff3f ff3f ff3f ff3f 3c\r\n");
}

TEST_F(FirmwareUpdate, TheDialogOutlastsTheWorker) {
    plugIn();
    verboseMode = true;  // the worker then waits for the dialog's thread at every record
    Window w = testedMainWindow();
    const std::string path = imageFile(0x20, 0x36);
    bool stayedOpen = false;
    headless::scriptDialog(dlg::FirmwareUploader, [&](Window u) {
        headless::answerFileDialog(path);
        u->click(uploader::LoadButton);
        u->click(uploader::ProgramButton);
        u->pressCloseBox();
        u->click(uploader::ExitButton);
        sendCommand(u, uploader::ExitButton);
        stayedOpen = !u->ended && headless::serialPortHeld(Port);
        runUntilResult(u);
        u->pressCloseBox();
    });
    w->click(mainwin::FwUpdateButton);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 32.04");
}

TEST_F(FirmwareUpdate, RefusedSpeedChange) {
    plugIn();
    Window w = testedMainWindow();
    headless::SerialPortFaults faults;
    faults.refusedBaud = 9600;
    headless::setSerialPortFaults(Port, faults);
    const std::string path = imageFile(0x20, 0x36);
    std::string outcome;
    fwUpdate(w, [&](Window u) {
        loadAndProgram(u, path);
        outcome = u->text(uploader::StatusLine);
    });
    EXPECT_EQ(outcome, "Error: Restart failed !");
    EXPECT_TRUE(boot->frames().empty());
}

TEST_F(FirmwareUpdate, KeyerThatDropsOffTheLine) {
    plugIn();
    Window w = testedMainWindow();
    boot->injectFrameFault(300, sim::FrameFault::disconnect());
    const std::string path = imageFile(0x20, 0x36);
    std::string outcome;
    fwUpdate(w, [&](Window u) {
        loadAndProgram(u, path);
        outcome = u->text(uploader::StatusLine);
    });
    EXPECT_EQ(outcome, "Error: VEDAR Timeout !");
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX Fail:no response");
}

TEST_F(FirmwareUpdate, ReplyOfZeroEndsTheUpload) {
    plugIn();
    Window w = testedMainWindow();
    boot->injectFrameFault(5, sim::FrameFault::replyWith(0x00));
    const std::string path = imageFile(0x20, 0x36);
    std::string outcome;
    fwUpdate(w, [&](Window u) {
        loadAndProgram(u, path);
        outcome = u->text(uploader::StatusLine);
    });
    EXPECT_EQ(outcome, "Error: Restart failed !");
    EXPECT_EQ(boot->frames().size(), 6u);
}

TEST_F(FirmwareUpdate, WorkerThatCannotStart) {
    plugIn();
    Window w = testedMainWindow();
    headless::failThreadStart(true);
    const std::string path = imageFile(0x20, 0x36);
    std::string status;
    fwUpdate(w, [&](Window u) {
        headless::answerFileDialog(path);
        u->click(uploader::LoadButton);
        u->click(uploader::ProgramButton);
        status = u->text(uploader::StatusLine);
    });
    EXPECT_EQ(status, "Error: Upload could not start !");
    EXPECT_TRUE(boot->frames().empty());
    EXPECT_EQ(w->text(mainwin::InterfaceStatus), "JX F/W revision 31.02");
}

}  // namespace
