// The Windows backend while a command holds the dialog's thread, as every
// keyer operation does: controls changed then are painted at once, and Esc
// typed into any edit is the dialog manager's command 2, never a close.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "resources/dialog_templates.h"

namespace {

HWND hwndOf(Window w) { return reinterpret_cast<HWND>(w); }

// The body runs in the dialog's first timer tick: the dialog is shown and
// painted, and the body, like a command, keeps the message loop waiting.
constexpr int BodyTimer = 41;
constexpr int CheckTimer = 42;
std::function<void(Window)> body;
std::function<void(Window)> check;
std::vector<DialogMessage> seen;

bool probeProc(Window dialog, const DialogMessage& message) {
    if (message.event == DialogEvent::Init) {
        startTimer(dialog, BodyTimer, 1);
        return true;
    }
    if (message.event == DialogEvent::Timer) {
        stopTimer(dialog, message.timerId);
        if (message.timerId == BodyTimer) body(dialog);
        if (message.timerId == CheckTimer) check(dialog);
        return true;
    }
    seen.push_back(message);
    return message.event == DialogEvent::Close;  // a close is recorded, and nothing else happens
}

class Win32HeldDialog : public ::testing::Test {
protected:
    // The main window's class, unless another suite of this program has
    // registered it already; given back afterwards, so that any suite may
    // register it again.
    static void SetUpTestSuite() {
        WNDCLASSEXA info{};
        info.cbSize = sizeof info;
        if (GetClassInfoExA(GetModuleHandleA(nullptr), className().c_str(), &info)) return;
        ASSERT_TRUE(registerMainWindowClass(MainWindowClassName, ProgramIconId));
        registeredHere = true;
    }
    static void TearDownTestSuite() {
        if (registeredHere) UnregisterClassA(className().c_str(), GetModuleHandleA(nullptr));
        registeredHere = false;
    }
    static std::string className() { return std::string(MainWindowClassName); }
    void SetUp() override { seen.clear(); }

    static bool registeredHere;
};
bool Win32HeldDialog::registeredHere = false;

bool holdsText(ControlKind kind) { return kind != ControlKind::ProgressBar; }

TEST_F(Win32HeldDialog, AControlChangedInsideACommandIsPaintedBeforeItReturns) {
    std::vector<std::string> unpainted;
    int changed = 0;
    body = [&](Window dialog) {
        // The dialog manager shows the dialog once its queue is first empty.
        if (!IsWindowVisible(hwndOf(dialog))) {
            startTimer(dialog, BodyTimer, 1);
            return;
        }
        // What showing it left to paint is painted first.
        RedrawWindow(hwndOf(dialog), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        for (const ControlTemplate& c : findDialogTemplate(1001)->controls) {
            const HWND control = GetDlgItem(hwndOf(dialog), c.id);
            if (!holdsText(c.kind) || !IsWindowVisible(control)) continue;
            setControlText(dialog, c.id, "X");
            ++changed;
            if (GetUpdateRect(control, nullptr, FALSE)) unpainted.push_back("text of " + std::to_string(c.id));
        }
        const HWND test = GetDlgItem(hwndOf(dialog), 4011);
        enableControl(dialog, 4011, false);
        if (GetUpdateRect(test, nullptr, FALSE)) unpainted.push_back("disabled 4011");
        endDialog(dialog, 1);
    };
    ASSERT_EQ(runModalDialog(nullptr, 1001, probeProc), 1);
    EXPECT_GT(changed, 80) << "the main window shows fewer controls than its template";
    EXPECT_TRUE(unpainted.empty()) << "still waiting for the message loop to paint: " << ::testing::PrintToString(unpainted);
}

TEST_F(Win32HeldDialog, EscInAnyEditOfAnyDialogIsCommandTwoAndNeverAClose) {
    for (const DialogTemplate& dialogTemplate : allDialogTemplates()) {
        std::vector<int> edits;
        for (const ControlTemplate& c : dialogTemplate.controls)
            if (c.kind == ControlKind::Edit) edits.push_back(c.id);
        if (edits.empty()) continue;
        // One run of the dialog: each edit in turn gets the focus and Esc,
        // as the keyboard queues it, so that the modal loop takes it through
        // the dialog manager; the check tick comes after what the key caused.
        std::vector<std::vector<DialogMessage>> perEdit;
        std::size_t next = 0;
        body = [&](Window dialog) {
            seen.clear();
            const HWND edit = GetDlgItem(hwndOf(dialog), edits[next]);
            ShowWindow(edit, SW_SHOW);
            SetFocus(edit);
            PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageA(edit, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
            startTimer(dialog, CheckTimer, 1);
        };
        check = [&](Window dialog) {
            perEdit.push_back(seen);
            if (++next < edits.size())
                body(dialog);
            else
                endDialog(dialog, 1);
        };
        ASSERT_EQ(runModalDialog(nullptr, dialogTemplate.id, probeProc), 1);
        ASSERT_EQ(perEdit.size(), edits.size());
        for (std::size_t i = 0; i < edits.size(); ++i) {
            SCOPED_TRACE("template " + std::to_string(dialogTemplate.id) + " edit " + std::to_string(edits[i]));
            int cancels = 0;
            int closes = 0;
            for (const DialogMessage& m : perEdit[i]) {
                if (m.event == DialogEvent::Command && m.controlId == 2) ++cancels;
                if (m.event == DialogEvent::Close) ++closes;
            }
            EXPECT_EQ(cancels, 1);
            EXPECT_EQ(closes, 0);
        }
    }
}

}  // namespace
