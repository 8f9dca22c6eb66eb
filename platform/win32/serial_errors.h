// How a failed CreateFileA on a COM device is read.  Plain C++ with the Win32
// values (win32_serial.cpp checks them against <windows.h>), so it is tested
// on any host.
#pragma once

#include <cstdint>

#include "platform/serial.h"

namespace win32 {

// GetLastError codes that tell whether a COM port exists.
inline constexpr std::uint32_t ErrorFileNotFound = 2;
inline constexpr std::uint32_t ErrorPathNotFound = 3;
inline constexpr std::uint32_t ErrorAccessDenied = 5;
inline constexpr std::uint32_t ErrorGenFailure = 31;
inline constexpr std::uint32_t ErrorSharingViolation = 32;
inline constexpr std::uint32_t ErrorSemTimeout = 121;
inline constexpr std::uint32_t ErrorInvalidName = 123;

constexpr SerialOpenStatus serialStatusFromError(std::uint32_t lastError) {
    switch (lastError) {
        case ErrorAccessDenied:
            return SerialOpenStatus::AccessDenied;
        case ErrorGenFailure:
            return SerialOpenStatus::DeviceFault;
        case ErrorSharingViolation:
            return SerialOpenStatus::Busy;
        case ErrorSemTimeout:
            return SerialOpenStatus::TimedOut;
        case ErrorFileNotFound:
        case ErrorPathNotFound:
        case ErrorInvalidName:
            return SerialOpenStatus::NotFound;
        default:
            return SerialOpenStatus::OtherError;
    }
}

}  // namespace win32
