#include "core/firmware/firmware_image.h"

#include <array>
#include <cstdio>
#include <utility>

namespace {

// The two bytes of the identity word as they sit in record 0.
constexpr std::size_t RawVersionByte = 2 + 6;
constexpr std::size_t RawIcCodeByte = 2 + 7;

// Images store the identity values 0x30 and 0x32 exchanged; the loader
// exchanges them back.
std::uint8_t undoDigitSwap(std::uint8_t value) {
    if (value == 0x30) return 0x32;
    if (value == 0x32) return 0x30;
    return value;
}

struct VariantRow {
    std::uint8_t firstCode;
    const char* loadFormat;
};

// Indexed by ImageVariant: where each variant's codes start, and its load text.
constexpr std::array<VariantRow, 4> variantRows{{
    {0, "JX IBEX Version: %d.%02d Loaded, %d Records"},
    {50, "JX PIKE Version: %d.%02d Loaded, %d Records"},
    {100, "JX TERN Version: %d.%02d Loaded, %d Records"},
    {150, "JX LYNX Version: %d.%02d Loaded, %d Records"},
}};

// Codes from 200 up name no variant, so there is no minor version to show;
// the code itself is shown instead.
constexpr const char* UnknownVariantFormat = "JX Unknown IC (%d) Version: %d Loaded, %d Records";

}  // namespace

void blankImage(FirmwareImage& image) {
    for (std::size_t i = 0; i < ImageRecordCount; ++i) {
        const auto word = static_cast<std::uint16_t>(i * WordsPerRecord);
        ImageRecord& record = image[i];
        record[0] = static_cast<std::uint8_t>(word >> 8);
        record[1] = static_cast<std::uint8_t>(word & 0xFF);
        for (std::size_t b = 2; b < ImageRecordSize; b += 2) {
            record[b] = 0xFF;
            record[b + 1] = 0x3F;
        }
    }
}

std::uint16_t recordWordAddress(const ImageRecord& record) {
    return static_cast<std::uint16_t>((record[0] << 8) | record[1]);
}

std::uint16_t recordWord(const ImageRecord& record, std::size_t k) {
    return static_cast<std::uint16_t>(record[2 + 2 * k] | (record[3 + 2 * k] << 8));
}

ImageVariant imageVariant(std::uint8_t icCode) {
    if (icCode >= 200) return ImageVariant::Unknown;
    return static_cast<ImageVariant>(icCode / 50);
}

ImageIdentity readImageIdentity(const FirmwareImage& image, int recordCount, std::string& loadMessage) {
    ImageIdentity identity;
    identity.version = undoDigitSwap(image[0][RawVersionByte]);
    identity.icCode = undoDigitSwap(image[0][RawIcCodeByte]);
    // A version is never above 99: such an image holds the two bytes the
    // other way round.
    if (identity.version > 99) std::swap(identity.version, identity.icCode);

    std::array<char, 96> text{};
    const ImageVariant variant = imageVariant(identity.icCode);
    if (variant == ImageVariant::Unknown) {
        std::snprintf(text.data(), text.size(), UnknownVariantFormat, identity.icCode, identity.version,
                      recordCount);
    } else {
        const VariantRow& row = variantRows[static_cast<std::size_t>(variant)];
        std::snprintf(text.data(), text.size(), row.loadFormat, identity.version,
                      identity.icCode - row.firstCode, recordCount);
    }
    loadMessage = text.data();
    return identity;
}
