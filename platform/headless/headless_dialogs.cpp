// The in-memory dialog manager.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "platform/dialog.h"
#include "platform/edit_rules.h"
#include "platform/file_dialog.h"
#include "platform/file_names.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "resources/control_ids.h"

namespace {

struct ManagerState {
    std::list<std::unique_ptr<PlatformWindow>> dialogs;
    std::map<int, std::deque<headless::DialogScript>> scripts;
    std::vector<int> modalRuns;
    std::vector<headless::MessageBoxRecord> messageBoxes;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<headless::FileDialogRecord> fileDialogs;
    std::string registeredClass;
    bool failClassRegistration = false;
};

ManagerState& state() {
    static ManagerState s;
    return s;
}

std::atomic<std::int64_t> clockMs{0};
std::thread::id uiThread = std::this_thread::get_id();

// Work handed over by other threads, run on the dialogs' thread.
std::mutex crossThreadMutex;
std::condition_variable crossThreadDone;
std::deque<std::function<void()>> crossThreadWork;
std::uint64_t crossThreadQueued = 0;
std::uint64_t crossThreadFinished = 0;

void deliver(Window dialog, const DialogMessage& message) {
    if (dialog && dialog->proc && !dialog->ended) dialog->proc(dialog, message);
}

void sendCommandEvent(Window dialog, int controlId, int notifyCode) {
    DialogMessage m;
    m.event = DialogEvent::Command;
    m.controlId = controlId;
    m.notifyCode = notifyCode;
    deliver(dialog, m);
}

PlatformWindow* createDialog(Window owner, int templateId, DialogProc proc) {
    const DialogTemplate* t = findDialogTemplate(templateId);
    if (!t) throw std::invalid_argument("no dialog template " + std::to_string(templateId));
    auto dialog = std::make_unique<PlatformWindow>();
    dialog->templateId = templateId;
    dialog->proc = proc;
    dialog->owner = owner;
    for (const ControlTemplate& c : t->controls) {
        HeadlessControl control;
        control.id = c.id;
        control.kind = c.kind;
        control.styles = c.styles;
        control.text = std::string(c.text);
        control.visible = (c.styles & style::Hidden) == 0;
        dialog->controls[c.id] = control;
    }
    PlatformWindow* raw = dialog.get();
    state().dialogs.push_back(std::move(dialog));
    DialogMessage init;
    init.event = DialogEvent::Init;
    if (raw->proc) raw->proc(raw, init);
    return raw;
}

void destroyDialog(PlatformWindow* dialog) {
    state().dialogs.remove_if([dialog](const std::unique_ptr<PlatformWindow>& d) { return d.get() == dialog; });
}

// The edit's own handling of one character that its filter let through.  The
// edit has no caret apart from its end: a character goes there, and backspace
// takes the last one.
void editHandleChar(HeadlessControl& c, unsigned ch) {
    const TypedResult result = typedCharacter(editStyleOf(c.styles), ch, c.text.size(), c.textLimit, TextEncoding::CodePage);
    switch (result.outcome) {
        case TypedOutcome::Insert:
            c.text += result.text;
            return;
        case TypedOutcome::EraseBack:
            // A line break is two characters; backspace removes it whole.
            if (c.text.ends_with("\r\n"))
                c.text.resize(c.text.size() - 2);
            else if (!c.text.empty())
                c.text.pop_back();
            return;
        case TypedOutcome::Refuse:
        case TypedOutcome::EditCommand:  // no clipboard or undo here
            return;
    }
}

void insertText(HeadlessControl& c, std::string_view text) {
    c.text += insertionText(editStyleOf(c.styles), text, c.text.size(), c.textLimit, TextEncoding::CodePage);
}

Window rootOf(Window dialog) {
    while (dialog && dialog->owner) dialog = dialog->owner;
    return dialog;
}

void fireDueTimers(std::int64_t until) {
    for (;;) {
        // The earliest due timer of any live dialog.
        PlatformWindow* dueDialog = nullptr;
        int dueTimer = 0;
        std::int64_t dueAt = until + 1;
        for (auto& d : state().dialogs) {
            if (d->ended) continue;
            for (auto& [id, timer] : d->timers) {
                if (timer.nextDueMs < dueAt) {
                    dueAt = timer.nextDueMs;
                    dueDialog = d.get();
                    dueTimer = id;
                }
            }
        }
        if (!dueDialog) break;
        clockMs = std::max<std::int64_t>(clockMs.load(), dueAt);
        HeadlessTimer& timer = dueDialog->timers[dueTimer];
        // Ticks missed while the thread was blocked arrive as one, as WM_TIMER does.
        timer.nextDueMs += timer.periodMs;
        if (timer.nextDueMs <= clockMs.load()) timer.nextDueMs = clockMs.load() + timer.periodMs;
        DialogMessage m;
        m.event = DialogEvent::Timer;
        m.timerId = dueTimer;
        deliver(dueDialog, m);
        headless::pumpMessages();
    }
    clockMs = std::max<std::int64_t>(clockMs.load(), until);
}

}  // namespace

// --- PlatformWindow: the operator's side ------------------------------------

HeadlessControl& PlatformWindow::control(int controlId) {
    auto it = controls.find(controlId);
    if (it == controls.end())
        throw std::out_of_range("dialog " + std::to_string(templateId) + " has no control " +
                                std::to_string(controlId));
    return it->second;
}

bool PlatformWindow::has(int controlId) const { return controls.count(controlId) != 0; }

bool PlatformWindow::click(int controlId) {
    HeadlessControl& c = control(controlId);
    if (!c.enabled || !c.visible || ended) return false;
    if (c.kind == ControlKind::CheckBox) c.checked = !c.checked;
    sendCommandEvent(this, controlId, notify::Clicked);
    return true;
}

void PlatformWindow::type(int controlId, std::string_view characters) {
    for (char raw : characters) {
        HeadlessControl& c = control(controlId);
        if (!c.enabled || !c.visible) return;
        const unsigned ch = static_cast<unsigned char>(raw);
        if (c.filter && !c.filter(this, controlId, ch)) continue;
        editHandleChar(control(controlId), ch);
    }
}

void PlatformWindow::paste(int controlId, std::string_view characters) { insertText(control(controlId), characters); }

void PlatformWindow::setText(int controlId, std::string_view text) {
    control(controlId).text.clear();
    insertText(control(controlId), text);
}

void PlatformWindow::select(int controlId, int index) {
    HeadlessControl& c = control(controlId);
    if (!c.enabled || !c.visible) return;
    if (index < 0 || index >= static_cast<int>(c.entries.size())) return;
    c.selection = index;
    c.text = c.entries[static_cast<std::size_t>(index)];
    sendCommandEvent(this, controlId, notify::ListSelectionChange);
}

void PlatformWindow::typeListText(int controlId, std::string_view text) {
    HeadlessControl& c = control(controlId);
    c.text = std::string(text);
    c.selection = -1;
}

void PlatformWindow::pressEnter() { sendCommandEvent(this, IdOk, notify::Clicked); }
void PlatformWindow::pressEscape() { sendCommandEvent(this, IdCancel, notify::Clicked); }

void PlatformWindow::pressCloseBox() {
    DialogMessage m;
    m.event = DialogEvent::Close;
    deliver(this, m);
}

std::string PlatformWindow::text(int controlId) { return control(controlId).text; }
bool PlatformWindow::checked(int controlId) { return control(controlId).checked; }
bool PlatformWindow::enabled(int controlId) { return control(controlId).enabled; }
bool PlatformWindow::visible(int controlId) { return control(controlId).visible; }
int PlatformWindow::selection(int controlId) { return control(controlId).selection; }
std::vector<std::string> PlatformWindow::entries(int controlId) { return control(controlId).entries; }

// --- The platform interface -------------------------------------------------

void setControlText(Window dialog, int controlId, std::string_view text) {
    // A dialog without that control shows nothing, as the system's call does.
    if (!dialog->has(controlId)) return;
    HeadlessControl& c = dialog->control(controlId);
    c.text = c.kind == ControlKind::Edit ? settableText(editStyleOf(c.styles), text, TextEncoding::CodePage)
                                         : std::string(text);
    if (c.kind == ControlKind::ComboBox) c.selection = -1;
}

std::string getControlText(Window dialog, int controlId, std::size_t maxChars) {
    std::string text = dialog->control(controlId).text;
    if (text.size() > maxChars) text.resize(maxChars);
    return text;
}

void setChecked(Window dialog, int controlId, bool checked) { dialog->control(controlId).checked = checked; }
bool isChecked(Window dialog, int controlId) { return dialog->control(controlId).checked; }
void showControl(Window dialog, int controlId, bool visible) { dialog->control(controlId).visible = visible; }
void enableControl(Window dialog, int controlId, bool enabled) { dialog->control(controlId).enabled = enabled; }

void listClear(Window dialog, int controlId) {
    HeadlessControl& c = dialog->control(controlId);
    c.entries.clear();
    c.selection = -1;
    c.text.clear();
}

void listAdd(Window dialog, int controlId, std::string_view entry) {
    dialog->control(controlId).entries.emplace_back(entry);
}

void listSelect(Window dialog, int controlId, int index) {
    HeadlessControl& c = dialog->control(controlId);
    // An index outside the list clears the selection, as the system list does.
    if (index < 0 || index >= static_cast<int>(c.entries.size())) {
        c.selection = -1;
        c.text.clear();
        return;
    }
    c.selection = index;
    c.text = c.entries[static_cast<std::size_t>(index)];
}

int listSelection(Window dialog, int controlId) { return dialog->control(controlId).selection; }

void setTextLimit(Window dialog, int controlId, std::size_t limit) { dialog->control(controlId).textLimit = limit; }

void insertEditText(Window dialog, int controlId, std::string_view text) {
    if (std::this_thread::get_id() == uiThread) {
        insertText(dialog->control(controlId), text);
        return;
    }
    // From another thread: hand the insert to the dialogs' thread and wait for it.
    std::unique_lock lock(crossThreadMutex);
    const std::uint64_t ticket = ++crossThreadQueued;
    crossThreadWork.push_back([dialog, controlId, copy = std::string(text)] {
        insertText(dialog->control(controlId), copy);
    });
    crossThreadDone.wait(lock, [ticket] { return crossThreadFinished >= ticket; });
}

void setProgress(Window dialog, int controlId, int position) {
    dialog->control(controlId).progress = std::clamp(position, 0, 100);
}

void installCharFilter(Window dialog, int controlId, CharFilter filter) { dialog->control(controlId).filter = filter; }

void startTimer(Window dialog, int timerId, int periodMs) {
    dialog->timers[timerId] = HeadlessTimer{periodMs, clockMs.load() + periodMs};
}

void stopTimer(Window dialog, int timerId) { dialog->timers.erase(timerId); }

int runModalDialog(Window owner, int templateId, DialogProc proc) {
    state().modalRuns.push_back(templateId);
    PlatformWindow* dialog = createDialog(owner, templateId, proc);
    auto& queue = state().scripts[templateId];
    if (!dialog->ended) {
        if (!queue.empty()) {
            headless::DialogScript script = std::move(queue.front());
            queue.pop_front();
            script(dialog);
        }
        // Nobody left to end it: close it by its frame, and failing that end it.
        if (!dialog->ended) dialog->pressCloseBox();
        if (!dialog->ended) endDialog(dialog, -1);
    }
    const int result = dialog->result;
    destroyDialog(dialog);
    return result;
}

void endDialog(Window dialog, int result) {
    if (dialog->ended) return;
    dialog->ended = true;
    dialog->result = result;
}

void sendCommand(Window dialog, int controlId, int notifyCode) { sendCommandEvent(dialog, controlId, notifyCode); }

void endMessageLoop(Window dialog, int exitCode) { endDialog(rootOf(dialog), exitCode); }

void messageBox(Window owner, std::string_view text, std::string_view caption, MessageIcon icon) {
    state().messageBoxes.push_back({owner ? owner->templateId : 0, std::string(text), std::string(caption), icon});
}

bool registerMainWindowClass(std::string_view className, int) {
    if (state().failClassRegistration) return false;
    state().registeredClass = std::string(className);
    return true;
}

bool chooseFileToOpen(Window, const FileDialogSpec& spec, std::string& path) {
    state().fileDialogs.push_back({false, spec});
    if (state().fileAnswers.empty()) return false;
    std::optional<std::string> answer = state().fileAnswers.front();
    state().fileAnswers.pop_front();
    if (!answer) return false;
    path = withDefaultExtension(*answer, spec.defaultExtension);
    return true;
}

bool chooseFileToSave(Window, const FileDialogSpec& spec, std::string& path) {
    state().fileDialogs.push_back({true, spec});
    if (state().fileAnswers.empty()) return false;
    std::optional<std::string> answer = state().fileAnswers.front();
    state().fileAnswers.pop_front();
    if (!answer) return false;
    path = withDefaultExtension(*answer, spec.defaultExtension);
    return true;
}

// --- The test's side --------------------------------------------------------

namespace headless {

Window openDialog(Window owner, int templateId, DialogProc proc) { return createDialog(owner, templateId, proc); }

void scriptDialog(int templateId, DialogScript script) { state().scripts[templateId].push_back(std::move(script)); }
const std::vector<int>& modalRuns() { return state().modalRuns; }
const std::vector<MessageBoxRecord>& messageBoxes() { return state().messageBoxes; }
void clearMessageBoxes() { state().messageBoxes.clear(); }
void answerFileDialog(std::optional<std::string> path) { state().fileAnswers.push_back(std::move(path)); }
const std::vector<FileDialogRecord>& fileDialogs() { return state().fileDialogs; }

std::int64_t nowMs() { return clockMs.load(); }

void advanceClock(int milliseconds) {
    pumpMessages();
    fireDueTimers(clockMs.load() + milliseconds);
}

void pumpMessages() {
    std::unique_lock lock(crossThreadMutex);
    while (!crossThreadWork.empty()) {
        auto work = std::move(crossThreadWork.front());
        crossThreadWork.pop_front();
        lock.unlock();
        work();
        lock.lock();
        ++crossThreadFinished;
        crossThreadDone.notify_all();
    }
}

void failWindowClassRegistration(bool fail) { state().failClassRegistration = fail; }
std::string registeredClassName() { return state().registeredClass; }

}  // namespace headless

namespace headless_internal {

void resetDialogs() {
    state() = ManagerState{};
    clockMs = 0;
    uiThread = std::this_thread::get_id();
    std::lock_guard lock(crossThreadMutex);
    crossThreadWork.clear();
    crossThreadFinished = crossThreadQueued;
    crossThreadDone.notify_all();
}

void advanceClockWithoutTimers(int milliseconds) { clockMs += milliseconds; }

bool onDialogThread() { return std::this_thread::get_id() == uiThread; }

}  // namespace headless_internal
