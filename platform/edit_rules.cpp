#include "platform/edit_rules.h"

#include <cstdint>

#include "resources/dialog_templates.h"

namespace {

unsigned capitalised(const EditStyle& style, unsigned c) {
    // The edit capitalises the ASCII letters only, in every encoding.
    return style.upperCase && c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

std::string encoded(unsigned c, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) return encodeUtf8(c);
    return std::string(1, static_cast<char>(c & 0xFFu));
}

std::vector<unsigned> characters(std::string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) return decodeUtf8(text);
    std::vector<unsigned> out;
    out.reserve(text.size());
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
}

// Case and line breaks of an insert; limit cuts it (SIZE_MAX: no limit).
std::string converted(const EditStyle& style, std::string_view text, std::size_t lengthLeft, std::size_t limit,
                      TextEncoding encoding) {
    const std::vector<unsigned> chars = characters(text, encoding);
    std::string out;
    std::size_t length = lengthLeft;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        std::string piece;
        if (style.multiLine && chars[i] == '\r') {
            // "\r\n" is the line break; a carriage return alone has no place in the edit.
            if (i + 1 >= chars.size() || chars[i + 1] != '\n') continue;
            ++i;
            piece = "\r\n";
        } else if (style.multiLine && chars[i] == '\n') {
            piece = "\r\n";
        } else {
            piece = encoded(capitalised(style, chars[i]), encoding);
        }
        if (piece.size() > limit || length > limit - piece.size()) break;
        out += piece;
        length += piece.size();
    }
    return out;
}

}  // namespace

EditStyle editStyleOf(std::uint32_t styles) {
    return {(styles & style::MultiLine) != 0, (styles & style::UpperCase) != 0, (styles & style::DigitsOnly) != 0};
}

TypedResult typedCharacter(const EditStyle& style, unsigned character, std::size_t lengthLeft, std::size_t limit,
                           TextEncoding encoding) {
    const auto fits = [&](std::size_t size) { return size <= limit && lengthLeft <= limit - size; };
    if (character == 8) return {TypedOutcome::EraseBack, {}};
    if (character == 13 || character == 10) {
        // A line break is two characters: it goes in whole or not at all.
        if (style.multiLine && fits(2)) return {TypedOutcome::Insert, "\r\n"};
        return {TypedOutcome::Refuse, {}};
    }
    if (character < 0x20) return {TypedOutcome::EditCommand, {}};
    if (style.digitsOnly && (character < '0' || character > '9')) return {TypedOutcome::Refuse, {}};
    std::string text = encoded(capitalised(style, character), encoding);
    if (!fits(text.size())) return {TypedOutcome::Refuse, {}};
    return {TypedOutcome::Insert, std::move(text)};
}

std::string insertionText(const EditStyle& style, std::string_view text, std::size_t lengthLeft, std::size_t limit,
                          TextEncoding encoding) {
    return converted(style, text, lengthLeft, limit, encoding);
}

std::string settableText(const EditStyle& style, std::string_view text, TextEncoding encoding) {
    return converted(style, text, 0, SIZE_MAX, encoding);
}

std::vector<unsigned> decodeUtf8(std::string_view text) {
    std::vector<unsigned> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        unsigned value = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            value = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            value = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            value = lead & 0x07u;
        }
        bool valid = i + extra < text.size() || extra == 0;
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) valid = false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            // A byte that starts no valid sequence stands for itself.
            out.push_back(lead);
            ++i;
            continue;
        }
        out.push_back(value);
        i += extra + 1;
    }
    return out;
}

std::string encodeUtf8(unsigned c) {
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0u | (c >> 6)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0u | (c >> 12)));
        out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    } else {
        out.push_back(static_cast<char>(0xF0u | ((c >> 18) & 0x07u)));
        out.push_back(static_cast<char>(0x80u | ((c >> 12) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    }
    return out;
}
