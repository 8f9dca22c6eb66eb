#include "sim/keyer_bootloader.h"

#include <array>

namespace sim {

namespace {

void bootloaderByte(Bootloader& boot, KeyerSimulator& keyer, std::uint8_t byte) {
    // The keyer came here from its firmware, or has nothing else to run.
    if (!boot.running()) boot.start();

    // The keyer garbles bytes sent at another speed than its own before they
    // get here, so the model takes every byte at its own speed.
    const std::array<std::uint8_t, 1> one{byte};
    const std::vector<std::uint8_t> answers = boot.receive(one, boot.lineSpeed());
    keyer.setKeyerBaud(boot.lineSpeed());
    keyer.send(answers);

    // A keyer that drops off the line pulls its cable: a line server hangs up.
    if (boot.disconnected()) keyer.pullCable();
    // A keyer whose upload broke off comes back in its bootloader after a reset.
    keyer.identity().firmwarePresent = boot.firmwareValid();

    if (!boot.running()) {
        if (boot.programmed()) {
            const FirmwareIdentity id = boot.identity();
            keyer.identity().firmwareMajor = id.major;
            keyer.identity().firmwareMinorByte = id.minorByte;
            keyer.identity().icType = id.icType;
            keyer.firmwareReplaced();
        }
        keyer.startFirmware();
    }
}

}  // namespace

std::shared_ptr<Bootloader> attachBootloader(KeyerSimulator& keyer) {
    auto boot = std::make_shared<Bootloader>(keyer.identity().firmwarePresent);
    keyer.setBootloaderHandler(
        [boot](KeyerSimulator& k, std::uint8_t byte) { bootloaderByte(*boot, k, byte); });
    return boot;
}

void powerCycle(KeyerSimulator& keyer, Bootloader& bootloader) {
    bootloader.powerCycle();
    keyer.identity().firmwarePresent = bootloader.firmwareValid();
    if (bootloader.running()) {
        keyer.enterBootloader();
        keyer.setKeyerBaud(bootloader.lineSpeed());
    } else {
        keyer.startFirmware();
    }
}

}  // namespace sim
