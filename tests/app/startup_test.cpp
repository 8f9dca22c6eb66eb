#include <gtest/gtest.h>

#include "core/link/port_config.h"
#include "dialogs/startup.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

namespace {

class StartupTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        headless::setProgramPath((tempDir / "keyer.exe").string());
    }

    std::filesystem::path configFile() const { return tempDir / "keyer.cfg"; }

    // Runs the program; returns what the port label showed while the main window was up.
    std::string runAndReadPortLabel() {
        std::string shown;
        headless::scriptDialog(dlg::MainWindow, [&](Window w) {
            shown = w->text(mainwin::ComPortLabel);
            w->click(mainwin::ExitButton);
        });
        EXPECT_EQ(runProgram(), 0);
        return shown;
    }
};

TEST_F(StartupTest, MissingFileGivesPortOneAndCreatesTheFile) {
    EXPECT_EQ(runAndReadPortLabel(), "com:1");
    EXPECT_EQ(readWholeFile(configFile()), (std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x00}));
}

TEST_F(StartupTest, ASystemConfigLocationTakesThePlaceOfTheFileBesideTheProgram) {
    const auto systemFile = tempDir / "config-home" / "keyer-tools.cfg";
    std::filesystem::create_directories(systemFile.parent_path());
    headless::setConfigFileLocation(systemFile.string());
    EXPECT_EQ(runAndReadPortLabel(), "com:1");
    EXPECT_EQ(configPath, systemFile.string());
    EXPECT_EQ(readWholeFile(systemFile), (std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x00}));
    EXPECT_FALSE(std::filesystem::exists(configFile()));

    // The next start reads it from there.
    writeWholeFile(systemFile, {0x07, 0x00, 0x00, 0x00});
    resetStartupState();
    EXPECT_EQ(runAndReadPortLabel(), "com:7");
}

TEST_F(StartupTest, ExistingFileIsReadAndNotRewritten) {
    writeWholeFile(configFile(), {0x03, 0x00, 0x00, 0x00});
    const auto before = std::filesystem::last_write_time(configFile());
    std::filesystem::last_write_time(configFile(), before - std::chrono::hours(1));
    const auto marked = std::filesystem::last_write_time(configFile());
    EXPECT_EQ(runAndReadPortLabel(), "com:3");
    EXPECT_EQ(std::filesystem::last_write_time(configFile()), marked);
    EXPECT_EQ(comPortNumber, 3);
}

struct ConfigCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::int32_t port;
};

class ConfigFileContents : public StartupTest, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(ConfigFileContents, GiveThePortNumber) {
    writeWholeFile(configFile(), GetParam().bytes);
    configPath = configFile().string();
    EXPECT_TRUE(readConfigFile());
    EXPECT_EQ(comPortNumber, GetParam().port);
    EXPECT_EQ(readWholeFile(configFile()), GetParam().bytes) << "the file must not be rewritten";
}

INSTANTIATE_TEST_SUITE_P(
    Startup, ConfigFileContents,
    ::testing::Values(ConfigCase{"empty", {}, 0}, ConfigCase{"six_bytes", {0x05, 0x00, 0x00, 0x00, 0x07, 0x07}, 5},
                      ConfigCase{"two_bytes", {0x0C, 0x01}, 0x10C},
                      ConfigCase{"negative", {0xFF, 0xFF, 0xFF, 0xFF}, -1},
                      ConfigCase{"little_endian", {0x34, 0x12, 0x00, 0x00}, 0x1234}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(StartupTest, ShortFileKeepsTheHighBytesItDoesNotHold) {
    writeWholeFile(configFile(), {0x07});
    configPath = configFile().string();
    comPortNumber = 0x0100;
    EXPECT_TRUE(readConfigFile());
    EXPECT_EQ(comPortNumber, 0x0107);
}

TEST_F(StartupTest, ReadErrorIsShownAndKeepsTheNumber) {
    writeWholeFile(configFile(), {0x03, 0x00, 0x00, 0x00});
    configPath = configFile().string();
    comPortNumber = 9;
    headless::failFileReads(true);
    EXPECT_FALSE(readConfigFile());
    EXPECT_EQ(comPortNumber, 9);
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    const auto& box = headless::messageBoxes()[0];
    EXPECT_EQ(box.text, "Read file failed.");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, MessageIcon::Warning);
    EXPECT_EQ(box.ownerTemplateId, 0);
}

TEST_F(StartupTest, WriteFailureIsShownAndLeavesThePreviousFile) {
    writeWholeFile(configFile(), {0x03, 0x00, 0x00, 0x00});
    configPath = configFile().string();
    comPortNumber = 12;
    headless::failFileWrites(true);
    EXPECT_FALSE(writeConfigFile());
    EXPECT_EQ(readWholeFile(configFile()), (std::vector<std::uint8_t>{0x03, 0x00, 0x00, 0x00}));
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].text, "CFG File SAve Failed.");
    EXPECT_EQ(headless::messageBoxes()[0].caption, "Error");
    // No stray temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir), std::filesystem::directory_iterator()), 1);
}

TEST_F(StartupTest, UncreatableFileIsPassedOverInSilence) {
    configPath = (tempDir / "no-such-folder" / "keyer.cfg").string();
    comPortNumber = 4;
    EXPECT_TRUE(writeConfigFile());
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(StartupTest, WriteStoresFourBytesLittleEndian) {
    configPath = configFile().string();
    comPortNumber = 0x01020304;
    EXPECT_TRUE(writeConfigFile());
    EXPECT_EQ(readWholeFile(configFile()), (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01}));
}

TEST_F(StartupTest, FailedClassRegistrationEndsWithoutAWindow) {
    headless::failWindowClassRegistration(true);
    EXPECT_EQ(runProgram(), 0);
    EXPECT_TRUE(headless::modalRuns().empty());
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(StartupTest, RegistersTheMainWindowClassAndRunsTheMainWindow) {
    headless::scriptDialog(dlg::MainWindow, [](Window w) { w->click(mainwin::ExitButton); });
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(headless::registeredClassName(), "JXtoolsClass");
    EXPECT_EQ(headless::modalRuns(), std::vector<int>{dlg::MainWindow});
}

TEST_F(StartupTest, ClosingTheWindowEndsWithResultZero) {
    headless::scriptDialog(dlg::MainWindow, [](Window w) { w->pressCloseBox(); });
    EXPECT_EQ(runProgram(), 0);
}

struct PathCase {
    const char* program;
    const char* config;
};

std::ostream& operator<<(std::ostream& out, const PathCase& c) { return out << '"' << c.program << '"'; }
std::ostream& operator<<(std::ostream& out, const ConfigCase& c) { return out << c.name; }

class ConfigPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(ConfigPaths, AreFormedFromTheProgramPath) {
    EXPECT_EQ(makeConfigPath(GetParam().program), GetParam().config);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, ConfigPaths,
    ::testing::Values(PathCase{"D:\\Tools\\keyer.exe", "D:\\Tools\\keyer.cfg"},
                      // The first lower-case "exe" counts, even in a folder name.
                      PathCase{"D:\\exec\\keyer.exe", "D:\\cfg"},
                      // Without one: the file's own extension is replaced, in any case.
                      PathCase{"C:\\KEYER\\KEYER.EXE", "C:\\KEYER\\KEYER.cfg"},
                      PathCase{"/usr/local/bin/keyer-tools", "/usr/local/bin/keyer-tools.cfg"},
                      PathCase{"/opt/v1.2/keyer", "/opt/v1.2/keyer.cfg"}, PathCase{"", ""}));

TEST(ConfigPathsLong, AreFormedWholeBeyond128Characters) {
    const std::string folder = "C:\\" + std::string(200, 'a') + "\\";
    EXPECT_EQ(makeConfigPath(folder + "keyer.exe"), folder + "keyer.cfg");
}

}  // namespace
