#include "core/settings/message_memory.h"

#include "core/settings/message_codec.h"

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
