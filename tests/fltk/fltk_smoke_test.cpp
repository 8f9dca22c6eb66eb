// The Linux desktop program's dialogs on a real (virtual) X display, driven
// by real pointer and key events: the main window with the program's own
// procedure, a click that switches message banks, typing through a
// character filter, Enter and Esc, the close box, modal loops, timers and a
// message box.  Screenshots go to the build folder's artefacts/.
//
// Skips when Xvfb or xdotool is not installed (scripts/test installs both).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "dialogs/main_window.h"
#include "dialogs/program_state.h"
#include "dialogs/startup.h"
#include "platform/fltk/fltk_internal.h"
#include "platform/fltk/fltk_program.h"
#include "sim/pty_keyer_server.h"
#include "resources/control_ids.h"
#include "tests/fltk/recording_proc.h"
#include "tests/fltk/x_session.h"
#include "tests/pty/keyer_sim_process.h"

namespace {

using namespace fltk_backend;

const std::filesystem::path ArtefactFolder = KEYER_ARTEFACT_DIR;

// Runs the toolkit's loop until done() holds.  The limit only stops a broken
// run from hanging; no result depends on how long anything takes.
bool pumpUntil(const std::function<bool()>& done, int limitSeconds = 15) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        Fl::wait(0.02);
    }
    return true;
}

class FltkSmokeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (findProgram("xdotool").empty()) {
            skipReason = "xdotool is not installed";
            return;
        }
        if (!startXSession(session, skipReason)) return;
        // What runProgram does before the main window: the toolkit starts and the icon is set.
        ASSERT_TRUE(registerMainWindowClass(MainWindowClassName, ProgramIconId));
        std::filesystem::create_directories(ArtefactFolder);
    }
    static void TearDownTestSuite() { stopXSession(session); }

    void SetUp() override {
        if (session.serverPid < 0) GTEST_SKIP() << "No X display for the smoke test: " << skipReason;
        recorded = Recorded{};
        filterSaw.clear();
    }
    void TearDown() override {
        for (Window dialog : opened) destroyDialog(dialog);
        opened.clear();
        Fl::wait(0);
    }

    Window show(int templateId, DialogProc proc) {
        Window dialog = createDialog(nullptr, templateId, proc);
        opened.push_back(dialog);
        showDialog(dialog);
        EXPECT_TRUE(pumpUntil([&] { return dialog->window->shown() && dialog->window->visible(); }));
        // Let the window be mapped and drawn before anything acts on it.
        dialog->window->wait_for_expose();
        Fl::flush();
        for (int i = 0; i < 5; ++i) Fl::wait(0.02);
        return dialog;
    }

    // The centre of a control on the screen (there is no window manager:
    // windows sit exactly where the program put them).
    static std::pair<int, int> centreOf(Window dialog, int controlId) {
        Fl_Widget* widget = controlWidget(dialog, controlId);
        return {dialog->window->x() + widget->x() + widget->w() / 2,
                dialog->window->y() + widget->y() + widget->h() / 2};
    }
    static void click(Window dialog, int controlId) {
        const auto [x, y] = centreOf(dialog, controlId);
        ASSERT_TRUE(runProgram({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"}));
    }
    static void keys(const std::vector<std::string>& names) {
        std::vector<std::string> arguments{"xdotool", "key", "--delay", "20"};
        arguments.insert(arguments.end(), names.begin(), names.end());
        ASSERT_TRUE(runProgram(arguments));
    }
    static void typeText(const std::string& text) {
        ASSERT_TRUE(runProgram({"xdotool", "type", "--delay", "20", text}));
    }
    static void screenshot(Window dialog, const std::string& name) {
        if (!saveScreenshot(dialog->window, (ArtefactFolder / name).string()))
            std::printf("no screenshot %s: ImageMagick's import is missing or failed\n", name.c_str());
    }

    static XSession session;
    static std::string skipReason;
    std::vector<Window> opened;
};

XSession FltkSmokeTest::session;
std::string FltkSmokeTest::skipReason;

TEST_F(FltkSmokeTest, MainWindowShowsEveryControlOfItsTemplate) {
    Window main = show(dlg::MainWindow, mainWindowProc);
    const DialogTemplate* mainTemplate = findDialogTemplate(dlg::MainWindow);
    ASSERT_EQ(mainTemplate->controls.size(), 103u);
    EXPECT_STREQ(main->window->label(), "Jaxtor 3 Tools Utility 5.0");
    for (const ControlTemplate& c : mainTemplate->controls) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        Fl_Widget* widget = controlWidget(main, c.id);
        ASSERT_NE(widget, nullptr);
        const bool bank2 = (c.id >= mainwin::MessageEdit7 && c.id <= mainwin::MessageEdit7 + 5) ||
                           (c.id >= mainwin::MessageLabel7 && c.id <= mainwin::MessageLabel7 + 5);
        const bool hiddenAtStart = bank2 || c.id == mainwin::Callsign2Edit;
        EXPECT_EQ(widget->visible_r() != 0, !hiddenAtStart);
        const bool labelled =
            c.kind != ControlKind::Edit && c.kind != ControlKind::ComboBox && c.kind != ControlKind::ProgressBar;
        // The port label shows the port from the start.
        if (labelled && c.id != mainwin::ComPortLabel) {
            EXPECT_STREQ(widget->label(), labelText(c.text).c_str());
        }
    }
    EXPECT_STREQ(controlWidget(main, mainwin::ComPortLabel)->label(), "com:0");
    // The buttons that need a tested keyer wait for one.
    EXPECT_FALSE(controlWidget(main, mainwin::ReadButton)->active());
    EXPECT_TRUE(controlWidget(main, mainwin::TestButton)->active());
    screenshot(main, "main-window-start.png");
}

TEST_F(FltkSmokeTest, ClickingMessageBankTwoShowsTheSecondBank) {
    Window main = show(dlg::MainWindow, mainWindowProc);
    click(main, mainwin::MessageBank2Radio);
    ASSERT_TRUE(pumpUntil([&] { return controlWidget(main, mainwin::MessageEdit7)->visible_r() != 0; }));
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(controlWidget(main, mainwin::MessageEdit7 + k)->visible_r());
        EXPECT_TRUE(controlWidget(main, mainwin::MessageLabel7 + k)->visible_r());
        EXPECT_FALSE(controlWidget(main, mainwin::MessageEdit1 + k)->visible_r());
        EXPECT_FALSE(controlWidget(main, mainwin::MessageLabel1 + k)->visible_r());
    }
    EXPECT_TRUE(isChecked(main, mainwin::MessageBank2Radio));
    EXPECT_FALSE(isChecked(main, mainwin::MessageBank1Radio));

    click(main, mainwin::MessageBank1Radio);
    ASSERT_TRUE(pumpUntil([&] { return controlWidget(main, mainwin::MessageEdit1)->visible_r() != 0; }));
    EXPECT_FALSE(controlWidget(main, mainwin::MessageEdit7)->visible_r());
    EXPECT_TRUE(isChecked(main, mainwin::MessageBank1Radio));
}

TEST_F(FltkSmokeTest, TypingIntoAMessageEditPassesTheFilter) {
    Window main = show(dlg::MainWindow, mainWindowProc);
    click(main, mainwin::MessageBank2Radio);
    ASSERT_TRUE(pumpUntil([&] { return controlWidget(main, mainwin::MessageEdit7)->visible_r() != 0; }));
    installCharFilter(main, mainwin::MessageEdit7, refuseHash);
    click(main, mainwin::MessageEdit7);
    typeText("cq test de #jx3 k");
    keys({"Return"});
    typeText("tu 73x");
    keys({"BackSpace"});
    const std::string expected = "CQ TEST DE JX3 K\r\nTU 73";
    EXPECT_TRUE(pumpUntil([&] { return getControlText(main, mainwin::MessageEdit7, 249) == expected; }))
        << getControlText(main, mainwin::MessageEdit7, 249);
    const std::vector<unsigned> typed{'c', 'q', ' ', 't', 'e', 's', 't', ' ', 'd', 'e', ' ', '#', 'j', 'x', '3', ' ',
                                      'k', 13,  't', 'u', ' ', '7', '3', 'x', 8};
    EXPECT_EQ(filterSaw, typed);

    // A number field takes its text unfiltered.
    click(main, mainwin::MaxWpmEdit);
    typeText("35");
    EXPECT_TRUE(pumpUntil([&] { return getControlText(main, mainwin::MaxWpmEdit, 3) == "35"; }));
    EXPECT_EQ(filterSaw.size(), typed.size());
    screenshot(main, "main-window.png");
}

TEST_F(FltkSmokeTest, EnterEscAndButtonsSendTheirCommands) {
    Window dialog = show(dlg::RttySetup, recordingProc);
    for (const char* rate : {"45.45", "50", "75", "100"}) listAdd(dialog, rtty::BaudRateList, rate);
    click(dialog, rtty::EnableCheck);
    ASSERT_TRUE(pumpUntil([&] { return commands().size() == 1; }));
    EXPECT_TRUE(isChecked(dialog, rtty::EnableCheck));
    // The check box has the focus, no push button: Enter and Esc are commands 1 and 2.
    keys({"Return"});
    ASSERT_TRUE(pumpUntil([&] { return commands().size() == 2; }));
    keys({"Escape"});
    ASSERT_TRUE(pumpUntil([&] { return commands().size() == 3; }));
    // A focused push button takes Enter for itself.
    controlWidget(dialog, rtty::OkButton)->take_focus();
    keys({"Return"});
    ASSERT_TRUE(pumpUntil([&] { return commands().size() == 4; }));
    click(dialog, rtty::CancelButton);
    ASSERT_TRUE(pumpUntil([&] { return commands().size() == 5; }));
    EXPECT_EQ(commands(), (std::vector<int>{rtty::EnableCheck, IdOk, IdCancel, rtty::OkButton, rtty::CancelButton}));

    // A list entry picked from the drop-down: selection, text and notification.
    auto* list = static_cast<Fl_Input_Choice*>(controlWidget(dialog, rtty::BaudRateList));
    Fl_Widget* arrow = list->menubutton();
    ASSERT_TRUE(runProgram({"xdotool", "mousemove", "--sync",
                            std::to_string(dialog->window->x() + arrow->x() + arrow->w() / 2),
                            std::to_string(dialog->window->y() + arrow->y() + arrow->h() / 2), "click", "1"}));
    keys({"Down", "Down", "Return"});
    ASSERT_TRUE(pumpUntil([&] { return commands().size() == 6; }));
    EXPECT_EQ(recorded.messages.back().controlId, rtty::BaudRateList);
    EXPECT_EQ(recorded.messages.back().notifyCode, notify::ListSelectionChange);
    EXPECT_EQ(listSelection(dialog, rtty::BaudRateList), 1);
    EXPECT_EQ(getControlText(dialog, rtty::BaudRateList, 20), "50");
}

TEST_F(FltkSmokeTest, EscapeInAMessageEditLeavesTheMainWindowOpenWithItsText) {
    Window main = show(dlg::MainWindow, mainWindowProc);
    click(main, mainwin::MessageEdit1);
    typeText("cq");
    keys({"Escape"});
    // Keys arrive in order: once the text after Esc is in, Esc has been handled.
    typeText("x");
    EXPECT_TRUE(pumpUntil([&] { return getControlText(main, mainwin::MessageEdit1, 249) == "CQX"; }))
        << getControlText(main, mainwin::MessageEdit1, 249);
    EXPECT_FALSE(main->ended);
    EXPECT_TRUE(main->window->shown());
}

// A status text set inside a command is on the screen before the command
// returns: the command holds the event loop, as a keyer operation does.
struct StatusPaint {
    std::vector<uchar> before;
    std::vector<uchar> after;
    int damageAfter = -1;
};
StatusPaint statusPaint;

std::vector<uchar> screenPixelsOf(Window dialog, int controlId) {
    Fl_Widget* widget = controlWidget(dialog, controlId);
    dialog->window->make_current();
    std::vector<uchar> pixels(static_cast<std::size_t>(widget->w() * widget->h() * 3));
    fl_read_image(pixels.data(), widget->x(), widget->y(), widget->w(), widget->h());
    return pixels;
}

bool statusInsideCommandProc(Window dialog, const DialogMessage& message) {
    if (message.event != DialogEvent::Command || message.controlId != mainwin::TestButton) return false;
    statusPaint.before = screenPixelsOf(dialog, mainwin::OperationStatus);
    setControlText(dialog, mainwin::OperationStatus, ">Reading");
    statusPaint.damageAfter = controlWidget(dialog, mainwin::OperationStatus)->damage();
    statusPaint.after = screenPixelsOf(dialog, mainwin::OperationStatus);
    return true;
}

TEST_F(FltkSmokeTest, AStatusTextSetInsideACommandIsDrawnBeforeTheCommandReturns) {
    Window main = show(dlg::MainWindow, statusInsideCommandProc);
    statusPaint = StatusPaint{};
    sendCommand(main, mainwin::TestButton);
    EXPECT_EQ(statusPaint.damageAfter, 0) << "the status line still waits for the event loop to draw it";
    ASSERT_FALSE(statusPaint.before.empty());
    EXPECT_NE(statusPaint.before, statusPaint.after) << "the screen does not show the new text yet";
}

TEST_F(FltkSmokeTest, TheCloseBoxSendsTheCloseEvent) {
    Window dialog = show(dlg::About, recordingProc);
    recorded.messages.clear();
    requestClose(dialog->window);
    ASSERT_TRUE(pumpUntil([&] { return !recorded.messages.empty(); }));
    EXPECT_EQ(recorded.messages[0].event, DialogEvent::Close);
}

// A parent dialog that opens a child from its timer, and ends after the
// child has ended.
struct ModalRun {
    int parentTicks = 0;
    int childResult = 0;
    bool childReturned = false;
};
ModalRun modalRun;

bool childProc(Window dialog, const DialogMessage& message) {
    if (message.event == DialogEvent::Init) startTimer(dialog, 2, 20);
    if (message.event == DialogEvent::Timer) endDialog(dialog, 7);
    return true;
}

bool parentProc(Window dialog, const DialogMessage& message) {
    if (message.event == DialogEvent::Init) startTimer(dialog, 1, 20);
    if (message.event != DialogEvent::Timer) return true;
    if (++modalRun.parentTicks == 1) {
        modalRun.childResult = runModalDialog(dialog, dlg::RttySetup, childProc);
        modalRun.childReturned = true;
    } else if (modalRun.childReturned) {
        endDialog(dialog, 42);
    }
    return true;
}

TEST_F(FltkSmokeTest, ModalDialogsRunInLoopsOfTheirOwnAndReturnTheirResults) {
    modalRun = ModalRun{};
    EXPECT_EQ(runModalDialog(nullptr, dlg::About, parentProc), 42);
    EXPECT_TRUE(modalRun.childReturned);
    EXPECT_EQ(modalRun.childResult, 7);
    // A dialog that ends during its initialisation is never shown.
    EXPECT_EQ(runModalDialog(nullptr, dlg::About,
                             [](Window dialog, const DialogMessage& message) {
                                 if (message.event == DialogEvent::Init) endDialog(dialog, 3);
                                 return true;
                             }),
              3);
}

struct SeenBox {
    std::string caption;
    std::string text;
    std::string button;
    bool clicked = false;
    int attempts = 0;
};
SeenBox seenBox;

Fl_Window* findWindowLabelled(const char* label) {
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
        if (w->label() && std::string(w->label()) == label) return w;
    return nullptr;
}

void answerMessageBox(void*) {
    Fl_Window* box = findWindowLabelled("Error");
    if (!box || !box->visible()) {
        if (++seenBox.attempts < 200) Fl::repeat_timeout(0.05, answerMessageBox);
        return;
    }
    seenBox.caption = box->label();
    Fl_Widget* ok = nullptr;
    for (int i = 0; i < box->children(); ++i) {
        Fl_Widget* child = box->child(i);
        if (dynamic_cast<Fl_Button*>(child)) {
            ok = child;
            seenBox.button = child->label();
        } else if (child->label()) {
            seenBox.text = child->label();
        }
    }
    if (!ok || seenBox.clicked) {
        box->hide();  // never leave the test hanging
        return;
    }
    saveScreenshot(box, (ArtefactFolder / "message-box.png").string());
    seenBox.clicked = runProgram({"xdotool", "mousemove", "--sync", std::to_string(box->x() + ok->x() + ok->w() / 2),
                                  std::to_string(box->y() + ok->y() + ok->h() / 2), "click", "1"});
    // Should the click not arrive, the next turn closes the box.
    Fl::repeat_timeout(10.0, answerMessageBox);
}

TEST_F(FltkSmokeTest, AMessageBoxShowsCaptionTextAndOk) {
    Window main = show(dlg::MainWindow, mainWindowProc);
    seenBox = SeenBox{};
    Fl::add_timeout(0.05, answerMessageBox);
    messageBox(main, "CFG File SAve Failed.", "Error", MessageIcon::Warning);
    Fl::remove_timeout(answerMessageBox);
    EXPECT_TRUE(seenBox.clicked);
    EXPECT_EQ(seenBox.caption, "Error");
    EXPECT_EQ(seenBox.text, "CFG File SAve Failed.");
    EXPECT_EQ(seenBox.button, "OK");
    EXPECT_EQ(findWindowLabelled("Error"), nullptr);
}

TEST_F(FltkSmokeTest, EveryChildDialogShowsItsControls) {
    for (int templateId : {dlg::ComPortSetup, dlg::FirmwareUploader, dlg::About, dlg::RttySetup}) {
        Window dialog = show(templateId, recordingProc);
        const DialogTemplate* dialogTemplate = findDialogTemplate(templateId);
        for (const ControlTemplate& c : dialogTemplate->controls)
            EXPECT_TRUE(controlWidget(dialog, c.id)->visible_r()) << templateId << " " << c.id;
        // Something in each, so that the picture shows how texts sit.
        if (templateId == dlg::FirmwareUploader) {
            setControlText(dialog, uploader::StatusLine, "Upload Completed Successfully");
            setControlText(dialog, uploader::PathLine, "/home/op/firmware/jx3-v31.bin");
            setProgress(dialog, uploader::ProgressBar, 60);
            // More lines than fit: the picture shows the log at its end, with its scroll bar.
            for (int block = 1; block <= 20; ++block)
                insertEditText(dialog, uploader::LogEdit, "Programming block " + std::to_string(block) + "\r\n");
        }
        if (templateId == dlg::About) {
            setControlText(dialog, about::VersionLine, "Ver 5.0, Built 12:00:00, Jan  1 2026");
            setControlText(dialog, about::SystemLine, "Operating System is Linux");
        }
        if (templateId == dlg::ComPortSetup) {
            listAdd(dialog, comport::PortList, "com1  /dev/ttyS0  serial");
            listAdd(dialog, comport::PortList, "com11  /dev/ttyUSB0  FT232R USB UART");
            listSelect(dialog, comport::PortList, 1);
        }
        for (int i = 0; i < 5; ++i) Fl::wait(0.02);
        screenshot(dialog, "dialog-" + std::to_string(templateId) + ".png");
        destroyDialog(dialog);
        opened.pop_back();
    }
}

// keyer-tools --trace: the program's own start-up, Test and Read clicked for
// real against a keyer on a pseudo-terminal (COM7), Exit, and the trace holds
// the Read's 288 and 12 bytes.
struct TracedRead {
    int step = 0;
    int ticks = 0;
};
TracedRead tracedRead;

void clickControl(Window dialog, int controlId) {
    Fl_Widget* widget = controlWidget(dialog, controlId);
    runProgram({"xdotool", "mousemove", "--sync", std::to_string(dialog->window->x() + widget->x() + widget->w() / 2),
                std::to_string(dialog->window->y() + widget->y() + widget->h() / 2), "click", "1"});
}

void driveTracedRead(void*) {
    TracedRead& t = tracedRead;
    Window main = mainWindowHandle;
    if (++t.ticks > 600) return endMessageLoop(main, 1);  // a broken run must not hang
    if (main && main->window->visible()) {
        const std::string status = controlWidget(main, mainwin::OperationStatus)->label();
        if (t.step == 0) clickControl(main, mainwin::TestButton), t.step = 1;
        else if (t.step == 1 && controlWidget(main, mainwin::ReadButton)->active()) clickControl(main, mainwin::ReadButton), t.step = 2;
        else if (t.step == 2 && status == ">Done") clickControl(main, mainwin::ExitButton), t.step = 3;
    }
    Fl::repeat_timeout(0.05, driveTracedRead);
}

TEST_F(FltkSmokeTest, KeyerToolsTracesARead) {
    const auto folder = std::filesystem::temp_directory_path() / ("keyer-trace-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "keyer-tools" / "ports");
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    KeyerSimulator keyer;
    PtyKeyerServer server(keyer);
    std::string error;
    ASSERT_TRUE(server.start(error)) << error;
    std::filesystem::create_symlink(server.devicePath(), folder / "keyer-tools" / "ports" / "com7");
    std::ofstream(folder / "keyer-tools" / "keyer-tools.cfg", std::ios::binary).write("\x07\0\0\0", 4);

    tracedRead = TracedRead{};
    Fl::add_timeout(0.05, driveTracedRead);
    const std::string trace = (folder / "wire.log").string();
    EXPECT_EQ(runKeyerTools({"--trace", trace}), 0);
    Fl::remove_timeout(driveTracedRead);
    server.stop();
    resetProgramState();
    EXPECT_EQ(tracedRead.step, 3);

    std::vector<std::size_t> replies;  // bytes of each keyer>host line
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);)
        if (const auto at = line.find("keyer>host"); at != std::string::npos)
            replies.push_back((line.size() - line.find(':', at) - 1) / 3);
    EXPECT_NE(std::find(replies.begin(), replies.end(), 288u), replies.end());
    EXPECT_NE(std::find(replies.begin(), replies.end(), 12u), replies.end());
    std::filesystem::remove_all(folder);
}

// Read JX and Write JX of the Linux program against keyer-sim: the records
// read and sent land in the record history under the XDG data folder.
TEST_F(FltkSmokeTest, ReadAndWriteKeepTheirRecordsInTheHistoryFolder) {
    namespace fs = std::filesystem;
    const fs::path home = fs::temp_directory_path() / ("keyer-smoke-" + std::to_string(::getpid()));
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    KeyerSimProcess keyer;
    ASSERT_TRUE(keyer.start({"--com", "1", "--save-record", (home / "keyer.eep").string()}).starts_with("/dev/"));
    comPortNumber = 1;
    Window main = show(dlg::MainWindow, mainWindowProc);
    const auto statusIs = [&](const char* text) {
        return pumpUntil([&] { return getControlText(main, mainwin::OperationStatus, 20) == text; });
    };
    click(main, mainwin::TestButton);
    ASSERT_TRUE(statusIs(">JX OK"));
    click(main, mainwin::ReadButton);
    ASSERT_TRUE(statusIs(">Done"));
    setControlText(main, mainwin::WeightEdit, "55");
    click(main, mainwin::WriteButton);
    ASSERT_TRUE(statusIs("Done"));
    resetProgramState();  // the port closed, as at Exit
    EXPECT_EQ(keyer.stop(), 0);

    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(home / "data" / "keyer-tools" / "history")) entries.push_back(e.path());
    std::ranges::sort(entries);
    const auto bytes = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].string().ends_with("-read-PIKE-31.02.eep")) << entries[0];
    EXPECT_TRUE(entries[1].string().ends_with("-write-PIKE-31.02.eep")) << entries[1];
    const auto factory = factoryRecord();
    EXPECT_EQ(bytes(entries[0]), std::vector<char>(factory.begin(), factory.end()));
    EXPECT_EQ(bytes(entries[1]), bytes(home / "keyer.eep"));
    EXPECT_EQ(bytes(entries[1])[3], 55);  // User 1's weight, as the panel sent it
    fs::remove_all(home);
}

}  // namespace
