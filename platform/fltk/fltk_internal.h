// The Linux desktop backend's own records, shared between its files and
// with its tests.  A dialog is an FLTK window built from its template; each
// control is one widget, found by its control ID.
#pragma once

#include "platform/fltk/fltk_toolkit.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/fltk/fltk_rules.h"
#include "resources/dialog_templates.h"

namespace fltk_backend {

struct Control {
    PlatformWindow* dialog = nullptr;
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::uint32_t styles = 0;
    Fl_Widget* widget = nullptr;
    std::string text;                      // statics, buttons and frames: the text as the program set it
    bool checked = false;                  // radio buttons: the state only the program sets
    std::vector<std::string> entries;      // drop-down lists
    std::vector<std::string> menuLabels;   // the entries as the menu draws them
    std::vector<Fl_Menu_Item> menuItems;   // the menu, ended by an empty item
    int selection = -1;
    std::size_t textLimit = DefaultTextLimit;
    CharFilter filter = nullptr;

    EditStyle editStyle() const { return editStyleOf(styles); }
};

class DialogWindow;

struct Timer {
    PlatformWindow* dialog = nullptr;
    int id = 0;
    int periodMs = 0;
    std::int64_t nextDueMs = 0;
};

}  // namespace fltk_backend

// A live dialog.  Window handles point at these.
struct PlatformWindow {
    const DialogTemplate* dialogTemplate = nullptr;
    DialogProc proc = nullptr;
    Window owner = nullptr;
    fltk_backend::DialogWindow* window = nullptr;
    std::map<int, std::unique_ptr<fltk_backend::Control>> controls;
    std::map<int, std::unique_ptr<fltk_backend::Timer>> timers;
    bool ended = false;
    int result = 0;
};

namespace fltk_backend {

// The top-level window of a dialog: turns Enter and Esc into the dialog
// manager's commands and the close box into the close event.
class DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(int width, int height, PlatformWindow* dialog);
    int handle(int event) override;
    PlatformWindow* dialog() const { return owningDialog; }

private:
    PlatformWindow* owningDialog;
};

// Opens the display and sets up the toolkit once, on the thread that runs
// the dialogs.  Idempotent.
void ensureStarted();
bool onUiThread();
// The dialog font, and its base units as measured on the display (fixed
// values when no display is open).
int dialogFontPixels();
DialogBaseUnits dialogBaseUnits();
// For tests without a display: build dialogs with these metrics instead.
void useFixedMetrics(DialogBaseUnits units, int fontPixels);

// Creates a dialog with its widgets and sends it the initialisation event,
// without showing it; nullptr for an unknown template.
PlatformWindow* createDialog(Window owner, int templateId, DialogProc proc);
// Shows a created dialog over its owner (modal to it when it has one).
void showDialog(PlatformWindow* dialog);
// Hides the dialog, stops its timers and frees it.
void destroyDialog(PlatformWindow* dialog);
bool isLiveDialog(const PlatformWindow* dialog);
Control* findControlOf(Window dialog, int controlId);
Fl_Widget* controlWidget(Window dialog, int controlId);

// Delivers an event to the dialog's procedure (nothing once it has ended).
bool deliver(PlatformWindow* dialog, const DialogMessage& message);
void deliverCommand(PlatformWindow* dialog, int controlId, int notifyCode);

// Creates the widget of one control at its pixel place (the current group
// of FLTK receives it) and wires its callbacks to the control.
Fl_Widget* createControlWidget(Control& control, const ControlTemplate& controlTemplate, DialogBaseUnits units,
                               int fontPixels);
// Rebuilds a drop-down list's menu from its entries.
void rebuildMenu(Control& control);
// One typed character, as a key press delivers it to an edit: through the
// character filter, then the edit's own rules.  Returns what was done.
TypedOutcome typeIntoEdit(Control& control, unsigned character);
// An insert at the caret replacing the selection that cannot be undone.
// A scrolling edit whose view was at the end of its text keeps it there, so
// a log follows its new lines; one scrolled back stays where it was put.
void insertIntoEdit(Control& control, std::string_view text);

// An edit's text in the widget's form ("\n" line breaks), set whole: the
// caret at the start, the view at the top, nothing left to undo.
std::string editWidgetText(const Control& control);
void setEditWidgetText(Control& control, std::string_view widgetText);

// What a scrolling edit shows, in lines from 1: the first line in view, how
// many lines the view holds, how many lines the text has (the empty line
// after a final line break counts), the first line in view when scrolled to
// the end, and whether the vertical scroll bar is shown.  All zero for
// other edits.
struct EditView {
    int topLine = 0;
    int visibleLines = 0;
    int lineCount = 0;
    int lastTopLine = 0;
    bool scrollBarVisible = false;
};
EditView editView(const Control& control);

// Runs work on the dialogs' thread and returns when it is done.
void runOnUiThread(const std::function<void()>& work);

}  // namespace fltk_backend
