// What an edit control does with the characters given to it, as the Windows
// program's edits do: the character messages a key press types, text that is
// pasted or inserted, and text that the program sets.  One rule for every
// backend that keeps an edit's text itself (headless and FLTK); the Windows
// backend has the system's own edits.
//
// Text is in the program's form: a line break in a multi-line edit is "\r\n"
// and counts two characters against the text limit.  Characters above 0x7F
// take one byte in the system's code page (the headless backend, as the
// Windows program) or their UTF-8 bytes (FLTK).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The system's text limit of an edit that the program has not limited, and
// the limit an edit gets when the program asks for 0 (the largest there is).
inline constexpr std::size_t DefaultTextLimit = 30000;
constexpr std::size_t textLimitFor(std::size_t asked) { return asked == 0 ? 0x7FFFFFFE : asked; }

struct EditStyle {
    bool multiLine = false;
    bool upperCase = false;   // lower-case letters become capitals
    bool digitsOnly = false;  // typed characters other than 0-9 are refused
};

// The edit style of a template's style flags (resources/dialog_templates.h).
EditStyle editStyleOf(std::uint32_t styles);

enum class TextEncoding {
    CodePage,  // one byte per character
    Utf8,
};

enum class TypedOutcome {
    Insert,       // the text given replaces the selection
    Refuse,       // the edit does not take the character
    EraseBack,    // backspace: the selection, else the character before the caret (a line break whole)
    EditCommand,  // another control character: nothing is inserted; the edit's own keys
                  // (copy, cut, paste, undo) may act on it
};

struct TypedResult {
    TypedOutcome outcome = TypedOutcome::Refuse;
    std::string text;
};

// One typed character that the control's character filter let through.
// lengthLeft is the length of the text that stays (without the selection
// that the character replaces); limit is the edit's text limit.
//   8            EraseBack
//   13, 10       a line break "\r\n" in a multi-line edit when two more fit; else refused
//   other < 0x20 EditCommand
//   0x20 and up  (0x7F, which Ctrl+Backspace types, included) a character: refused by a
//                digits-only edit unless 0-9, capitalised by an upper-case edit, refused
//                when it does not fit the limit
TypedResult typedCharacter(const EditStyle& style, unsigned character, std::size_t lengthLeft, std::size_t limit,
                           TextEncoding encoding);

// The text that a paste or an insert puts in: capitals in an upper-case edit,
// line breaks as "\r\n" in a multi-line edit (a lone "\n" is one, a lone "\r"
// is dropped), cut at the text limit (a line break goes in whole or not at
// all).  Digits-only does not check inserted text.
std::string insertionText(const EditStyle& style, std::string_view text, std::size_t lengthLeft, std::size_t limit,
                          TextEncoding encoding);

// The text an edit holds after the program sets it: as an insert, but the
// text limit does not apply (it limits only what the operator enters).
std::string settableText(const EditStyle& style, std::string_view text, TextEncoding encoding);

std::vector<unsigned> decodeUtf8(std::string_view text);
std::string encodeUtf8(unsigned codePoint);
