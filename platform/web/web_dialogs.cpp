// The dialog manager of the web page: each dialog an element built from its
// template (web_page.js draws it), each modal run a loop that waits for the
// page's events.  The controls' state lives in the page's elements; the
// program's side keeps what an element cannot hold (text limits, character
// filters) and the dialogs' lives.
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_layout.h"
#include "platform/edit_rules.h"
#include "platform/web/web_internal.h"
#include "platform/web/web_rules.h"
#include "platform/web/web_runtime.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"

namespace {

struct WebControl {
    ControlKind kind = ControlKind::Static;
    std::uint32_t styles = 0;
    std::size_t textLimit = DefaultTextLimit;
    CharFilter filter = nullptr;
    EditStyle editStyle() const { return editStyleOf(styles); }
};

// What the page's script queues for the dialogs, in the order it happened.
enum PageEvent : int { CommandEvent = 1, TimerEvent = 2, CloseEvent = 3 };

}  // namespace

// A live dialog.  Window handles point at these.
struct PlatformWindow {
    int handle = 0;  // the page's name for its element
    const DialogTemplate* dialogTemplate = nullptr;
    DialogProc proc = nullptr;
    Window owner = nullptr;
    std::map<int, WebControl> controls;
    bool ended = false;
    int result = 0;
};

namespace {

std::vector<PlatformWindow*> liveDialogs;
int nextHandle = 1;
// Set by endMessageLoop: every open dialog's loop ends, the first dialog's
// result is the exit code.
bool quitRequested = false;
int quitCode = 0;

// --- The page's side ------------------------------------------------------

EM_JS(void, page_create_dialog, (int handle, int templateId, const char* caption, int width, int height,
                                 int child, int fontPixels), {
    KeyerPage.createDialog(handle, templateId, UTF8ToString(caption), width, height, child !== 0, fontPixels);
});
EM_JS(void, page_add_control, (int handle, int id, int kind, const char* text, int x, int y, int width, int height,
                               int styles, const char* name, int labelId, int status), {
    KeyerPage.addControl(handle, id, kind, UTF8ToString(text), x, y, width, height, styles, UTF8ToString(name),
                         labelId, status !== 0);
});
EM_JS(void, page_show_dialog, (int handle), { KeyerPage.showDialog(handle); });
EM_JS(void, page_destroy_dialog, (int handle), { KeyerPage.destroyDialog(handle); });
EM_JS(void, page_set_text, (int handle, int id, const char* text), {
    KeyerPage.setText(handle, id, UTF8ToString(text));
});
EM_JS(char*, page_get_text, (int handle, int id), { return KeyerPage.cString(KeyerPage.getText(handle, id)); });
EM_JS(void, page_set_checked, (int handle, int id, int checked), { KeyerPage.setChecked(handle, id, checked !== 0); });
EM_JS(int, page_is_checked, (int handle, int id), { return KeyerPage.isChecked(handle, id) ? 1 : 0; });
EM_JS(void, page_show_control, (int handle, int id, int visible), { KeyerPage.showControl(handle, id, visible !== 0); });
EM_JS(void, page_enable_control, (int handle, int id, int enabled), {
    KeyerPage.enableControl(handle, id, enabled !== 0);
});
EM_JS(int, page_is_enabled, (int handle, int id), { return KeyerPage.isEnabled(handle, id) ? 1 : 0; });
EM_JS(void, page_list_clear, (int handle, int id), { KeyerPage.listClear(handle, id); });
EM_JS(void, page_list_add, (int handle, int id, const char* entry), {
    KeyerPage.listAdd(handle, id, UTF8ToString(entry));
});
EM_JS(void, page_list_select, (int handle, int id, int index), { KeyerPage.listSelect(handle, id, index); });
EM_JS(int, page_list_selection, (int handle, int id), { return KeyerPage.listSelection(handle, id); });
EM_JS(int, page_length_left, (int handle, int id), { return KeyerPage.lengthLeft(handle, id); });
EM_JS(void, page_replace_selection, (int handle, int id, const char* text), {
    KeyerPage.replaceSelection(handle, id, UTF8ToString(text));
});
EM_JS(void, page_set_progress, (int handle, int id, int position), { KeyerPage.setProgress(handle, id, position); });
EM_JS(void, page_start_timer, (int handle, int timerId, int periodMs), {
    KeyerPage.startTimer(handle, timerId, periodMs);
});
EM_JS(void, page_stop_timer, (int handle, int timerId), { KeyerPage.stopTimer(handle, timerId); });
EM_JS(int, page_event_count, (), { return KeyerPage.events.length; });
EM_JS(int, page_next_event, (int* out), { return KeyerPage.nextEvent(out) ? 1 : 0; });
EM_JS(int, page_open_message_box, (int ownerHandle, const char* text, const char* caption, int icon), {
    return KeyerPage.openMessageBox(ownerHandle, UTF8ToString(text), UTF8ToString(caption), icon);
});
EM_JS(int, page_message_box_open, (int box), { return KeyerPage.messageBoxOpen(box) ? 1 : 0; });
EM_JS(int, page_base_unit_width, (int fontPixels), { return KeyerPage.lettersWidth(fontPixels); });
EM_JS(int, page_base_unit_height, (int fontPixels), { return KeyerPage.fontHeight(fontPixels); });


// --- Dialogs ----------------------------------------------------------------

bool isLive(const PlatformWindow* dialog) {
    return dialog && std::find(liveDialogs.begin(), liveDialogs.end(), dialog) != liveDialogs.end();
}

PlatformWindow* dialogOfHandle(int handle) {
    for (PlatformWindow* dialog : liveDialogs)
        if (dialog->handle == handle) return dialog;
    return nullptr;
}

WebControl* controlOf(Window dialog, int controlId) {
    if (!isLive(dialog)) return nullptr;
    const auto it = dialog->controls.find(controlId);
    return it == dialog->controls.end() ? nullptr : &it->second;
}

DialogBaseUnits baseUnitsOf(int pixels) {
    static std::map<int, DialogBaseUnits> measured;
    auto it = measured.find(pixels);
    if (it == measured.end()) {
        const DialogBaseUnits units{averageCharWidth(page_base_unit_width(pixels)),
                                    page_base_unit_height(pixels)};
        it = measured.emplace(pixels, units).first;
    }
    return it->second;
}

bool deliver(PlatformWindow* dialog, const DialogMessage& message) {
    if (!isLive(dialog) || dialog->ended || !dialog->proc) return false;
    return dialog->proc(dialog, message);
}

void deliverCommand(PlatformWindow* dialog, int controlId, int notifyCode) {
    DialogMessage message;
    message.event = DialogEvent::Command;
    message.controlId = controlId;
    message.notifyCode = notifyCode;
    deliver(dialog, message);
}

PlatformWindow* createDialog(Window owner, int templateId, DialogProc proc) {
    const DialogTemplate* dialogTemplate = findDialogTemplate(templateId);
    if (!dialogTemplate) return nullptr;
    auto* dialog = new PlatformWindow;
    dialog->handle = nextHandle++;
    dialog->dialogTemplate = dialogTemplate;
    dialog->proc = proc;
    dialog->owner = owner;
    liveDialogs.push_back(dialog);

    // The dialog font at the page's 96 pixels an inch.
    const int fontSize = fontPixels(dialogTemplate->fontPoints, 96.0f);
    const DialogBaseUnits units = baseUnitsOf(fontSize);
    const PixelRect size = dialogToPixels({0, 0, dialogTemplate->rect.width, dialogTemplate->rect.height}, units);
    page_create_dialog(dialog->handle, templateId, std::string(dialogTemplate->caption).c_str(), size.width,
                       size.height, owner != nullptr, fontSize);
    for (const ControlTemplate& control : dialogTemplate->controls) {
        dialog->controls[control.id] = WebControl{control.kind, control.styles};
        PixelRect r = dialogToPixels(control.rect, units);
        if (control.kind == ControlKind::ComboBox) r.height = comboFieldHeight(units, r.height);
        const ControlTemplate* label = web::labelOf(*dialogTemplate, control);
        page_add_control(dialog->handle, control.id, static_cast<int>(control.kind), std::string(control.text).c_str(),
                         r.x, r.y, r.width, r.height, static_cast<int>(control.styles),
                         std::string(web::accessibleName(*dialogTemplate, control)).c_str(), label ? label->id : 0,
                         web::isStatusText(*dialogTemplate, control) ? 1 : 0);
    }
    DialogMessage init;
    init.event = DialogEvent::Init;
    if (proc) proc(dialog, init);
    return dialog;
}

void destroyDialog(PlatformWindow* dialog) {
    if (!isLive(dialog)) return;
    liveDialogs.erase(std::find(liveDialogs.begin(), liveDialogs.end(), dialog));
    page_destroy_dialog(dialog->handle);
    delete dialog;
}

// The close box: the procedure's close event, and when the procedure leaves
// it alone, the dialog manager's Cancel, as long as a Cancel button is not disabled.
void closeBoxPressed(PlatformWindow* dialog) {
    DialogMessage message;
    message.event = DialogEvent::Close;
    if (deliver(dialog, message) || dialog->ended) return;
    if (!controlOf(dialog, IdCancel) || page_is_enabled(dialog->handle, IdCancel))
        deliverCommand(dialog, IdCancel, notify::Clicked);
}

void dispatch(const int (&event)[4]) {
    PlatformWindow* dialog = dialogOfHandle(event[0]);
    if (!dialog || dialog->ended) return;
    switch (event[1]) {
        case CommandEvent:
            deliverCommand(dialog, event[2], event[3]);
            return;
        case TimerEvent: {
            DialogMessage message;
            message.event = DialogEvent::Timer;
            message.timerId = event[2];
            deliver(dialog, message);
            return;
        }
        case CloseEvent:
            closeBoxPressed(dialog);
            return;
        default:
            return;
    }
}

// The message loop of a modal run: dispatches the page's events, to whichever
// dialog they are for (the owner's timers go on), until done() holds.
void runLoop(const std::function<bool()>& done) {
    const std::function<bool()> wake = [&done] { return done() || page_event_count() > 0; };
    while (!done()) {
        web::waitUntil(wake, -1);
        int event[4] = {};
        while (!done() && page_next_event(event)) dispatch(event);
    }
}

}  // namespace

// --- For the page's script ---------------------------------------------------

namespace {
std::string resultText;
}

extern "C" {

// One character typed into an edit: through the control's character filter,
// then the edit's own rules.  Returns the outcome; the text to insert (in
// the element's form) is left for web_result_text.
EMSCRIPTEN_KEEPALIVE int web_type_character(int handle, int controlId, unsigned character, int lengthLeft) {
    resultText.clear();
    PlatformWindow* dialog = dialogOfHandle(handle);
    WebControl* control = controlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::Edit || dialog->ended) return static_cast<int>(TypedOutcome::Refuse);
    if (control->filter && !control->filter(dialog, controlId, character)) return static_cast<int>(TypedOutcome::Refuse);
    const TypedResult typed = typedCharacter(control->editStyle(), character, static_cast<std::size_t>(lengthLeft),
                                             control->textLimit, TextEncoding::Utf8);
    resultText = toWidgetText(typed.text, control->editStyle().multiLine);
    return static_cast<int>(typed.outcome);
}

// Text pasted or dropped into an edit: no filter sees it, the edit's rules do.
EMSCRIPTEN_KEEPALIVE const char* web_insertion_text(int handle, int controlId, const char* text, int lengthLeft) {
    resultText.clear();
    WebControl* control = controlOf(dialogOfHandle(handle), controlId);
    if (control && control->kind == ControlKind::Edit)
        resultText = toWidgetText(insertionText(control->editStyle(), text, static_cast<std::size_t>(lengthLeft),
                                                control->textLimit, TextEncoding::Utf8),
                                  control->editStyle().multiLine);
    return resultText.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* web_result_text() { return resultText.c_str(); }

}  // extern "C"

// --- platform/dialog.h ------------------------------------------------------------

void setControlText(Window dialog, int controlId, std::string_view text) {
    WebControl* control = controlOf(dialog, controlId);
    if (!control || control->kind == ControlKind::ProgressBar) return;
    std::string shown(text);
    if (control->kind == ControlKind::Edit)
        shown = toWidgetText(settableText(control->editStyle(), text, TextEncoding::Utf8), control->editStyle().multiLine);
    page_set_text(dialog->handle, controlId, shown.c_str());
}

std::string getControlText(Window dialog, int controlId, std::size_t maxChars) {
    WebControl* control = controlOf(dialog, controlId);
    if (!control) return {};
    const std::string shown = web::takeString(page_get_text(dialog->handle, controlId));
    const bool multiLine = control->kind == ControlKind::Edit && control->editStyle().multiLine;
    return fromWidgetText(shown, multiLine, maxChars);
}

void setChecked(Window dialog, int controlId, bool checked) {
    WebControl* control = controlOf(dialog, controlId);
    if (!control || (control->kind != ControlKind::CheckBox && control->kind != ControlKind::RadioButton)) return;
    page_set_checked(dialog->handle, controlId, checked ? 1 : 0);
}

bool isChecked(Window dialog, int controlId) {
    WebControl* control = controlOf(dialog, controlId);
    if (!control || (control->kind != ControlKind::CheckBox && control->kind != ControlKind::RadioButton)) return false;
    return page_is_checked(dialog->handle, controlId) != 0;
}

void showControl(Window dialog, int controlId, bool visible) {
    if (controlOf(dialog, controlId)) page_show_control(dialog->handle, controlId, visible ? 1 : 0);
}

void enableControl(Window dialog, int controlId, bool enabled) {
    if (controlOf(dialog, controlId)) page_enable_control(dialog->handle, controlId, enabled ? 1 : 0);
}

void listClear(Window dialog, int controlId) {
    WebControl* control = controlOf(dialog, controlId);
    if (control && control->kind == ControlKind::ComboBox) page_list_clear(dialog->handle, controlId);
}

void listAdd(Window dialog, int controlId, std::string_view entry) {
    WebControl* control = controlOf(dialog, controlId);
    if (control && control->kind == ControlKind::ComboBox)
        page_list_add(dialog->handle, controlId, std::string(entry).c_str());
}

void listSelect(Window dialog, int controlId, int index) {
    WebControl* control = controlOf(dialog, controlId);
    if (control && control->kind == ControlKind::ComboBox) page_list_select(dialog->handle, controlId, index);
}

int listSelection(Window dialog, int controlId) {
    WebControl* control = controlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::ComboBox) return -1;
    return page_list_selection(dialog->handle, controlId);
}

void setTextLimit(Window dialog, int controlId, std::size_t limit) {
    WebControl* control = controlOf(dialog, controlId);
    if (control) control->textLimit = textLimitFor(limit);
}

void insertEditText(Window dialog, int controlId, std::string_view text) {
    // One thread: a worker fiber inserts as the dialogs would, at once.
    WebControl* control = controlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::Edit) return;
    const int lengthLeft = page_length_left(dialog->handle, controlId);
    const std::string inserted =
        toWidgetText(insertionText(control->editStyle(), text, static_cast<std::size_t>(lengthLeft), control->textLimit,
                                   TextEncoding::Utf8),
                     control->editStyle().multiLine);
    page_replace_selection(dialog->handle, controlId, inserted.c_str());
}

void setProgress(Window dialog, int controlId, int position) {
    WebControl* control = controlOf(dialog, controlId);
    if (control && control->kind == ControlKind::ProgressBar)
        page_set_progress(dialog->handle, controlId, std::clamp(position, 0, 100));
}

void installCharFilter(Window dialog, int controlId, CharFilter filter) {
    WebControl* control = controlOf(dialog, controlId);
    if (control) control->filter = filter;
}

void startTimer(Window dialog, int timerId, int periodMs) {
    if (isLive(dialog)) page_start_timer(dialog->handle, timerId, std::max(periodMs, 1));
}

void stopTimer(Window dialog, int timerId) {
    if (isLive(dialog)) page_stop_timer(dialog->handle, timerId);
}

int runModalDialog(Window owner, int templateId, DialogProc proc) {
    PlatformWindow* dialog = createDialog(owner, templateId, proc);
    if (!dialog) return -1;
    if (!dialog->ended && !quitRequested) {
        page_show_dialog(dialog->handle);
        runLoop([dialog] { return dialog->ended || quitRequested; });
    }
    int result = dialog->result;
    destroyDialog(dialog);
    if (quitRequested && !owner) {
        result = quitCode;
        quitRequested = false;
    }
    return result;
}

void endDialog(Window dialog, int result) {
    if (!isLive(dialog) || dialog->ended) return;
    dialog->ended = true;
    dialog->result = result;
}

void sendCommand(Window dialog, int controlId, int notifyCode) {
    if (isLive(dialog)) deliverCommand(dialog, controlId, notifyCode);
}

void endMessageLoop(Window dialog, int exitCode) {
    if (quitRequested) return;
    quitRequested = true;
    quitCode = exitCode;
    (void)dialog;
}

void messageBox(Window owner, std::string_view text, std::string_view caption, MessageIcon icon) {
    const int box = page_open_message_box(isLive(owner) ? owner->handle : 0, std::string(text).c_str(),
                                          std::string(caption).c_str(), static_cast<int>(icon));
    // The box runs a loop of its own, as the system's does: timers go on.
    runLoop([box] { return page_message_box_open(box) == 0; });
}

bool registerMainWindowClass(std::string_view, int) { return true; }

