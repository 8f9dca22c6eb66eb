#include "settings/message_editor.h"

#include <string>

#include "resources/control_ids.h"
#include "settings/keyer_settings.h"
#include "settings/message_codec.h"

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
    for (int edit : MessageSlotEdits) used += getControlText(mainWindow, edit, EditReadLimit).size();
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

MessageTexts messageTexts(const KeyerSettings& record) {
    const ConstMessageText text = std::span(record.messageArea).subspan<MessageTextOffset, MessageTextSize>();
    MessageTexts texts;
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot)
        texts[slot] = decodeMessage(text, record.messageArea[MessagePointersOffset + slot]);
    return texts;
}

bool storeMessageTexts(KeyerSettings& record, const MessageTexts& texts) {
    const MessageText area = std::span(record.messageArea).subspan<MessageTextOffset, MessageTextSize>();
    std::size_t position = 0;
    bool allStored = true;
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) {
        const std::string& text = texts[slot];
        const std::size_t next = encodeMessage(area, text, position);
        const std::size_t stored = next == 0 ? 0 : next - position;
        // Text past the area's end, or characters without a code, did not reach the record.
        if (stored != text.size()) allStored = false;
        std::uint8_t& pointer = record.messageArea[MessagePointersOffset + slot];
        if (next != 0) {
            pointer = static_cast<std::uint8_t>(position + MessageTextOffset);
            position = next;
        } else {
            pointer = 0;
        }
    }
    // 241 bytes in use wrap to 0, as the keyer counts them.
    record.messageArea[MessageEndOffset] = static_cast<std::uint8_t>((position + MessageTextOffset) & 0xFF);
    return allStored;
}

void loadMessages(Window mainWindow) {
    const MessageTexts texts = messageTexts(keyerSettings);
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) setControlText(mainWindow, MessageSlotEdits[slot], texts[slot]);
}

void storeMessages(Window mainWindow) {
    MessageTexts texts;
    bool shownDiffersFromStored = false;
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) {
        // One character more than is stored, to notice an edit that holds more.
        texts[slot] = getControlText(mainWindow, MessageSlotEdits[slot], EditReadLimit + 1);
        if (texts[slot].size() > EditReadLimit) {
            texts[slot].resize(EditReadLimit);
            shownDiffersFromStored = true;
        }
    }
    if (!storeMessageTexts(keyerSettings, texts)) shownDiffersFromStored = true;
    if (shownDiffersFromStored) loadMessages(mainWindow);
}
