// Dialogs and controls on the Win32 dialog manager.
//
// Every dialog is built in memory from its row of the template table and run
// with DialogBoxIndirectParamA, so the windows carry the real control IDs,
// classes, styles, captions and fonts.  One window procedure adapter turns
// the dialog manager's messages into the four events of a DialogProc.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/win32/dialog_template_bytes.h"
#include "platform/win32/win32_internal.h"
#include "resources/dialog_templates.h"

using win32::toHwnd;
using win32::toWindow;

// The template builder carries its own copy of these values so that it can
// be tested on any host; here they must agree with the system's headers.
static_assert(win32::WsPopup == WS_POPUP && win32::WsChild == WS_CHILD && win32::WsVisible == WS_VISIBLE);
static_assert(win32::WsCaption == WS_CAPTION && win32::WsBorder == WS_BORDER && win32::WsVScroll == WS_VSCROLL);
static_assert(win32::WsSysMenu == WS_SYSMENU && win32::WsMinimizeBox == WS_MINIMIZEBOX);
static_assert(win32::WsMaximizeBox == WS_MAXIMIZEBOX && win32::WsTabStop == WS_TABSTOP);
static_assert(win32::DsSetFont == DS_SETFONT && win32::DsModalFrame == DS_MODALFRAME);
static_assert(win32::BsPushButton == BS_PUSHBUTTON && win32::BsAutoCheckBox == BS_AUTOCHECKBOX);
static_assert(win32::BsRadioButton == BS_RADIOBUTTON && win32::BsGroupBox == BS_GROUPBOX);
static_assert(win32::BsMultiLine == BS_MULTILINE);
static_assert(win32::EsLeft == ES_LEFT && win32::EsMultiLine == ES_MULTILINE && win32::EsUpperCase == ES_UPPERCASE);
static_assert(win32::EsAutoVScroll == ES_AUTOVSCROLL && win32::EsAutoHScroll == ES_AUTOHSCROLL);
static_assert(win32::EsNumber == ES_NUMBER);
static_assert(win32::SsLeft == SS_LEFT && win32::SsCenter == SS_CENTER && win32::SsCenterImage == SS_CENTERIMAGE);
static_assert(win32::CbsDropDown == CBS_DROPDOWN);
static_assert(win32::MbOk == MB_OK && win32::MbIconError == MB_ICONERROR && win32::MbIconWarning == MB_ICONWARNING);
static_assert(win32::MbIconInformation == MB_ICONINFORMATION);
static_assert(notify::Clicked == BN_CLICKED && notify::ListSelectionChange == CBN_SELCHANGE);

namespace {

// What a running dialog's adapter needs; lives in runModalDialog's frame for
// the whole modal run and is found through the dialog's DWLP_USER slot.
struct DialogBinding {
    DialogProc proc = nullptr;
    const DialogTemplate* dialogTemplate = nullptr;
};

void subclassEdit(HWND edit, CharFilter filter);

// A multi-line edit asks the dialog manager for every key, Esc included, and
// answers Esc by posting WM_CLOSE to its dialog: in the main window that
// would end the program at once, without closing the port and losing every
// unsaved edit.  Every multi-line edit of every dialog is therefore
// subclassed before the procedure runs, so that Esc there is the dialog
// manager's Cancel (command 2) as it is everywhere else in the dialog.
void keepEscapeForTheDialog(HWND hwnd, const DialogTemplate* dialogTemplate) {
    if (!dialogTemplate) return;
    for (const ControlTemplate& control : dialogTemplate->controls) {
        if (control.kind != ControlKind::Edit || !(control.styles & style::MultiLine)) continue;
        if (const HWND edit = GetDlgItem(hwnd, control.id)) subclassEdit(edit, nullptr);
    }
}

INT_PTR CALLBACK dialogAdapter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    const auto* binding = reinterpret_cast<const DialogBinding*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!binding || !binding->proc) return FALSE;

    DialogMessage m;
    switch (message) {
        case WM_INITDIALOG:
            keepEscapeForTheDialog(hwnd, binding->dialogTemplate);
            m.event = DialogEvent::Init;
            break;
        case WM_COMMAND:
            m.event = DialogEvent::Command;
            m.controlId = LOWORD(wParam);
            m.notifyCode = HIWORD(wParam);
            break;
        case WM_TIMER:
            m.event = DialogEvent::Timer;
            m.timerId = static_cast<int>(wParam);
            break;
        case WM_CLOSE:
            m.event = DialogEvent::Close;
            break;
        default:
            return FALSE;
    }
    return binding->proc(toWindow(hwnd), m) ? TRUE : FALSE;
}

// The progress bar's class lives in the common controls library, which must
// be initialised before a template names it.
void initCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

HWND item(Window dialog, int controlId) { return GetDlgItem(toHwnd(dialog), controlId); }

LRESULT sendToItem(Window dialog, int controlId, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(toHwnd(dialog), controlId, message, wParam, lParam);
}

// --- Subclassed edits: the edit's window procedure is replaced by one that
// asks the character filter (when there is one) about every WM_CHAR, leaves
// Esc to the dialog manager, and passes everything else on.

constexpr const char* FilterProperty = "KeyerCharFilter";

struct EditSubclass {
    WNDPROC previous = nullptr;
    CharFilter filter = nullptr;
};

bool isEscapeKeyDown(const MSG* key) { return key && key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE; }

LRESULT CALLBACK filteredEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* subclass = static_cast<EditSubclass*>(GetPropA(edit, FilterProperty));
    if (!subclass) return DefWindowProcA(edit, message, wParam, lParam);
    const WNDPROC previous = subclass->previous;
    if (message == WM_CHAR && subclass->filter &&
        !subclass->filter(toWindow(GetParent(edit)), GetDlgCtrlID(edit), static_cast<unsigned>(wParam)))
        return 0;
    // The dialog manager asks the focused control before it acts on a key:
    // for Esc this edit does not want it, so the dialog gets command 2.
    if (message == WM_GETDLGCODE) {
        const LRESULT code = CallWindowProcA(previous, edit, message, wParam, lParam);
        if (isEscapeKeyDown(reinterpret_cast<const MSG*>(lParam))) return code & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return code;
    }
    // An Esc that reaches the edit all the same (a key not run through the
    // dialog manager) would make a multi-line edit close its dialog.
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) return 0;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(edit, FilterProperty);
        delete subclass;
    }
    return CallWindowProcA(previous, edit, message, wParam, lParam);
}

// Operations run inside their command on the dialog's thread, so no message
// loop paints while they wait for the keyer: a control whose text or state
// changes is painted at once, or ">Reading" would show only when the Read has
// ended.  Painting sends WM_PAINT to that control alone; no other message is
// taken from the queue, so no other command can start meanwhile.
void paintNow(HWND control) {
    if (control) RedrawWindow(control, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace

// --- Control state -----------------------------------------------------------

void setControlText(Window dialog, int controlId, std::string_view text) {
    const std::string copy(text);
    SetDlgItemTextA(toHwnd(dialog), controlId, copy.c_str());
    paintNow(item(dialog, controlId));
}

std::string getControlText(Window dialog, int controlId, std::size_t maxChars) {
    const HWND control = item(dialog, controlId);
    if (!control) return {};
    const auto length = static_cast<std::size_t>(std::max(GetWindowTextLengthA(control), 0));
    std::string text(std::min(length, maxChars) + 1, '\0');
    const int copied = GetDlgItemTextA(toHwnd(dialog), controlId, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void setChecked(Window dialog, int controlId, bool checked) {
    sendToItem(dialog, controlId, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isChecked(Window dialog, int controlId) {
    return sendToItem(dialog, controlId, BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void showControl(Window dialog, int controlId, bool visible) {
    if (const HWND control = item(dialog, controlId)) ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void enableControl(Window dialog, int controlId, bool enabled) {
    if (const HWND control = item(dialog, controlId)) {
        EnableWindow(control, enabled ? TRUE : FALSE);
        paintNow(control);
    }
}

void listClear(Window dialog, int controlId) { sendToItem(dialog, controlId, CB_RESETCONTENT, 0, 0); }

void listAdd(Window dialog, int controlId, std::string_view entry) {
    const std::string copy(entry);
    sendToItem(dialog, controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void listSelect(Window dialog, int controlId, int index) {
    sendToItem(dialog, controlId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int listSelection(Window dialog, int controlId) {
    if (!item(dialog, controlId)) return -1;
    return static_cast<int>(sendToItem(dialog, controlId, CB_GETCURSEL, 0, 0));
}

void setTextLimit(Window dialog, int controlId, std::size_t limit) {
    sendToItem(dialog, controlId, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
}

void insertEditText(Window dialog, int controlId, std::string_view text) {
    // From another thread, SendMessage runs the insert on the dialog's own
    // thread and returns when it is done: the hand-over is synchronous.
    const std::string copy(text);
    sendToItem(dialog, controlId, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(copy.c_str()));
}

void setProgress(Window dialog, int controlId, int position) {
    sendToItem(dialog, controlId, PBM_SETPOS, static_cast<WPARAM>(std::max(position, 0)), 0);
}

void installCharFilter(Window dialog, int controlId, CharFilter filter) {
    if (const HWND edit = item(dialog, controlId)) subclassEdit(edit, filter);
}

namespace {

void subclassEdit(HWND edit, CharFilter filter) {
    if (auto* existing = static_cast<EditSubclass*>(GetPropA(edit, FilterProperty))) {
        existing->filter = filter;
        return;
    }
    auto* subclass = new EditSubclass{nullptr, filter};
    if (!SetPropA(edit, FilterProperty, subclass)) {
        delete subclass;
        return;
    }
    subclass->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&filteredEditProc)));
}

}  // namespace

// --- Timers -------------------------------------------------------------------

void startTimer(Window dialog, int timerId, int periodMs) {
    SetTimer(toHwnd(dialog), static_cast<UINT_PTR>(timerId), static_cast<UINT>(std::max(periodMs, 1)), nullptr);
}

void stopTimer(Window dialog, int timerId) { KillTimer(toHwnd(dialog), static_cast<UINT_PTR>(timerId)); }

// --- Dialogs ------------------------------------------------------------------

int runModalDialog(Window owner, int templateId, DialogProc proc) {
    const DialogTemplate* dialog = findDialogTemplate(templateId);
    if (!dialog) return -1;
    initCommonControls();
    const std::vector<std::uint8_t> bytes = win32::buildDialogTemplate(*dialog);
    DialogBinding binding{proc, dialog};
    const INT_PTR result =
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                toHwnd(owner), dialogAdapter, reinterpret_cast<LPARAM>(&binding));
    return static_cast<int>(result);
}

void endDialog(Window dialog, int result) { EndDialog(toHwnd(dialog), result); }

void sendCommand(Window dialog, int controlId, int notifyCode) {
    const HWND hwnd = toHwnd(dialog);
    SendMessageA(hwnd, WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(controlId), static_cast<WORD>(notifyCode)),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, controlId)));
}

// The modal loop of the main dialog sees WM_QUIT, posts it again and ends;
// DialogBoxIndirectParamA then returns and the program with it.  A dialog
// ended by WM_QUIT alone returns what the dialog manager chooses (IDOK), so
// the main dialog is also ended with the exit code: that is what it returns.
void endMessageLoop(Window dialog, int exitCode) {
    if (const HWND main = GetAncestor(toHwnd(dialog), GA_ROOTOWNER)) EndDialog(main, exitCode);
    PostQuitMessage(exitCode);
}

void messageBox(Window owner, std::string_view text, std::string_view caption, MessageIcon icon) {
    const std::string textCopy(text);
    const std::string captionCopy(caption);
    MessageBoxA(toHwnd(owner), textCopy.c_str(), captionCopy.c_str(), win32::messageBoxFlags(icon));
}

bool registerMainWindowClass(std::string_view className, int iconId) {
    // The system's dialog box class, atom 0x8002: the main window is a dialog
    // of the dialog manager that only has a class name (and icon) of its own.
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(nullptr, MAKEINTATOM(0x8002), &windowClass)) return false;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const std::string name(className);
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    windowClass.hIconSm = nullptr;  // derived from hIcon
    windowClass.lpszClassName = name.c_str();
    return RegisterClassExA(&windowClass) != 0;
}
