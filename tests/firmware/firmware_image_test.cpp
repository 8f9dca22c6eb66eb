// The image layout, the blank image and the identity an image carries.
#include <gtest/gtest.h>

#include <ostream>

#include "core/firmware/firmware_image.h"
#include "core/firmware/upload_checks.h"
#include "core/firmware/upload_worker.h"
#include "dialogs/uploader_dialog.h"

namespace {

FirmwareImage imageWithIdentity(std::uint8_t rawVersion, std::uint8_t rawCode) {
    FirmwareImage image{};
    blankImage(image);
    image[0][8] = rawVersion;  // data byte 6: low byte of word 3
    image[0][9] = rawCode;     // data byte 7: its high byte
    return image;
}

TEST(FirmwareImage, BlankImageAddressesEveryRecordAndErasesEveryWord) {
    FirmwareImage image{};
    image[7].fill(0x11);
    blankImage(image);
    for (std::size_t r = 0; r < ImageRecordCount; ++r) {
        EXPECT_EQ(image[r][0], (r * 8) >> 8) << r;
        EXPECT_EQ(image[r][1], (r * 8) & 0xFF) << r;
        for (std::size_t b = 2; b < ImageRecordSize; b += 2) {
            ASSERT_EQ(image[r][b], 0xFF);
            ASSERT_EQ(image[r][b + 1], 0x3F);
        }
    }
    EXPECT_EQ(recordWordAddress(image[1023]), 0x1FF8);
}

struct IdentityCase {
    std::uint8_t rawVersion;
    std::uint8_t rawCode;
    std::uint8_t version;
    std::uint8_t code;
    const char* message;
};

void PrintTo(const IdentityCase& c, std::ostream* os) {
    *os << std::hex << "raw " << int(c.rawVersion) << " " << int(c.rawCode);
}

class ReadImageIdentity : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(ReadImageIdentity, AdjustsTheRawBytesAndComposesTheLoadMessage) {
    const IdentityCase& c = GetParam();
    std::string message = "stale text";
    const ImageIdentity id = readImageIdentity(imageWithIdentity(c.rawVersion, c.rawCode), 956, message);
    EXPECT_EQ(id.version, c.version);
    EXPECT_EQ(id.icCode, c.code);
    EXPECT_EQ(message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ReadImageIdentity,
    ::testing::Values(
        IdentityCase{0x1F, 0x35, 31, 53, "JX PIKE Version: 31.03 Loaded, 956 Records"},
        // 0x99 is above 99, so the two bytes were stored the other way round.
        IdentityCase{0x99, 0x1F, 31, 153, "JX LYNX Version: 31.03 Loaded, 956 Records"},
        IdentityCase{0x35, 0x1F, 53, 31, "JX IBEX Version: 53.31 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x30, 31, 50, "JX PIKE Version: 31.00 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x32, 31, 48, "JX IBEX Version: 31.48 Loaded, 956 Records"},
        IdentityCase{0x32, 0x01, 48, 1, "JX IBEX Version: 48.01 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x6E, 31, 110, "JX TERN Version: 31.10 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x00, 31, 0, "JX IBEX Version: 31.00 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x31, 31, 49, "JX IBEX Version: 31.49 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x63, 31, 99, "JX PIKE Version: 31.49 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x64, 31, 100, "JX TERN Version: 31.00 Loaded, 956 Records"},
        IdentityCase{0x95, 0x20, 32, 149, "JX TERN Version: 32.49 Loaded, 956 Records"},
        IdentityCase{0x1F, 0x96, 31, 150, "JX LYNX Version: 31.00 Loaded, 956 Records"},
        IdentityCase{0x1F, 0xC7, 31, 199, "JX LYNX Version: 31.49 Loaded, 956 Records"},
        // A code of 200 or more names no variant: the code itself is shown.
        IdentityCase{0x1F, 0xC8, 31, 200, "JX Unknown IC (200) Version: 31 Loaded, 956 Records"},
        // A blank image: 0xFF is above 99, so the bytes are exchanged.
        IdentityCase{0xFF, 0x3F, 63, 255, "JX Unknown IC (255) Version: 63 Loaded, 956 Records"}));

TEST(ImageVariant, ByCode) {
    EXPECT_EQ(imageVariant(0), ImageVariant::Ibex);
    EXPECT_EQ(imageVariant(49), ImageVariant::Ibex);
    EXPECT_EQ(imageVariant(50), ImageVariant::Pike);
    EXPECT_EQ(imageVariant(99), ImageVariant::Pike);
    EXPECT_EQ(imageVariant(100), ImageVariant::Tern);
    EXPECT_EQ(imageVariant(149), ImageVariant::Tern);
    EXPECT_EQ(imageVariant(150), ImageVariant::Lynx);
    EXPECT_EQ(imageVariant(199), ImageVariant::Lynx);
    EXPECT_EQ(imageVariant(200), ImageVariant::Unknown);
    EXPECT_EQ(imageVariant(255), ImageVariant::Unknown);
}

TEST(ReadImageIdentityCount, ShowsTheRecordCount) {
    std::string message;
    readImageIdentity(imageWithIdentity(0x1F, 0x35), 1, message);
    EXPECT_EQ(message, "JX PIKE Version: 31.03 Loaded, 1 Records");
}

// --- Record frames and the log line -------------------------------------------

TEST(RecordFrame, CommandThenTheRecordThenAChecksum) {
    FirmwareImage image{};
    blankImage(image);
    const RecordFrame frame = buildRecordFrame(WriteRecordCommand, image[4]);
    const RecordFrame expected{0x1B, 0x00, 0x20, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F,
                               0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xD5};
    EXPECT_EQ(frame, expected);
}

TEST(RecordFrame, EveryFrameSumsToZero) {
    ImageRecord record{};
    unsigned x = 7;
    for (int n = 0; n < 2000; ++n) {
        for (auto& b : record) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
        for (std::uint8_t command : {WriteRecordCommand, WriteLastRecordCommand}) {
            const RecordFrame frame = buildRecordFrame(command, record);
            unsigned sum = 0;
            for (std::uint8_t b : frame) sum += b;
            ASSERT_EQ(sum % 256, 0u);
            ASSERT_EQ(frame[0], command);
            ASSERT_TRUE(std::equal(record.begin(), record.end(), frame.begin() + 1));
        }
    }
}

TEST(RecordFrame, ChecksumOfAFrameThatAlreadySumsToZeroIsZero) {
    ImageRecord record{};
    record[0] = 0xE5;  // 0x1B + 0xE5 = 0x100
    EXPECT_EQ(buildRecordFrame(WriteRecordCommand, record)[19], 0x00);
}

TEST(RecordLogLine, BlankRecordFourAccepted) {
    FirmwareImage image{};
    blankImage(image);
    const std::string line = recordLogLine(image[4], RecordAccepted);
    EXPECT_EQ(line, "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
    EXPECT_EQ(line.size(), 51u);
}

TEST(RecordLogLine, WordsLowByteFirstAndTheReply) {
    ImageRecord r{0x1F, 0xF8, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                  0x09, 0x0A, 0xAB, 0xCD, 0xEF, 0x10, 0x00, 0x3F};
    EXPECT_EQ(recordLogLine(r, ReplyTimeout), "1ff8 - 0102 0304 0506 0708 090a abcd ef10 003f 84\r\n");
}

// --- The dialog's tables ------------------------------------------------------

TEST(UploadResultMessage, ByCode) {
    EXPECT_EQ(uploadResultMessage(0x88), "Upload Completed Successfully");
    EXPECT_EQ(uploadResultMessage(0x80), "Error: SOF Error !");
    EXPECT_EQ(uploadResultMessage(0x81), "Error: Checksum !");
    EXPECT_EQ(uploadResultMessage(0x82), "Error: Flash Verify !");
    EXPECT_EQ(uploadResultMessage(0x84), "Error: VEDAR Timeout !");
    EXPECT_EQ(uploadResultMessage(0x89), "Error: VEDAR Sync !");
    for (int other : {0x00, 0x3C, 0x83, 0x85, 0x8A, 0x8B, 0xFF})
        EXPECT_EQ(uploadResultMessage(other), "Error: Restart failed !") << other;
}

TEST(UploadResultCodes, KeepTheirValues) {
    EXPECT_EQ(RecordAccepted, 0x3C);
    EXPECT_EQ(SofError, 0x80);
    EXPECT_EQ(ChecksumError, 0x81);
    EXPECT_EQ(FlashVerifyError, 0x82);
    EXPECT_EQ(ReplyTimeout, 0x84);
    EXPECT_EQ(UploadComplete, 0x88);
    EXPECT_EQ(SyncError, 0x89);
    EXPECT_EQ(PortSpeedFailed, 0x8A);
    EXPECT_EQ(SyncReplyMismatch, 0x8B);
}

struct CompatibilityCell {
    std::uint8_t icType;
    std::uint8_t imageCode;
    const char* refusal;  // nullptr: accepted
};

void PrintTo(const CompatibilityCell& c, std::ostream* os) {
    *os << "icType " << int(c.icType) << ", image code " << int(c.imageCode);
}

constexpr const char* Ok = nullptr;

class Compatibility : public ::testing::TestWithParam<CompatibilityCell> {};

TEST_P(Compatibility, Cell) {
    const CompatibilityCell& c = GetParam();
    const CompatibilityVerdict v = checkCompatibility(static_cast<KeyerVariant>(c.icType), c.imageCode);
    if (c.refusal == Ok) {
        EXPECT_TRUE(v.accepted);
        EXPECT_TRUE(v.refusal.empty());
    } else {
        EXPECT_FALSE(v.accepted);
        EXPECT_EQ(v.refusal, c.refusal);
    }
}

// Columns: LYNX (150 and above), TERN (100-149), PIKE (50-99), IBEX (0-49).
INSTANTIATE_TEST_SUITE_P(
    Table, Compatibility,
    ::testing::Values(
        CompatibilityCell{1, 153, "Error: Attempting to program an IBEX JX with a LYNX image !"},
        CompatibilityCell{1, 100, "Error: Attempting to program an IBEX JX with a TERN image !"},
        CompatibilityCell{1, 53, "Error: Attempting to program an IBEX JX with a PIKE image !"},
        CompatibilityCell{1, 3, Ok},
        CompatibilityCell{2, 150, "Error: Attempting to program a PIKE JX with a LYNX image !"},
        CompatibilityCell{2, 149, "Error: Attempting to program a PIKE JX with a TERN image !"},
        CompatibilityCell{2, 53, Ok},
        CompatibilityCell{2, 3, "Error: Attempting to program a PIKE JX with an IBEX image !"},
        CompatibilityCell{3, 255, "Error: Attempting to program a TERN JX with a LYNX image !"},
        CompatibilityCell{3, 120, Ok},
        CompatibilityCell{3, 99, "Error: Attempting to program a TERN JX with a PIKE image !"},
        CompatibilityCell{3, 49, "Error: Attempting to program a TERN JX with an IBEX image !"},
        CompatibilityCell{4, 199, Ok},
        CompatibilityCell{4, 110, "Error: Attempting to program a LYNX JX with a TERN image !"},
        CompatibilityCell{4, 50, "Error: Attempting to program a LYNX JX with a PIKE image !"},
        CompatibilityCell{4, 0, "Error: Attempting to program a LYNX JX with an IBEX image !"},
        CompatibilityCell{5, 150, Ok}, CompatibilityCell{5, 100, Ok}, CompatibilityCell{5, 50, Ok},
        CompatibilityCell{5, 0, Ok},
        CompatibilityCell{0, 150, "Error: Unknown Keyer IC Version !"},
        CompatibilityCell{6, 100, "Error: Unknown Keyer IC Version !"},
        CompatibilityCell{255, 50, "Error: Unknown Keyer IC Version !"},
        CompatibilityCell{0, 0, "Error: Unknown Keyer IC Version !"}));

TEST(CompatibilityColumns, EveryCodeFallsInItsColumn) {
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        const int expectedAcceptingKeyer = code >= 150 ? 4 : code >= 100 ? 3 : code >= 50 ? 2 : 1;
        for (std::uint8_t keyer = 1; keyer <= 4; ++keyer)
            EXPECT_EQ(checkCompatibility(static_cast<KeyerVariant>(keyer), c).accepted, keyer == expectedAcceptingKeyer)
                << "keyer " << int(keyer) << " code " << code;
        EXPECT_TRUE(checkCompatibility(KeyerVariant::BootloaderOnly, c).accepted) << code;
    }
}

}  // namespace
