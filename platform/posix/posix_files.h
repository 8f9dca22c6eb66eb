// Files on a POSIX system, shared by the Linux backends.
#pragma once

#include <functional>

#include "platform/files.h"

FileReadResult posixReadFileStart(std::string_view path, std::span<std::uint8_t> dest);
// How a descriptor is flushed to the disk (as fsync: 0 or -1).
using FlushToDisk = std::function<int(int fd)>;

// simulateWriteFailure: the write stops short, as a full disk would make it.
// flush: fsync when empty; tests pass their own to see what is flushed when.
FileWriteStatus posixReplaceFile(std::string_view path, std::span<const std::uint8_t> bytes,
                                 bool simulateWriteFailure = false, const FlushToDisk& flush = {});
