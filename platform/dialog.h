// Dialogs and their controls: the one user-interface contract between the
// program's logic and a toolkit (Win32, FLTK, or the headless test manager).
//
// Every call addresses a control by its dialog and its control ID, exactly as
// the Win32 dialog manager does, so each backend maps these one to one onto
// its own calls.  A dialog is described once, in resources/, and receives its
// events through a DialogProc that switches on the control ID.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// An open dialog.  Opaque: each backend defines what stands behind it.
struct PlatformWindow;
using Window = PlatformWindow*;

enum class DialogEvent {
    Init,     // the dialog and its controls exist; nothing is shown yet
    Command,  // a control sent a command (controlId, notifyCode)
    Timer,    // a periodic timer of this dialog fired (timerId)
    Close,    // the frame's close box
};

// Notification codes carried by Command events.  The values are those of the
// Win32 dialog manager, so that the Win32 backend passes them through.
namespace notify {
inline constexpr int Clicked = 0;           // buttons, check boxes, and commands 1 and 2
inline constexpr int ListSelectionChange = 1;  // a drop-down list's selection changed
}  // namespace notify

struct DialogMessage {
    DialogEvent event = DialogEvent::Init;
    int controlId = 0;   // Command
    int notifyCode = 0;  // Command
    int timerId = 0;     // Timer
};

// Returns true when the procedure handled the event; false leaves it to the
// dialog manager's default handling.
using DialogProc = bool (*)(Window dialog, const DialogMessage& message);

// Sees every character typed into an edit before the edit does; returns true
// to let the edit handle it, false to discard it.
using CharFilter = bool (*)(Window dialog, int controlId, unsigned character);

enum class MessageIcon { None, Warning, Error, Information };

// --- Control state -------------------------------------------------------
void setControlText(Window dialog, int controlId, std::string_view text);
// At most maxChars characters of the control's text, as the Win32 call with a
// buffer of maxChars + 1 gives them.
std::string getControlText(Window dialog, int controlId, std::size_t maxChars);

void setChecked(Window dialog, int controlId, bool checked);
bool isChecked(Window dialog, int controlId);

void showControl(Window dialog, int controlId, bool visible);
void enableControl(Window dialog, int controlId, bool enabled);

// Drop-down lists.  Index -1 means "no selection".
void listClear(Window dialog, int controlId);
void listAdd(Window dialog, int controlId, std::string_view entry);
void listSelect(Window dialog, int controlId, int index);
int listSelection(Window dialog, int controlId);

// Edits: limit the text an operator may enter, and insert text at the caret
// replacing the selection, as a change that cannot be undone.  The insert may
// be called from another thread: it then returns once the dialog's own thread
// has inserted the text.
void setTextLimit(Window dialog, int controlId, std::size_t limit);
void insertEditText(Window dialog, int controlId, std::string_view text);

// Progress bars (range 0 to 100; larger positions show as full).
void setProgress(Window dialog, int controlId, int position);

void installCharFilter(Window dialog, int controlId, CharFilter filter);

// --- Timers ---------------------------------------------------------------
void startTimer(Window dialog, int timerId, int periodMs);
void stopTimer(Window dialog, int timerId);

// --- Dialogs --------------------------------------------------------------
// Runs the dialog of templateId modally over owner (nullptr: no owner) and
// returns the value passed to endDialog.
int runModalDialog(Window owner, int templateId, DialogProc proc);
void endDialog(Window dialog, int result);
// Delivers a command to the dialog's procedure at once, as SendMessage does.
void sendCommand(Window dialog, int controlId, int notifyCode = notify::Clicked);
// Ends the program's message loop, and with it the main dialog.
void endMessageLoop(Window dialog, int exitCode);

// A message box with an OK button; owner nullptr for one without owner.
void messageBox(Window owner, std::string_view text, std::string_view caption, MessageIcon icon);

// Registers the main window's class from the system's dialog class, with the
// program icon.  False when the dialog class cannot be read or registration
// fails.
bool registerMainWindowClass(std::string_view className, int iconId);
