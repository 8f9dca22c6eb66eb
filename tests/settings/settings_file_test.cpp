#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "core/settings/settings_file.h"
#include "dialogs/message_editor.h"
#include "dialogs/settings_file_dialogs.h"
#include "dialogs/settings_record.h"
#include "platform/file_names.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

std::vector<std::uint8_t> record() { return {recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end()}; }

void setRecord(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(bytes.size(), RecordSize);
    std::copy(bytes.begin(), bytes.end(), recordBytes(keyerSettings).begin());
}

// Every byte different from its neighbours and from a zero record, so a byte
// out of place or left out shows.
std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 37 + seed) % 251 + 1);
    return bytes;
}

// Exactly one message box: an "Error" box with that text, owned by the main window.
void expectOnlyError(const char* text) {
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    const auto& box = headless::messageBoxes()[0];
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.ownerTemplateId, dlg::MainWindow);
    EXPECT_EQ(box.icon, MessageIcon::None);
}

class SettingsFileTest : public ProgramTest {
protected:
    std::string path(const std::string& name) const { return (tempDir / name).string(); }
    std::size_t filesInTempDir() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(tempDir), std::filesystem::directory_iterator()));
    }
};

TEST_F(SettingsFileTest, SaveThenLoadRestoresEveryByteOfTheRecord) {
    Window w = openMainWindow();
    const auto saved = pattern(RecordSize, 11);
    setRecord(saved);
    // Bits no panel control shows: the unused RTTY bits and the user set switch.
    keyerSettings.user1Ext.rttyReg1 |= 0x08;
    keyerSettings.user2Ext.rttyReg2 = 0xF2;
    keyerSettings.user1.spacingReg = 0xC0;
    const auto expected = record();

    headless::answerFileDialog(path("both.eep"));
    EXPECT_TRUE(saveSettingsFile(w));
    EXPECT_EQ(readWholeFile(tempDir / "both.eep"), expected);
    EXPECT_EQ(w->text(SettingsFileStatus), "both.eep");

    resetSettingsState();
    headless::answerFileDialog(path("both.eep"));
    EXPECT_TRUE(loadSettingsFile(w));
    EXPECT_EQ(record(), expected);
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: both.eep");
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(SettingsFileTest, BothDialogsGetTheSameSettingsAndAnEmptyName) {
    Window w = openMainWindow();
    headless::answerFileDialog(path("first.eep"));
    ASSERT_TRUE(saveSettingsFile(w));
    EXPECT_EQ(settingsFilePath, path("first.eep"));
    // The previous name is not proposed again.
    headless::answerFileDialog(path("first.eep"));
    ASSERT_TRUE(loadSettingsFile(w));
    headless::answerFileDialog(std::nullopt);
    EXPECT_FALSE(saveSettingsFile(w));

    const auto& dialogs = headless::fileDialogs();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_TRUE(dialogs[0].save);
    EXPECT_FALSE(dialogs[1].save);
    EXPECT_TRUE(dialogs[2].save);
    for (const auto& d : dialogs) {
        ASSERT_EQ(d.spec.filters.size(), 2u);
        EXPECT_EQ(d.spec.filters[0].description, "Settings Files (*.eep)");
        EXPECT_EQ(d.spec.filters[0].pattern, "*.eep");
        EXPECT_EQ(d.spec.filters[1].description, "All Documents (*.*)");
        EXPECT_EQ(d.spec.filters[1].pattern, "*.*");
        EXPECT_EQ(d.spec.initialFilter, 1);
        EXPECT_EQ(d.spec.defaultExtension, "eep");
        EXPECT_EQ(d.spec.title, "");
        EXPECT_EQ(d.spec.initialName, "");
        EXPECT_EQ(d.spec.maxPathChars, 255u);
        EXPECT_FALSE(d.spec.fileMustExist);
    }
    EXPECT_EQ(settingsFilePath, "") << "a cancelled dialog leaves the emptied path";
}

struct LoadCase {
    const char* name;
    std::size_t fileSize;
};
std::ostream& operator<<(std::ostream& out, const LoadCase& c) { return out << c.name; }

class LoadsOfEverySize : public SettingsFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadsOfEverySize, ReplaceOnlyTheBytesTheFileHolds) {
    Window w = openMainWindow();
    const auto before = pattern(RecordSize, 101);
    setRecord(before);
    const auto file = pattern(GetParam().fileSize, 7);
    writeWholeFile(tempDir / "f.eep", file);

    headless::answerFileDialog(path("f.eep"));
    EXPECT_TRUE(loadSettingsFile(w));
    EXPECT_TRUE(headless::messageBoxes().empty());
    const auto after = record();
    const std::size_t replaced = std::min(GetParam().fileSize, RecordSize);
    for (std::size_t i = 0; i < RecordSize; ++i) {
        EXPECT_EQ(after[i], i < replaced ? file[i] : before[i]) << "record byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, LoadsOfEverySize,
                         ::testing::Values(LoadCase{"Empty", 0}, LoadCase{"OneByte", 1},
                                           LoadCase{"MemoryImageOnly", 288}, LoadCase{"OneShort", 299},
                                           LoadCase{"Exact", 300}, LoadCase{"Long", 400}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SettingsFileTest, AMissingFileIsNamedThenReportedAndChangesNothing) {
    Window w = openMainWindow();
    setRecord(pattern(RecordSize, 5));
    headless::answerFileDialog(path("missing.eep"));
    EXPECT_FALSE(loadSettingsFile(w));
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: missing.eep");
    expectOnlyError("File Not Found");
    EXPECT_EQ(record(), pattern(RecordSize, 5));
}

TEST_F(SettingsFileTest, AReadErrorIsReportedAndLeavesTheRecordWhole) {
    Window w = openMainWindow();
    setRecord(pattern(RecordSize, 9));
    writeWholeFile(tempDir / "bad.eep", pattern(RecordSize, 77));
    headless::failFileReads(true);
    headless::answerFileDialog(path("bad.eep"));
    EXPECT_FALSE(loadSettingsFile(w));
    expectOnlyError("Read Settings file failed.");
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: bad.eep");
    EXPECT_EQ(record(), pattern(RecordSize, 9));
}

TEST_F(SettingsFileTest, CancelledDialogsChangeNothing) {
    Window w = openMainWindow();
    setControlText(w, SettingsFileStatus, "EEP FileName: earlier.eep");
    setRecord(pattern(RecordSize, 13));
    headless::answerFileDialog(std::nullopt);
    EXPECT_FALSE(loadSettingsFile(w));
    headless::answerFileDialog(std::nullopt);
    EXPECT_FALSE(saveSettingsFile(w));
    EXPECT_EQ(headless::fileDialogs().size(), 2u);
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: earlier.eep");
    EXPECT_EQ(record(), pattern(RecordSize, 13));
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(filesInTempDir(), 0u);
}

TEST_F(SettingsFileTest, SavingOverAFileReplacesItWithoutAsking) {
    Window w = openMainWindow();
    writeWholeFile(tempDir / "old.eep", std::vector<std::uint8_t>(500, 0xEE));
    setRecord(pattern(RecordSize, 21));
    headless::answerFileDialog(path("old.eep"));
    EXPECT_TRUE(saveSettingsFile(w));
    EXPECT_EQ(readWholeFile(tempDir / "old.eep"), pattern(RecordSize, 21));
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(filesInTempDir(), 1u);
}

TEST_F(SettingsFileTest, AFailedWriteKeepsThePreviousFileByteForByte) {
    Window w = openMainWindow();
    const auto previous = pattern(RecordSize, 55);
    writeWholeFile(tempDir / "keep.eep", previous);
    setRecord(pattern(RecordSize, 66));
    headless::failFileWrites(true);
    headless::answerFileDialog(path("keep.eep"));
    EXPECT_FALSE(saveSettingsFile(w));
    expectOnlyError("Export Log File Failed.");
    EXPECT_EQ(readWholeFile(tempDir / "keep.eep"), previous);
    EXPECT_EQ(filesInTempDir(), 1u) << "no half-written file is left beside it";
    EXPECT_EQ(record(), pattern(RecordSize, 66));
    EXPECT_EQ(w->text(SettingsFileStatus), "keep.eep");
}

TEST_F(SettingsFileTest, AFileThatCannotBeCreatedIsReported) {
    Window w = openMainWindow();
    headless::answerFileDialog(path("no-such-folder/x.eep"));
    EXPECT_FALSE(saveSettingsFile(w));
    expectOnlyError("Can't open Settings file for write");
    EXPECT_EQ(w->text(SettingsFileStatus), "x.eep");
    EXPECT_EQ(filesInTempDir(), 0u);
}

TEST_F(SettingsFileTest, APathLongerThanTheBufferIsRefusedAsACancel) {
    Window w = openMainWindow();
    setRecord(pattern(RecordSize, 1));
    const std::string longPath = path(std::string(260, 'k') + ".eep");
    headless::answerFileDialog(longPath);
    EXPECT_FALSE(loadSettingsFile(w));
    headless::answerFileDialog(longPath);
    EXPECT_FALSE(saveSettingsFile(w));
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(w->text(SettingsFileStatus), "");
    EXPECT_EQ(record(), pattern(RecordSize, 1));
}

struct NameCase {
    const char* label;
    const char* path;
    const char* name;
};
std::ostream& operator<<(std::ostream& out, const NameCase& c) { return out << '"' << c.path << '"'; }

class FileNamesOfPaths : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNamesOfPaths, AreThePartAfterTheLastSeparator) {
    EXPECT_EQ(fileNameOfPath(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, FileNamesOfPaths,
                         ::testing::Values(NameCase{"Windows", "C:\\Keyer\\Contest\\cq.eep", "cq.eep"},
                                           NameCase{"Posix", "/home/op/keyer/cq.eep", "cq.eep"},
                                           NameCase{"Mixed", "C:\\Keyer/mixed\\last.eep", "last.eep"},
                                           NameCase{"NoFolder", "plain.eep", "plain.eep"},
                                           NameCase{"FolderOnly", "C:\\Keyer\\", ""}, NameCase{"Empty", "", ""}),
                         [](const auto& p) { return std::string(p.param.label); });

// --- From the main window's buttons -----------------------------------------

class SettingsFileButtonsTest : public SettingsFileTest {};

TEST_F(SettingsFileButtonsTest, ReadConfigFileLoadsTheRecordAndKeepsTheUserSetOnShow) {
    Window w = openMainWindow();
    auto file = pattern(RecordSize, 31);
    file[14] = 0xC0;  // user1.spacingReg: the file says User 2 and message bank 2
    writeWholeFile(tempDir / "contest.eep", file);
    enableControl(w, ReadConfigFileButton, true);
    headless::answerFileDialog(path("contest.eep"));
    ASSERT_TRUE(w->click(ReadConfigFileButton));
    EXPECT_EQ(record(), file);
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: contest.eep");
    EXPECT_EQ(activeUserSet, UserSet::User1);
    EXPECT_TRUE(w->checked(User1Radio));
    EXPECT_FALSE(w->checked(User2Radio));
    EXPECT_TRUE(w->checked(MessageBank1Radio));
    EXPECT_TRUE(w->visible(MessageEdit1));
}

TEST_F(SettingsFileButtonsTest, CancellingReadConfigFileDiscardsPanelEdits) {
    Window w = openMainWindow();
    w->click(ResetDefaultsButton);
    w->type(MessageEdit1, "CQ TEST");
    storeMessages(w);
    const auto stored = record();
    // Edits made since: a number field and a message, neither captured yet.
    w->setText(WeightEdit, "70");
    w->setText(MaxWpmEdit, "45");
    w->setText(MessageEdit1, "QRZ");
    enableControl(w, ReadConfigFileButton, true);
    headless::answerFileDialog(std::nullopt);
    ASSERT_TRUE(w->click(ReadConfigFileButton));
    ASSERT_EQ(headless::fileDialogs().size(), 1u);
    EXPECT_FALSE(headless::fileDialogs()[0].save);
    EXPECT_EQ(w->text(WeightEdit), "50");
    EXPECT_EQ(w->text(MaxWpmEdit), "35");
    EXPECT_EQ(w->text(MessageEdit1), "CQ TEST");
    EXPECT_EQ(record(), stored);
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(SettingsFileButtonsTest, AnEmptyFileChangesNothingAndReloadsThePanel) {
    Window w = openMainWindow();
    w->click(ResetDefaultsButton);
    const auto before = record();
    w->setText(WeightEdit, "70");
    writeWholeFile(tempDir / "empty.eep", {});
    enableControl(w, ReadConfigFileButton, true);
    headless::answerFileDialog(path("empty.eep"));
    ASSERT_TRUE(w->click(ReadConfigFileButton));
    EXPECT_EQ(record(), before);
    EXPECT_EQ(w->text(WeightEdit), "50");
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: empty.eep");
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(SettingsFileButtonsTest, AFailedCaptureShowsItsMessageAndOpensNoSaveDialog) {
    Window w = openMainWindow();
    w->click(ResetDefaultsButton);
    w->setText(WeightEdit, "5");
    enableControl(w, WriteConfigFileButton, true);
    headless::answerFileDialog(path("never.eep"));
    ASSERT_TRUE(w->click(WriteConfigFileButton));
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].text, "Weight must be between 10 and 90");
    EXPECT_TRUE(headless::fileDialogs().empty());
    EXPECT_EQ(filesInTempDir(), 0u);
}

TEST_F(SettingsFileButtonsTest, WriteThenReadConfigFileBringsBackThePanelAndMessages) {
    Window w = openMainWindow();
    w->click(ResetDefaultsButton);
    w->setText(WeightEdit, "62");
    w->setText(CurWpmEdit, "28");
    w->type(MessageEdit1, "CQ CQ DE TEST");
    w->type(Callsign1Edit, "TEST/M");
    enableControl(w, WriteConfigFileButton, true);
    enableControl(w, ReadConfigFileButton, true);
    headless::answerFileDialog(path("contest"));
    ASSERT_TRUE(w->click(WriteConfigFileButton));
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(w->text(SettingsFileStatus), "contest.eep");
    const auto saved = record();
    EXPECT_EQ(readWholeFile(tempDir / "contest.eep"), saved);
    EXPECT_EQ(keyerSettings.user1.weight, 62);

    w->click(ResetDefaultsButton);
    w->setText(MessageEdit1, "");
    w->setText(Callsign1Edit, "");
    headless::answerFileDialog(path("contest.eep"));
    ASSERT_TRUE(w->click(ReadConfigFileButton));
    EXPECT_EQ(record(), saved);
    EXPECT_EQ(w->text(WeightEdit), "62");
    EXPECT_EQ(w->text(CurWpmEdit), "28");
    EXPECT_EQ(w->text(MessageEdit1), "CQ CQ DE TEST");
    EXPECT_EQ(w->text(Callsign1Edit), "TEST/M");
    EXPECT_EQ(w->text(SettingsFileStatus), "EEP FileName: contest.eep");
}

}  // namespace
