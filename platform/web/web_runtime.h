// The web page's one thread, shared by the dialogs and the upload worker.
// The program's blocking calls (a serial read, a pause, a modal dialog's
// loop) become waits that hand the browser its turn: the wasm stack is put
// aside (Asyncify) and taken up again when something the waiter cares about
// has happened.  A thread the program starts is a fiber on this thread; only
// the dialogs' fiber ever waits for the browser, and every wait first lets
// a fiber that can go on run.
#pragma once

#include <functional>

namespace web {

// Milliseconds since the page started, with fractions.
double nowMs();

// Blocks the calling fiber until ready() is true or the clock reaches
// deadlineMs (a negative deadline: no limit); returns ready() at the end.
// ready() is asked again whenever the page tells of news (notifyNews from
// script: an event, serial bytes, a finished operation) and at the deadline.
bool waitUntil(const std::function<bool()>& ready, double deadlineMs);
void sleepUntil(double deadlineMs);


}  // namespace web
