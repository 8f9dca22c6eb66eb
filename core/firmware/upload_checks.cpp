#include "core/firmware/upload_checks.h"

#include <array>

#include "core/firmware/upload_worker.h"

namespace {

// Which IC variant each image is for, by its IC code: the table's columns.
enum ImageColumn { LynxImage, TernImage, PikeImage, IbexImage };

ImageColumn imageColumn(std::uint8_t code) {
    if (code >= 150) return LynxImage;  // codes from 200 up included: they program into a LYNX keyer
    if (code >= 100) return TernImage;
    if (code >= 50) return PikeImage;
    return IbexImage;
}

constexpr CompatibilityVerdict Accept{true, {}};
constexpr CompatibilityVerdict refuse(std::string_view text) { return {false, text}; }
constexpr CompatibilityVerdict UnknownKeyer = refuse("Error: Unknown Keyer IC Version !");

// Rows: icType 1 IBEX, 2 PIKE, 3 TERN, 4 LYNX, 5 bootloader only, then any
// other value.  Columns: ImageColumn.
constexpr std::array<std::array<CompatibilityVerdict, 4>, 6> compatibilityTable{{
    {{refuse("Error: Attempting to program an IBEX JX with a LYNX image !"),
      refuse("Error: Attempting to program an IBEX JX with a TERN image !"),
      refuse("Error: Attempting to program an IBEX JX with a PIKE image !"), Accept}},
    {{refuse("Error: Attempting to program a PIKE JX with a LYNX image !"),
      refuse("Error: Attempting to program a PIKE JX with a TERN image !"), Accept,
      refuse("Error: Attempting to program a PIKE JX with an IBEX image !")}},
    {{refuse("Error: Attempting to program a TERN JX with a LYNX image !"), Accept,
      refuse("Error: Attempting to program a TERN JX with a PIKE image !"),
      refuse("Error: Attempting to program a TERN JX with an IBEX image !")}},
    {{Accept, refuse("Error: Attempting to program a LYNX JX with a TERN image !"),
      refuse("Error: Attempting to program a LYNX JX with a PIKE image !"),
      refuse("Error: Attempting to program a LYNX JX with an IBEX image !")}},
    // A keyer without firmware takes any image: there is nothing to check it against.
    {{Accept, Accept, Accept, Accept}},
    {{UnknownKeyer, UnknownKeyer, UnknownKeyer, UnknownKeyer}},
}};

struct ResultText {
    int code;
    std::string_view text;
};
constexpr std::array<ResultText, 6> resultTexts{{
    {UploadComplete, "Upload Completed Successfully"},
    {SofError, "Error: SOF Error !"},
    {ChecksumError, "Error: Checksum !"},
    {FlashVerifyError, "Error: Flash Verify !"},
    {ReplyTimeout, "Error: VEDAR Timeout !"},
    {SyncError, "Error: VEDAR Sync !"},
}};
constexpr std::string_view OtherResultText = "Error: Restart failed !";

}  // namespace

UploadStart checkUploadMayStart(bool imageLoaded, int recordCount, std::uint8_t imageIcCode, KeyerLink& link,
                                std::string_view deviceName, const KeyerIdentity& known) {
    UploadStart start;
    if (!imageLoaded) {
        start.refusal = "Error: Please Open a Programming File !";
        return start;
    }
    if (recordCount <= 0) {
        start.refusal = "Error: Zero Length File !";
        return start;
    }
    start.check = reconnectAndCheckLink(link, deviceName, known);
    start.linkChecked = true;
    if (start.check.code < 0) {
        start.refusal = "JX not connected";
        start.refusalInMessageBox = true;
        return start;
    }
    const KeyerVariant keyer = start.check.identity.variant;
    const CompatibilityVerdict verdict = checkCompatibility(keyer, imageIcCode);
    if (!verdict.accepted) {
        start.refusal = verdict.refusal;
        return start;
    }
    start.mayStart = true;
    start.recoveryMode = keyer == KeyerVariant::BootloaderOnly;
    start.programmingText = start.recoveryMode ? "Programming VEDAR in Recovery mode...." : "Programming VEDAR....";
    return start;
}

CompatibilityVerdict checkCompatibility(KeyerVariant keyer, std::uint8_t imageIcCode) {
    const auto code = static_cast<std::size_t>(keyer);
    const std::size_t row = (code >= 1 && code <= 5) ? code - 1u : 5u;
    return compatibilityTable[row][imageColumn(imageIcCode)];
}

std::string_view uploadResultMessage(int code) {
    for (const ResultText& r : resultTexts)
        if (r.code == code) return r.text;
    return OtherResultText;
}
