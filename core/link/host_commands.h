// The keyer's host commands: a 0x00 prefix, a command code and, for some, one
// parameter byte; each reply has a fixed length known from the command.
#pragma once

#include <array>
#include <cstdint>

#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"

namespace hostcmd {
inline constexpr std::uint8_t Prefix = 0x00;
inline constexpr std::uint8_t EchoTest = 0x04;
inline constexpr std::uint8_t ReadPushButtons = 0x05;
inline constexpr std::uint8_t ReadPotValue = 0x06;
inline constexpr std::uint8_t ReadFirmwareMajor = 0x09;
inline constexpr std::uint8_t DumpImage = 0x0C;
inline constexpr std::uint8_t LoadImage = 0x0D;
inline constexpr std::uint8_t StartFirmwareUpdate = 0x10;
inline constexpr std::uint8_t ReadSupplyVoltage = 0x15;
inline constexpr std::uint8_t ReadFirmwareMinor = 0x17;
inline constexpr std::uint8_t ReadIcType = 0x18;
inline constexpr std::uint8_t ReadExtensionBlock = 0x1A;
inline constexpr std::uint8_t WriteExtensionBlock = 0x1B;

inline constexpr std::uint8_t EchoParameter = 0x55;   // echoed by running firmware
inline constexpr std::uint8_t BootloaderEcho = 0xAA;  // the bootloader's answer instead
inline constexpr std::uint8_t BootloaderKey = 0x9B;   // parameter of StartFirmwareUpdate

inline constexpr std::array<std::uint8_t, 3> EchoTestBytes{Prefix, EchoTest, EchoParameter};
inline constexpr std::array<std::uint8_t, 3> StartFirmwareUpdateBytes{Prefix, StartFirmwareUpdate, BootloaderKey};
}  // namespace hostcmd

// Every command goes out on the link given, which must be open.

// Writes 00 04 55 and reads the one-byte answer; false when none came.  The
// bootloader answers it too, with BootloaderEcho.
bool echoTest(KeyerLink& link, std::uint8_t& reply);
// Each reads one byte into `value`, left as it was when no reply came.
bool readFirmwareMajor(KeyerLink& link, std::uint8_t& value);
bool readFirmwareMinor(KeyerLink& link, std::uint8_t& value);

// One-byte queries: the reply, or 0 when none came.
std::uint8_t readPushButtons(KeyerLink& link);
std::uint8_t readPotValue(KeyerLink& link);
std::uint8_t readSupplyVoltage(KeyerLink& link);
std::uint8_t readIcType(KeyerLink& link);

// The 288-byte memory image into the record; true when all of it arrived.
// Bytes that did not arrive keep their previous contents.
bool dumpImage(KeyerLink& link, KeyerSettings& record);
// Sends 00 0D, then the record's memory image as one block; the result of the block's write.
bool loadImage(KeyerLink& link, const KeyerSettings& record);
// The 12-byte extension block into the record; bytes that did not arrive
// keep their previous contents.  true when all 12 arrived.
bool readExtensionBlock(KeyerLink& link, KeyerSettings& record);
// Sends 00 1B, then the record's extension block as one block; the result of the block's write.
bool writeExtensionBlock(KeyerLink& link, const KeyerSettings& record);
// Sends 00 10 9B: the keyer firmware hands over to its bootloader.  No reply.
bool startFirmwareUpdate(KeyerLink& link);

// Supply voltage from the reading: 26214.4 / reading / 100.  A reading of 0
// (also what a missing reply gives) shows as 0 volts, never as infinity.
double supplyVolts(std::uint8_t reading);
