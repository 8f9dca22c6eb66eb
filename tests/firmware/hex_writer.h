// Writing Intel HEX text for the tests: single lines with their checksum, and
// whole files from program bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/firmware/firmware_image.h"

namespace hexw {

// ":LLAAAATT<data>CC" in upper-case digits.
inline std::string line(std::uint16_t address, std::uint8_t type, const std::vector<std::uint8_t>& data) {
    std::string text = ":";
    char digits[3];
    unsigned sum = 0;
    auto put = [&](unsigned byte) {
        std::snprintf(digits, sizeof digits, "%02X", byte & 0xFF);
        text += digits;
        sum += byte;
    };
    put(static_cast<unsigned>(data.size()));
    put(address >> 8);
    put(address & 0xFF);
    put(type);
    for (std::uint8_t b : data) put(b);
    put((256 - sum % 256) % 256);
    return text;
}

inline const std::string EndOfFile = ":00000001FF";

// Program bytes from byte address 0, 16 to a line, and the end-of-file line.
inline std::string fileOf(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - at);
        text += line(static_cast<std::uint16_t>(at), 0x00,
                     std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                               bytes.begin() + static_cast<std::ptrdiff_t>(at + n))) +
                "\n";
    }
    return text + EndOfFile + "\n";
}

// The same program as the chips' tool chains write it: an upper address
// line first, and after the program the ID locations (words 0x2000-0x2003),
// the configuration word (0x2007) and EEPROM data (0x2100 on), none of which
// the bootloader programs.
inline std::string toolChainFileOf(const std::vector<std::uint8_t>& bytes) {
    const std::string program = fileOf(bytes);
    return line(0, 0x04, {0x00, 0x00}) + "\n" + program.substr(0, program.size() - EndOfFile.size() - 1) +
           line(0x4000, 0x00, {1, 0, 2, 0, 3, 0, 4, 0}) + "\n" + ":02400E00723FFF\n" +
           line(0x4200, 0x00, std::vector<std::uint8_t>(16, 0x5A)) + "\n" + line(0x4210, 0x00, {0x00, 0x11}) +
           "\n" + EndOfFile + "\n";
}

// The program bytes of the records 0 to count-1 of an image, in file order.
inline std::vector<std::uint8_t> programBytes(const FirmwareImage& image, std::size_t count = ImageRecordCount) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t r = 0; r < count; ++r) bytes.insert(bytes.end(), image[r].begin() + 2, image[r].end());
    return bytes;
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// An image whose identity word holds the raw bytes rawVersion, rawCode; the
// rest are pseudo-random words, and 956 records in all (the ones uploaded).
inline std::vector<std::uint8_t> imageBytes(std::uint8_t rawVersion, std::uint8_t rawCode, unsigned seed = 1) {
    std::vector<std::uint8_t> bytes(956 * 16);
    unsigned x = seed * 2654435761u + 12345u;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    bytes[6] = rawVersion;
    bytes[7] = rawCode;
    return bytes;
}

}  // namespace hexw
