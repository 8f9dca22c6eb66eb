#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/posix_files.h"
#include "tests/support/test_support.h"

namespace {

class FilesTest : public ProgramTest {};

TEST_F(FilesTest, ReadsTheStartOfAFile) {
    writeWholeFile(tempDir / "f", {1, 2, 3, 4, 5});
    std::uint8_t buf[3] = {};
    auto r = posixReadFileStart((tempDir / "f").string(), buf);
    EXPECT_EQ(r.status, FileReadStatus::Ok);
    EXPECT_EQ(r.bytesRead, 3u);
    EXPECT_EQ(buf[2], 3);
    EXPECT_EQ(posixReadFileStart((tempDir / "missing").string(), buf).status, FileReadStatus::NotOpened);
    EXPECT_EQ(posixReadFileStart(tempDir.string(), buf).status, FileReadStatus::NotOpened);
}

TEST_F(FilesTest, ReplaceWritesWholeOrLeavesTheOldFile) {
    const auto path = (tempDir / "f").string();
    writeWholeFile(path, {9, 9});
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(posixReplaceFile(path, bytes), FileWriteStatus::Ok);
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(posixReplaceFile(path, std::span<const std::uint8_t>(bytes, 2), true), FileWriteStatus::WriteFailed);
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir), std::filesystem::directory_iterator()), 1);
    EXPECT_EQ(posixReplaceFile((tempDir / "none" / "f").string(), bytes), FileWriteStatus::CannotCreate);
    EXPECT_EQ(posixReplaceFile(tempDir.string(), bytes), FileWriteStatus::CannotCreate);
}

// A power cut must find the old file or the whole new one: the new bytes reach
// the disk before the rename puts them in the old one's place, and the folder
// holding the rename is flushed after it.
TEST_F(FilesTest, ReplaceFlushesTheDataBeforeTheRenameAndTheFolderAfterIt) {
    const auto path = (tempDir / "f").string();
    const std::vector<std::uint8_t> old{9, 9}, bytes{1, 2, 3, 4};
    writeWholeFile(path, old);
    std::vector<std::string> flushes;
    // Each flush notes what it flushes, whether the new bytes are in it, and
    // whether the target holds them yet.
    const auto record = [&](int fd) {
        struct stat info {};
        if (::fstat(fd, &info) != 0) return -1;
        std::uint8_t held[8] = {};
        const ssize_t n = S_ISREG(info.st_mode) ? ::pread(fd, held, sizeof held, 0) : 0;
        const bool written = n > 0 && std::vector<std::uint8_t>(held, held + n) == bytes;
        const std::string where = readWholeFile(path) == bytes ? "renamed" : "in place";
        flushes.push_back(S_ISDIR(info.st_mode) ? "folder " + where : (written ? "file written " : "file ") + where);
        return 0;
    };
    ASSERT_EQ(posixReplaceFile(path, bytes, false, record), FileWriteStatus::Ok);
    EXPECT_EQ(flushes, (std::vector<std::string>{"file written in place", "folder renamed"}));
    EXPECT_EQ(readWholeFile(path), bytes);

    // A disk that refuses the flush fails the save before the rename.
    EXPECT_EQ(posixReplaceFile(path, old, false, [](int) { return -1; }), FileWriteStatus::WriteFailed);
    EXPECT_EQ(readWholeFile(path), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir), std::filesystem::directory_iterator()), 1);
}

}  // namespace
