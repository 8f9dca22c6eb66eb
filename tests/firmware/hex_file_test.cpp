// Firmware image files: the line parser, the loader and its codes, and where
// each line's data lands in the image.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <random>

#include "core/firmware/hex_file.h"
#include "dialogs/uploader_dialog.h"
#include "tests/firmware/hex_writer.h"
#include "tests/support/test_support.h"

namespace {

// --- parseHexLine ------------------------------------------------------------

TEST(ParseHexLine, DeliversAddressCountTypeAndData) {
    HexLine line;
    ASSERT_TRUE(parseHexLine(":0400100001020304E2", line));
    EXPECT_EQ(line.address, 0x0010);
    EXPECT_EQ(line.count, 4);
    EXPECT_EQ(line.type, 0x00);
    EXPECT_EQ(line.data[0], 0x01);
    EXPECT_EQ(line.data[3], 0x04);
}

TEST(ParseHexLine, LowerCaseDigitsReadLikeUpperCase) {
    HexLine upper, lower;
    ASSERT_TRUE(parseHexLine(":02ABCD00FE3F49", upper));
    ASSERT_TRUE(parseHexLine(":02abcd00fe3f49", lower));
    EXPECT_EQ(lower.address, 0xABCD);
    EXPECT_EQ(lower.data[0], 0xFE);
    EXPECT_EQ(lower.data[1], 0x3F);
    EXPECT_EQ(upper.address, lower.address);
}

TEST(ParseHexLine, IgnoresWhatFollowsTheChecksum) {
    HexLine line;
    EXPECT_TRUE(parseHexLine(":00000001FF trailing words", line));
    EXPECT_EQ(line.type, 0x01);
}

TEST(ParseHexLine, TakesTheLongestCount) {
    const std::vector<std::uint8_t> data(255, 0xA5);
    HexLine line;
    ASSERT_TRUE(parseHexLine(hexw::line(0x1234, 0x00, data), line));
    EXPECT_EQ(line.count, 255);
    EXPECT_EQ(line.data[254], 0xA5);
}

struct BadLine {
    const char* why;
    const char* text;
};

void PrintTo(const BadLine& c, std::ostream* os) { *os << c.why; }

class ParseHexLineRejects : public ::testing::TestWithParam<BadLine> {};

TEST_P(ParseHexLineRejects, AndDeliversNothing) {
    HexLine line;
    line.address = 0x4242;
    line.count = 7;
    line.type = 9;
    line.data[0] = 0x55;
    EXPECT_FALSE(parseHexLine(GetParam().text, line)) << GetParam().why;
    EXPECT_EQ(line.address, 0x4242);
    EXPECT_EQ(line.count, 7);
    EXPECT_EQ(line.type, 9);
    EXPECT_EQ(line.data[0], 0x55);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseHexLineRejects,
    ::testing::Values(BadLine{"empty", ""}, BadLine{"no colon", "000000001FF"},
                      BadLine{"leading space", " :00000001FF"}, BadLine{"ten characters", ":00000001F"},
                      BadLine{"no count digits", ":G0000001FF"},
                      BadLine{"shorter than its count", ":0400100001020304"},
                      BadLine{"bad checksum", ":0400100001020304E3"},
                      BadLine{"stray character in the address", ":04001G0001020304E2"},
                      BadLine{"stray character in the data", ":04001000010203x4E2"},
                      BadLine{"stray character in the checksum", ":0400100001020304E "}));

// --- loadFirmwareFile ----------------------------------------------------------

class LoadFirmwareFile : public ProgramTest {
protected:
    int load(const std::string& text) {
        const auto path = tempDir / "image.bin";
        hexw::writeText(path, text);
        return loadFirmwareFile(image, positions(), path.string());
    }
    ProgressSink positions() {
        return [this](int p) { progress.push_back(p); };
    }
    FirmwareImage image{};
    std::vector<int> progress;
};

TEST_F(LoadFirmwareFile, EndOfFileAloneLoadsNoLines) { EXPECT_EQ(load(":00000001FF\n"), 0); }

TEST_F(LoadFirmwareFile, EmptyPath) { EXPECT_EQ(loadFirmwareFile(image, nullptr, ""), FileNoPath); }

TEST_F(LoadFirmwareFile, MissingFile) {
    EXPECT_EQ(loadFirmwareFile(image, nullptr, (tempDir / "absent.bin").string()), FileOpenFailed);
}

TEST_F(LoadFirmwareFile, ResultCodesKeepTheirValues) {
    EXPECT_EQ(FileNoPath, -1);
    EXPECT_EQ(FileOpenFailed, -2);
    EXPECT_EQ(FileEndedEarly, -3);
    EXPECT_EQ(FileBadLine, -4);
    EXPECT_EQ(FileBadRecordType, -5);
    EXPECT_EQ(FileDataOutsideImage, -6);
}

TEST_F(LoadFirmwareFile, WithoutEndOfFileLine) {
    const std::string data = hexw::line(0, 0, {1, 2});
    EXPECT_EQ(load(data), FileEndedEarly) << "the file ends inside the last line";
    EXPECT_EQ(load(data + "\n"), FileBadLine) << "the read after the last line break yields nothing";
}

TEST_F(LoadFirmwareFile, EmptyFile) { EXPECT_EQ(load(""), FileBadLine); }

TEST_F(LoadFirmwareFile, BlankLineFails) {
    EXPECT_EQ(load(hexw::line(0, 0, {1, 2}) + "\n\n" + hexw::EndOfFile + "\n"), FileBadLine);
}

TEST_F(LoadFirmwareFile, LeadingSpacesFail) {
    EXPECT_EQ(load("  " + hexw::line(0, 0, {1, 2}) + "\n" + hexw::EndOfFile + "\n"), FileBadLine);
}

TEST_F(LoadFirmwareFile, BadChecksumFails) {
    EXPECT_EQ(load(":0400100001020304E3\n" + hexw::EndOfFile + "\n"), FileBadLine);
}

TEST_F(LoadFirmwareFile, CrLfAndLfLoadAlike) {
    EXPECT_EQ(load(hexw::line(0, 0, {1, 2}) + "\r\n" + hexw::EndOfFile + "\r\n"), 1);
    EXPECT_EQ(load(hexw::line(0, 0, {1, 2}) + "\n" + hexw::EndOfFile), 1);
}

TEST_F(LoadFirmwareFile, NothingAfterTheEndOfFileLineIsRead) {
    EXPECT_EQ(load(hexw::line(0, 0, {1, 2}) + "\n" + hexw::EndOfFile + "\ngarbage\n:zz\n"), 1);
}

TEST_F(LoadFirmwareFile, LowerCaseLoadsLikeUpperCase) {
    std::string text = hexw::fileOf(hexw::imageBytes(0x1F, 0x35));
    ASSERT_EQ(load(text), 956);
    const FirmwareImage upper = image;
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_EQ(load(text), 956);
    EXPECT_EQ(image, upper);
}

TEST_F(LoadFirmwareFile, SegmentAddressLinesAreSkipped) {
    EXPECT_EQ(load(":020000021000EC\n" + hexw::line(0, 0, {7, 8}) + "\n" + hexw::EndOfFile + "\n"), 1);
    EXPECT_EQ(image[0][2], 7);
}

TEST_F(LoadFirmwareFile, OtherRecordTypesFail) {
    EXPECT_EQ(load(hexw::line(0, 0x03, {0, 0, 0, 0}) + "\n" + hexw::EndOfFile + "\n"), FileBadRecordType);
    EXPECT_EQ(load(hexw::line(0, 0x05, {0, 0, 0, 0}) + "\n" + hexw::EndOfFile + "\n"), FileBadRecordType);
    EXPECT_EQ(load(hexw::line(0, 0x06, {}) + "\n" + hexw::EndOfFile + "\n"), FileBadRecordType);
}

TEST_F(LoadFirmwareFile, OddUpperAddressMovesLaterDataPastTheImageWhereItIsSkipped) {
    // Words from 0x8000 on are beyond the keyer's program memory: the lines
    // put nothing into the image and are not counted.
    for (std::uint8_t upper : std::vector<std::uint8_t>{0x01, 0x03}) {
        EXPECT_EQ(load(hexw::line(0, 0x04, {0x00, upper}) + "\n" + hexw::line(0x0010, 0, {1, 2}) + "\n" +
                       hexw::line(0, 0x04, {0x00, 0x00}) + "\n" + hexw::line(0x0020, 0, {3, 4}) + "\n" +
                       hexw::EndOfFile + "\n"),
                  1)
            << int{upper};
        EXPECT_EQ(recordWord(image[1], 0), 0x3FFF);
        EXPECT_EQ(recordWord(image[2], 0), 0x0403);
    }
}

TEST_F(LoadFirmwareFile, EvenUpperAddressLeavesLaterDataWhereItIs) {
    for (std::vector<std::uint8_t> upper : {std::vector<std::uint8_t>{0x00, 0x00}, {0x01, 0x00}, {0xFF, 0x02}}) {
        ASSERT_EQ(load(hexw::line(0, 0x04, upper) + "\n" + hexw::line(0x0010, 0, {0xAB, 0x12}) + "\n" +
                       hexw::EndOfFile + "\n"),
                  1);
        EXPECT_EQ(recordWordAddress(image[1]), 0x0008);
        EXPECT_EQ(recordWord(image[1], 0), 0x12AB);
    }
}

TEST_F(LoadFirmwareFile, UpperAddressIsResetByEachLoad) {
    ASSERT_EQ(load(hexw::line(0, 0x04, {0x00, 0x01}) + "\n" + hexw::EndOfFile + "\n"), 0);
    EXPECT_EQ(load(hexw::line(0x0010, 0, {1, 2}) + "\n" + hexw::EndOfFile + "\n"), 1);
}

TEST_F(LoadFirmwareFile, UpperAddressLineWithoutItsBytesFails) {
    EXPECT_EQ(load(hexw::line(0, 0x04, {0x01}) + "\n" + hexw::EndOfFile + "\n"), FileBadLine);
}

TEST_F(LoadFirmwareFile, LineAtByteAddress0x10FillsRecordOne) {
    std::vector<std::uint8_t> data;
    for (std::uint8_t k = 0; k < 16; ++k) data.push_back(static_cast<std::uint8_t>(0xA0 + k));
    ASSERT_EQ(load(hexw::line(0x0010, 0, data) + "\n" + hexw::EndOfFile + "\n"), 1);
    EXPECT_EQ(recordWordAddress(image[1]), 0x0008);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), image[1].begin() + 2));
    // Nothing else moved.
    FirmwareImage blank{};
    blankImage(blank);
    for (std::size_t r = 0; r < ImageRecordCount; ++r) {
        if (r == 1) continue;
        EXPECT_EQ(image[r], blank[r]) << r;
    }
}

TEST_F(LoadFirmwareFile, LineOffARecordBoundaryReaddressesItsRecord) {
    // Byte address 0x0014 is word 0x000A, inside record 1: the record takes
    // that address and the data from its first word on.
    ASSERT_EQ(load(hexw::line(0x0014, 0, {0x11, 0x22, 0x33, 0x44}) + "\n" + hexw::EndOfFile + "\n"), 1);
    EXPECT_EQ(recordWordAddress(image[1]), 0x000A);
    EXPECT_EQ(recordWord(image[1], 0), 0x2211);
    EXPECT_EQ(recordWord(image[1], 1), 0x4433);
    EXPECT_EQ(recordWord(image[1], 2), 0x3FFF);
}

TEST_F(LoadFirmwareFile, UncoveredWordsStayErased) {
    ASSERT_EQ(load(hexw::line(0x0020, 0, {0x01, 0x02}) + "\n" + hexw::EndOfFile + "\n"), 1);
    EXPECT_EQ(recordWord(image[2], 0), 0x0201);
    for (std::size_t k = 1; k < 8; ++k) EXPECT_EQ(recordWord(image[2], k), 0x3FFF);
    for (std::size_t r : {0u, 1u, 3u, 1023u}) {
        EXPECT_EQ(recordWordAddress(image[r]), r * 8);
        for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(recordWord(image[r], k), 0x3FFF);
    }
}

TEST_F(LoadFirmwareFile, EachLoadStartsFromABlankImage) {
    ASSERT_EQ(load(hexw::fileOf(hexw::imageBytes(1, 2))), 956);
    ASSERT_EQ(load(hexw::line(0, 0, {9, 9}) + "\n" + hexw::EndOfFile + "\n"), 1);
    EXPECT_EQ(recordWord(image[0], 1), 0x3FFF);
    EXPECT_EQ(recordWord(image[500], 0), 0x3FFF);
}

TEST_F(LoadFirmwareFile, DataFromWord0x2000OnIsSkippedUncounted) {
    // Byte address 0x3FF0 is word 0x1FF8, record 1023: the last one there is.
    const std::vector<std::uint8_t> data(16, 0x42);
    EXPECT_EQ(load(hexw::line(0x3FF0, 0, data) + "\n" + hexw::EndOfFile + "\n"), 1);
    EXPECT_EQ(recordWord(image[1023], 7), 0x4242);
    FirmwareImage blank{};
    blankImage(blank);
    for (std::uint16_t address : std::vector<std::uint16_t>{0x4000, 0x400E, 0x4200, 0xFFFE}) {
        EXPECT_EQ(load(hexw::line(address, 0, {1, 2}) + "\n" + hexw::EndOfFile + "\n"), 0) << address;
        EXPECT_EQ(image, blank) << address;
    }
    EXPECT_EQ(load(hexw::line(0xFFFE, 0, {}) + "\n" + hexw::EndOfFile + "\n"), 0)
        << "a line without data there re-addresses no record";
    EXPECT_EQ(image, blank);
}

TEST_F(LoadFirmwareFile, LineRunningPastTheLastWordFails) {
    // Word 0x1FF9 and eight words after it would reach word 0x2000.
    EXPECT_EQ(load(hexw::line(0x3FF2, 0, std::vector<std::uint8_t>(16, 1)) + "\n" + hexw::EndOfFile + "\n"),
              FileDataOutsideImage);
    EXPECT_EQ(load(hexw::line(0x3FFE, 0, {1, 2, 3}) + "\n" + hexw::EndOfFile + "\n"), FileDataOutsideImage);
    EXPECT_EQ(load(hexw::line(0x3FFF, 0, {1, 2}) + "\n" + hexw::EndOfFile + "\n"), FileDataOutsideImage);
    EXPECT_EQ(load(hexw::line(0x3FFE, 0, {1, 2}) + "\n" + hexw::EndOfFile + "\n"), 1) << "ends on the last word";
}

TEST_F(LoadFirmwareFile, ToolChainFileWithIdConfigurationAndEepromLoadsLikeTheProgramAlone) {
    const std::vector<std::uint8_t> program = hexw::imageBytes(0x1F, 0x35);
    ASSERT_EQ(load(hexw::fileOf(program)), 956);
    const FirmwareImage alone = image;
    EXPECT_EQ(load(hexw::toolChainFileOf(program)), 956) << "the skipped lines are not counted";
    EXPECT_EQ(image, alone);
}

TEST_F(LoadFirmwareFile, MoreThanOneRecordOnALineFails) {
    EXPECT_EQ(load(hexw::line(0x0000, 0, std::vector<std::uint8_t>(17, 1)) + "\n" + hexw::EndOfFile + "\n"),
              FileDataOutsideImage);
    EXPECT_EQ(load(hexw::line(0x3FF0, 0, std::vector<std::uint8_t>(32, 1)) + "\n" + hexw::EndOfFile + "\n"),
              FileDataOutsideImage);
}

TEST_F(LoadFirmwareFile, OverlongLineIsReadInTwoPartsAndFails) {
    // A valid line followed by 1200 characters: the first read takes 999 of
    // them, the rest fails as a line of its own.
    std::string longLine = hexw::line(0, 0, {1, 2}) + std::string(1200, 'F');
    EXPECT_EQ(load(longLine + "\n" + hexw::EndOfFile + "\n"), FileBadLine);
}

TEST_F(LoadFirmwareFile, ProgressFollowsTheLastRecordAndTheLineCount) {
    ASSERT_EQ(load(hexw::line(0x0000, 0, {1}) + "\n" + hexw::line(0x0010, 0, {1}) + "\n" +
                   hexw::line(0x0020, 0, {1}) + "\n" + hexw::EndOfFile + "\n"),
              3);
    // Before each line: the last record index; after each data line: lines / 4.
    EXPECT_EQ(progress, (std::vector<int>{0, 0, 0, 0, 1, 0, 2}));
}

TEST_F(LoadFirmwareFile, StreamLoadMatchesFileLoad) {
    const std::string text = hexw::fileOf(hexw::imageBytes(0x1F, 0x35));
    ASSERT_EQ(load(text), 956);
    const FirmwareImage fromFile = image;
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::rewind(f);
    EXPECT_EQ(loadFirmwareStream(image, nullptr, f), 956);
    std::fclose(f);
    EXPECT_EQ(image, fromFile);
}

TEST_F(LoadFirmwareFile, ObjcopyOutputLoadsWordForWord) {
    std::vector<std::uint8_t> program(ImageRecordCount * ImageRecordDataBytes);
    std::mt19937 random(20240611);
    for (auto& b : program) b = static_cast<std::uint8_t>(random());
    const auto binary = tempDir / "program.raw";
    const auto hex = tempDir / "program.bin";
    writeWholeFile(binary, program);
    const std::string command =
        "objcopy -I binary -O ihex '" + binary.string() + "' '" + hex.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "objcopy is not installed";

    ASSERT_EQ(loadFirmwareFile(image, nullptr, hex.string()), 1024);
    for (std::size_t r = 0; r < ImageRecordCount; ++r) {
        EXPECT_EQ(recordWordAddress(image[r]), r * 8) << r;
        for (std::size_t k = 0; k < 8; ++k) {
            const std::size_t at = r * 16 + 2 * k;
            ASSERT_EQ(recordWord(image[r], k), program[at] | (program[at + 1] << 8)) << r << " word " << k;
        }
    }
}

// --- chooseFirmwareFile ----------------------------------------------------------

class ChooseFirmwareFile : public ProgramTest {};

TEST_F(ChooseFirmwareFile, OffersBinFilesFirst) {
    headless::answerFileDialog(std::string("/keyer/new"));
    std::string path;
    ASSERT_TRUE(chooseFirmwareFile(nullptr, path));
    EXPECT_EQ(path, "/keyer/new.bin");
    ASSERT_EQ(headless::fileDialogs().size(), 1u);
    const headless::FileDialogRecord& d = headless::fileDialogs()[0];
    EXPECT_FALSE(d.save);
    EXPECT_EQ(d.spec.title, "Open");
    ASSERT_EQ(d.spec.filters.size(), 2u);
    EXPECT_EQ(d.spec.filters[0].description, "All files");
    EXPECT_EQ(d.spec.filters[0].pattern, "*.*");
    EXPECT_EQ(d.spec.filters[1].description, "Bin Files");
    EXPECT_EQ(d.spec.filters[1].pattern, "*.bin");
    EXPECT_EQ(d.spec.initialFilter, 2);
    EXPECT_EQ(d.spec.defaultExtension, "bin");
    EXPECT_EQ(d.spec.initialName, "*.bin");
    EXPECT_EQ(d.spec.maxPathChars, 127u);
    EXPECT_TRUE(d.spec.fileMustExist);
}

TEST_F(ChooseFirmwareFile, CancelChoosesNothing) {
    headless::answerFileDialog(std::nullopt);
    std::string path = "unchanged";
    EXPECT_FALSE(chooseFirmwareFile(nullptr, path));
    EXPECT_EQ(path, "unchanged");
}

}  // namespace
