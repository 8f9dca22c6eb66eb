// The keyer's program memory as the uploader holds it: 1024 records of eight
// 14-bit program words, each record kept in the byte order of its frame on
// the wire, and the identity (version, IC variant) that an image carries in
// program word 3.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Record i holds the words at word addresses 8i to 8i+7: bytes 0 and 1 are
// its word address, high byte first; bytes 2 to 17 the eight words, each low
// byte first.
inline constexpr std::size_t ImageRecordCount = 1024;
inline constexpr std::size_t ImageRecordSize = 18;
inline constexpr std::size_t ImageRecordDataBytes = 16;
inline constexpr std::size_t WordsPerRecord = 8;
inline constexpr std::uint32_t ImageWordCount = ImageRecordCount * WordsPerRecord;  // word addresses 0 to 0x1FFF

using ImageRecord = std::array<std::uint8_t, ImageRecordSize>;
using FirmwareImage = std::array<ImageRecord, ImageRecordCount>;
static_assert(sizeof(FirmwareImage) == 18432);

// Every record at its own address, every word erased flash (0x3FFF).
void blankImage(FirmwareImage& image);

// The word address a record carries (it may differ from 8 x its index when a
// file line re-addressed it).
std::uint16_t recordWordAddress(const ImageRecord& record);
// Program word k (0 to 7) of a record.
std::uint16_t recordWord(const ImageRecord& record, std::size_t k);

// What an image says it is: its firmware version and its IC code, which
// holds the IC variant and the minor version at once (0-49 IBEX, 50-99 PIKE,
// 100-149 TERN, 150-199 LYNX, the minor version being the rest).
struct ImageIdentity {
    std::uint8_t version = 0;
    std::uint8_t icCode = 0;
};

enum class ImageVariant { Ibex, Pike, Tern, Lynx, Unknown };

ImageVariant imageVariant(std::uint8_t icCode);

// Reads the identity from program word 3 (record 0, data bytes 6 and 7) with
// the build tools' quirks undone, and composes the status text that the
// uploader shows after a load of recordCount lines.
ImageIdentity readImageIdentity(const FirmwareImage& image, int recordCount, std::string& loadMessage);
