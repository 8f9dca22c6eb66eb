// keyer-sim run as its own process, as an operator runs it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "platform/serial.h"
#include "resources/control_ids.h"
#include "tests/pty/keyer_sim_process.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class KeyerSimTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("keyer-sim-tool-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "cfg");
        ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    }
    void TearDown() override {
        keyerSim.kill();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string start(std::vector<std::string> args) { return keyerSim.start(std::move(args)); }
    int stop() { return keyerSim.stop(); }
    std::filesystem::path dir;
    KeyerSimProcess keyerSim;
};

TEST_F(KeyerSimTool, ServesTheKeyerAndSavesItsRecord) {
    Bytes record(300);
    std::iota(record.begin(), record.end(), std::uint8_t{0});
    writeWholeFile(dir / "in.eep", record);
    const std::string device =
        start({"--com", "7", "--firmware", "31.01", "--ic", "4", "--pot", "21", "--record", (dir / "in.eep").string(),
               "--save-record", (dir / "out.eep").string(), "--log", (dir / "wire.log").string()});
    ASSERT_TRUE(device.starts_with("/dev/")) << device;
    const auto link = dir / "cfg" / "keyer-tools" / "ports" / "com7";
    EXPECT_EQ(std::filesystem::read_symlink(link), device);

    SerialDevice* port = nullptr;
    ASSERT_EQ(serialOpen("COM7", &port), SerialOpenStatus::Opened);
    auto ask = [&](const Bytes& command, std::size_t replyLength) {
        serialWrite(port, command, 2000);
        Bytes reply(replyLength);
        reply.resize(serialRead(port, reply, 2000));
        return reply;
    };
    EXPECT_EQ(ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    EXPECT_EQ(ask({0x00, 0x17}, 1), Bytes{151});
    EXPECT_EQ(ask({0x00, 0x18}, 1), Bytes{4});
    EXPECT_EQ(ask({0x00, 0x06}, 1), Bytes{21});
    EXPECT_EQ(ask({0x00, 0x1A}, 12), Bytes(record.begin() + 288, record.end()));
    EXPECT_EQ(ask({0x00, 0x1B, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, 0), Bytes{});
    EXPECT_EQ(ask({0x00, 0x1A}, 12), Bytes(12, 9));  // the block arrived before this answer
    serialClose(port);

    EXPECT_EQ(stop(), 0);
    Bytes expected = record;
    std::fill(expected.begin() + 288, expected.end(), 9);
    EXPECT_EQ(readWholeFile(dir / "out.eep"), expected);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    std::ifstream log(dir / "wire.log");
    std::string first;
    std::getline(log, first);
    EXPECT_NE(first.find("host>keyer   1200: 00 04 55"), std::string::npos) << first;
}

TEST_F(KeyerSimTool, HangsItsLineUpInTheMiddleOfAReply) {
    const std::string device = start({"--com", "7", "--hang-up", "0C:100"});
    ASSERT_TRUE(device.starts_with("/dev/")) << device;
    SerialDevice* port = nullptr;
    ASSERT_EQ(serialOpen("COM7", &port), SerialOpenStatus::Opened);
    const Bytes dump{0x00, 0x0C};
    ASSERT_EQ(serialWrite(port, dump, 2000), 2u);
    std::array<std::uint8_t, 288> reply{};
    EXPECT_EQ(serialRead(port, reply, 10'000), 100u);
    EXPECT_EQ(serialWrite(port, dump, 2000), 0u);  // the line is gone
    serialClose(port);
    EXPECT_EQ(stop(), 0);
}

TEST_F(KeyerSimTool, RefusesABadRecordFile) {
    writeWholeFile(dir / "short.eep", Bytes(299));
    const std::string line = start({"--record", (dir / "short.eep").string()});
    EXPECT_EQ(line, "");
    int status = 0;
    ::waitpid(keyerSim.pid, &status, 0);
    keyerSim.pid = -1;
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

// The program against keyer-sim started without a record: a keyer fresh
// from the factory, whose settings the panel takes back as they came.
class KeyerSimWithProgram : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", tempDir.c_str(), 1);
    }
    void TearDown() override {
        keyerSim.kill();
        ProgramTest::TearDown();
    }
    KeyerSimProcess keyerSim;
};

TEST_F(KeyerSimWithProgram, FirstReadShowsTheDefaultsAndAWriteIsTaken) {
    const auto saved = tempDir / "after.eep";
    ASSERT_TRUE(keyerSim.start({"--com", "7", "--save-record", saved.string()}).starts_with("/dev/"));
    comPortNumber = 7;
    Window w = openMainWindow();
    w->click(mainwin::TestButton);
    w->click(mainwin::ReadButton);
    EXPECT_EQ(w->text(mainwin::OperationStatus), ">Done");
    const auto factory = factoryRecord();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), recordBytes(keyerSettings).begin()));
    EXPECT_EQ(w->text(mainwin::WeightEdit), "50");
    EXPECT_EQ(w->text(mainwin::MessageEdit1), "");

    w->click(mainwin::WriteButton);
    EXPECT_EQ(w->text(mainwin::OperationStatus), "Done");
    EXPECT_TRUE(headless::messageBoxes().empty()) << headless::messageBoxes().front().text;
    EXPECT_EQ(keyerSim.stop(), 0);
    EXPECT_EQ(readWholeFile(saved), Bytes(factory.begin(), factory.end()));
}

}  // namespace
