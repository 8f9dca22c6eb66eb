// Tests of the Windows backend itself, run under Wine on a private display:
// real dialogs from the templates, real controls, files, threads and, when
// the runner provides a COM port whose far end echoes, the serial device.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/files.h"
#include "platform/serial.h"
#include "platform/threads.h"
#include "platform/win32/dialog_template_bytes.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"
#include "tests/wine/expected_window_class.h"

namespace fs = std::filesystem;

namespace {

HWND hwndOf(Window w) { return reinterpret_cast<HWND>(w); }

// --- Running a dialog with a test body --------------------------------------
// The body runs from the dialog's first timer tick, so the dialog's message
// loop is running; the dialog then ends with the body's result, unless the
// body returns EndedByBody.

constexpr int EndedByBody = -12345;
std::function<int(Window)> dialogBody;
std::vector<DialogMessage> received;
constexpr int BodyTimer = 99;

bool harnessProc(Window dialog, const DialogMessage& message) {
    if (message.event == DialogEvent::Timer && message.timerId == BodyTimer) {
        stopTimer(dialog, BodyTimer);
        const int result = dialogBody(dialog);
        if (result != EndedByBody) endDialog(dialog, result);
        return true;
    }
    received.push_back(message);
    if (message.event == DialogEvent::Init) startTimer(dialog, BodyTimer, 1);
    return message.event == DialogEvent::Init;
}

int runDialog(int templateId, std::function<int(Window)> body) {
    dialogBody = std::move(body);
    received.clear();
    return runModalDialog(nullptr, templateId, harnessProc);
}

// Lets the dialog's thread handle what has been posted or sent to it.
void pumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!done() && GetTickCount64() < deadline) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void typeChar(Window dialog, int id, char c) {
    SendMessageA(GetDlgItem(hwndOf(dialog), id), WM_CHAR, static_cast<unsigned char>(c), 1);
}

std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A dialog's base units, whatever font the system found for it: a rectangle
// of 4 by 8 dialog units is exactly one base unit each way.
struct BaseUnits {
    int x = 0, y = 0;
};
BaseUnits baseUnitsOf(HWND dialog) {
    RECT unit{0, 0, 4, 8};
    MapDialogRect(dialog, &unit);
    return {unit.right, unit.bottom};
}

struct Place {
    int x = 0, y = 0, width = 0, height = 0;
};
// Where the dialog manager puts a control of the template: each of the four
// numbers scaled and rounded by itself.
Place placeOf(const DialogRect& r, BaseUnits units) {
    return {MulDiv(r.x, units.x, 4), MulDiv(r.y, units.y, 8), MulDiv(r.width, units.x, 4),
            MulDiv(r.height, units.y, 8)};
}

class Win32Dialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(registerMainWindowClass(MainWindowClassName, ProgramIconId)); }
};

// --- Dialogs from the templates -----------------------------------------------

TEST_F(Win32Dialogs, MainWindowClassIsTheDialogClassWithTheProgramIcon) {
    WNDCLASSEXA dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    ASSERT_TRUE(GetClassInfoExA(nullptr, MAKEINTATOM(0x8002), &dialogClass));
    WNDCLASSEXA mainClass{};
    mainClass.cbSize = sizeof mainClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "JXtoolsClass", &mainClass));
    EXPECT_EQ(mainClass.lpfnWndProc, dialogClass.lpfnWndProc);
    EXPECT_EQ(mainClass.cbWndExtra, dialogClass.cbWndExtra);
    EXPECT_NE(mainClass.hIcon, nullptr);
}

TEST_F(Win32Dialogs, EveryTemplateBuildsItsControlsWithIdClassStyleTextAndPlace) {
    for (const DialogTemplate& t : allDialogTemplates()) {
        SCOPED_TRACE(t.id);
        runDialog(t.id, [&t](Window dialog) -> int {
            const HWND window = hwndOf(dialog);
            char caption[128] = {};
            GetWindowTextA(window, caption, sizeof caption);
            EXPECT_EQ(caption, std::string(t.caption));
            if (!t.className.empty()) {
                EXPECT_EQ(classOf(window), std::string(t.className));
            }
            // The dialog's font is the template's.
            LOGFONTA font{};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(std::string(font.lfFaceName), std::string(t.fontName));
            const BaseUnits units = baseUnitsOf(window);
            // Kept in the test report: which base units the machine's fonts gave.
            const std::string unitsText = std::to_string(units.x) + "x" + std::to_string(units.y);
            ::testing::Test::RecordProperty("baseUnits" + std::to_string(t.id), unitsText);
            SCOPED_TRACE("base units " + unitsText);
            for (const ControlTemplate& c : t.controls) {
                SCOPED_TRACE(c.id);
                const HWND item = GetDlgItem(window, c.id);
                if (!item) {
                    ADD_FAILURE() << "missing";
                    continue;
                }
                EXPECT_EQ(classOf(item), expectedClass(c.kind));
                const auto style = static_cast<std::uint32_t>(GetWindowLongA(item, GWL_STYLE));
                const std::uint32_t mask = 0xFFFF | WS_CHILD | WS_TABSTOP;
                EXPECT_EQ(style & mask, win32::controlWindowStyle(c) & mask);
                EXPECT_EQ((GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0, (c.styles & style::Hidden) == 0);
                if (c.kind != ControlKind::Edit && c.kind != ControlKind::ComboBox) {
                    EXPECT_EQ(getControlText(dialog, c.id, 255), std::string(c.text));
                }
                // The table's dialog units, placed as the dialog manager places
                // them: origin and size each scaled and rounded on its own by
                // this dialog's base units, so the right edge may sit a pixel
                // off the scaled right edge, by however the font rounds.
                const Place want = placeOf(c.rect, units);
                RECT got{};
                GetWindowRect(item, &got);
                MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&got), 2);
                EXPECT_EQ(got.left, want.x);
                EXPECT_EQ(got.top, want.y);
                EXPECT_EQ(got.right - got.left, want.width);
                // A drop-down list's height in the template is its dropped height.
                if (c.kind != ControlKind::ComboBox) {
                    EXPECT_EQ(got.bottom - got.top, want.height);
                }
            }
            return 0;
        });
    }
}

TEST_F(Win32Dialogs, RunModalDialogReturnsTheResultGivenToEndDialog) {
    EXPECT_EQ(runDialog(dlg::About, [](Window dialog) -> int {
                  endDialog(dialog, 42);
                  return EndedByBody;
              }),
              42);
}

TEST_F(Win32Dialogs, TheProcedureSeesInitCommandsWithCodeAndClose) {
    runDialog(dlg::About, [](Window dialog) -> int {
        // A click on the check box arrives as a command from its ID.
        SendMessageA(GetDlgItem(hwndOf(dialog), about::VerboseCheck), BM_CLICK, 0, 0);
        sendCommand(dialog, 4242, 7);
        SendMessageA(hwndOf(dialog), WM_CLOSE, 0, 0);
        return 0;
    });
    ASSERT_GE(received.size(), 4u);
    EXPECT_EQ(received[0].event, DialogEvent::Init);
    EXPECT_EQ(received[1].event, DialogEvent::Command);
    EXPECT_EQ(received[1].controlId, about::VerboseCheck);
    EXPECT_EQ(received[1].notifyCode, notify::Clicked);
    EXPECT_EQ(received[2].event, DialogEvent::Command);
    EXPECT_EQ(received[2].controlId, 4242);
    EXPECT_EQ(received[2].notifyCode, 7);
    EXPECT_EQ(received[3].event, DialogEvent::Close);
}

TEST_F(Win32Dialogs, EndMessageLoopEndsTheMainDialogWithTheExitCodeAndPostsQuit) {
    EXPECT_EQ(runDialog(dlg::About, [](Window dialog) -> int {
                  endMessageLoop(dialog, 7);
                  return EndedByBody;
              }),
              7);
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // taken, so later dialogs run
    EXPECT_EQ(quit.wParam, 7u);
}

TEST_F(Win32Dialogs, TimersFireWithTheirIdUntilStopped) {
    runDialog(dlg::About, [](Window dialog) -> int {
        startTimer(dialog, 5, 10);
        auto ticks = [] {
            int n = 0;
            for (const auto& m : received) n += m.event == DialogEvent::Timer && m.timerId == 5;
            return n;
        };
        pumpUntil([&] { return ticks() >= 3; });
        EXPECT_GE(ticks(), 3);
        stopTimer(dialog, 5);
        const int atStop = ticks();
        const ULONGLONG until = GetTickCount64() + 100;
        pumpUntil([&] { return GetTickCount64() >= until; });
        EXPECT_EQ(ticks(), atStop);
        return 0;
    });
}

// --- Control state -------------------------------------------------------------

TEST_F(Win32Dialogs, TextChecksVisibilityAndEnablingReachTheControls) {
    runDialog(dlg::MainWindow, [](Window dialog) -> int {
        setControlText(dialog, mainwin::ComPortLabel, "com:12");
        EXPECT_EQ(getControlText(dialog, mainwin::ComPortLabel, 255), "com:12");
        EXPECT_EQ(getControlText(dialog, mainwin::ComPortLabel, 4), "com:");
        EXPECT_EQ(getControlText(dialog, 9999, 255), "");  // no such control

        setChecked(dialog, mainwin::SwapCheck, true);
        EXPECT_TRUE(isChecked(dialog, mainwin::SwapCheck));
        EXPECT_EQ(SendDlgItemMessageA(hwndOf(dialog), mainwin::SwapCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
        setChecked(dialog, mainwin::SwapCheck, false);
        EXPECT_FALSE(isChecked(dialog, mainwin::SwapCheck));
        setChecked(dialog, mainwin::User2Radio, true);
        EXPECT_TRUE(isChecked(dialog, mainwin::User2Radio));
        EXPECT_FALSE(isChecked(dialog, mainwin::User1Radio));  // not automatic: nothing else changed

        // The control's own visibility: the dialog may not be on the screen yet.
        const auto shown = [dialog](int id) {
            return (GetWindowLongA(GetDlgItem(hwndOf(dialog), id), GWL_STYLE) & WS_VISIBLE) != 0;
        };
        showControl(dialog, mainwin::MessageEdit7, true);
        EXPECT_TRUE(shown(mainwin::MessageEdit7));
        showControl(dialog, mainwin::MessageEdit1, false);
        EXPECT_FALSE(shown(mainwin::MessageEdit1));
        enableControl(dialog, mainwin::ReadButton, false);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwndOf(dialog), mainwin::ReadButton)));
        enableControl(dialog, mainwin::ReadButton, true);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwndOf(dialog), mainwin::ReadButton)));
        return 0;
    });
}

TEST_F(Win32Dialogs, DropDownListsKeepOrderSelectionAndText) {
    runDialog(dlg::MainWindow, [](Window dialog) -> int {
        const int list = mainwin::PaddleHangList;
        for (const char* e : {"2.0 Word", "1.0 Word", "1.6 Word"}) listAdd(dialog, list, e);  // unsorted
        EXPECT_EQ(listSelection(dialog, list), -1);
        listSelect(dialog, list, 1);
        EXPECT_EQ(listSelection(dialog, list), 1);
        EXPECT_EQ(getControlText(dialog, list, 255), "1.0 Word");
        listSelect(dialog, list, -1);
        EXPECT_EQ(listSelection(dialog, list), -1);
        EXPECT_EQ(getControlText(dialog, list, 255), "");
        listSelect(dialog, list, 2);
        listClear(dialog, list);
        EXPECT_EQ(SendDlgItemMessageA(hwndOf(dialog), list, CB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(listSelection(dialog, list), -1);
        EXPECT_EQ(getControlText(dialog, list, 255), "");
        return 0;
    });
}

TEST_F(Win32Dialogs, EditsApplyTheirStylesAndLimitsToTypedText) {
    runDialog(dlg::MainWindow, [](Window dialog) -> int {
        for (char c : std::string("cq de")) typeChar(dialog, mainwin::MessageEdit1, c);
        EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 255), "CQ DE");  // upper-case style
        for (char c : std::string("1x2")) typeChar(dialog, mainwin::SerialNumberEdit, c);
        EXPECT_EQ(getControlText(dialog, mainwin::SerialNumberEdit, 255), "12");  // digits only
        setTextLimit(dialog, mainwin::MaxWpmEdit, 3);
        for (char c : std::string("12345")) typeChar(dialog, mainwin::MaxWpmEdit, c);
        EXPECT_EQ(getControlText(dialog, mainwin::MaxWpmEdit, 255), "123");
        return 0;
    });
}

std::vector<std::pair<int, unsigned>> filtered;
bool refuseQ(Window dialog, int id, unsigned c) {
    EXPECT_NE(dialog, nullptr);
    filtered.emplace_back(id, c);
    return c != 'Q';
}
bool refuseAll(Window, int id, unsigned c) {
    filtered.emplace_back(-id, c);
    return false;
}

TEST_F(Win32Dialogs, CharacterFiltersSeeEveryTypedCharacterFirst) {
    filtered.clear();
    runDialog(dlg::MainWindow, [](Window dialog) -> int {
        installCharFilter(dialog, mainwin::MessageEdit1, refuseQ);
        for (char c : std::string("AQB")) typeChar(dialog, mainwin::MessageEdit1, c);
        EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 255), "AB");
        // Pasted text is not typed: the filter does not see it.
        insertEditText(dialog, mainwin::MessageEdit1, "Q");
        EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 255), "ABQ");
        // Installed again, the new filter replaces the old one.
        installCharFilter(dialog, mainwin::MessageEdit1, refuseAll);
        typeChar(dialog, mainwin::MessageEdit1, 'C');
        EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 255), "ABQ");
        return 0;
    });
    const std::vector<std::pair<int, unsigned>> expected{
        {4001, 'A'}, {4001, 'Q'}, {4001, 'B'}, {-4001, 'C'}};
    EXPECT_EQ(filtered, expected);
}

struct InsertJob {
    Window dialog = nullptr;
    std::atomic<bool> done{false};
    DWORD threadId = 0;
};

void insertFromWorker(void* arg) {
    auto* job = static_cast<InsertJob*>(arg);
    job->threadId = GetCurrentThreadId();
    insertEditText(job->dialog, uploader::LogEdit, "line one\r\n");
    insertEditText(job->dialog, uploader::LogEdit, "line two\r\n");
    job->done = true;
}

TEST_F(Win32Dialogs, InsertFromAnotherThreadIsInTheEditWhenTheCallReturns) {
    runDialog(dlg::FirmwareUploader, [](Window dialog) -> int {
        setTextLimit(dialog, uploader::LogEdit, 0xFFFF);
        InsertJob job;
        job.dialog = dialog;
        EXPECT_TRUE(startThread(insertFromWorker, &job));
        // The worker's inserts run here, on the dialog's thread, while it pumps.
        pumpUntil([&] { return job.done.load(); });
        EXPECT_TRUE(job.done.load());
        EXPECT_NE(job.threadId, GetCurrentThreadId());
        EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 1000), "line one\r\nline two\r\n");
        return 0;
    });
}

TEST_F(Win32Dialogs, ProgressBarTakesPositions) {
    runDialog(dlg::FirmwareUploader, [](Window dialog) -> int {
        setProgress(dialog, uploader::ProgressBar, 57);
        EXPECT_EQ(SendDlgItemMessageA(hwndOf(dialog), uploader::ProgressBar, PBM_GETPOS, 0, 0), 57);
        setProgress(dialog, uploader::ProgressBar, 140);  // beyond the range: full
        EXPECT_EQ(SendDlgItemMessageA(hwndOf(dialog), uploader::ProgressBar, PBM_GETPOS, 0, 0), 100);
        return 0;
    });
}

// --- Files ------------------------------------------------------------------------

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        folder = fs::path(base) / ("keyer-backend-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder / "target.cfg", fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
    }
    std::string path(const char* name) const { return (folder / name).string(); }
    void write(const char* name, const std::string& bytes) const {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }
    std::string read(const char* name) const {
        std::ifstream in(folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto& e : fs::directory_iterator(folder)) all.push_back(e.path().filename().string());
        return all;
    }
    fs::path folder;
};

TEST_F(Win32Files, ProgramPathIsTheFullPathOfTheExe) {
    const std::string self = programPath();
    ASSERT_GE(self.size(), 7u);
    EXPECT_EQ(self.substr(self.size() - 4), ".exe");
    EXPECT_EQ(self.substr(1, 2), ":\\");
}

// The record history's needs: its folder beside the program, a folder's
// names, removing a file, and the calendar time as the system has it.
TEST_F(Win32Files, HistoryFolderListingRemovalAndWallClock) {
    const std::string self = programPath();
    const std::string history = historyFolder();
    EXPECT_EQ(history, self.substr(0, self.find_last_of('\\') + 1) + "history");
    EXPECT_TRUE(fs::is_directory(history));
    std::error_code ignored;
    fs::remove(history, ignored);  // made here, and still empty
    write("a.eep", "a");
    write("b.eep", "b");
    std::vector<std::string> listed;
    ASSERT_TRUE(listFolder(folder.string(), listed));
    std::ranges::sort(listed);
    EXPECT_EQ(listed, (std::vector<std::string>{"a.eep", "b.eep"}));
    EXPECT_TRUE(removeFile(path("a.eep")));
    EXPECT_FALSE(removeFile(path("a.eep")));
    EXPECT_EQ(names(), std::vector<std::string>{"b.eep"});
    EXPECT_FALSE(listFolder(path("missing"), listed));
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const std::int64_t days = wallClockMs() / 86'400'000;  // since 1970-01-01
    // The same day as the system's own calendar (days from the civil date).
    const int y = now.wYear - (now.wMonth <= 2), era = y / 400, yoe = y - era * 400;
    const int doy = (153 * (now.wMonth + (now.wMonth > 2 ? -3 : 9)) + 2) / 5 + now.wDay - 1;
    EXPECT_NEAR(static_cast<double>(days), era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468, 1);
}

TEST_F(Win32Files, ReadFileStartReadsUpToTheBufferAndReportsMissingFiles) {
    write("six.bin", std::string("\x05\x00\x00\x00\x07\x07", 6));
    std::uint8_t four[4] = {};
    FileReadResult r = readFileStart(path("six.bin"), four);
    EXPECT_EQ(r.status, FileReadStatus::Ok);
    EXPECT_EQ(r.bytesRead, 4u);
    EXPECT_EQ(four[0], 5);
    write("two.bin", "ab");
    r = readFileStart(path("two.bin"), four);
    EXPECT_EQ(r.status, FileReadStatus::Ok);
    EXPECT_EQ(r.bytesRead, 2u);
    EXPECT_EQ(readFileStart(path("missing.bin"), four).status, FileReadStatus::NotOpened);
    EXPECT_EQ(readFileStart(folder.string(), four).status, FileReadStatus::NotOpened);
}

TEST_F(Win32Files, ReadFileStartSharesReadingOnly) {
    write("held.bin", "abcd");
    std::uint8_t buffer[4] = {};
    // Held by a reader that shares reading: readable.
    HANDLE reader = CreateFileA(path("held.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readFileStart(path("held.bin"), buffer).status, FileReadStatus::Ok);
    CloseHandle(reader);
    // Held by a writer: not opened.
    HANDLE writer = CreateFileA(path("held.bin").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readFileStart(path("held.bin"), buffer).status, FileReadStatus::NotOpened);
    CloseHandle(writer);
}

TEST_F(Win32Files, ReplaceFileLeavesExactlyTheNewBytesAndNoOtherFile) {
    const std::uint8_t first[] = {1, 0, 0, 0, 9, 9, 9};
    ASSERT_EQ(replaceFile(path("target.cfg"), first), FileWriteStatus::Ok);
    EXPECT_EQ(read("target.cfg"), std::string("\x01\x00\x00\x00\x09\x09\x09", 7));
    const std::uint8_t second[] = {3, 0, 0, 0};
    ASSERT_EQ(replaceFile(path("target.cfg"), second), FileWriteStatus::Ok);
    EXPECT_EQ(read("target.cfg"), std::string("\x03\x00\x00\x00", 4));
    EXPECT_EQ(names(), std::vector<std::string>{"target.cfg"});
    ASSERT_EQ(replaceFile(path("target.cfg"), std::span<const std::uint8_t>{}), FileWriteStatus::Ok);
    EXPECT_EQ(read("target.cfg"), "");
}

TEST_F(Win32Files, ReplaceFileThatCannotTakeThePlaceLeavesTheOldFile) {
    const std::uint8_t bytes[] = {7, 0, 0, 0};
    EXPECT_EQ(replaceFile(path("no-such-folder\\target.cfg"), bytes), FileWriteStatus::CannotCreate);
    fs::create_directory(folder / "a-folder");
    EXPECT_EQ(replaceFile(path("a-folder"), bytes), FileWriteStatus::CannotCreate);

    write("target.cfg", "old!");
    SetFileAttributesA(path("target.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(replaceFile(path("target.cfg"), bytes), FileWriteStatus::CannotCreate);
    SetFileAttributesA(path("target.cfg").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(read("target.cfg"), "old!");

    // Held open by another program that does not let it be replaced.
    HANDLE holder = CreateFileA(path("target.cfg").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(replaceFile(path("target.cfg"), bytes), FileWriteStatus::CannotCreate);
    CloseHandle(holder);
    EXPECT_EQ(read("target.cfg"), "old!");
    std::vector<std::string> left = names();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a-folder", "target.cfg"}));
}

// --- Threads ------------------------------------------------------------------------

struct ThreadProbe {
    HANDLE ran = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    int value = 0;
};

void recordThread(void* arg) {
    auto* probe = static_cast<ThreadProbe*>(arg);
    probe->threadId = GetCurrentThreadId();
    probe->value = 17;
    SetEvent(probe->ran);
}

TEST(Win32Threads, StartThreadRunsTheRoutineWithItsArgumentOnAnotherThread) {
    ThreadProbe probe;
    ASSERT_TRUE(startThread(recordThread, &probe));
    ASSERT_EQ(WaitForSingleObject(probe.ran, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(probe.value, 17);
    EXPECT_NE(probe.threadId, GetCurrentThreadId());
    CloseHandle(probe.ran);
}

TEST(Win32Threads, MonotonicTimeNeverGoesBack) {
    const std::int64_t before = monotonicMs();
    sleepMs(20);
    EXPECT_GE(monotonicMs(), before);
}

// --- Serial device ---------------------------------------------------------------------

TEST(Win32Serial, PortsThatDoNotExistAreNotFound) {
    EXPECT_EQ(serialProbe("COM49"), SerialOpenStatus::NotFound);
    EXPECT_EQ(serialProbe("\\\\.\\COM48"), SerialOpenStatus::NotFound);
    SerialDevice* device = reinterpret_cast<SerialDevice*>(1);
    EXPECT_EQ(serialOpen("\\\\.\\COM47", &device), SerialOpenStatus::NotFound);
    EXPECT_EQ(device, nullptr);
}

// The runner maps this port to a pseudo-terminal whose far end echoes.
class Win32SerialEcho : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("KEYER_ECHO_PORT");
        if (!port) GTEST_SKIP() << "KEYER_ECHO_PORT names no echoing COM port";
        name = port;
        ASSERT_EQ(serialOpen(name, &device), SerialOpenStatus::Opened);
        SerialLineSettings line;
        ASSERT_TRUE(serialGetSettings(device, line));
        line.baudRate = 1200;
        line.byteSize = 8;
        line.parity = 0;
        line.stopBits = 0;
        line.dtrEnable = true;
        line.rtsEnable = false;
        ASSERT_TRUE(serialSetSettings(device, line));
        SerialTimeouts limits;
        limits.readTotalConstantMs = 4500;
        ASSERT_TRUE(serialSetTimeouts(device, limits));
        ASSERT_TRUE(serialPurgeReceive(device));
    }
    void TearDown() override {
        if (device) serialClose(device);
    }
    std::string name;
    SerialDevice* device = nullptr;
};

TEST_F(Win32SerialEcho, SettingsReadBackAsApplied) {
    SerialLineSettings line;
    ASSERT_TRUE(serialGetSettings(device, line));
    EXPECT_EQ(line.baudRate, 1200u);
    EXPECT_EQ(line.byteSize, 8);
    EXPECT_EQ(line.parity, 0);
    EXPECT_EQ(line.stopBits, 0);
    line.baudRate = 9600;
    ASSERT_TRUE(serialSetSettings(device, line));
    SerialLineSettings after;
    ASSERT_TRUE(serialGetSettings(device, after));
    EXPECT_EQ(after.baudRate, 9600u);
    EXPECT_EQ(after.byteSize, 8);
}

TEST_F(Win32SerialEcho, WrittenBytesComeBack) {
    const std::uint8_t command[] = {0x00, 0x04, 0x55};
    EXPECT_EQ(serialWrite(device, command, 2000), 3u);
    std::uint8_t reply[3] = {};
    EXPECT_EQ(serialRead(device, reply, 4000), 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(reply, reply + 3), std::vector<std::uint8_t>(command, command + 3));
}

TEST_F(Win32SerialEcho, AReadWhoseWaitEndsIsCancelledAndTakesNothingLater) {
    // Nothing arrives: the wait (300 ms) ends before the port's own time-out.
    std::uint8_t lost[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(serialRead(device, lost, 300), 0u);
    // A byte echoed afterwards goes to the next read, not into the old buffer.
    const std::uint8_t probe[] = {0x42};
    EXPECT_EQ(serialWrite(device, probe, 2000), 1u);
    std::uint8_t got[1] = {};
    EXPECT_EQ(serialRead(device, got, 4000), 1u);
    EXPECT_EQ(got[0], 0x42);
    EXPECT_EQ(lost[0], 0xEE);
}

// The echo sends back what one write sent in one piece: once its first byte
// has been read, the rest waits in the input queue, however slowly the echo
// answered.  The tests below count on that, not on how long anything takes.

TEST_F(Win32SerialEcho, AShortReplyEndsOnThePortsTimeOutWithWhatCame) {
    const std::uint8_t sent[] = {1, 2, 3};
    EXPECT_EQ(serialWrite(device, sent, 2000), 3u);
    std::uint8_t first[1] = {};
    ASSERT_EQ(serialRead(device, first, 4000), 1u);
    SerialTimeouts limits;
    limits.readTotalConstantMs = 300;
    ASSERT_TRUE(serialSetTimeouts(device, limits));
    std::uint8_t three[3] = {};
    EXPECT_EQ(serialRead(device, three, 4000), 2u);
    EXPECT_EQ(three[0], 2);
    EXPECT_EQ(three[1], 3);
    EXPECT_EQ(three[2], 0);
}

TEST_F(Win32SerialEcho, PurgeDiscardsWhatHasArrivedUnread) {
    const std::uint8_t stale[] = {9, 9, 9};
    EXPECT_EQ(serialWrite(device, stale, 2000), 3u);
    std::uint8_t first[1] = {};
    ASSERT_EQ(serialRead(device, first, 4000), 1u);  // the other two have arrived
    ASSERT_TRUE(serialPurgeReceive(device));
    std::uint8_t got[1] = {};
    EXPECT_EQ(serialRead(device, got, 300), 0u);
}

TEST_F(Win32SerialEcho, DrainReturnsOnceTheOutputHasGone) {
    const std::vector<std::uint8_t> block(288, 0x5A);
    EXPECT_EQ(serialWrite(device, block, 2000), block.size());
    EXPECT_TRUE(serialDrain(device, 5000));
}

TEST_F(Win32SerialEcho, TheOpenPortIsExclusiveToItsOwner) {
    // Wine does not refuse a second open of a port (Windows does), so only
    // what both agree on is checked: the probe still counts the port as there.
    const SerialOpenStatus probe = serialProbe(name);
    EXPECT_TRUE(probe == SerialOpenStatus::Opened || probe == SerialOpenStatus::AccessDenied ||
                probe == SerialOpenStatus::Busy)
        << static_cast<int>(probe);
}

// The runner maps this port to a pseudo-terminal that never reads.
TEST(Win32SerialDeaf, AWriteThatCannotLeaveEndsAfterItsLineTimeAndCountsShort) {
    const char* port = std::getenv("KEYER_DEAF_PORT");
    if (!port) GTEST_SKIP() << "KEYER_DEAF_PORT names no deaf COM port";
    SerialDevice* device = nullptr;
    ASSERT_EQ(serialOpen(port, &device), SerialOpenStatus::Opened);
    SerialLineSettings line;
    ASSERT_TRUE(serialGetSettings(device, line));
    line.baudRate = 115200;  // a line time of a few seconds for what follows
    ASSERT_TRUE(serialSetSettings(device, line));
    // Far more than the terminal holds: the write stays pending past its wait,
    // is given up after the line time, and the call returns with the count
    // the terminal took before the cancel.
    const std::vector<std::uint8_t> flood(24 * 1024, 0x5A);
    EXPECT_LT(serialWrite(device, flood, 300), flood.size());
    serialClose(device);
}

}  // namespace
