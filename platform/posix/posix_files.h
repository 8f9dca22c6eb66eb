// Files on a POSIX system, shared by the Linux backends.
#pragma once

#include "platform/files.h"

FileReadResult posixReadFileStart(std::string_view path, std::span<std::uint8_t> dest);
// simulateWriteFailure: the write stops short, as a full disk would make it.
FileWriteStatus posixReplaceFile(std::string_view path, std::span<const std::uint8_t> bytes,
                                 bool simulateWriteFailure = false);
