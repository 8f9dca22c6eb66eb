#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
