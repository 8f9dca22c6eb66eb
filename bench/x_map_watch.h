// Watches an X display for a new top-level window being mapped: the moment a
// started program first shows its window.  Apart from the rest of the bench,
// whose names collide with Xlib's.
#pragma once

#include <string>

struct XMapWatch;

// Connects to the display (e.g. ":90") and follows the root window's
// children; nothing when the display does not answer.
XMapWatch* openMapWatch(const std::string& display);
// Forgets the events so far (windows of an earlier run).
void discardEvents(XMapWatch* watch);
// Waits until a top-level window is mapped; false when none is within the wait.
bool waitForTopLevelMap(XMapWatch* watch, int waitMs);
void closeMapWatch(XMapWatch* watch);
