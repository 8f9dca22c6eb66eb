// A keyer that answers whatever the fuzzer says: every byte the host sends
// takes one control byte from the input, which says how many of the next
// input bytes go back (or that the cable is pulled there), so the replies
// have any content, any length and come at any point of an exchange.  The
// link check, Read, Write and a whole upload then run against it on the
// headless serial port and its virtual clock, and must end with one of their
// own results, never touching memory outside their buffers, and Read must
// leave the record as it was unless all of it arrived.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

#include "core/firmware/firmware_image.h"
#include "core/firmware/upload_worker.h"
#include "core/link/keyer_transfers.h"
#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"
#include "dialogs/program_state.h"
#include "platform/headless/headless.h"
#include "sim/keyer_simulator.h"

namespace {

constexpr int FuzzPort = 3;
constexpr std::uint8_t PullCable = 0xFF;

// The input, read front to back as the keyer needs it.
struct ReplyScript {
    std::span<const std::uint8_t> bytes;
    std::size_t next = 0;

    bool done() const { return next >= bytes.size(); }
    std::uint8_t take() { return done() ? 0 : bytes[next++]; }
    std::span<const std::uint8_t> take(std::size_t count) {
        count = std::min(count, bytes.size() - next);
        const auto chunk = bytes.subspan(next, count);
        next += count;
        return chunk;
    }
};

// Control byte: 0x00-0x7F send that many bytes, 0x80-0xFE send eight times
// the low seven bits (a whole 288-byte dump fits in one), 0xFF pulls the cable.
void answer(KeyerSimulator& keyer, ReplyScript& script) {
    if (script.done()) return;  // the keyer has gone quiet
    const std::uint8_t control = script.take();
    if (control == PullCable) {
        keyer.disconnect();
        return;
    }
    const std::size_t length = control < 0x80 ? control : std::size_t{control & 0x7Fu} * 8;
    // Whatever speed the host has set, the keyer answers at it: the bytes
    // arrive as the input has them.
    keyer.setKeyerBaud(keyer.hostBaud());
    keyer.send(script.take(length));
}

bool sameBytes(const KeyerSettings& a, const KeyerSettings& b) {
    return std::memcmp(&a, &b, sizeof(KeyerSettings)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    headless::reset();
    resetProgramState();

    ReplyScript script{std::span<const std::uint8_t>(data, size)};
    // Only the bootloader runs, so the keyer's own firmware answers nothing:
    // every byte of every reply is the input's.
    SimulatedIdentity identity;
    identity.firmwarePresent = false;
    KeyerSimulator keyer(identity);
    keyer.setBootloaderHandler([&script](KeyerSimulator& k, std::uint8_t) { answer(k, script); });
    headless::attachKeyer(FuzzPort, keyer);

    KeyerLink link;
    const LinkCheck check = checkLink(link, "COM3");
    if (check.code != -1 && check.code != BootloaderOnlyCode && check.code != check.identity.firmwareMajor)
        __builtin_trap();
    if (check.status.empty()) __builtin_trap();
    if (!link.portOpen) openPort(link, "COM3");

    KeyerSettings record{};
    for (std::size_t i = 0; i < RecordSize; ++i) recordBytes(record)[i] = static_cast<std::uint8_t>(i * 7);
    const KeyerSettings before = record;
    const TransferResult read = readRecordFromKeyer(link, record);
    if (read.status != (read.ok ? ">Done" : ">Read Fail")) __builtin_trap();
    if (!read.ok && !sameBytes(record, before)) __builtin_trap();

    const TransferResult write = writeRecordToKeyer(link, record, 0);
    if (write.status != (write.ok ? "Done" : "Write Fail")) __builtin_trap();

    // The upload on this thread, as the worker runs it; the image is blank
    // (the worker sends the same records whatever they hold).
    static const auto image = [] {
        auto blank = std::make_shared<FirmwareImage>();
        blankImage(*blank);
        return std::shared_ptr<const FirmwareImage>(blank);
    }();
    Upload upload;
    const int result = runUpload(UploadJob{image, &link, (size & 1) != 0, {}}, upload);
    if (!upload.uploadFinished.load() || upload.uploadResult.load() != result) __builtin_trap();
    if (result == RecordAccepted || result < 0 || result > 0xFF) __builtin_trap();

    closePort(link);
    headless::reset();
    resetProgramState();
    return 0;
}
