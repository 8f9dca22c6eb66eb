// The record history: its names, what it keeps and what it prunes.
#include "core/link/record_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t May1st2024 = 1'714'566'896'789;  // 2024-05-01 12:34:56.789 UTC

KeyerSettings recordWithWeight(std::uint8_t weight) {
    auto record = factorySettings();
    record.user1.weight = weight;
    return record;
}

constexpr KeyerIdentity Pike3102{KeyerVariant::Pike, 31, 52};

class RecordHistory : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        headless::setWallClock(May1st2024);
        folder = tempDir / "history";
    }
    std::vector<std::string> names() const {
        std::vector<std::string> all;
        if (fs::exists(folder))
            for (const auto& e : fs::directory_iterator(folder)) all.push_back(e.path().filename().string());
        std::ranges::sort(all);
        return all;
    }
    fs::path folder;
};

TEST(RecordHistoryNames, SayWhenWhatAndWhichKeyer) {
    struct Case {
        HistoryKind kind;
        KeyerIdentity keyer;
        const char* name;
    };
    const Case cases[] = {
        {HistoryKind::Read, Pike3102, "20240501-123456-789-read-PIKE-31.02.eep"},
        {HistoryKind::Write, {KeyerVariant::Ibex, 30, 3}, "20240501-123456-789-write-IBEX-30.03.eep"},
        {HistoryKind::BeforeUpdate, {KeyerVariant::Tern, 32, 104}, "20240501-123456-789-before-update-TERN-32.04.eep"},
        {HistoryKind::AfterUpdate, {KeyerVariant::Lynx, 33, 151}, "20240501-123456-789-after-update-LYNX-33.01.eep"},
        {HistoryKind::Write, {KeyerVariant::BootloaderOnly, 31, 52}, "20240501-123456-789-write-BOOTLOADER-none.eep"},
        {HistoryKind::Read, {static_cast<KeyerVariant>(9), 31, 201}, "20240501-123456-789-read-UNKNOWN-31.201.eep"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(historyEntryName(May1st2024, c.kind, c.keyer), c.name);
        const auto entry = parseHistoryEntryName(c.name);
        ASSERT_TRUE(entry) << c.name;
        EXPECT_EQ(entry->timeMs, May1st2024);
        EXPECT_EQ(entry->kind, c.kind);
        EXPECT_EQ(entry->variant + "-" + entry->firmware + ".eep",
                  std::string(c.name).substr(std::string(c.name).rfind(entry->variant)));
    }
    EXPECT_EQ(historyTimeText(May1st2024), "2024-05-01 12:34:56.789 UTC");
    EXPECT_EQ(historyTimeText(951'782'400'000), "2000-02-29 00:00:00.000 UTC");
    for (const char* other : {"backup.eep", "20240501-123456-789-read-PIKE-31.02.eep.Xa81Qz",
                              "20240501-123456-789-copy-PIKE-31.02.eep", "20241301-123456-789-read-PIKE-31.02.eep",
                              "2024050-1123456-789-read-PIKE-31.02.eep", "20240501-123456-789-read-PIKE.eep"})
        EXPECT_FALSE(parseHistoryEntryName(other)) << other;
}

TEST_F(RecordHistory, KeepsEachNewRecordOnceAndNeverOverwrites) {
    const KeyerSettings first = recordWithWeight(60);
    ASSERT_EQ(keepInHistory(first, HistoryKind::Read, Pike3102).outcome, HistoryOutcome::Kept);
    // The same record from the same keyer is not kept again, even by a Write.
    EXPECT_EQ(keepInHistory(first, HistoryKind::Write, Pike3102).outcome, HistoryOutcome::SameAsNewest);
    // Another keyer's, and another record, in the same millisecond: later names.
    EXPECT_EQ(keepInHistory(first, HistoryKind::Read, {KeyerVariant::Pike, 32, 54}).outcome, HistoryOutcome::Kept);
    const KeyerSettings second = recordWithWeight(61);
    EXPECT_EQ(keepInHistory(second, HistoryKind::Write, {KeyerVariant::Pike, 32, 54}).outcome, HistoryOutcome::Kept);
    EXPECT_EQ(names(), (std::vector<std::string>{"20240501-123456-789-read-PIKE-31.02.eep",
                                                 "20240501-123456-790-read-PIKE-32.04.eep",
                                                 "20240501-123456-791-write-PIKE-32.04.eep"}));
    EXPECT_EQ(readWholeFile(folder / names()[2]),
              std::vector<std::uint8_t>(recordBytes(second).begin(), recordBytes(second).end()));
    const std::vector<HistoryEntry> listed = listHistory();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed.front().path, (folder / names()[2]).string());  // newest first
}

TEST_F(RecordHistory, KeepsTheNewestThousandAndRemovesOnlyOnceANewerIsWritten) {
    fs::create_directories(folder);
    for (int i = 0; i < 1000; ++i)
        writeWholeFile(folder / historyEntryName(May1st2024 - 1'000'000 + i, HistoryKind::Read, Pike3102),
                       std::vector<std::uint8_t>(300, static_cast<std::uint8_t>(i)));
    writeWholeFile(folder / "notes.txt", {1});
    const std::string oldest = historyEntryName(May1st2024 - 1'000'000, HistoryKind::Read, Pike3102);

    headless::failFileWrites(true);
    EXPECT_EQ(keepInHistory(recordWithWeight(60), HistoryKind::Read, Pike3102).outcome, HistoryOutcome::NotWritten);
    EXPECT_EQ(names().size(), 1001u);
    headless::failFileWrites(false);

    EXPECT_EQ(keepInHistory(recordWithWeight(60), HistoryKind::Read, Pike3102).outcome, HistoryOutcome::Kept);
    EXPECT_EQ(names().size(), 1001u);  // the newest thousand, and the file that is no entry
    EXPECT_FALSE(fs::exists(folder / oldest));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
}

TEST_F(RecordHistory, AClockSetBackStillSortsTheNewEntryLast) {
    keepInHistory(recordWithWeight(60), HistoryKind::Read, Pike3102);
    headless::setWallClock(May1st2024 - 86'400'000);
    keepInHistory(recordWithWeight(61), HistoryKind::Read, Pike3102);
    EXPECT_EQ(names().back(), "20240501-123456-790-read-PIKE-31.02.eep");
}

TEST_F(RecordHistory, WithoutAFolderNothingIsKept) {
    headless::setHistoryFolder("");
    const HistoryKeepResult result = keepInHistory(recordWithWeight(60), HistoryKind::Read, Pike3102);
    EXPECT_EQ(result.outcome, HistoryOutcome::NoFolder);
    EXPECT_EQ(result.problem(), "no folder for it is known");
    EXPECT_TRUE(listHistory().empty());
}

}  // namespace
