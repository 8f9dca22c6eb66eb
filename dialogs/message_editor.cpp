#include "dialogs/message_editor.h"

#include <string>

#include "core/settings/message_codec.h"
#include "core/settings/message_memory.h"
#include "dialogs/panel_fields.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"

namespace {

// Each edit is read as the dialog manager does with a 250-byte buffer.
constexpr std::size_t EditReadLimit = 249;
constexpr int MessageCapacity = static_cast<int>(MessageTextSize);

constexpr unsigned Backspace = 8;
constexpr unsigned LineFeed = 10;
constexpr unsigned CarriageReturn = 13;

}  // namespace

void showMessageBank(Window mainWindow, int bank) {
    const bool bank2 = bank == 2;
    for (int k = 0; k < 6; ++k) {
        showControl(mainWindow, mainwin::MessageEdit1 + k, !bank2);
        showControl(mainWindow, mainwin::MessageLabel1 + k, !bank2);
        showControl(mainWindow, mainwin::MessageEdit7 + k, bank2);
        showControl(mainWindow, mainwin::MessageLabel7 + k, bank2);
    }
}

int messageBytesUsed(Window mainWindow) {
    std::size_t used = 0;
    // A line break counts two characters, as it becomes two spaces when stored.
    for (int edit : messageSlotEdits()) used += getControlText(mainWindow, edit, EditReadLimit).size();
    return static_cast<int>(used);
}

// Installed on the fourteen message edits of the main window, which is the
// dialog it is given.
bool messageKeyFilter(Window dialog, int, unsigned character) {
    if (character == Backspace) return true;
    const int used = messageBytesUsed(dialog);
    if (used >= MessageCapacity) return false;
    // A line break adds two characters at once: refused when only one byte is left.
    if (character == CarriageReturn || character == LineFeed) return used + 2 <= MessageCapacity;
    // Above 0x7F there is no code: such a character could never be stored.
    if (character > 0x7F) return false;
    if (character >= 0x20) return charToCode(static_cast<unsigned char>(character)) != NoCode;
    // Other control characters are the edit's own keys (copy, paste, undo).
    return true;
}

void loadMessages(Window mainWindow) {
    const MessageTexts texts = messageTexts(keyerSettings);
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) setControlText(mainWindow, messageSlotEdits()[slot], texts[slot]);
}

void storeMessages(Window mainWindow) {
    MessageTexts texts;
    bool shownDiffersFromStored = false;
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) {
        // One character more than is stored, to notice an edit that holds more.
        texts[slot] = getControlText(mainWindow, messageSlotEdits()[slot], EditReadLimit + 1);
        if (texts[slot].size() > EditReadLimit) {
            texts[slot].resize(EditReadLimit);
            shownDiffersFromStored = true;
        }
    }
    if (!storeMessageTexts(keyerSettings, texts)) shownDiffersFromStored = true;
    if (shownDiffersFromStored) loadMessages(mainWindow);
}
