// Test's readings, Read and Write of the record: what the keyer operations
// exchange once the link check has passed on the open port.  Each returns
// the status text the main window shows, so the window and jxtool report
// the same words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/link_check.h"
#include "core/settings/keyer_settings.h"

// Operation status texts.
inline constexpr std::string_view LinkFailedText = ">JX ERR";
inline constexpr std::string_view KeyerAnswersText = ">JX OK";
inline constexpr std::string_view NoFirmwareText = ">JX BAD";  // only the bootloader answers
inline constexpr std::string_view ReadingText = ">Reading";
inline constexpr std::string_view WritingText = "Writing";
inline constexpr std::string_view VerifiedText = "Verified";
inline constexpr std::string_view VerifyFailText = "Verify Fail";

struct KeyerReadings {
    std::string potValue;       // "PotValue: %d"
    std::string pushButtons;    // "PB:%d"; empty on the LYNX, which has none
    std::string supplyVoltage;  // "%.2f Volts"
};
// Test's readings on the open link of a keyer of the variant given.
KeyerReadings readKeyerReadings(KeyerLink& link, KeyerVariant variant);

struct TransferResult {
    bool ok = false;
    std::string_view status;  // ">Done" / ">Read Fail", "Done" / "Write Fail"
};

// The memory image and the extension block into `record`, which changes
// only when all 288 + 12 bytes arrived.
TransferResult readRecordFromKeyer(KeyerLink& link, KeyerSettings& record);
// The extension block, then the image, then the wait until the bytes have
// left the line and `settleMs` more while the keyer stores them.
inline constexpr int WriteSettleMs = 3000;
TransferResult writeRecordToKeyer(KeyerLink& link, const KeyerSettings& record, int settleMs = WriteSettleMs);

struct VerifyResult {
    bool ok = false;
    std::string_view status;  // "Verified" / "Verify Fail"
    // Why not: the fields and bytes that differ (recordDifferences of the
    // record sent and the one read back), or ">Read Fail" when the record
    // did not come back whole.
    std::vector<std::string> differences;
};
// After a Write on the same link: reads the record back as Read does (the
// image, then the extension block) and compares all 300 bytes with `sent`.
VerifyResult verifyRecordOnKeyer(KeyerLink& link, const KeyerSettings& sent);
