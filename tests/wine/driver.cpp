// The Windows program's test driver: a console program that plays the
// operator from outside the program, through nothing but what any Win32 tool
// has: windows found by class or caption, controls found by their IDs,
// cross-process messages (BM_CLICK, WM_GETTEXT, WM_SETTEXT, CB_*) and the
// enable and visibility queries.
//
// It runs a script, one step a line; every wait has a time-out.  On the
// first step that does not hold it prints what it saw and exits with 1.
//
//   timeout MS                     time-out of the waits that follow (default 20000)
//   window class NAME | title TEXT wait (up to a minute) for that top-level window; later steps act on it
//   caption TEXT                   the window's caption
//   program-icon ID                the window's program file holds icon ID (its class's icon
//                                  cannot be asked across processes under Wine)
//   verify-template ID [except ID,ID...]
//                                  every control of that template exists with its class,
//                                  style and (for buttons and labels) text
//   text ID TEXT                   wait until the control shows TEXT (may be empty)
//   text-prefix ID TEXT            ... a text that starts with TEXT
//   enabled ID yes|no, visible ID yes|no, checked ID yes|no
//   click ID                       an operator's click (the control must be enabled and visible)
//   set-text ID TEXT               replace an edit's text, as pasting over it would
//   items ID A|B|C                 a drop-down list's entries ("-" for none)
//   items-contain ID ENTRY         the list holds ENTRY
//   selection ID N                 its selected index (-1: none)
//   selected-entry ID ENTRY        the selected entry reads ENTRY
//   select ID N                    pick entry N, as the mouse would
//   lines ID N                     a multi-line edit's text holds N lines (its line breaks
//                                  and one; rows wrapped by the font do not count)
//   progress ID N                  a progress bar's position is N
//   progress-above ID N            ... is more than N
//   select-entry ID ENTRY          pick the entry that reads ENTRY
//   message CAPTION | TEXT         wait for that message box, and answer OK
//   no-message                     no message box is open
//   closed                         wait until the window has gone
//   absent class NAME | title TEXT no such window is open
//   rect                           print "rect X Y W H" of the window, in pixels
//   screenshot FILE.bmp            what the screen shows of the window, as a bitmap file
//   dump                           list the window's controls (for writing scripts)
//   real-click ID                  the window comes to the front and the control gets a real
//                                  mouse click (SendInput), which also gives it the focus
//   key NAME                       the window comes to the front and gets a real key press and
//                                  release (SendInput): Escape, Return, Tab, Space, Back
//   type TEXT                      ... real key presses for the letters, digits and spaces of TEXT
//   focused ID                     wait until the control (or a part of it) has the focus
//   close-box                      what a click on the window's close box sends (SC_CLOSE)
//   sleep MS
//
// "$CASE" in a step stands for the driver's current folder (the case's own).
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/dialog_template_bytes.h"
#include "resources/dialog_templates.h"
#include "tests/wine/expected_window_class.h"

namespace {

int waitTimeoutMs = 20000;
HWND target = nullptr;
int lineNumber = 0;

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

[[noreturn]] void fail(const std::string& why) {
    std::printf("FAIL (script line %d): %s\n", lineNumber, why.c_str());
    std::fflush(stdout);
    std::exit(1);
}

// Polls until check holds or the time-out passes; false on time-out.
bool waitFor(const std::function<bool()>& check) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitTimeoutMs);
    for (;;) {
        if (check()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
}

std::wstring className(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

// Static and button texts are the window's own title, readable at once even
// while the program is busy; edits and lists keep their text themselves and
// must be asked, which waits until the program's thread is free again.
std::optional<std::string> controlText(HWND control) {
    const std::wstring cls = className(control);
    if (lstrcmpiW(cls.c_str(), L"Edit") == 0 || lstrcmpiW(cls.c_str(), L"ComboBox") == 0) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return std::nullopt;
        std::wstring buffer(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer.data()),
                                 SMTO_ABORTIFHUNG, 2000, &copied))
            return std::nullopt;
        buffer.resize(copied);
        return narrow(buffer);
    }
    wchar_t buffer[2048] = {};
    const int length = InternalGetWindowText(control, buffer, 2048);
    return narrow(std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}

// Everything the driver does to the program is sent, never posted: the
// program's thread handles sent messages in the order they came, so a click
// and the text typed after it arrive in that order even while the program is
// still busy with an earlier command.  The send returns after a short time
// even when the program is not done yet (a click that opens a dialog, or a
// Read that takes seconds): the message still runs there, in its turn.
void sendInTurn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 200, &ignored);
}

HWND requireTarget() {
    if (!target || !IsWindow(target)) fail("no window to act on (use 'window' first)");
    return target;
}

HWND control(int id) {
    const HWND item = GetDlgItem(requireTarget(), id);
    if (!item) fail("the window has no control " + std::to_string(id));
    return item;
}

std::optional<std::vector<std::string>> listEntries(HWND list) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return std::nullopt;
    std::vector<std::string> entries;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(list, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 2000, &length)) return std::nullopt;
        // Only the Unicode form of CB_GETLBTEXT carries the text across processes.
        std::wstring buffer(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                                 2000, &copied))
            return std::nullopt;
        buffer.resize(copied);
        entries.push_back(narrow(buffer));
    }
    return entries;
}

std::string joined(const std::vector<std::string>& entries) {
    if (entries.empty()) return "-";
    std::string s;
    for (std::size_t i = 0; i < entries.size(); ++i) s += (i ? "|" : "") + entries[i];
    return s;
}

bool yes(const std::string& word) {
    if (word == "yes") return true;
    if (word == "no") return false;
    fail("expected yes or no, got '" + word + "'");
}

// A message box: a dialog-class window with the message text in static 65535.
BOOL CALLBACK matchMessageBox(HWND window, LPARAM param) {
    if (IsWindowVisible(window) && className(window) == L"#32770" && GetDlgItem(window, 0xFFFF) &&
        GetDlgItem(window, IDOK)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND findMessageBox() {
    HWND found = nullptr;
    EnumWindows(matchMessageBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What there is instead, when a window does not turn up.
BOOL CALLBACK printWindow(HWND window, LPARAM) {
    wchar_t title[256] = {};
    InternalGetWindowText(window, title, 256);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::printf("  window %p class '%s' title '%s' process %lu %s\n", static_cast<void*>(window),
                narrow(className(window)).c_str(), narrow(title).c_str(), process,
                IsWindowVisible(window) ? "visible" : "hidden");
    return TRUE;
}

void listTopLevelWindows() { EnumWindows(printWindow, 0); }

BOOL CALLBACK printControl(HWND control, LPARAM) {
    wchar_t title[256] = {};
    InternalGetWindowText(control, title, 256);
    std::printf("  control %d class '%s' text '%s' %s %s\n", GetDlgCtrlID(control), narrow(className(control)).c_str(),
                narrow(title).c_str(), IsWindowVisible(control) ? "visible" : "hidden",
                IsWindowEnabled(control) ? "enabled" : "disabled");
    return TRUE;
}

void programIcon(int iconId) {
    DWORD process = 0;
    GetWindowThreadProcessId(requireTarget(), &process);
    const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle) fail("cannot open the window's process");
    wchar_t path[MAX_PATH * 4] = {};
    DWORD size = MAX_PATH * 4;
    const BOOL named = QueryFullProcessImageNameW(handle, 0, path, &size);
    CloseHandle(handle);
    if (!named) fail("cannot find the window's program file");
    const HMODULE image = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image) fail("cannot read the resources of " + narrow(path));
    const bool found = FindResourceW(image, MAKEINTRESOURCEW(iconId), MAKEINTRESOURCEW(14)) != nullptr;  // RT_GROUP_ICON
    const HANDLE icon = LoadImageW(image, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 32, 32, 0);
    if (icon) DestroyIcon(static_cast<HICON>(icon));
    FreeLibrary(image);
    if (!found || !icon) fail(narrow(path) + " has no icon " + std::to_string(iconId));
    std::printf("  %s holds icon %d\n", narrow(path).c_str(), iconId);
}

void verifyTemplate(int templateId, const std::vector<int>& skipText) {
    const DialogTemplate* t = findDialogTemplate(templateId);
    if (!t) fail("no template " + std::to_string(templateId));
    const HWND window = requireTarget();
    int problems = 0;
    auto problem = [&problems](const std::string& what) {
        std::printf("  control %s\n", what.c_str());
        ++problems;
    };
    for (const ControlTemplate& c : t->controls) {
        const HWND item = GetDlgItem(window, c.id);
        const std::string id = std::to_string(c.id);
        if (!item) {
            problem(id + ": missing");
            continue;
        }
        const std::string cls = narrow(className(item));
        if (lstrcmpiA(cls.c_str(), expectedClass(c.kind).c_str()) != 0)
            problem(id + ": class " + cls + ", expected " + expectedClass(c.kind));
        // The kind's own style bits and the tab stop; the system may move a
        // border into an extended style or a scroll bar into a child list.
        const auto style = static_cast<std::uint32_t>(GetWindowLongW(item, GWL_STYLE));
        const std::uint32_t mask = 0xFFFF | WS_CHILD | WS_TABSTOP;
        const std::uint32_t want = win32::controlWindowStyle(c) & mask;
        if ((style & mask) != want) {
            char text[96];
            std::snprintf(text, sizeof text, ": style %08lx, expected %08lx (under mask %08lx)",
                          static_cast<unsigned long>(style & mask), static_cast<unsigned long>(want),
                          static_cast<unsigned long>(mask));
            problem(id + text);
        }
        const bool labelled = c.kind != ControlKind::Edit && c.kind != ControlKind::ComboBox &&
                              c.kind != ControlKind::ProgressBar && !c.text.empty();
        bool skip = false;
        for (int s : skipText) skip = skip || s == c.id;
        if (labelled && !skip) {
            const auto text = controlText(item);
            if (!text || *text != c.text) problem(id + ": text '" + text.value_or("?") + "', expected '" + std::string(c.text) + "'");
        }
    }
    if (problems) fail(std::to_string(problems) + " controls differ from template " + std::to_string(templateId));
    std::printf("  %zu controls as in template %d\n", t->controls.size(), templateId);
}

// Copies the window's rectangle of the screen into a 24-bit bitmap file.
void screenshot(const std::string& path) {
    RECT r{};
    GetWindowRect(requireTarget(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) fail("the window has no area");
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as a .bmp file stores them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    std::vector<char> pixels(rowBytes * static_cast<std::size_t>(height));
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied || rows != height) fail("could not copy the screen");

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(&header), sizeof header);
    file.write(reinterpret_cast<const char*>(&info), sizeof info);
    file.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    if (!file) fail("could not write " + path);
    std::printf("  %dx%d pixels to %s\n", width, height, path.c_str());
}

// --- Real input ------------------------------------------------------------
// Keys and clicks go through the system's input queue, as an operator's do:
// the program's message loop and its dialog manager see them as they would
// see a person's, unlike messages sent to a control.

void sendInputs(std::vector<INPUT>& inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) fail("SendInput took " + std::to_string(sent) + " of " + std::to_string(inputs.size()) + " events");
}

void bringToFront(HWND window) {
    SetForegroundWindow(window);
    if (!waitFor([&] { return GetForegroundWindow() == window; })) fail("the window does not come to the front");
}

HWND focusOf(HWND window);
void sendClick(HWND control);

// Clicks until the control has the focus, which every clicked control takes:
// Wine may spend a first click on activating the window, and a click that
// never arrived changed nothing, so trying again cannot click twice.
void realClick(HWND control) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        sendClick(control);
        const ULONGLONG deadline = GetTickCount64() + 1500;
        while (GetTickCount64() < deadline) {
            const HWND focus = focusOf(requireTarget());
            if (focus && (focus == control || IsChild(control, focus))) return;
            Sleep(50);
        }
    }
}

void sendClick(HWND control) {
    bringToFront(requireTarget());
    RECT r{};
    GetWindowRect(control, &r);
    const int width = std::max(GetSystemMetrics(SM_CXSCREEN) - 1, 1);
    const int height = std::max(GetSystemMetrics(SM_CYSCREEN) - 1, 1);
    // Absolute positions run from 0 to 65535 across the screen.
    const LONG x = static_cast<LONG>((r.left + r.right) / 2 * 65535L / width);
    const LONG y = static_cast<LONG>((r.top + r.bottom) / 2 * 65535L / height);
    std::vector<INPUT> inputs(3);
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = x;
        input.mi.dy = y;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    sendInputs(inputs);
}

void addKey(std::vector<INPUT>& inputs, WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
}

void pressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        addKey(inputs, key, false);
        addKey(inputs, key, true);
    }
    sendInputs(inputs);
}

WORD namedKey(const std::string& name) {
    if (name == "Escape") return VK_ESCAPE;
    if (name == "Return") return VK_RETURN;
    if (name == "Tab") return VK_TAB;
    if (name == "Space") return VK_SPACE;
    if (name == "Back") return VK_BACK;
    fail("no key named '" + name + "'");
}

// Letters are typed as their keys without Shift: the edits that take them
// here make them upper case themselves.
WORD keyOfCharacter(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<WORD>('A' + (c - 'a'));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<WORD>(c);
    if (c == ' ') return VK_SPACE;
    fail(std::string("type: no plain key for '") + c + "'");
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int number(const std::string& word) {
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0') fail("not a number: '" + word + "'");
    return static_cast<int>(value);
}

void run(const std::string& verb, std::istringstream& args) {
    std::string first;
    args >> first;
    std::string rest;
    std::getline(args, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);

    if (verb == "timeout") {
        waitTimeoutMs = number(first);
    } else if (verb == "sleep") {
        Sleep(static_cast<DWORD>(number(first)));
    } else if (verb == "window") {
        const std::wstring name = widen(rest);
        HWND found = nullptr;
        // A program starting under Wine on a busy machine may take a while.
        const int usualTimeout = waitTimeoutMs;
        waitTimeoutMs = std::max(waitTimeoutMs, 60000);
        const bool ok = waitFor([&] {
            found = first == "class" ? FindWindowW(name.c_str(), nullptr) : FindWindowW(L"#32770", name.c_str());
            return found && IsWindowVisible(found);
        });
        waitTimeoutMs = usualTimeout;
        if (!ok) {
            listTopLevelWindows();
            fail("no visible window with " + first + " '" + rest + "'");
        }
        target = found;
    } else if (verb == "caption") {
        const std::string want = first + (rest.empty() ? "" : " " + rest);
        const auto got = controlText(requireTarget());
        if (got != want) fail("caption '" + got.value_or("?") + "', expected '" + want + "'");
    } else if (verb == "program-icon") {
        programIcon(number(first));
    } else if (verb == "verify-template") {
        std::vector<int> skip;
        std::istringstream more(rest);
        std::string word;
        more >> word;
        if (word == "except") {
            std::string list;
            more >> list;
            std::istringstream ids(list);
            for (std::string id; std::getline(ids, id, ',');) skip.push_back(number(id));
        }
        verifyTemplate(number(first), skip);
    } else if (verb == "text" || verb == "text-prefix") {
        const HWND item = control(number(first));
        std::optional<std::string> got;
        const bool ok = waitFor([&] {
            got = controlText(item);
            return got && (verb == "text" ? *got == rest : got->rfind(rest, 0) == 0);
        });
        if (!ok) fail("control " + first + " shows '" + got.value_or("?") + "', expected " + (verb == "text" ? "" : "a start of ") + "'" + rest + "'");
    } else if (verb == "enabled" || verb == "visible" || verb == "checked") {
        const HWND item = control(number(first));
        const bool want = yes(rest);
        bool got = false;
        const bool ok = waitFor([&] {
            if (verb == "enabled") got = IsWindowEnabled(item) != FALSE;
            else if (verb == "visible") got = IsWindowVisible(item) != FALSE;
            else {
                DWORD_PTR state = 0;
                if (!SendMessageTimeoutW(item, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state)) return false;
                got = state == BST_CHECKED;
            }
            return got == want;
        });
        if (!ok) fail("control " + first + " " + verb + ": " + (got ? "yes" : "no") + ", expected " + rest);
    } else if (verb == "click") {
        const HWND item = control(number(first));
        // An operation the program is running (the Test after the uploader, say)
        // holds the buttons disabled; an operator waits for them.
        if (!waitFor([&] { return IsWindowEnabled(item) != FALSE; }))
            fail("control " + first + " is disabled: an operator cannot click it");
        if (!IsWindowVisible(item)) fail("control " + first + " is hidden: an operator cannot click it");
        sendInTurn(item, BM_CLICK, 0, 0);
    } else if (verb == "set-text") {
        const std::wstring text = widen(rest);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(control(number(first)), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                 SMTO_NORMAL, static_cast<UINT>(waitTimeoutMs), &result))
            fail("the program did not take the text of control " + first);
    } else if (verb == "items" || verb == "items-contain") {
        const HWND list = control(number(first));
        std::optional<std::vector<std::string>> got;
        const bool ok = waitFor([&] {
            got = listEntries(list);
            if (!got) return false;
            if (verb == "items") return joined(*got) == rest;
            for (const auto& e : *got)
                if (e == rest) return true;
            return false;
        });
        if (!ok) fail("list " + first + " holds '" + (got ? joined(*got) : "?") + "', expected " + (verb == "items" ? "" : "an entry ") + "'" + rest + "'");
    } else if (verb == "selection") {
        const HWND list = control(number(first));
        DWORD_PTR got = 0;
        const int want = number(rest);
        const bool ok = waitFor([&] {
            return SendMessageTimeoutW(list, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &got) &&
                   static_cast<int>(static_cast<LRESULT>(got)) == want;
        });
        if (!ok) fail("list " + first + " selection " + std::to_string(static_cast<LRESULT>(got)) + ", expected " + rest);
    } else if (verb == "lines") {
        // Counted in the text: how many rows the edit wraps it into depends
        // on the font the machine has.
        const HWND edit = control(number(first));
        const int want = number(rest);
        int got = 0;
        const bool ok = waitFor([&] {
            const auto text = controlText(edit);
            if (!text) return false;
            got = 1;
            for (auto at = text->find("\r\n"); at != std::string::npos; at = text->find("\r\n", at + 2)) ++got;
            return got == want;
        });
        if (!ok) fail("edit " + first + " holds " + std::to_string(got) + " lines, expected " + rest);
    } else if (verb == "progress" || verb == "progress-above") {
        const HWND bar = control(number(first));
        const int want = number(rest);
        DWORD_PTR got = 0;
        const bool ok = waitFor([&] {
            if (!SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &got)) return false;
            const auto position = static_cast<int>(got);
            return verb == "progress" ? position == want : position > want;
        });
        if (!ok) fail("progress bar " + first + " at " + std::to_string(static_cast<int>(got)) + ", expected " + (verb == "progress" ? "" : "more than ") + rest);
    } else if (verb == "selected-entry") {
        const HWND list = control(number(first));
        std::string got = "(none)";
        const bool ok = waitFor([&] {
            DWORD_PTR index = 0;
            const auto entries = listEntries(list);
            if (!entries || !SendMessageTimeoutW(list, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &index)) return false;
            const auto at = static_cast<LRESULT>(index);
            got = at >= 0 && static_cast<std::size_t>(at) < entries->size() ? (*entries)[static_cast<std::size_t>(at)] : "(none)";
            return got == rest;
        });
        if (!ok) fail("list " + first + " has '" + got + "' selected, expected '" + rest + "'");
    } else if (verb == "select" || verb == "select-entry") {
        const int id = number(first);
        const HWND list = control(id);
        int index = -1;
        if (verb == "select") {
            index = number(rest);
        } else {
            const auto entries = listEntries(list);
            for (std::size_t i = 0; entries && i < entries->size(); ++i)
                if ((*entries)[i] == rest) index = static_cast<int>(i);
            if (index < 0) fail("list " + first + " has no entry '" + rest + "' (it holds '" + (entries ? joined(*entries) : "?") + "')");
        }
        sendInTurn(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        // A selection by mouse tells the dialog; CB_SETCURSEL alone does not.
        sendInTurn(requireTarget(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    } else if (verb == "message") {
        // "CAPTION | TEXT"
        const std::string line = first + (rest.empty() ? "" : " " + rest);
        const auto bar = line.find(" | ");
        if (bar == std::string::npos) fail("write: message CAPTION | TEXT");
        const std::string wantCaption = line.substr(0, bar);
        const std::string want = line.substr(bar + 3);
        HWND box = nullptr;
        std::optional<std::string> got;
        std::optional<std::string> gotCaption;
        const bool ok = waitFor([&] {
            box = findMessageBox();
            if (!box) return false;
            got = controlText(GetDlgItem(box, 0xFFFF));
            gotCaption = controlText(box);
            return got == want && gotCaption == wantCaption;
        });
        if (!ok)
            fail(box ? "message box '" + gotCaption.value_or("?") + " | " + got.value_or("?") + "', expected '" + line + "'"
                     : "no message box '" + line + "'");
        sendInTurn(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        if (!waitFor([&] { return !IsWindow(box); })) fail("the message box did not close on OK");
    } else if (verb == "absent") {
        const std::wstring name = widen(rest);
        const HWND found = first == "class" ? FindWindowW(name.c_str(), nullptr) : FindWindowW(L"#32770", name.c_str());
        if (found && IsWindowVisible(found)) fail("a window with " + first + " '" + rest + "' is open");
    } else if (verb == "no-message") {
        if (const HWND box = findMessageBox())
            fail("a message box is open: '" + controlText(GetDlgItem(box, 0xFFFF)).value_or("?") + "'");
    } else if (verb == "closed") {
        const HWND window = target;
        if (!waitFor([&] { return !IsWindow(window); })) fail("the window did not close");
        target = nullptr;
    } else if (verb == "real-click") {
        const HWND item = control(number(first));
        if (!IsWindowEnabled(item) || !IsWindowVisible(item)) fail("control " + first + " cannot be clicked");
        realClick(item);
    } else if (verb == "key") {
        bringToFront(requireTarget());
        pressKeys({namedKey(first)});
    } else if (verb == "type") {
        bringToFront(requireTarget());
        const std::string text = first + (rest.empty() ? "" : " " + rest);
        std::vector<WORD> keys;
        for (char c : text) keys.push_back(keyOfCharacter(c));
        pressKeys(keys);
    } else if (verb == "focused") {
        const HWND item = control(number(first));
        HWND got = nullptr;
        const bool ok = waitFor([&] {
            got = focusOf(requireTarget());
            return got && (got == item || IsChild(item, got));
        });
        if (!ok) fail("control " + first + " does not have the focus (control " + std::to_string(got ? GetDlgCtrlID(got) : 0) + " has)");
    } else if (verb == "close-box") {
        sendInTurn(requireTarget(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (verb == "dump") {
        EnumChildWindows(requireTarget(), printControl, 0);
    } else if (verb == "screenshot") {
        screenshot(first);
    } else if (verb == "rect") {
        RECT r{};
        GetWindowRect(requireTarget(), &r);
        std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else {
        fail("unknown step '" + verb + "'");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: driver SCRIPT\n");
        return 2;
    }
    std::ifstream script(argv[1]);
    if (!script) {
        std::printf("cannot read %s\n", argv[1]);
        return 2;
    }
    for (std::string line; std::getline(script, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        // $CASE: the folder the driver runs in (the case's own), as Windows names it.
        for (auto at = line.find("$CASE"); at != std::string::npos; at = line.find("$CASE", at)) {
            wchar_t folder[MAX_PATH] = {};
            GetCurrentDirectoryW(MAX_PATH, folder);
            const std::string here = narrow(folder);
            line.replace(at, 5, here);
            at += here.size();
        }
        std::printf("> %s\n", line.c_str() + start);
        std::fflush(stdout);
        std::istringstream words(line.substr(start));
        std::string verb;
        words >> verb;
        run(verb, words);
    }
    std::printf("PASS\n");
    return 0;
}
