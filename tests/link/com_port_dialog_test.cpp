#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/link/transport.h"
#include "dialogs/com_port_dialog.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace comport;

namespace {

class ComPortDialogTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        configPath = configFile().string();
    }

    std::filesystem::path configFile() const { return tempDir / "keyer.cfg"; }

    // What the dialog showed when it opened.
    std::vector<std::string> entries;
    int selection = -2;
    std::string text;

    // "Set Com Port" on the main window, with the dialog doing script.
    Window setComPort(std::function<void(Window)> script) {
        Window w = openMainWindow();
        headless::scriptDialog(dlg::ComPortSetup, [this, script](Window d) {
            entries = d->entries(PortList);
            selection = d->selection(PortList);
            text = d->text(PortList);
            script(d);
        });
        EXPECT_TRUE(w->click(mainwin::SetComPortButton));
        EXPECT_EQ(headless::modalRuns(), std::vector<int>{dlg::ComPortSetup});
        return w;
    }
};

TEST_F(ComPortDialogTest, ListsThePresentPortsAndSelectsThePortInUse) {
    for (int n : {1, 3, 12}) headless::setPortProbe(n, SerialOpenStatus::Opened);
    comPortNumber = 3;
    setComPort([](Window d) { d->click(ExitButton); });
    EXPECT_EQ(entries, (std::vector<std::string>{"com1", "com3", "com12"}));
    EXPECT_EQ(selection, 1);
    EXPECT_EQ(text, "com3");
}

TEST_F(ComPortDialogTest, ProbesComOneToFiftyInOrderByTheirSystemNames) {
    setComPort([](Window d) { d->click(ExitButton); });
    std::vector<std::string> expected;
    for (int n = 1; n <= 9; ++n) expected.push_back("COM" + std::to_string(n));
    for (int n = 10; n <= 50; ++n) expected.push_back("\\\\.\\COM" + std::to_string(n));
    EXPECT_EQ(headless::probedPorts(), expected);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(selection, -1);
}

TEST_F(ComPortDialogTest, OkOnComTwelveStoresItInTheConfigurationFile) {
    for (int n : {1, 3, 12}) headless::setPortProbe(n, SerialOpenStatus::Opened);
    comPortNumber = 3;
    Window w = setComPort([](Window d) {
        d->select(PortList, 2);
        d->click(OkButton);
        EXPECT_TRUE(d->ended);
    });
    EXPECT_EQ(comPortNumber, 12);
    EXPECT_EQ(readWholeFile(configFile()), (std::vector<std::uint8_t>{0x0C, 0x00, 0x00, 0x00}));
    EXPECT_EQ(w->text(mainwin::ComPortLabel), "com:12");
}

struct LeaveCase {
    const char* name;
    void (*leave)(Window);
};
std::ostream& operator<<(std::ostream& out, const LeaveCase& c) { return out << c.name; }

class LeavingWithoutOk : public ComPortDialogTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeavingWithoutOk, ChangesNothingAndWritesNothing) {
    for (int n : {1, 3, 12}) headless::setPortProbe(n, SerialOpenStatus::Opened);
    comPortNumber = 3;
    Window w = setComPort([leave = GetParam().leave](Window d) {
        d->select(PortList, 2);
        leave(d);
        EXPECT_TRUE(d->ended);
    });
    EXPECT_EQ(comPortNumber, 3);
    EXPECT_FALSE(std::filesystem::exists(configFile()));
    EXPECT_EQ(w->text(mainwin::ComPortLabel), "com:3");
}

INSTANTIATE_TEST_SUITE_P(ComPort, LeavingWithoutOk,
                         ::testing::Values(LeaveCase{"Exit", [](Window d) { d->click(ExitButton); }},
                                           LeaveCase{"CloseBox", [](Window d) { d->pressCloseBox(); }}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ComPortDialogTest, EscapeLeavesTheDialogOpen) {
    headless::setPortProbe(4, SerialOpenStatus::Opened);
    comPortNumber = 1;
    setComPort([](Window d) {
        d->select(PortList, 0);
        d->pressEscape();
        EXPECT_FALSE(d->ended);
        d->click(ExitButton);
    });
    EXPECT_EQ(comPortNumber, 1);
    EXPECT_FALSE(std::filesystem::exists(configFile()));
}

TEST_F(ComPortDialogTest, ThePortInUseAbsentLeavesNothingSelectedAndOkChangesNothing) {
    for (int n : {1, 3, 12}) headless::setPortProbe(n, SerialOpenStatus::Opened);
    comPortNumber = 7;
    setComPort([](Window d) {
        d->click(OkButton);
        EXPECT_TRUE(d->ended);
    });
    EXPECT_EQ(entries, (std::vector<std::string>{"com1", "com3", "com12"}));
    EXPECT_EQ(selection, -1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(comPortNumber, 7);
    EXPECT_FALSE(std::filesystem::exists(configFile()));
}

TEST_F(ComPortDialogTest, OkOnAnEmptyListChangesNothing) {
    comPortNumber = 2;
    setComPort([](Window d) {
        d->click(OkButton);
        EXPECT_TRUE(d->ended);
    });
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(comPortNumber, 2);
    EXPECT_FALSE(std::filesystem::exists(configFile()));
}

TEST_F(ComPortDialogTest, OkAfterTypingOverTheListChangesNothing) {
    for (int n : {1, 3}) headless::setPortProbe(n, SerialOpenStatus::Opened);
    comPortNumber = 3;
    setComPort([](Window d) {
        d->typeListText(PortList, "com9");
        d->click(OkButton);
    });
    EXPECT_EQ(comPortNumber, 3);
    EXPECT_FALSE(std::filesystem::exists(configFile()));
}

struct ProbeCase {
    const char* name;
    SerialOpenStatus status;
    bool listed;
};
std::ostream& operator<<(std::ostream& out, const ProbeCase& c) { return out << c.name; }

class ProbeResults : public ComPortDialogTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeResults, DecideWhetherAPortIsListed) {
    EXPECT_EQ(portExists(GetParam().status), GetParam().listed);
    headless::setPortProbe(1, SerialOpenStatus::Opened);
    headless::setPortProbe(23, GetParam().status);
    comPortNumber = 23;
    setComPort([](Window d) { d->click(ExitButton); });
    if (GetParam().listed) {
        EXPECT_EQ(entries, (std::vector<std::string>{"com1", "com23"}));
        EXPECT_EQ(selection, 1);
    } else {
        EXPECT_EQ(entries, std::vector<std::string>{"com1"});
        EXPECT_EQ(selection, -1);
    }
}

INSTANTIATE_TEST_SUITE_P(ComPort, ProbeResults,
                         ::testing::Values(ProbeCase{"Opened", SerialOpenStatus::Opened, true},
                                           ProbeCase{"AccessDenied", SerialOpenStatus::AccessDenied, true},
                                           ProbeCase{"Busy", SerialOpenStatus::Busy, true},
                                           ProbeCase{"DeviceFault", SerialOpenStatus::DeviceFault, true},
                                           ProbeCase{"TimedOut", SerialOpenStatus::TimedOut, true},
                                           ProbeCase{"NotFound", SerialOpenStatus::NotFound, false},
                                           ProbeCase{"OtherError", SerialOpenStatus::OtherError, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ComPortDialogTest, TheListIsBuiltAfreshEachTime) {
    headless::setPortProbe(1, SerialOpenStatus::Opened);
    headless::setPortProbe(2, SerialOpenStatus::Opened);
    comPortNumber = 2;
    Window w = setComPort([](Window d) { d->click(ExitButton); });
    headless::setPortProbe(2, SerialOpenStatus::NotFound);
    headless::setPortProbe(9, SerialOpenStatus::Opened);
    std::vector<std::string> second;
    int secondSelection = -2;
    headless::scriptDialog(dlg::ComPortSetup, [&](Window d) {
        second = d->entries(PortList);
        secondSelection = d->selection(PortList);
        d->select(PortList, 1);
        d->click(OkButton);
    });
    w->click(mainwin::SetComPortButton);
    EXPECT_EQ(second, (std::vector<std::string>{"com1", "com9"}));
    EXPECT_EQ(secondSelection, -1);
    EXPECT_EQ(comPortNumber, 9);
}

TEST_F(ComPortDialogTest, SetComPortClosesAnOpenPortEvenWhenLeftWithoutChoosing) {
    keyerLink.portOpen = true;
    setComPort([](Window d) { d->click(ExitButton); });
    EXPECT_FALSE(keyerLink.portOpen);
}

}  // namespace
