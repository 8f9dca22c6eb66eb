// The headless backend: dialogs held in memory and driven by tests (or by
// automation) instead of by a person.
//
// A dialog is built from its template in resources/; a test clicks, types,
// selects list entries and reads every control's state.  Modal child dialogs
// run a script that the test has queued for their template; message boxes
// are recorded and answered with OK; file dialogs are answered from a queue;
// time is a virtual clock that fires the dialogs' timers when it moves on.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/port_diagnosis.h"
#include "platform/serial.h"
#include "resources/dialog_templates.h"

class KeyerSimulator;  // sim/keyer_simulator.h

struct HeadlessControl {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::uint32_t styles = 0;
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> entries;  // drop-down lists
    int selection = -1;
    int progress = 0;                  // progress bars
    std::size_t textLimit = 30000;     // the system's default for edits
    CharFilter filter = nullptr;
};

struct HeadlessTimer {
    int periodMs = 0;
    std::int64_t nextDueMs = 0;
};

// A live dialog.  Window handles point at these.
struct PlatformWindow {
    int templateId = 0;
    DialogProc proc = nullptr;
    Window owner = nullptr;
    bool ended = false;
    int result = 0;
    std::map<int, HeadlessControl> controls;
    std::map<int, HeadlessTimer> timers;

    HeadlessControl& control(int controlId);
    bool has(int controlId) const;

    // --- What an operator does ----------------------------------------
    // A click on an enabled, visible control; an automatic check box toggles
    // first.  False when the control ignored the click.
    bool click(int controlId);
    // Characters typed into an edit, one by one through its character filter
    // and the edit's own rules (upper-case style, digits only, text limit,
    // backspace, and Enter as a line break in a multi-line edit).
    void type(int controlId, std::string_view characters);
    // Text pasted into an edit: no character filter sees it.
    void paste(int controlId, std::string_view characters);
    // Replaces an edit's whole text, as selecting all and typing would,
    // without the character filter.
    void setText(int controlId, std::string_view text);
    // Picks a list entry with the mouse: selection and text change, then the
    // selection-change notification arrives.
    void select(int controlId, int index);
    // Types over the editable field of a drop-down list: no valid selection.
    void typeListText(int controlId, std::string_view text);
    void pressEnter();   // command 1, as with no push button focused
    void pressEscape();  // command 2
    void pressCloseBox();

    // --- What the operator sees ---------------------------------------
    std::string text(int controlId);
    bool checked(int controlId);
    bool enabled(int controlId);
    bool visible(int controlId);
    int selection(int controlId);
    std::vector<std::string> entries(int controlId);
};

namespace headless {

// Forgets every dialog, script, record and injected failure; the clock
// starts again at 0.  Waits for threads started through startThread.
void reset();

// Creates the dialog of templateId with its controls and sends it the
// initialisation event, without running it modally: the test then drives it.
Window openDialog(Window owner, int templateId, DialogProc proc);

// What the next modal run of templateId does between its initialisation and
// its end.  Scripts are used in the order queued; a modal dialog with no
// script left is sent the close event.
using DialogScript = std::function<void(Window dialog)>;
void scriptDialog(int templateId, DialogScript script);
// Template IDs of the modal dialogs run so far, in order.
const std::vector<int>& modalRuns();

struct MessageBoxRecord {
    int ownerTemplateId = 0;  // 0 for a box without owner
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
};
const std::vector<MessageBoxRecord>& messageBoxes();
void clearMessageBoxes();

// File dialogs take their answers from this queue, in order: a path, or
// nothing for Cancel.  An empty queue cancels.
void answerFileDialog(std::optional<std::string> path);
struct FileDialogRecord {
    bool save = false;
    FileDialogSpec spec;
};
const std::vector<FileDialogRecord>& fileDialogs();

// The virtual clock.  advanceClock fires every live dialog's due timers in
// order of time, as a message loop would.
std::int64_t nowMs();
void advanceClock(int milliseconds);
// Runs work that other threads handed to the dialogs' thread (edit inserts).
void pumpMessages();

// Sleeps asked for by any thread, in order: how long each was.
const std::vector<int>& sleeps();

void setProgramPath(std::string path);
// What configFileLocation answers: empty (the default) keeps the
// configuration file beside the program.
void setConfigFileLocation(std::string path);
// What historyFolder answers (created as needed when asked for): empty, the
// default, when no folder is known.
void setHistoryFolder(std::string path);
// The wall clock: it reads `epochMs` now and runs on with the virtual clock.
// At reset it reads 2023-11-14 22:13:20.000 UTC.
void setWallClock(std::int64_t epochMs);
void failWindowClassRegistration(bool fail);
std::string registeredClassName();

// Faults of the file layer, for tests of what the program does when a disk
// misbehaves.  Each applies to every later call until reset.
void failFileReads(bool fail);
void failFileWrites(bool fail);  // the bytes do not all reach the disk
void failThreadStart(bool fail);
// Sleeps of threads other than the dialogs' thread pass in real time (until
// reset), for tests whose far end runs in real time, such as a keyer on a
// pseudo-terminal; otherwise they return at once.
void realTimeWorkerSleeps(bool on);

// What probing COMn finds (serialProbe), until reset; ports never set are
// absent (NotFound).  Busy, AccessDenied, DeviceFault and TimedOut stand for
// ports held by another program or misbehaving.
void setPortProbe(int comNumber, SerialOpenStatus status);
// Device names probed so far, in order ("COM3", "\\.\COM12").
const std::vector<std::string>& probedPorts();

// What the port diagnosis (platform/port_diagnosis.h) reports, until reset:
// the facts of the port a device name opens (otherwise only whether it
// exists, from the probe), of the system, and of the last open's low-latency mode.
void setPortFacts(std::string_view deviceName, const PortFacts& facts);
void setSystemFacts(const SystemFacts& facts);
void setLastOpenLowLatency(LowLatencyState state);

// --- Serial ports (platform_headless_serial) -------------------------------
// A port COMn that opens under "COMn" and "\\.\COMn".  Each holds one open
// at a time (a second open is Busy).  Transfers never wait in real time: a
// read that finds too few bytes ends at once, and on the dialogs' thread it
// moves the virtual clock on by its wait (no timer fires), as a blocked
// thread would see it.  Reads and writes may come from any thread.  A keyer
// whose cable is pulled fails every transfer at once; the bytes it had sent
// before are still read.

// Puts a simulated keyer on COMn; it must outlive the attachment (until
// removeSerialPort or reset).  The port exists from now on, and the keyer's
// wire log takes its times from the virtual clock.
void attachKeyer(int comNumber, KeyerSimulator& keyer);
// A port with nothing on its line: opens, takes writes, never answers.
void addSerialPort(int comNumber);
// Removes the port (and its keyer): opening it gives NotFound.
void removeSerialPort(int comNumber);

struct SerialPortFaults {
    SerialOpenStatus openStatus = SerialOpenStatus::Opened;  // anything else: the open fails so
    bool failGetSettings = false;
    bool failSetSettings = false;
    bool failSetTimeouts = false;
    bool failPurge = false;
    std::uint32_t refusedBaud = 0;  // settings with this speed are refused
    bool stallWrites = false;       // writes outlast their wait (their bytes still go out)
    // Written bytes leave the line at the port's speed, 10 bits each, on the
    // virtual clock: a write returns once its bytes are queued (as a kernel
    // queue takes them) and serialDrain waits until the last has left.  The
    // keyer still sees each write at once.
    bool lineTimeOutput = false;
    bool outputNeverDrains = false;  // the line is held up: serialDrain always runs out its wait
};
void setSerialPortFaults(int comNumber, const SerialPortFaults& faults);

// What opening deviceName would give, without opening it.
SerialOpenStatus serialPortStatus(std::string_view deviceName);
// Device names that serialOpen was asked for, in order.
std::vector<std::string> serialOpenNames();
// The line settings and time-outs the device of COMn holds (the driver's
// defaults until something set them); nothing when the port does not exist.
std::optional<SerialLineSettings> serialLineSettings(int comNumber);
std::optional<SerialTimeouts> serialTimeouts(int comNumber);
// Whether COMn is open now.
bool serialPortHeld(int comNumber);
// Runs fn with the keyer of COMn while no transfer runs (for tests that look
// at the keyer while a worker thread talks to it).
void withKeyer(int comNumber, const std::function<void(KeyerSimulator&)>& fn);

}  // namespace headless
