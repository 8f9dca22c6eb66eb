#include "core/settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/files.h"

SettingsFileResult loadSettingsFrom(std::string_view path, KeyerSettings& record) {
    // Read into a copy first: a read that fails midway leaves the record as it was,
    // rather than half one configuration and half another.
    std::array<std::uint8_t, RecordSize> incoming{};
    const FileReadResult result = readFileStart(path, incoming);
    switch (result.status) {
        case FileReadStatus::NotOpened: return {false, "File Not Found"};
        case FileReadStatus::ReadFailed: return {false, "Read Settings file failed."};
        case FileReadStatus::Ok: break;
    }
    // A shorter file replaces only the bytes it holds (a 288-byte memory image
    // keeps the extension block); nothing is validated here.
    const std::size_t count = std::min(result.bytesRead, RecordSize);
    std::copy_n(incoming.begin(), count, recordBytes(record).begin());
    return {true, {}, count};
}

SettingsFileResult saveSettingsTo(std::string_view path, const KeyerSettings& record) {
    // The new content replaces the file only once all of it is on disk, so a
    // full disk never costs the operator the configuration saved there before.
    switch (replaceFile(path, recordBytes(record))) {
        case FileWriteStatus::Ok: return {true, {}};
        case FileWriteStatus::CannotCreate: return {false, "Can't open Settings file for write"};
        case FileWriteStatus::WriteFailed: return {false, "Export Log File Failed."};
    }
    return {false, "Export Log File Failed."};
}
