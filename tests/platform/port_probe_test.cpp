#include <gtest/gtest.h>

#include "platform/serial.h"
#include "tests/support/test_support.h"

namespace {

class PortProbeTest : public ProgramTest {};

TEST_F(PortProbeTest, AnswersAsToldForBothFormsOfTheName) {
    headless::setPortProbe(3, SerialOpenStatus::Busy);
    headless::setPortProbe(12, SerialOpenStatus::Opened);
    EXPECT_EQ(serialProbe("COM3"), SerialOpenStatus::Busy);
    EXPECT_EQ(serialProbe("\\\\.\\COM3"), SerialOpenStatus::Busy);
    EXPECT_EQ(serialProbe("\\\\.\\COM12"), SerialOpenStatus::Opened);
    EXPECT_EQ(serialProbe("COM4"), SerialOpenStatus::NotFound);
    EXPECT_EQ(serialProbe("COM3X"), SerialOpenStatus::NotFound);
    EXPECT_EQ(serialProbe("LPT3"), SerialOpenStatus::NotFound);
    EXPECT_EQ(serialProbe(""), SerialOpenStatus::NotFound);
    EXPECT_EQ(headless::probedPorts(),
              (std::vector<std::string>{"COM3", "\\\\.\\COM3", "\\\\.\\COM12", "COM4", "COM3X", "LPT3", ""}));
}

TEST_F(PortProbeTest, ResetForgetsThePorts) {
    headless::setPortProbe(1, SerialOpenStatus::Opened);
    serialProbe("COM1");
    headless::reset();
    EXPECT_EQ(serialProbe("COM1"), SerialOpenStatus::NotFound);
    EXPECT_EQ(headless::probedPorts().size(), 1u);
}

}  // namespace
