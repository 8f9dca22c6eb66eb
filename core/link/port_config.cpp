#include "core/link/port_config.h"

#include <array>

std::string makeConfigPath(std::string_view programFile) {
    if (programFile.empty()) return {};
    std::string path(programFile);
    if (auto at = path.find("exe"); at != std::string::npos) {
        path.replace(at, std::string::npos, "cfg");
        return path;
    }
    // No lower-case "exe" (an upper-case name, or a Linux program): keep the
    // configuration beside the program under its own name.
    const auto nameStart = path.find_last_of("\\/");
    const auto dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart + 1);
    if (hasExtension) path.erase(dot);
    return path + ".cfg";
}

ConfiguredPort readConfiguredPort(std::string_view path, std::int32_t current) {
    std::array<std::uint8_t, 4> bytes{};
    const FileReadResult result = path.empty() ? FileReadResult{} : readFileStart(path, bytes);
    if (result.status != FileReadStatus::Ok) return {result.status, 1};
    // A short file replaces only the low-order bytes it holds.
    auto value = static_cast<std::uint32_t>(current);
    for (std::size_t i = 0; i < result.bytesRead; ++i) {
        const unsigned shift = 8 * static_cast<unsigned>(i);
        value = (value & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(bytes[i]) << shift);
    }
    return {FileReadStatus::Ok, static_cast<std::int32_t>(value)};
}

FileWriteStatus writeConfiguredPort(std::string_view path, std::int32_t port) {
    const auto value = static_cast<std::uint32_t>(port);
    const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                            static_cast<std::uint8_t>(value >> 16),
                                            static_cast<std::uint8_t>(value >> 24)};
    return replaceFile(path, bytes);
}
