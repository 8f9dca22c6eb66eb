// The program icon's picture and the Windows icon file made from it.
#include <gtest/gtest.h>

#include "resources/program_icon.h"

namespace {

unsigned le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }

TEST(ProgramIcon, IsABadgeWithTransparentCornersAndAWhiteDit) {
    constexpr int Size = 64;
    const std::vector<std::uint8_t> pixels = drawProgramIcon(Size);
    ASSERT_EQ(pixels.size(), std::size_t{Size * Size * 4});
    auto at = [&](int x, int y, int channel) { return pixels[static_cast<std::size_t>((y * Size + x) * 4 + channel)]; };
    EXPECT_EQ(at(0, 0, 3), 0);
    EXPECT_EQ(at(Size - 1, Size - 1, 3), 0);
    // The dit in the middle is white, the badge above it blue, the bars amber.
    EXPECT_EQ(at(32, 33, 0), 0xff);
    EXPECT_EQ(at(32, 33, 3), 0xff);
    EXPECT_EQ(at(32, 6, 2), 0x79);
    EXPECT_EQ(at(32, 18, 0), 0xf2);
}

TEST(ProgramIcon, TheIconFileHoldsEveryPictureAsTheSystemReadsIt) {
    constexpr int Sizes[] = {16, 256};
    const std::vector<std::uint8_t> file = programIconFile(Sizes);
    EXPECT_EQ(le16(file, 0), 0u);
    EXPECT_EQ(le16(file, 2), 1u);  // an icon
    ASSERT_EQ(le16(file, 4), 2u);
    std::size_t end = 6 + 2 * 16;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const auto size = static_cast<std::size_t>(Sizes[i]);
        EXPECT_EQ(file[entry], size & 0xFF) << "256 is written as 0";
        EXPECT_EQ(le16(file, entry + 6), 32u);
        const std::uint32_t bytes = le32(file, entry + 8), offset = le32(file, entry + 12);
        EXPECT_EQ(offset, end);
        const std::size_t maskRow = (size + 31) / 32 * 4;
        EXPECT_EQ(bytes, 40 + size * size * 4 + size * maskRow);
        end = offset + bytes;
        // The header: twice the height (colour and mask), 32 bits a pixel.
        EXPECT_EQ(le32(file, offset), 40u);
        EXPECT_EQ(le32(file, offset + 8), 2 * size);
        EXPECT_EQ(le16(file, offset + 14), 32u);
        // Rows from the bottom in blue, green, red, alpha; the mask marks the clear corners.
        const std::vector<std::uint8_t> rgba = drawProgramIcon(Sizes[i]);
        const std::size_t topRow = offset + 40 + (size - 1) * size * 4;
        const std::size_t middle = (size / 2 * size + size / 2) * 4;
        const std::size_t middleInFile = offset + 40 + ((size - 1 - size / 2) * size + size / 2) * 4;
        EXPECT_EQ(file.at(topRow + 3), 0);
        EXPECT_EQ(file.at(middleInFile), rgba[middle + 2]);
        EXPECT_EQ(file.at(middleInFile + 2), rgba[middle]);
        EXPECT_EQ(file.at(middleInFile + 3), rgba[middle + 3]);
        const std::size_t mask = offset + 40 + size * size * 4;
        EXPECT_EQ(file.at(mask) & 0x80, 0x80) << "bottom left corner is clear";
        EXPECT_EQ(file.at(mask + (size / 2) * maskRow + size / 16), 0) << "the middle is opaque";
    }
    EXPECT_EQ(file.size(), end);
}

}  // namespace
