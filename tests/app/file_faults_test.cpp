// A full disk and a read-only folder, made real, while a settings file is
// saved and while the configuration file is written: each failure says what
// it says, and the file saved there before stays byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>
#include <vector>

#include "core/link/port_config.h"
#include "core/settings/keyer_settings.h"
#include "core/settings/settings_file.h"
#include "dialogs/settings_file_dialogs.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "tests/support/file_faults.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Save { SettingsFile, ConfigFile };
enum class Fault { FullDisk, ReadOnlyFolder };

struct FileFault {
    const char* name;
    Save save;
    Fault fault;
    const char* message;  // nullptr: none
};

// A file that cannot be created in its folder: the settings save says so,
// the configuration file is passed over in silence.
const FileFault fileFaults[] = {
    {"SettingsFileOnAFullDisk", Save::SettingsFile, Fault::FullDisk, "Export Log File Failed."},
    {"SettingsFileInAReadOnlyFolder", Save::SettingsFile, Fault::ReadOnlyFolder, "Can't open Settings file for write"},
    {"ConfigFileOnAFullDisk", Save::ConfigFile, Fault::FullDisk, "CFG File SAve Failed."},
    {"ConfigFileInAReadOnlyFolder", Save::ConfigFile, Fault::ReadOnlyFolder, nullptr},
};

void PrintTo(const FileFault& f, std::ostream* os) { *os << f.name; }

class FileFaultTest : public ProgramTest, public ::testing::WithParamInterface<FileFault> {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        folder = tempDir / "saves";
        std::filesystem::create_directories(folder);
        window = openMainWindow();
    }
    std::filesystem::path file() const {
        return folder / (GetParam().save == Save::SettingsFile ? "keep.eep" : "keyer.cfg");
    }
    // The record or the port number that goes into the file, and its bytes.
    Bytes prepare(std::uint8_t seed) {
        if (GetParam().save == Save::ConfigFile) {
            comPortNumber = seed;
            return {seed, 0, 0, 0};
        }
        auto bytes = recordBytes(keyerSettings);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(seed + i);
        return Bytes(bytes.begin(), bytes.end());
    }
    bool save() {
        if (GetParam().save == Save::ConfigFile) {
            configPath = file().string();
            return writeConfigFile();
        }
        headless::answerFileDialog(file().string());
        return saveSettingsFile(window);
    }
    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
    }
    std::filesystem::path folder;
    Window window = nullptr;
};

TEST_P(FileFaultTest, FailsWithItsMessageAndKeepsThePreviousFile) {
    const FileFault& f = GetParam();
    const Bytes previous = prepare(0x40);
    writeWholeFile(file(), previous);
    const Bytes next = prepare(0x11);
    const auto recordBefore = keyerSettings;

    bool saved = false;
    if (f.fault == Fault::FullDisk) {
        // Room for half the file: the first part is written, the rest refused.
        const ScopedFileSizeLimit full(previous.size() / 2);
        ASSERT_TRUE(full.active());
        saved = save();
    } else {
        const ScopedReadOnlyFolder readOnly(folder);
        if (!readOnly.reason().empty()) GTEST_SKIP() << readOnly.reason();
        saved = save();
    }

    EXPECT_EQ(saved, f.message == nullptr) << "only the silent pass-over counts as done";
    if (f.message) {
        ASSERT_EQ(headless::messageBoxes().size(), 1u);
        EXPECT_EQ(headless::messageBoxes()[0].text, f.message);
        EXPECT_EQ(headless::messageBoxes()[0].caption, "Error");
    } else {
        EXPECT_TRUE(headless::messageBoxes().empty());
    }
    EXPECT_EQ(readWholeFile(file()), previous);
    EXPECT_EQ(filesInFolder(), 1u) << "nothing half-written is left beside it";
    EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);

    // With room and rights again the same save goes through.
    headless::clearMessageBoxes();
    EXPECT_TRUE(save());
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(readWholeFile(file()), next);
}

INSTANTIATE_TEST_SUITE_P(Faults, FileFaultTest, ::testing::ValuesIn(fileFaults),
                         [](const ::testing::TestParamInfo<FileFault>& i) { return i.param.name; });

}  // namespace
