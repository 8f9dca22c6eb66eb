#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "dialogs/about_dialog.h"
#include "dialogs/main_window.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace about;

namespace {

class AboutDialogTest : public ProgramTest {
protected:
    // Runs the about dialog from the main window's "About" button.
    void runFromMainWindow(headless::DialogScript script) {
        Window w = mainWindowHandle ? mainWindowHandle : openMainWindow();
        headless::scriptDialog(dlg::About, std::move(script));
        ASSERT_TRUE(w->click(mainwin::AboutButton));
    }

    bool boxShownAtOpen() {
        bool shown = false;
        runFromMainWindow([&](Window d) {
            shown = d->checked(VerboseCheck);
            d->pressCloseBox();
        });
        return shown;
    }
};

TEST_F(AboutDialogTest, ShowsVersionBuildStampSystemAndHelp) {
    std::string version, system, help;
    runFromMainWindow([&](Window d) {
        version = d->text(VersionLine);
        system = d->text(SystemLine);
        help = d->text(HelpLine);
        d->click(OkButton);
    });
    // The compiler's stamp: hh:mm:ss, then "Mmm dd yyyy" with the day padded by a space.
    EXPECT_TRUE(std::regex_match(
        version, std::regex(R"(Ver 5\.0, Built [0-2][0-9]:[0-5][0-9]:[0-6][0-9], )"
                            R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 1-3][0-9] [0-9]{4})")))
        << version;
#if defined(_WIN32)
    EXPECT_EQ(system, "Operating System is MS Windows");
#elif defined(__linux__)
    EXPECT_EQ(system, "Operating System is Linux");
#endif
    // Each build names the guide where it puts it: the Windows ZIP beside the
    // program, the Linux package in the system's documentation folder.
#if defined(_WIN32)
    EXPECT_EQ(help, "For Help: docs\\operating-guide.md beside the program");
#else
    EXPECT_EQ(help, "For Help: /usr/share/doc/keyer-tools/operating-guide.md");
#endif
}

TEST_F(AboutDialogTest, TheBoxShowsVerboseModeAtOpen) {
    EXPECT_FALSE(boxShownAtOpen());
    verboseMode = true;
    EXPECT_TRUE(boxShownAtOpen());
    EXPECT_TRUE(verboseMode) << "the close box keeps the mode even when the box shows it";
}

TEST_F(AboutDialogTest, OkTurnsVerboseModeOnAndReopeningShowsIt) {
    runFromMainWindow([](Window d) {
        d->click(VerboseCheck);
        EXPECT_FALSE(verboseMode) << "a click on the box only changes the box";
        d->click(OkButton);
        EXPECT_TRUE(d->ended);
    });
    EXPECT_TRUE(verboseMode);
    EXPECT_TRUE(boxShownAtOpen());
}

TEST_F(AboutDialogTest, EnterActsAsOk) {
    runFromMainWindow([](Window d) {
        d->click(VerboseCheck);
        d->pressEnter();
    });
    EXPECT_TRUE(verboseMode);
}

TEST_F(AboutDialogTest, OkWithTheBoxClearedTurnsVerboseModeOff) {
    verboseMode = true;
    runFromMainWindow([](Window d) {
        d->click(VerboseCheck);
        d->click(OkButton);
    });
    EXPECT_FALSE(verboseMode);
}

TEST_F(AboutDialogTest, TheCloseBoxKeepsVerboseModeWhateverTheBoxShows) {
    runFromMainWindow([](Window d) {
        d->click(VerboseCheck);
        d->pressCloseBox();
    });
    EXPECT_FALSE(verboseMode);
    verboseMode = true;
    runFromMainWindow([](Window d) {
        d->click(VerboseCheck);
        d->pressCloseBox();
    });
    EXPECT_TRUE(verboseMode);
}

TEST_F(AboutDialogTest, EscapeLeavesTheDialogOpenAndStoresNothing) {
    runFromMainWindow([](Window d) {
        d->click(VerboseCheck);
        d->pressEscape();
        EXPECT_FALSE(d->ended);
        EXPECT_FALSE(verboseMode);
        d->pressCloseBox();
    });
    EXPECT_FALSE(verboseMode);
}

TEST_F(AboutDialogTest, EndsWithOneAfterOkAndZeroAfterTheCloseBox) {
    Window w = openMainWindow();
    headless::scriptDialog(dlg::About, [](Window d) { d->click(OkButton); });
    EXPECT_EQ(runModalDialog(w, dlg::About, aboutDialogProc), 1);
    headless::scriptDialog(dlg::About, [](Window d) { d->pressCloseBox(); });
    EXPECT_EQ(runModalDialog(w, dlg::About, aboutDialogProc), 0);
}

TEST_F(AboutDialogTest, OnlyACommandOfExactlyOneIsOk) {
    Window w = openMainWindow();
    headless::scriptDialog(dlg::About, [](Window d) {
        d->click(VerboseCheck);
        sendCommand(d, OkButton, 1);  // the same ID with another notification
        EXPECT_FALSE(d->ended);
        EXPECT_FALSE(verboseMode);
        d->click(OkButton);
    });
    EXPECT_EQ(runModalDialog(w, dlg::About, aboutDialogProc), 1);
    EXPECT_TRUE(verboseMode);
}

}  // namespace
