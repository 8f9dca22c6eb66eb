// A firmware file that fills every record of the image, 16 data bytes a
// line, as the benchmarks load and upload it.  Program word 3 says PIKE
// 31.02, the variant and version keyer-sim answers with by default, so an
// upload of it is accepted and leaves the keyer as it was.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

inline constexpr unsigned FullImageLines = 1024;

inline std::string writeFullImageFile(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.string().c_str(), "w");
    if (!f) return {};
    for (unsigned record = 0; record < FullImageLines; ++record) {
        const unsigned address = record * 16;
        unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
        std::fprintf(f, ":10%04X00", address);
        for (unsigned k = 0; k < 16; ++k) {
            unsigned byte = (record * 31 + k * 7) & 0xFF;
            if (record == 0 && k == 6) byte = 31;    // version
            if (record == 0 && k == 7) byte = 52;    // PIKE, minor version 2
            sum += byte;
            std::fprintf(f, "%02X", byte);
        }
        std::fprintf(f, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    }
    std::fprintf(f, ":00000001FF\n");
    const bool written = std::fclose(f) == 0;
    return written ? path.string() : std::string();
}
