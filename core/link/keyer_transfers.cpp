#include "core/link/keyer_transfers.h"

#include <cstdio>

#include "core/link/host_commands.h"
#include "core/link/transport.h"
#include "platform/threads.h"

namespace {

constexpr std::uint8_t LynxIcType = 4;

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

}  // namespace

LinkCheck reconnectAndCheckLink(std::string_view deviceName) {
    if (portOpen) closePort();
    return checkLink(deviceName);
}

KeyerReadings readKeyerReadings() {
    KeyerReadings readings;
    readings.potValue = format("PotValue: %d", readPotValue());
    if (icType != LynxIcType) readings.pushButtons = format("PB:%d", readPushButtons());
    readings.supplyVoltage = format("%.2f Volts", supplyVolts(readSupplyVoltage()));
    return readings;
}

TransferResult readRecordFromKeyer(KeyerSettings& record) {
    // The record is replaced only by a whole one: a reply cut short (a keyer
    // gone silent, a line hung up) leaves every byte as it was.
    KeyerSettings incoming = record;
    // After a dump cut short the keyer may still be sending the rest, so the
    // extension block is not asked for.
    if (!dumpImage(incoming) || !readExtensionBlock(incoming)) return {false, ">Read Fail"};
    record = incoming;
    return {true, ">Done"};
}

TransferResult writeRecordToKeyer(const KeyerSettings& record, int settleMs) {
    // An extension block cut short leaves the keyer waiting for the rest of
    // it, which the image's first bytes would fill: the image goes only after
    // a whole block.
    bool sent = writeExtensionBlock(record) && loadImage(record);
    // A write may be finished once the device has queued its bytes; the
    // keyer stores the record only after the last has crossed the line, so
    // the settling wait starts then.
    if (sent) sent = drainOutput();
    sleepMs(settleMs);
    return {sent, sent ? "Done" : "Write Fail"};
}
