// jxtool's commands against the simulated keyer on a pseudo-terminal (COM7).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <ostream>
#include <thread>
#include <vector>

#include "core/link/host_commands.h"
#include "core/settings/keyer_settings.h"
#include "platform/headless/headless.h"
#include "sim/keyer_bootloader.h"
#include "tests/firmware/hex_writer.h"
#include "tests/pty/keyer_sim_process.h"
#include "tests/pty/pty_fixture.h"
#include "tests/support/file_faults.h"
#include "tools/jxtool/jxtool.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

class Jxtool : public PtyKeyerTest {
protected:
    int run(std::vector<std::string> args) {
        return runJxtool(args, [this] { return (tempDir / "keyer.cfg").string(); });
    }
    std::string file(const char* name) const { return (tempDir / name).string(); }
    // The record history's file names, oldest first.
    std::vector<std::string> history() const {
        std::vector<std::string> names;
        if (std::filesystem::exists(tempDir / "history"))
            for (const auto& e : std::filesystem::directory_iterator(tempDir / "history"))
                names.push_back(e.path().filename().string());
        std::ranges::sort(names);
        return names;
    }
    Bytes historyEntry(const std::string& name) const { return readAll(tempDir / "history" / name); }
    // Standard output of one command.
    std::string output(std::vector<std::string> args, int& code) {
        ::testing::internal::CaptureStdout();
        code = run(std::move(args));
        return ::testing::internal::GetCapturedStdout();
    }
    Bytes keyerRecord() {
        return onKeyer([](KeyerSimulator& k) { return Bytes(k.record().begin(), k.record().end()); });
    }
    // A record the capture passes, with every byte of the message area in use.
    static Bytes validRecord() {
        auto record = factorySettings();
        record.user1.weight = 62;
        record.user2Ext.sidetoneVolume = 3;
        for (std::size_t i = 15; i < MessageAreaSize; ++i) record.messageArea[i] = static_cast<std::uint8_t>(i);
        const auto bytes = recordBytes(record);
        return Bytes(bytes.begin(), bytes.end());
    }
};

TEST_F(Jxtool, BackupThenRestoreLeavesTheKeyersRecordByteForByte) {
    const Bytes original = validRecord();
    std::ranges::copy(original, keyer.record().begin());
    serve();
    ASSERT_EQ(run({"--port", "7", "read", file("backup.eep")}), 0);
    EXPECT_EQ(readAll(file("backup.eep")), original);

    server->withKeyer([](KeyerSimulator& k) { k.record()[3] = 77; });
    int code = 0;
    const std::string out = output({"--port", "7", "write", file("backup.eep")}, code);
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(out.ends_with("Writing\nDone\nVerified\n")) << out;
    // The settling wait is virtual here: give the server the time it takes to store the bytes.
    for (int i = 0; i < 500 && keyerRecord() != original; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(keyerRecord(), original);
}

TEST_F(Jxtool, AReadCutShortSavesNothing) {
    keyer.setReplyLength(0x0C, 100);  // the dump falls silent after 100 bytes
    serve();
    EXPECT_EQ(run({"--port", "7", "read", file("backup.eep")}), 1);
    EXPECT_FALSE(std::filesystem::exists(file("backup.eep")));
    EXPECT_TRUE(history().empty());
}

TEST_F(Jxtool, EveryRecordReadOrWrittenIsKeptOnceInTheHistory) {
    const Bytes original = validRecord();
    std::ranges::copy(original, keyer.record().begin());
    serve();
    ASSERT_EQ(run({"--port", "7", "read", file("a.eep")}), 0);
    Bytes changed = original;
    changed[3] = 70;  // User 1's weight
    writeAll(file("b.eep"), changed);
    ASSERT_EQ(run({"--port", "7", "write", file("b.eep")}), 0);
    ASSERT_EQ(run({"--port", "7", "read", file("c.eep")}), 0);  // what was just written: not kept again

    const std::vector<std::string> names = history();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(\d{8}-\d{6}-\d{3}-read-PIKE-31\.02\.eep)"))) << names[0];
    EXPECT_TRUE(std::regex_match(names[1], std::regex(R"(\d{8}-\d{6}-\d{3}-write-PIKE-31\.02\.eep)"))) << names[1];
    EXPECT_EQ(historyEntry(names[0]), original);
    EXPECT_EQ(historyEntry(names[1]), changed);

    int code = 0;
    const std::string listed = output({"history"}, code);
    EXPECT_EQ(code, 0);
    const std::string folder = (tempDir / "history").string() + "/";
    const std::string newest = folder + names[1] + "\twrite\t2023-11-14 22:\\d\\d:\\d\\d\\.\\d{3} UTC\tPIKE\t31\\.02\n";
    EXPECT_TRUE(std::regex_match(listed, std::regex(newest + folder + names[0] + "\tread\t.*\n"))) << listed;
    // An entry is a settings file like any other.
    EXPECT_EQ(run({"diff", folder + names[0], file("a.eep")}), 0);
}

TEST_F(Jxtool, ARefusedValueChangesNoFileAndAnInvalidFileIsNotSent) {
    const Bytes original = validRecord();
    writeAll(file("a.eep"), original);
    EXPECT_EQ(run({"set", file("a.eep"), "user1.weight=60", "user2.weight=95"}), 1);
    EXPECT_EQ(readAll(file("a.eep")), original);
    ASSERT_EQ(run({"set", file("a.eep"), "user2.weight=9"}), 1);

    Bytes invalid = original;
    invalid[16 + 3] = 9;  // User 2's weight
    writeAll(file("b.eep"), invalid);
    serve();
    const Bytes before = keyerRecord();
    EXPECT_EQ(run({"--port", "7", "write", file("b.eep")}), 1);
    EXPECT_EQ(keyerRecord(), before);
    EXPECT_TRUE(onKeyer([](KeyerSimulator& k) { return k.wireLog().empty(); }));
}

TEST_F(Jxtool, FlashProgramsAFullImage) {
    headless::realTimeWorkerSleeps(true);
    const std::shared_ptr<sim::Bootloader> boot = sim::attachBootloader(keyer);
    const Bytes program = hexw::imageBytes(0x20, 0x36);  // PIKE 32.04
    hexw::writeText(file("fw.hex"), hexw::fileOf(program));
    serve();
    ASSERT_EQ(run({"--port", "7", "flash", file("fw.hex")}), 0);
    server->withKeyer([&](KeyerSimulator&) {
        ASSERT_EQ(boot->frames().size(), 956u);
        EXPECT_EQ(boot->word(3 * 8), program[3 * 16] | (program[3 * 16 + 1] << 8));
    });
    EXPECT_EQ(onKeyer([](KeyerSimulator& k) { return k.identity().firmwareMajor; }), 32);
}

// update against keyer-sim as a process: the record read before the upload
// is written back when the update reset it, and left alone otherwise.
struct UpdateCase {
    const char* name;
    std::vector<std::string> keyerOptions;
    const char* settingsLines;
    const char* summary;
    std::vector<const char*> kinds;  // of the history's entries, oldest first
};

void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class JxtoolUpdate : public Jxtool, public ::testing::WithParamInterface<UpdateCase> {
protected:
    void TearDown() override {
        keyerSim.kill();
        Jxtool::TearDown();
    }
    KeyerSimProcess keyerSim;
};

TEST_P(JxtoolUpdate, KeepsTheSettingsThroughTheUpdate) {
    const UpdateCase& c = GetParam();
    headless::realTimeWorkerSleeps(true);
    writeAll(file("start.eep"), validRecord());
    hexw::writeText(file("fw.hex"), hexw::fileOf(hexw::imageBytes(0x20, 0x36)));  // PIKE 32.04
    std::vector<std::string> options{"--record", file("start.eep"), "--save-record", file("end.eep")};
    options.insert(options.end(), c.keyerOptions.begin(), c.keyerOptions.end());
    const std::string device = keyerSim.start(options);
    ASSERT_TRUE(device.starts_with("/dev/")) << device;

    int code = 0;
    const std::string out = output({"--port", device, "update", file("fw.hex")}, code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("1/6 check: JX F/W revision 31.02, JX IC: PIKE\n"), std::string::npos) << out;
    EXPECT_NE(out.find("3/6 program: Upload Completed Successfully\n4/6 restart: JX F/W revision 32.04, JX IC: PIKE\n"),
              std::string::npos) << out;
    EXPECT_NE(out.find(c.settingsLines), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with(std::string("6/6 summary: PIKE 31.02 -> PIKE 32.04, ") + c.summary + "\n")) << out;
    EXPECT_EQ(keyerSim.stop(), 0);
    EXPECT_EQ(readAll(file("end.eep")), validRecord());

    const std::vector<std::string> names = history();
    ASSERT_EQ(names.size(), c.kinds.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_NE(names[i].find(c.kinds[i]), std::string::npos) << names[i];
    EXPECT_EQ(historyEntry(names[0]), validRecord());
}

INSTANTIATE_TEST_SUITE_P(
    Keyers, JxtoolUpdate,
    ::testing::Values(
        UpdateCase{"SettingsReset",
                   {"--update-resets-settings"},
                   "5/6 settings: not the settings kept before the update: writing those back\n"
                   "5/6 settings: Writing\n5/6 settings: Done\n",
                   "settings restored and verified",
                   {"-before-update-PIKE-31.02.eep", "-after-update-PIKE-32.04.eep", "-write-PIKE-32.04.eep"}},
        UpdateCase{"SettingsKept",
                   {},
                   "5/6 settings: the same as before the update: nothing to restore\n",
                   "settings unchanged by the update",
                   {"-before-update-PIKE-31.02.eep", "-after-update-PIKE-32.04.eep"}}),
    [](const ::testing::TestParamInfo<UpdateCase>& i) { return i.param.name; });

TEST_F(Jxtool, AnUpdateWhoseReadIsCutShortSendsNothingToTheBootloader) {
    const std::shared_ptr<sim::Bootloader> boot = sim::attachBootloader(keyer);
    keyer.setHangUpInReply(hostcmd::DumpImage, 100);
    hexw::writeText(file("fw.hex"), hexw::fileOf(hexw::imageBytes(0x20, 0x36)));
    serve();
    int code = 0;
    const std::string out = output({"--port", "7", "update", file("fw.hex")}, code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.ends_with("2/6 backup: >Read Fail\n2/6 backup: nothing was sent to the bootloader\n6/6 summary: "
                              "the update failed at step 2 (backup); nothing was sent to the bootloader\n"))
        << out;
    const auto commands = onKeyer([](KeyerSimulator& k) { return k.commands(); });
    EXPECT_EQ(std::ranges::count(commands, hostcmd::StartFirmwareUpdate), 0);
    EXPECT_TRUE(onKeyer([&](KeyerSimulator&) { return boot->frames().empty(); }));
    EXPECT_TRUE(history().empty());
}

TEST_F(Jxtool, AWriteIsReadBackAndAFieldStoredWrongIsNamed) {
    writeAll(file("a.eep"), validRecord());
    KeyerSimProcess keyerSim;
    const std::string device = keyerSim.start({"--store-corrupts", "3"});  // User 1's weight
    ASSERT_TRUE(device.starts_with("/dev/")) << device;
    int code = 0;
    std::string out = output({"--port", device, "write", file("a.eep")}, code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.ends_with("Done\nVerify Fail\nuser1.weight: \"62\" -> \"193\"\n")) << out;
    out = output({"--port", device, "write", file("a.eep"), "--no-verify"}, code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.ends_with("Writing\nDone\n")) << out;
}

// A backup that cannot be saved keeps the backup saved there before.
struct ReadFault {
    const char* name;
    bool fullDisk;  // otherwise a read-only folder
    const char* message;
};

void PrintTo(const ReadFault& f, std::ostream* os) { *os << f.name; }

// What the program writes to stderr meanwhile, through a pipe: a file would
// be held to the file size limit of a full disk too.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        if (::pipe(pipe_) != 0) return;
        saved_ = ::dup(2);
        ::dup2(pipe_[1], 2);
    }
    ~StderrCapture() { take(); }
    std::string take() {
        if (saved_ < 0) return {};
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        ::close(pipe_[1]);
        saved_ = -1;
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipe_[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
        ::close(pipe_[0]);
        return text;
    }

private:
    int pipe_[2] = {-1, -1};
    int saved_ = -1;
};

class JxtoolReadFault : public Jxtool, public ::testing::WithParamInterface<ReadFault> {};

TEST_P(JxtoolReadFault, LeavesThePreviousBackupAndExitsWithOne) {
    const ReadFault& f = GetParam();
    std::ranges::copy(validRecord(), keyer.record().begin());
    serve();
    const auto folder = tempDir / "backups";
    std::filesystem::create_directories(folder);
    const std::string backup = (folder / "backup.eep").string();
    const Bytes previous(300, 0x5A);
    writeAll(backup, previous);
    // Where the backup cannot go, the history cannot either: each says so.
    headless::setHistoryFolder((folder / "history").string());
    // Opened by the device path, which any user may open here, so that a
    // read as another user reaches the keyer.
    std::filesystem::permissions(server->devicePath(), std::filesystem::perms::all & ~std::filesystem::perms::owner_exec &
                                                           ~std::filesystem::perms::group_exec &
                                                           ~std::filesystem::perms::others_exec);
    const std::vector<std::string> args{"--port", server->devicePath(), "read", backup};

    int code = 0;
    std::string errors;
    if (f.fullDisk) {
        StderrCapture capture;
        const ScopedFileSizeLimit full(100);
        ASSERT_TRUE(full.active());
        code = run(args);
        errors = capture.take();
    } else {
        const ScopedReadOnlyFolder readOnly(folder);
        if (!readOnly.reason().empty()) GTEST_SKIP() << readOnly.reason();
        StderrCapture capture;
        code = run(args);
        errors = capture.take();
    }
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.starts_with("jxtool: warning: the record was not kept in the history: could not write " +
                                   (folder / "history").string() + "/"))
        << errors;
    EXPECT_TRUE(errors.ends_with("\njxtool: " + backup + ": " + f.message +
                                 " (nothing was saved; the file is as it was)\n"))
        << errors;
    EXPECT_EQ(readAll(backup), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), f.fullDisk ? 2 : 1)
        << "nothing half-written beside it";
    EXPECT_EQ(run(args), 0) << "with room and rights again";
    EXPECT_EQ(readAll(backup), validRecord());
}

INSTANTIATE_TEST_SUITE_P(Faults, JxtoolReadFault,
                         ::testing::Values(ReadFault{"FullDisk", true, "Export Log File Failed."},
                                           ReadFault{"ReadOnlyFolder", false, "Can't open Settings file for write"}),
                         [](const ::testing::TestParamInfo<ReadFault>& i) { return i.param.name; });

TEST_F(Jxtool, AReadOnlyHistoryCostsOneWarningAndTheReadStillSucceeds) {
    std::ranges::copy(validRecord(), keyer.record().begin());
    serve();
    // Reached and saved as another user when run as root.
    const auto everyone = std::filesystem::perms::owner_all | std::filesystem::perms::group_all |
                          std::filesystem::perms::others_all;
    std::filesystem::permissions(server->devicePath(), everyone & ~std::filesystem::perms::owner_exec &
                                                          ~std::filesystem::perms::group_exec &
                                                          ~std::filesystem::perms::others_exec);
    std::filesystem::create_directories(tempDir / "out");
    std::filesystem::permissions(tempDir / "out", everyone);
    std::filesystem::create_directories(tempDir / "history");
    const ScopedReadOnlyFolder readOnly(tempDir / "history");
    if (!readOnly.reason().empty()) GTEST_SKIP() << readOnly.reason();
    const std::string backup = (tempDir / "out" / "a.eep").string();
    StderrCapture capture;
    const int code = run({"--port", server->devicePath(), "read", backup});
    const std::string errors = capture.take();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(std::regex_match(errors, std::regex("jxtool: warning: the record was not kept in the history: "
                                                    "could not write [^\n]*-read-PIKE-31\\.02\\.eep\n")))
        << errors;
    EXPECT_EQ(readAll(backup), validRecord());
    EXPECT_TRUE(history().empty());
}

// The commands on files and the port list never look for the configuration
// file; the commands that talk to the keyer without --port take its port.
TEST_F(Jxtool, OnlyTheCommandsThatTalkToTheKeyerLookForTheConfigurationFile) {
    writeAll(file("a.eep"), validRecord());
    Bytes other = validRecord();
    other[16 + 3] = 70;  // User 2's weight
    writeAll(file("b.eep"), other);
    writeAll(file("keyer.cfg"), {Port, 0, 0, 0});
    int lookups = 0;
    const auto locator = [&] { return ++lookups, file("keyer.cfg"); };
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(runJxtool({"show", file("a.eep"), "--json"}, locator), 0);
    const std::string json = ::testing::internal::GetCapturedStdout();
    writeAll(file("a.json"), Bytes(json.begin(), json.end()));

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"show", file("a.eep")}, {"diff", file("a.eep"), file("b.eep")}, {"set", file("b.eep"), "user1.weight=60"},
             {"import", file("a.json"), file("c.eep")}, {"ports"}, {"--port", "7", "show", file("a.eep")}})
        EXPECT_EQ(runJxtool(args, locator), 0) << args[0];
    EXPECT_EQ(lookups, 0);

    std::ranges::copy(validRecord(), keyer.record().begin());
    serve();
    EXPECT_EQ(runJxtool({"test"}, locator), 0);
    EXPECT_EQ(runJxtool({"read", file("d.eep")}, locator), 0);
    EXPECT_EQ(runJxtool({"--port", "7", "test"}, locator), 0);
    EXPECT_EQ(lookups, 2);
    EXPECT_EQ(readAll(file("d.eep")), validRecord());
}

TEST_F(Jxtool, BadUsageExitsWithTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"--colour", "show", "a.eep"}, {"read"}, {"set", "a.eep", "weight"}, {"--port"}})
        EXPECT_EQ(run(args), 2) << (args.empty() ? "" : args[0]);
}

TEST_F(Jxtool, AnEmptyFileIsRefusedAndNothingIsSent) {
    writeAll(file("empty.eep"), {});
    serve();
    StderrCapture capture;
    const int code = run({"--port", "7", "write", file("empty.eep")});
    EXPECT_EQ(capture.take(), "jxtool: " + file("empty.eep") + ": the file is empty\n");
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(onKeyer([](KeyerSimulator& k) { return k.wireLog().empty(); }));
}

// A command the keyer fails exits with 1, so that `jxtool write a.eep &&
// next-step` stops there.
struct KeyerFailure {
    const char* name;
    const char* command;
    void (*plant)(KeyerSimulator&);
    const char* lastLine;  // of standard output
};

void PrintTo(const KeyerFailure& f, std::ostream* os) { *os << f.name; }

class JxtoolKeyerFailure : public Jxtool, public ::testing::WithParamInterface<KeyerFailure> {};

TEST_P(JxtoolKeyerFailure, ExitsWithOne) {
    const KeyerFailure& f = GetParam();
    headless::realTimeWorkerSleeps(true);
    writeAll(file("a.eep"), validRecord());
    hexw::writeText(file("fw.hex"), hexw::fileOf(hexw::imageBytes(0x20, 0x36)));
    f.plant(keyer);
    serve();
    std::vector<std::string> args{"--port", "7", f.command};
    if (args.back() == "write") args.push_back(file("a.eep"));
    if (args.back() == "flash") args.push_back(file("fw.hex"));
    ::testing::internal::CaptureStdout();
    const int code = run(args);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.ends_with(std::string(f.lastLine) + "\n")) << out;
    EXPECT_EQ(code, 1);
}

const KeyerFailure keyerFailures[] = {
    {"TestOnAHungUpLine", "test", [](KeyerSimulator& k) { k.setHangUpInReply(hostcmd::EchoTest, 0); },
     "JX Fail:no response"},
    // The link check passes with the IC type; the line is gone by the Write.
    {"WriteOnAHungUpLine", "write", [](KeyerSimulator& k) { k.setHangUpInReply(hostcmd::ReadIcType, 1); },
     "Write Fail"},
    {"FlashHungUpAtSync", "flash",
     [](KeyerSimulator& k) { sim::attachBootloader(k)->injectSyncFault(sim::FrameFault::disconnect()); },
     "Error: VEDAR Timeout !"},
};

INSTANTIATE_TEST_SUITE_P(Commands, JxtoolKeyerFailure, ::testing::ValuesIn(keyerFailures),
                         [](const ::testing::TestParamInfo<KeyerFailure>& i) { return i.param.name; });

}  // namespace
