// A dialog procedure that records every event it is sent, and a character
// filter that records what it saw and refuses "#": the FLTK tests check what
// the backend delivers through them.
#pragma once

#include <vector>

#include "platform/dialog.h"

struct Recorded {
    std::vector<DialogMessage> messages;
    bool handleClose = true;  // false: leave the close event to the dialog manager
};
inline Recorded recorded;

inline bool recordingProc(Window, const DialogMessage& message) {
    recorded.messages.push_back(message);
    if (message.event == DialogEvent::Close) return recorded.handleClose;
    return true;
}

// The control IDs of the commands recorded, in order.
inline std::vector<int> commands() {
    std::vector<int> ids;
    for (const DialogMessage& m : recorded.messages)
        if (m.event == DialogEvent::Command) ids.push_back(m.controlId);
    return ids;
}

inline std::vector<unsigned> filterSaw;
inline bool refuseHash(Window, int, unsigned character) {
    filterSaw.push_back(character);
    return character != '#';
}
