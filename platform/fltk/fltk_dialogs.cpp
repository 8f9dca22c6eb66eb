// The dialog manager of the Linux desktop program: dialogs built from the
// templates as FLTK windows, each run in a nested event loop of its own.
#include "platform/fltk/fltk_toolkit.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/fltk/fltk_internal.h"
#include "platform/threads.h"
#include "resources/control_ids.h"
#include "resources/program_icon.h"

namespace fltk_backend {

namespace {

std::thread::id uiThread;
bool started = false;
bool fixedMetrics = false;
DialogBaseUnits baseUnits;
int fontSize = 11;

std::vector<PlatformWindow*> liveDialogs;
// Set by endMessageLoop: every open dialog's loop ends, the first dialog's
// result is the exit code.
bool quitRequested = false;
int quitCode = 0;

void measureDialogFont() {
    float dpiX = 0.0f;
    float dpiY = 0.0f;
    Fl::screen_dpi(dpiX, dpiY, 0);
    fontSize = fontPixels(8, dpiY);
    fl_font(FL_HELVETICA, fontSize);
    const double letters = fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseUnits.charWidth = averageCharWidth(static_cast<int>(letters + 0.5));
    baseUnits.charHeight = fl_height();
}

void timerFired(void* data);

void cancelTimer(Timer* timer) { Fl::remove_timeout(timerFired, timer); }

void timerFired(void* data) {
    auto* timer = static_cast<Timer*>(data);
    PlatformWindow* dialog = timer->dialog;
    const int timerId = timer->id;
    // Ticks missed while the thread was busy arrive as one, as the system's timers do.
    const std::int64_t now = monotonicMs();
    timer->nextDueMs += timer->periodMs;
    if (timer->nextDueMs <= now) timer->nextDueMs = now + timer->periodMs;
    Fl::add_timeout(static_cast<double>(timer->nextDueMs - now) / 1000.0, timerFired, timer);
    DialogMessage message;
    message.event = DialogEvent::Timer;
    message.timerId = timerId;
    deliver(dialog, message);  // the procedure may stop this timer: timer is not touched again
}

// The close box: the procedure's close event, and when the procedure leaves
// it alone, the dialog manager's Cancel, as long as a Cancel button is not disabled.
void closeBoxPressed(PlatformWindow* dialog) {
    DialogMessage message;
    message.event = DialogEvent::Close;
    if (deliver(dialog, message)) return;
    if (dialog->ended) return;
    Control* cancel = findControlOf(dialog, IdCancel);
    if (!cancel || cancel->widget->active()) deliverCommand(dialog, IdCancel, notify::Clicked);
}

void windowCallback(Fl_Widget*, void* data) {
    auto* dialog = static_cast<PlatformWindow*>(data);
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) {
        deliverCommand(dialog, IdCancel, notify::Clicked);
        return;
    }
    closeBoxPressed(dialog);
}

void placeWindow(Fl_Window* window, Fl_Window* over) {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    if (over && over->shown()) {
        x = over->x();
        y = over->y();
        width = over->w();
        height = over->h();
    } else {
        Fl::screen_work_area(x, y, width, height);
    }
    window->position(x + (width - window->w()) / 2, y + std::max(0, (height - window->h()) / 2));
}

// --- Message boxes ------------------------------------------------------

class MessageIconBox : public Fl_Widget {
public:
    MessageIconBox(int x, int y, int size, MessageIcon kind) : Fl_Widget(x, y, size, size), icon(kind) {}

    void draw() override {
        const int size = w();
        const char* mark = "i";
        Fl_Color fill = fl_rgb_color(0x1f, 0x5f, 0xbf);
        if (icon == MessageIcon::Warning) {
            fl_color(fl_rgb_color(0xf2, 0xb7, 0x05));
            fl_polygon(x() + size / 2, y() + 1, x() + size - 1, y() + size - 2, x() + 1, y() + size - 2);
            fl_color(FL_BLACK);
            fl_font(FL_HELVETICA_BOLD, size * 5 / 8);
            fl_draw("!", x(), y() + size / 6, size, size - size / 6, FL_ALIGN_CENTER);
            return;
        }
        if (icon == MessageIcon::Error) {
            fill = fl_rgb_color(0xc6, 0x28, 0x28);
            mark = "X";
        }
        fl_color(fill);
        fl_pie(x(), y(), size, size, 0.0, 360.0);
        fl_color(FL_WHITE);
        fl_font(FL_HELVETICA_BOLD, size * 5 / 8);
        fl_draw(mark, x(), y(), size, size, FL_ALIGN_CENTER);
    }

private:
    MessageIcon icon;
};

void closeMessageBox(Fl_Widget* widget, void*) { widget->window()->hide(); }

}  // namespace

// --- The toolkit ------------------------------------------------------------

void ensureStarted() {
    if (started) return;
    started = true;
    uiThread = std::this_thread::get_id();
    // Other threads hand work to this one through Fl::awake.
    Fl::lock();
    Fl::scheme("gtk+");
    // The light grey of desktop dialogs, white fields.
    Fl::background(0xEF, 0xEF, 0xEF);
    Fl::background2(0xFF, 0xFF, 0xFF);
    Fl_Window::default_xclass("keyer-tools");
    if (!fixedMetrics) {
        fl_open_display();
        measureDialogFont();
    }
}

bool onUiThread() { return !started || std::this_thread::get_id() == uiThread; }
int dialogFontPixels() { return fontSize; }
DialogBaseUnits dialogBaseUnits() { return baseUnits; }

void useFixedMetrics(DialogBaseUnits units, int pixels) {
    fixedMetrics = true;
    baseUnits = units;
    fontSize = pixels;
}

// --- Dialog windows ----------------------------------------------------------

DialogWindow::DialogWindow(int width, int height, PlatformWindow* dialog)
    : Fl_Double_Window(width, height), owningDialog(dialog) {}

int DialogWindow::handle(int event) {
    if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && !(Fl::event_state() & (FL_CTRL | FL_ALT | FL_META))) {
        const int key = Fl::event_key();
        if (key == FL_Enter || key == FL_KP_Enter) {
            // Enter clicks a focused push button; elsewhere it is the dialog manager's OK.
            Fl_Widget* focus = Fl::focus();
            for (auto& [id, control] : owningDialog->controls) {
                if (control->widget == focus && control->kind == ControlKind::PushButton) {
                    if (focus->active_r()) deliverCommand(owningDialog, id, notify::Clicked);
                    return 1;
                }
            }
            deliverCommand(owningDialog, IdOk, notify::Clicked);
            return 1;
        }
        if (key == FL_Escape) {
            deliverCommand(owningDialog, IdCancel, notify::Clicked);
            return 1;
        }
    }
    return Fl_Double_Window::handle(event);
}

PlatformWindow* createDialog(Window owner, int templateId, DialogProc proc) {
    const DialogTemplate* dialogTemplate = findDialogTemplate(templateId);
    if (!dialogTemplate) return nullptr;
    ensureStarted();
    auto* dialog = new PlatformWindow;
    dialog->dialogTemplate = dialogTemplate;
    dialog->proc = proc;
    dialog->owner = owner;
    liveDialogs.push_back(dialog);

    const DialogBaseUnits units = dialogBaseUnits();
    const PixelRect size = dialogToPixels({0, 0, dialogTemplate->rect.width, dialogTemplate->rect.height}, units);
    Fl_Group* previous = Fl_Group::current();
    auto* window = new DialogWindow(size.width, size.height, dialog);
    window->copy_label(std::string(dialogTemplate->caption).c_str());
    window->labelfont(FL_HELVETICA);
    window->labelsize(dialogFontPixels());
    for (const ControlTemplate& controlTemplate : dialogTemplate->controls) {
        auto control = std::make_unique<Control>();
        control->dialog = dialog;
        control->id = controlTemplate.id;
        control->kind = controlTemplate.kind;
        control->styles = controlTemplate.styles;
        createControlWidget(*control, controlTemplate, units, dialogFontPixels());
        dialog->controls[controlTemplate.id] = std::move(control);
    }
    window->end();
    Fl_Group::current(previous);
    // The content does not follow a change of the window's size.
    window->size_range(size.width, size.height, size.width, size.height);
    window->callback(windowCallback, dialog);
    dialog->window = window;

    DialogMessage init;
    init.event = DialogEvent::Init;
    if (proc) proc(dialog, init);
    return dialog;
}

void showDialog(PlatformWindow* dialog) {
    DialogWindow* window = dialog->window;
    Fl_Window* over = dialog->owner && isLiveDialog(dialog->owner) ? dialog->owner->window : nullptr;
    placeWindow(window, over);
    // A child dialog holds its owner (and every other window) until it ends.
    if (dialog->owner) window->set_modal();
    window->show();
}

void destroyDialog(PlatformWindow* dialog) {
    if (!isLiveDialog(dialog)) return;
    for (auto& [id, timer] : dialog->timers) cancelTimer(timer.get());
    dialog->timers.clear();
    liveDialogs.erase(std::find(liveDialogs.begin(), liveDialogs.end(), dialog));
    dialog->window->hide();
    Fl::delete_widget(dialog->window);
    delete dialog;
}

bool isLiveDialog(const PlatformWindow* dialog) {
    return dialog && std::find(liveDialogs.begin(), liveDialogs.end(), dialog) != liveDialogs.end();
}

Control* findControlOf(Window dialog, int controlId) {
    if (!isLiveDialog(dialog)) return nullptr;
    auto it = dialog->controls.find(controlId);
    return it == dialog->controls.end() ? nullptr : it->second.get();
}

Fl_Widget* controlWidget(Window dialog, int controlId) {
    Control* control = findControlOf(dialog, controlId);
    return control ? control->widget : nullptr;
}

bool deliver(PlatformWindow* dialog, const DialogMessage& message) {
    if (!isLiveDialog(dialog) || dialog->ended || !dialog->proc) return false;
    return dialog->proc(dialog, message);
}

void deliverCommand(PlatformWindow* dialog, int controlId, int notifyCode) {
    DialogMessage message;
    message.event = DialogEvent::Command;
    message.controlId = controlId;
    message.notifyCode = notifyCode;
    deliver(dialog, message);
}

// --- Work handed over by other threads --------------------------------------

namespace {
struct UiCall {
    const std::function<void()>* work = nullptr;
    std::mutex mutex;
    std::condition_variable doneSignal;
    bool done = false;
};

void runUiCall(void* data) {
    auto* call = static_cast<UiCall*>(data);
    (*call->work)();
    std::lock_guard lock(call->mutex);
    call->done = true;
    call->doneSignal.notify_all();
}
}  // namespace

void runOnUiThread(const std::function<void()>& work) {
    if (onUiThread()) {
        work();
        return;
    }
    UiCall call;
    call.work = &work;
    // The hand-over queue holds a limited number of calls; wait for room.
    while (Fl::awake(runUiCall, &call) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::unique_lock lock(call.mutex);
    call.doneSignal.wait(lock, [&call] { return call.done; });
}

}  // namespace fltk_backend

using namespace fltk_backend;

namespace {

// Operations run inside their command on the dialog's thread, so the event
// loop does not run while they wait for the keyer: a control whose text or
// state changes is drawn at once, or ">Reading" would show only when the
// Read has ended.  Fl::flush draws what is damaged and sends it to the
// display; it takes no events, so no other command can start meanwhile.
void paintNow(Fl_Widget* widget) {
    widget->redraw();
    Fl_Window* window = widget->as_window() ? widget->as_window() : widget->window();
    if (onUiThread() && window && window->shown()) Fl::flush();
}

}  // namespace

// --- Control state -----------------------------------------------------------

void setControlText(Window dialog, int controlId, std::string_view text) {
    Control* control = findControlOf(dialog, controlId);
    if (!control) return;
    switch (control->kind) {
        case ControlKind::Edit: {
            setEditWidgetText(*control, toWidgetText(settableText(control->editStyle(), text, TextEncoding::Utf8),
                                                     control->editStyle().multiLine));
            paintNow(control->widget);
            return;
        }
        case ControlKind::ComboBox: {
            static_cast<Fl_Input_Choice*>(control->widget)->value(std::string(text).c_str());
            control->selection = -1;
            paintNow(control->widget);
            return;
        }
        case ControlKind::ProgressBar:
            return;
        case ControlKind::GroupBox:
        case ControlKind::Static:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::PushButton:
            control->text = std::string(text);
            control->widget->copy_label(labelText(text).c_str());
            // The frame's label sits on its line: the window repaints what the old label covered.
            paintNow(control->kind == ControlKind::GroupBox ? dialog->window : control->widget);
            return;
    }
}

std::string getControlText(Window dialog, int controlId, std::size_t maxChars) {
    Control* control = findControlOf(dialog, controlId);
    if (!control) return {};
    switch (control->kind) {
        case ControlKind::Edit:
            return fromWidgetText(editWidgetText(*control), (control->styles & style::MultiLine) != 0, maxChars);
        case ControlKind::ComboBox: {
            std::string text = static_cast<Fl_Input_Choice*>(control->widget)->value();
            if (text.size() > maxChars) text.resize(maxChars);
            return text;
        }
        default: {
            std::string text = control->text;
            if (text.size() > maxChars) text.resize(maxChars);
            return text;
        }
    }
}

void setChecked(Window dialog, int controlId, bool checked) {
    Control* control = findControlOf(dialog, controlId);
    if (!control || (control->kind != ControlKind::CheckBox && control->kind != ControlKind::RadioButton)) return;
    control->checked = checked;
    static_cast<Fl_Button*>(control->widget)->value(checked ? 1 : 0);
}

bool isChecked(Window dialog, int controlId) {
    Control* control = findControlOf(dialog, controlId);
    if (!control || (control->kind != ControlKind::CheckBox && control->kind != ControlKind::RadioButton)) return false;
    return static_cast<Fl_Button*>(control->widget)->value() != 0;
}

void showControl(Window dialog, int controlId, bool visible) {
    Fl_Widget* widget = controlWidget(dialog, controlId);
    if (!widget) return;
    if (visible)
        widget->show();
    else
        widget->hide();
}

void enableControl(Window dialog, int controlId, bool enabled) {
    Fl_Widget* widget = controlWidget(dialog, controlId);
    if (!widget) return;
    if (enabled)
        widget->activate();
    else
        widget->deactivate();
    paintNow(widget);
}

void listClear(Window dialog, int controlId) {
    Control* control = findControlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::ComboBox) return;
    control->entries.clear();
    control->selection = -1;
    rebuildMenu(*control);
    static_cast<Fl_Input_Choice*>(control->widget)->value("");
}

void listAdd(Window dialog, int controlId, std::string_view entry) {
    Control* control = findControlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::ComboBox) return;
    control->entries.emplace_back(entry);
    rebuildMenu(*control);
}

void listSelect(Window dialog, int controlId, int index) {
    Control* control = findControlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::ComboBox) return;
    auto* choice = static_cast<Fl_Input_Choice*>(control->widget);
    // An index outside the list clears the selection, as the system list does.
    if (index < 0 || index >= static_cast<int>(control->entries.size())) {
        control->selection = -1;
        choice->value("");
        return;
    }
    control->selection = index;
    choice->value(control->entries[static_cast<std::size_t>(index)].c_str());
    // A long entry shows its start, as the system's list field does.
    choice->input()->position(0);
}

int listSelection(Window dialog, int controlId) {
    Control* control = findControlOf(dialog, controlId);
    return control ? control->selection : -1;
}

void setTextLimit(Window dialog, int controlId, std::size_t limit) {
    Control* control = findControlOf(dialog, controlId);
    if (!control) return;
    control->textLimit = textLimitFor(limit);
}

void insertEditText(Window dialog, int controlId, std::string_view text) {
    const std::string copy(text);
    runOnUiThread([dialog, controlId, &copy] {
        Control* control = findControlOf(dialog, controlId);
        if (control && control->kind == ControlKind::Edit) insertIntoEdit(*control, copy);
    });
}

void setProgress(Window dialog, int controlId, int position) {
    Control* control = findControlOf(dialog, controlId);
    if (!control || control->kind != ControlKind::ProgressBar) return;
    static_cast<Fl_Progress*>(control->widget)->value(static_cast<float>(std::clamp(position, 0, 100)));
}

void installCharFilter(Window dialog, int controlId, CharFilter filter) {
    Control* control = findControlOf(dialog, controlId);
    if (control) control->filter = filter;
}

// --- Timers ------------------------------------------------------------------

void startTimer(Window dialog, int timerId, int periodMs) {
    if (!isLiveDialog(dialog)) return;
    stopTimer(dialog, timerId);
    periodMs = std::max(periodMs, 1);
    auto timer = std::make_unique<Timer>();
    timer->dialog = dialog;
    timer->id = timerId;
    timer->periodMs = periodMs;
    timer->nextDueMs = monotonicMs() + periodMs;
    Fl::add_timeout(periodMs / 1000.0, timerFired, timer.get());
    dialog->timers[timerId] = std::move(timer);
}

void stopTimer(Window dialog, int timerId) {
    if (!isLiveDialog(dialog)) return;
    auto it = dialog->timers.find(timerId);
    if (it == dialog->timers.end()) return;
    cancelTimer(it->second.get());
    dialog->timers.erase(it);
}

// --- Dialogs -------------------------------------------------------------------

int runModalDialog(Window owner, int templateId, DialogProc proc) {
    PlatformWindow* dialog = createDialog(owner, templateId, proc);
    if (!dialog) return -1;
    if (!dialog->ended && !quitRequested) {
        showDialog(dialog);
        while (!dialog->ended && !quitRequested) Fl::wait();
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
    if (!isLiveDialog(dialog) || dialog->ended) return;
    dialog->ended = true;
    dialog->result = result;
    // Nudge the loop that waits for this.
    Fl::awake();
}

void sendCommand(Window dialog, int controlId, int notifyCode) { deliverCommand(dialog, controlId, notifyCode); }

void endMessageLoop(Window, int exitCode) {
    quitRequested = true;
    quitCode = exitCode;
    Fl::awake();
}

void messageBox(Window owner, std::string_view text, std::string_view caption, MessageIcon icon) {
    ensureStarted();
    const int font = dialogFontPixels();
    const int margin = font * 3 / 2;
    const int iconSize = icon == MessageIcon::None ? 0 : font * 3;
    const std::string label = labelText(text);

    fl_font(FL_HELVETICA, font);
    int textWidth = 0;
    int textHeight = 0;
    fl_measure(label.c_str(), textWidth, textHeight, 0);
    const int widest = font * 36;
    if (textWidth > widest) {
        textWidth = widest;
        fl_measure(label.c_str(), textWidth, textHeight, 0);
    }
    // Room to spare, so that drawing never wraps a line the measure kept whole.
    textWidth = std::max(textWidth + font, font * 14);
    textHeight = std::max(textHeight, iconSize);
    const int buttonWidth = font * 7;
    const int buttonHeight = font * 2 + 2;
    const int iconSpace = iconSize ? iconSize + margin : 0;
    const int width = std::max(margin + iconSpace + textWidth + margin, buttonWidth + 2 * margin);
    const int height = margin + textHeight + margin + buttonHeight + margin;

    Fl_Group* previous = Fl_Group::current();
    Fl_Double_Window box(width, height);
    box.copy_label(std::string(caption).c_str());
    if (iconSize) new MessageIconBox(margin, margin, iconSize, icon);
    auto* message = new Fl_Box(margin + iconSpace, margin, textWidth, textHeight);
    message->box(FL_NO_BOX);
    message->labelfont(FL_HELVETICA);
    message->labelsize(font);
    message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CENTER);
    message->copy_label(label.c_str());
    auto* ok = new Fl_Return_Button((width - buttonWidth) / 2, height - margin - buttonHeight, buttonWidth,
                                    buttonHeight, "OK");
    ok->labelsize(font);
    ok->callback(closeMessageBox);
    box.end();
    Fl_Group::current(previous);

    placeWindow(&box, isLiveDialog(owner) ? owner->window : nullptr);
    box.set_modal();
    box.show();
    ok->take_focus();
    while (box.shown()) Fl::wait();
}

bool registerMainWindowClass(std::string_view, int) {
    // Linux has no window classes to register; the main window's class only
    // brings the program icon, which every window of the program shows.
    ensureStarted();
    static const std::vector<unsigned char> pixels = drawProgramIcon(48);
    static const Fl_RGB_Image icon(pixels.data(), 48, 48, 4);
    Fl_Window::default_icon(&icon);
    return true;
}
