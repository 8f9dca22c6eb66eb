// The rules by which the Linux desktop backend renders a dialog template and
// makes its controls behave as the program expects of them: dialog units to
// pixels, which widget stands for which control, label escapes, line breaks
// and the edits' own rules for typed and inserted text.  Pure functions, so
// that they can be tested without a display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_layout.h"
#include "platform/edit_rules.h"
#include "platform/file_dialog.h"
#include "resources/dialog_templates.h"

namespace fltk_backend {


enum class WidgetKind {
    FrameGroup,      // Fl_Group drawn as an engraved frame with its label on the line
    TextBox,         // Fl_Box
    SingleLineEdit,  // Fl_Input
    MultiLineEdit,   // Fl_Multiline_Input
    ScrollingEdit,   // Fl_Text_Editor with a vertical scroll bar: a multi-line edit with one, such as a log
    CheckButton,     // Fl_Check_Button
    RadioButton,     // Fl_Round_Button, set only by the program
    PushButton,      // Fl_Button
    InputChoice,     // Fl_Input_Choice
    ProgressBar,     // Fl_Progress
};
WidgetKind widgetKindFor(ControlKind kind, std::uint32_t styles);
// Where the text of a static or a button sits, as FLTK alignment bits.
unsigned labelAlignFor(ControlKind kind, std::uint32_t styles);

// Label texts: '@' would start a symbol, so it is doubled.
std::string labelText(std::string_view text);
// Menu entries also underline the letter after '&', so that is doubled too.
std::string menuLabelText(std::string_view text);

// The edits' own rules for typed and inserted text are platform/edit_rules.h;
// the widget holds their result in its own form (toWidgetText).

// The characters a key press types, as the system's character messages would
// carry them: backspace 8, Enter 13, Ctrl+A to Ctrl+Z 1 to 26, else the
// text's own characters; Ctrl+Backspace 0x7F.  Editing and dialog keys type
// nothing.
std::vector<unsigned> typedCharacters(int key, int state, std::string_view eventText);

// File chooser filter text: "Description\tpattern" lines; "*.*" means every
// file and several patterns "a;b" become "{a,b}".  The chooser adds the
// pattern to the description, so a description's own "(*.x)" is left out.
std::string chooserFilter(const std::vector<FileFilter>& filters);

// The filters a chooser is given, and which of them (from 0) it selects at
// first; -1 leaves that to the chooser.  Both open choosers (GTK's and
// FLTK's own) add their own "All Files (*)" entry, so there a filter that
// takes every file ("*" or "*.*") is left out and every file is offered once.
struct ChooserFilterList {
    std::vector<FileFilter> filters;
    int initialIndex = -1;
};
ChooserFilterList chooserFilterList(const std::vector<FileFilter>& filters, int initialFilter, bool openDialog);
// A name with wildcards is a filter on Windows, not a name to propose.
bool usableAsInitialName(std::string_view name);
// The folder part of a path ("/" for a file at the root, empty for a bare name).
std::string folderOf(const std::string& path);

// The command line of the Linux program: --trace FILE, and --help and
// --version, answered before any display is opened.  runProgram false:
// print out and err and end with exitCode (2 for anything unknown).
struct CommandLineAnswer {
    bool runProgram = true;
    int exitCode = 0;
    std::string out;
    std::string err;
    std::string tracePath;  // --trace: where the keyer link writes what it does on the wire
};
CommandLineAnswer answerCommandLine(const std::vector<std::string_view>& args, std::string_view version);

}  // namespace fltk_backend
