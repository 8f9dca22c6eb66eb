// The texts of listed ports and what choosing one records.
#include <gtest/gtest.h>

#include <string>

#include "core/link/port_listing.h"

namespace {

struct EntryCase {
    SerialPortEntry entry;
    std::string text;
    std::string recordTarget;
};

TEST(PortListing, EntryTextsAndRecords) {
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0";
    const EntryCase cases[] = {
        {{11, "/dev/ttyUSB0", "FT232R USB UART", byId, true, false}, "com11  /dev/ttyUSB0  FT232R USB UART", byId},
        {{11, "/dev/ttyUSB0", "FT232R USB UART", byId, false, false},
         "com11  /dev/ttyUSB0  FT232R USB UART  (no permission: add yourself to the dialout group)", byId},
        {{1, "/dev/ttyS0", "", "", true, false}, "com1  /dev/ttyS0", ""},
        {{2, "/dev/ttyAMA0", "uart-pl011", "", true, true}, "com2  /dev/ttyAMA0  uart-pl011", "/dev/ttyAMA0"},
        {{7, "/dev/pts/3", "pseudo-terminal", "", true, false}, "com7  /dev/pts/3  pseudo-terminal", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(portEntryText(c.entry), c.text);
        EXPECT_EQ(portRecordTarget(c.entry), c.recordTarget);
    }
}

}  // namespace
