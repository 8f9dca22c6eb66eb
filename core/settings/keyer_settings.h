// The settings record that mirrors the keyer's memory: two user settings
// sets, the message area, and the extension block.  It is exchanged whole
// with the keyer and with settings files.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <type_traits>

#include "core/settings/message_codec.h"

struct UserSettings {
    std::uint8_t modeReg;
    std::uint8_t favoriteWpm;
    std::uint8_t sidetoneCode;  // 62500 / hertz
    std::uint8_t weight;
    std::uint8_t pttLeadIn;
    std::uint8_t pttTail;
    std::uint8_t potMinWpm;
    std::uint8_t potRangeWpm;   // pot upper limit minus lower limit
    std::uint8_t firstExtension;
    std::uint8_t keyComp;
    std::uint8_t farnsworthWpm;
    std::uint8_t paddleSample;
    std::uint8_t ratio;
    std::uint8_t outputConfig;
    std::uint8_t spacingReg;
    std::uint8_t commandWpm;
};

struct UserExtension {
    std::uint8_t featureFlags;
    std::uint8_t rttyReg1;
    std::uint8_t rttyReg2;
    std::uint8_t sidetoneVolume;
    std::uint8_t serialNumberHigh;  // serial number minus one, big-endian
    std::uint8_t serialNumberLow;
};

inline constexpr std::size_t RecordSize = 300;
inline constexpr std::size_t MemoryImageSize = 288;
inline constexpr std::size_t ExtensionBlockSize = 12;
inline constexpr std::size_t MessageAreaOffset = 32;
inline constexpr std::size_t MessageAreaSize = 256;

struct KeyerSettings {
    UserSettings user1;
    UserSettings user2;
    std::array<std::uint8_t, MessageAreaSize> messageArea;
    UserExtension user1Ext;
    UserExtension user2Ext;
};
static_assert(sizeof(UserSettings) == 16);
static_assert(sizeof(UserExtension) == 6);
static_assert(sizeof(KeyerSettings) == RecordSize, "the record must be exactly the keyer's 300 bytes");

enum class UserSet { User1, User2 };

// A record as its 300 bytes, in the keyer's order: the memory image is the
// first MemoryImageSize of them, the extension block the last
// ExtensionBlockSize.
std::span<std::uint8_t, RecordSize> recordBytes(KeyerSettings& record);
std::span<const std::uint8_t, RecordSize> recordBytes(const KeyerSettings& record);

// One user set of a record and its extension block.
UserSettings& userSetOf(KeyerSettings& record, UserSet set);
const UserSettings& userSetOf(const KeyerSettings& record, UserSet set);
UserExtension& userExtensionOf(KeyerSettings& record, UserSet set);
const UserExtension& userExtensionOf(const KeyerSettings& record, UserSet set);

// What "Reset to Defaults" writes into each user set: Iambic B, speeds 15,
// sidetone code 78 (801 Hz), weight 50, pot 5 to 35, paddle sample 50,
// ratio 50, "Port1, ST, PTT" with hang "1.0 Word".
inline constexpr UserSettings DefaultUserSettings{0x00, 15, 78, 50, 0, 0, 5, 30, 0, 0, 0, 50, 50, 0x07, 0x00, 15};
// ... and into each extension block: no flags, RTTY off, sidetone volume 10,
// serial number 1.
inline constexpr UserExtension DefaultUserExtension{0x00, 0x00, 0x00, 10, 0x00, 0x00};

// std::bit_cast, which the web build's standard library does not have yet.
template <class To, class From>
constexpr To bitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}

// The record of a keyer fresh from the factory: both user sets and both
// extension blocks at their defaults, and an empty message memory (every
// slot empty, the end pointer at the first text byte, the text area 0).
constexpr KeyerSettings factorySettings() {
    KeyerSettings record{DefaultUserSettings, DefaultUserSettings, {}, DefaultUserExtension, DefaultUserExtension};
    record.messageArea[MessageEndOffset] = static_cast<std::uint8_t>(MessageTextOffset);
    return record;
}
// ... as the 300 bytes on the wire and in a settings file.
constexpr std::array<std::uint8_t, RecordSize> factoryRecord() {
    return bitCast<std::array<std::uint8_t, RecordSize>>(factorySettings());
}

// Writes the default values into both user sets and both extension blocks;
// the message area is left alone.
void resetToDefaults(KeyerSettings& record);

// Sets or clears the bits of `mask` in a register.
constexpr void setBits(std::uint8_t& reg, std::uint8_t mask, bool on) {
    reg = static_cast<std::uint8_t>(on ? reg | mask : reg & ~mask);
}
// Replaces the bits of `mask` in a register with those of `value`.
constexpr void setField(std::uint8_t& reg, std::uint8_t mask, std::uint8_t value) {
    reg = static_cast<std::uint8_t>((reg & ~mask) | (value & mask));
}

// modeReg bits.
namespace modeBits {
inline constexpr std::uint8_t paddleWatchdogOff = 0x80;
inline constexpr std::uint8_t keyerModeMask = 0x30;  // 00 Iambic B, 01 Iambic A, 10 Ultimatic, 11 VibroBug
inline constexpr int keyerModeShift = 4;
inline constexpr std::uint8_t swapPaddles = 0x08;
inline constexpr std::uint8_t autoSpace = 0x02;
inline constexpr std::uint8_t ctSpace = 0x01;
}  // namespace modeBits

// outputConfig bits.
namespace outputBits {
inline constexpr std::uint8_t ultimaticPriorityMask = 0xC0;
inline constexpr std::uint8_t priorityDit = 0x80;
inline constexpr std::uint8_t priorityDah = 0x40;
inline constexpr std::uint8_t paddleHangMask = 0x30;
inline constexpr int paddleHangShift = 4;
inline constexpr std::uint8_t outputSelectionMask = 0x0F;
}  // namespace outputBits

// spacingReg bits (user2Active and messageBank2 only mean something in user1).
namespace spacingBits {
inline constexpr std::uint8_t user2Active = 0x80;
inline constexpr std::uint8_t messageBank2 = 0x40;
inline constexpr std::uint8_t tune50 = 0x20;
inline constexpr std::uint8_t letterSpaceAdjustMask = 0x1F;
}  // namespace spacingBits

// featureFlags bits.
namespace featureBits {
inline constexpr std::uint8_t fastCmd = 0x40;
inline constexpr std::uint8_t cutNine = 0x20;
inline constexpr std::uint8_t cutZero = 0x10;
inline constexpr std::uint8_t pdlToneOnly = 0x08;
inline constexpr std::uint8_t so2r = 0x04;
inline constexpr std::uint8_t paddleMute = 0x02;
inline constexpr std::uint8_t faveWpmOff = 0x01;
}  // namespace featureBits
