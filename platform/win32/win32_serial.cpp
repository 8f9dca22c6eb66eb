// The serial device on Win32: a COM port opened for overlapped I/O, its line
// settings kept in the driver's own DCB, and every transfer bounded by a wait
// on an event of its own.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/serial.h"
#include "platform/win32/serial_errors.h"

static_assert(win32::ErrorFileNotFound == ERROR_FILE_NOT_FOUND && win32::ErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(win32::ErrorAccessDenied == ERROR_ACCESS_DENIED && win32::ErrorGenFailure == ERROR_GEN_FAILURE);
static_assert(win32::ErrorSharingViolation == ERROR_SHARING_VIOLATION && win32::ErrorSemTimeout == ERROR_SEM_TIMEOUT);
static_assert(win32::ErrorInvalidName == ERROR_INVALID_NAME);

struct SerialDevice {
    HANDLE handle = INVALID_HANDLE_VALUE;
    // The driver's line settings as last read; the fields the link does not
    // name (flow control, error characters, XON/XOFF limits) stay as the
    // driver reported them when the record goes back.
    DCB lineSettings{};
    bool lineSettingsRead = false;
};

namespace {

bool readLineSettings(SerialDevice* device) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!GetCommState(device->handle, &settings)) return false;
    device->lineSettings = settings;
    device->lineSettingsRead = true;
    return true;
}

enum class Direction { Write, Read };

// How long bytes need on the line at the device's speed (10 bits a byte),
// twice over, and a second more: a write still short of that has stopped.
DWORD lineTimeMs(const SerialDevice* device, std::size_t count) {
    const std::uint64_t baud = device->lineSettings.BaudRate ? device->lineSettings.BaudRate : 1200;
    const std::uint64_t ms = static_cast<std::uint64_t>(count) * 10 * 1000 / baud;
    return static_cast<DWORD>(std::min<std::uint64_t>(2 * ms + 1000, 60000));
}

// One transfer: start it on a fresh manual-reset event and wait at most
// waitMs.  Whatever the outcome, the transfer has ended before we return, so
// the system writes nothing into the buffer or the completion record later.
//  - A read still pending when the wait ends is cancelled and awaited; the
//    bytes it took before the cancel are its count.
//  - A write still pending is not cut short: some drivers complete a write
//    only once its bytes have left the line, and those bytes are meant to go.
//    It is awaited for as long as the line needs them and counts what it
//    wrote by then; it is cancelled only if it is still stuck then.
std::size_t transfer(SerialDevice* device, Direction direction, void* buffer, std::size_t count, int waitMs) {
    if (!device || device->handle == INVALID_HANDLE_VALUE || count == 0) return 0;
    OVERLAPPED completion{};
    completion.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!completion.hEvent) return 0;

    const auto size = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
    DWORD moved = 0;
    const BOOL finished = direction == Direction::Write
                              ? WriteFile(device->handle, buffer, size, &moved, &completion)
                              : ReadFile(device->handle, buffer, size, &moved, &completion);
    std::size_t result = 0;
    if (finished) {
        result = moved;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        const DWORD waited = WaitForSingleObject(completion.hEvent, static_cast<DWORD>(std::max(waitMs, 0)));
        if (waited == WAIT_OBJECT_0) {
            if (GetOverlappedResult(device->handle, &completion, &moved, FALSE)) result = moved;
        } else if (direction == Direction::Read) {
            CancelIoEx(device->handle, &completion);
            moved = 0;
            GetOverlappedResult(device->handle, &completion, &moved, TRUE);
            result = moved;
        } else {
            if (WaitForSingleObject(completion.hEvent, lineTimeMs(device, count)) != WAIT_OBJECT_0)
                CancelIoEx(device->handle, &completion);
            // A cancelled write reports the bytes it had passed on before the cancel.
            moved = 0;
            GetOverlappedResult(device->handle, &completion, &moved, TRUE);
            result = moved;
        }
    }
    CloseHandle(completion.hEvent);
    return result;
}

}  // namespace

SerialOpenStatus serialOpen(std::string_view deviceName, SerialDevice** device) {
    *device = nullptr;
    const std::string name(deviceName);
    const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return win32::serialStatusFromError(GetLastError());
    *device = new SerialDevice;
    (*device)->handle = handle;
    return SerialOpenStatus::Opened;
}

bool serialGetSettings(SerialDevice* device, SerialLineSettings& settings) {
    if (!device || !readLineSettings(device)) return false;
    const DCB& dcb = device->lineSettings;
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    settings.parity = dcb.Parity;
    settings.stopBits = dcb.StopBits;
    settings.dtrEnable = dcb.fDtrControl == DTR_CONTROL_ENABLE;
    settings.rtsEnable = dcb.fRtsControl == RTS_CONTROL_ENABLE;
    settings.dsrSensitivity = dcb.fDsrSensitivity != 0;
    settings.outX = dcb.fOutX != 0;
    settings.inX = dcb.fInX != 0;
    settings.discardNull = dcb.fNull != 0;
    return true;
}

bool serialSetSettings(SerialDevice* device, const SerialLineSettings& settings) {
    if (!device) return false;
    // Settings applied before any were read still start from the driver's.
    if (!device->lineSettingsRead && !readLineSettings(device)) return false;
    DCB& dcb = device->lineSettings;
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = settings.parity;
    dcb.StopBits = settings.stopBits;
    dcb.fDtrControl = settings.dtrEnable ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = settings.rtsEnable ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = settings.dsrSensitivity;
    dcb.fOutX = settings.outX;
    dcb.fInX = settings.inX;
    dcb.fNull = settings.discardNull;
    return SetCommState(device->handle, &dcb) != FALSE;
}

bool serialSetTimeouts(SerialDevice* device, const SerialTimeouts& timeouts) {
    if (!device) return false;
    COMMTIMEOUTS limits{};
    limits.ReadIntervalTimeout = timeouts.readIntervalMs;
    limits.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplierMs;
    limits.ReadTotalTimeoutConstant = timeouts.readTotalConstantMs;
    limits.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplierMs;
    limits.WriteTotalTimeoutConstant = timeouts.writeTotalConstantMs;
    return SetCommTimeouts(device->handle, &limits) != FALSE;
}

bool serialPurgeReceive(SerialDevice* device) {
    // Only what has arrived and not been read goes; the output queue and any
    // pending transfer stay.
    return device && PurgeComm(device->handle, PURGE_RXCLEAR) != FALSE;
}

std::size_t serialWrite(SerialDevice* device, std::span<const std::uint8_t> bytes, int waitMs) {
    // WriteFile takes a const buffer; the cast only meets the shared helper.
    return transfer(device, Direction::Write, const_cast<std::uint8_t*>(bytes.data()), bytes.size(), waitMs);
}

bool serialDrain(SerialDevice* device, int waitMs) {
    if (!device || device->handle == INVALID_HANDLE_VALUE) return false;
    // FlushFileBuffers would wait for as long as the line is held up; the
    // driver's count of bytes still to send, watched up to a deadline, cannot
    // hang.  (Reading it also clears the driver's error flags, which nothing
    // here uses.)
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(waitMs, 0));
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(device->handle, &errors, &status)) return false;
        if (status.cbOutQue == 0) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 5)));
    }
}

std::size_t serialRead(SerialDevice* device, std::span<std::uint8_t> buffer, int waitMs) {
    return transfer(device, Direction::Read, buffer.data(), buffer.size(), waitMs);
}

void serialClose(SerialDevice* device) {
    if (!device) return;
    if (device->handle != INVALID_HANDLE_VALUE) CloseHandle(device->handle);
    delete device;
}

SerialOpenStatus serialProbe(std::string_view deviceName) {
    const std::string name(deviceName);
    const HANDLE handle =
        CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return win32::serialStatusFromError(GetLastError());
    CloseHandle(handle);
    return SerialOpenStatus::Opened;
}

std::string serialDevicePath(std::string_view) { return {}; }

// Windows lists no ports of its own here: the dialog probes COM1 to COM50,
// and a COM number is the device's own name, so there is nothing to record.
bool serialListPorts(std::vector<SerialPortEntry>&) { return false; }
PortRecordStatus serialRecordPort(int, std::string_view) { return PortRecordStatus::Failed; }
