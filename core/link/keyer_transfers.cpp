#include "core/link/keyer_transfers.h"

#include <algorithm>

#include "core/link/host_commands.h"
#include "core/settings/record_fields.h"
#include "core/text_format.h"
#include "platform/threads.h"

KeyerReadings readKeyerReadings(KeyerLink& link, KeyerVariant variant) {
    KeyerReadings readings;
    readings.potValue = formatText("PotValue: %d", readPotValue(link));
    // The LYNX has no push buttons to read.
    if (variant != KeyerVariant::Lynx) readings.pushButtons = formatText("PB:%d", readPushButtons(link));
    readings.supplyVoltage = formatText("%.2f Volts", supplyVolts(readSupplyVoltage(link)));
    return readings;
}

TransferResult readRecordFromKeyer(KeyerLink& link, KeyerSettings& record) {
    // The record is replaced only by a whole one: a reply cut short (a keyer
    // gone silent, a line hung up) leaves every byte as it was.
    KeyerSettings incoming = record;
    // After a dump cut short the keyer may still be sending the rest, so the
    // extension block is not asked for.
    if (!dumpImage(link, incoming) || !readExtensionBlock(link, incoming)) return {false, ">Read Fail"};
    record = incoming;
    return {true, ">Done"};
}

TransferResult writeRecordToKeyer(KeyerLink& link, const KeyerSettings& record, int settleMs) {
    // An extension block cut short leaves the keyer waiting for the rest of
    // it, which the image's first bytes would fill: the image goes only after
    // a whole block.
    bool sent = writeExtensionBlock(link, record) && loadImage(link, record);
    // A write may be finished once the device has queued its bytes; the
    // keyer stores the record only after the last has crossed the line, so
    // the settling wait starts then.
    if (sent) sent = drainOutput(link);
    sleepMs(settleMs);
    return {sent, sent ? "Done" : "Write Fail"};
}

VerifyResult verifyRecordOnKeyer(KeyerLink& link, const KeyerSettings& sent) {
    KeyerSettings stored = sent;
    const TransferResult read = readRecordFromKeyer(link, stored);
    if (!read.ok) return {false, VerifyFailText, {std::string(read.status)}};
    const auto sentBytes = recordBytes(sent);
    const auto storedBytes = recordBytes(stored);
    if (std::equal(sentBytes.begin(), sentBytes.end(), storedBytes.begin())) return {true, VerifiedText, {}};
    return {false, VerifyFailText, recordDifferences(sent, stored)};
}
