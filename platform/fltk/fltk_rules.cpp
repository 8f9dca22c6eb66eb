#include "platform/fltk/fltk_rules.h"

#include "platform/system_info.h"

#include <FL/Enumerations.H>


namespace fltk_backend {

WidgetKind widgetKindFor(ControlKind kind, std::uint32_t styles) {
    switch (kind) {
        case ControlKind::GroupBox:
            return WidgetKind::FrameGroup;
        case ControlKind::Static:
            return WidgetKind::TextBox;
        case ControlKind::Edit:
            if (!(styles & style::MultiLine)) return WidgetKind::SingleLineEdit;
            return (styles & style::VScroll) ? WidgetKind::ScrollingEdit : WidgetKind::MultiLineEdit;
        case ControlKind::CheckBox:
            return WidgetKind::CheckButton;
        case ControlKind::RadioButton:
            return WidgetKind::RadioButton;
        case ControlKind::PushButton:
            return WidgetKind::PushButton;
        case ControlKind::ComboBox:
            return WidgetKind::InputChoice;
        case ControlKind::ProgressBar:
            return WidgetKind::ProgressBar;
    }
    return WidgetKind::TextBox;
}

unsigned labelAlignFor(ControlKind kind, std::uint32_t styles) {
    unsigned align = FL_ALIGN_INSIDE | FL_ALIGN_CLIP;
    switch (kind) {
        case ControlKind::Static:
            align |= (styles & style::AlignCenter) ? FL_ALIGN_CENTER : FL_ALIGN_LEFT;
            // A vertically centred static is one line; any other wraps its words from the top.
            align |= (styles & style::VCenter) ? FL_ALIGN_CENTER : (FL_ALIGN_TOP | FL_ALIGN_WRAP);
            return align;
        case ControlKind::PushButton:
            return align | FL_ALIGN_CENTER | ((styles & style::MultiLineLabel) ? FL_ALIGN_WRAP : 0u);
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            return align | FL_ALIGN_LEFT;
        case ControlKind::GroupBox:
            return FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP;
        case ControlKind::Edit:
        case ControlKind::ComboBox:
        case ControlKind::ProgressBar:
            return align | FL_ALIGN_CENTER;
    }
    return align;
}

namespace {
std::string doubled(std::string_view text, std::string_view specials) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(c);
        if (specials.find(c) != std::string_view::npos) out.push_back(c);
    }
    return out;
}
}  // namespace

std::string labelText(std::string_view text) { return doubled(text, "@"); }
std::string menuLabelText(std::string_view text) { return doubled(text, "@&"); }

std::vector<unsigned> typedCharacters(int key, int state, std::string_view eventText) {
    // Alt and the logo key make shortcuts, not characters.
    if (state & (FL_ALT | FL_META)) return {};
    if (key == FL_BackSpace) return {(state & FL_CTRL) ? 0x7Fu : 8u};
    if (key == FL_Enter || key == FL_KP_Enter) return {13};
    if (state & FL_CTRL) {
        if (key >= 'a' && key <= 'z') return {static_cast<unsigned>(key - 'a' + 1)};
        return {};
    }
    if (key == FL_Escape || key == FL_Tab || key == FL_Delete) return {};
    std::vector<unsigned> characters;
    for (unsigned c : decodeUtf8(eventText)) {
        if (c >= 0x20 && c != 0x7F) characters.push_back(c);
    }
    return characters;
}

std::string chooserFilter(const std::vector<FileFilter>& filters) {
    std::string out;
    for (const FileFilter& filter : filters) {
        std::vector<std::string> patterns;
        std::string current;
        for (char c : filter.pattern + ";") {
            if (c != ';') {
                current.push_back(c);
                continue;
            }
            if (current == "*.*") current = "*";
            if (!current.empty()) patterns.push_back(current);
            current.clear();
        }
        std::string pattern;
        if (patterns.size() == 1) {
            pattern = patterns[0];
        } else {
            pattern = "{";
            for (std::size_t i = 0; i < patterns.size(); ++i) pattern += (i ? "," : "") + patterns[i];
            pattern += "}";
        }
        // The chooser shows the pattern after the description itself.
        std::string description = filter.description;
        if (const auto open = description.rfind('('); open != std::string::npos && description.back() == ')') {
            description.erase(open);
            while (!description.empty() && description.back() == ' ') description.pop_back();
        }
        if (!out.empty()) out += "\n";
        out += description + "\t" + pattern;
    }
    return out;
}

namespace {
bool takesEveryFile(const FileFilter& filter) {
    std::string current;
    for (char c : filter.pattern + ";") {
        if (c != ';') {
            current.push_back(c);
            continue;
        }
        if (current == "*" || current == "*.*") return true;
        current.clear();
    }
    return false;
}
}  // namespace

ChooserFilterList chooserFilterList(const std::vector<FileFilter>& filters, int initialFilter, bool openDialog) {
    ChooserFilterList list;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (openDialog && takesEveryFile(filters[i])) continue;
        if (static_cast<int>(i) + 1 == initialFilter) list.initialIndex = static_cast<int>(list.filters.size());
        list.filters.push_back(filters[i]);
    }
    return list;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool usableAsInitialName(std::string_view name) {
    return !name.empty() && name.find_first_of("*?") == std::string_view::npos;
}

CommandLineAnswer answerCommandLine(const std::vector<std::string_view>& args, std::string_view version) {
    CommandLineAnswer answer;
    bool help = false, showVersion = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            showVersion = true;
        } else if (arg == "--trace" && i + 1 < args.size()) {
            answer.tracePath = args[++i];
        } else if (arg.starts_with("--trace=") && arg.size() > 8) {
            answer.tracePath = arg.substr(8);
        } else if (arg == "--trace" || arg == "--trace=") {
            answer.runProgram = false;
            answer.exitCode = 2;
            answer.err = "keyer-tools: --trace needs a file\nTry 'keyer-tools --help'.\n";
            return answer;
        } else {
            answer.runProgram = false;
            answer.exitCode = 2;
            answer.err = std::string("keyer-tools: ") + (arg.starts_with('-') ? "unknown option " : "unexpected argument ") +
                         std::string(arg) + "\nTry 'keyer-tools --help'.\n";
            return answer;
        }
    }
    if (help) {
        answer.runProgram = false;
        answer.out = std::string(
                         "usage: keyer-tools [--trace FILE] [--help | --version]\n"
                         "Configures the keyer over a serial line in one window: read, edit and write its\n"
                         "settings and messages, settings files, RTTY setup, firmware updates.\n"
                         "Without --help or --version it opens that window (it needs an X display).\n"
                         "\n"
                         "  --trace FILE  write every byte on the wire, with the opens, closes, speed\n"
                         "                changes, purges, drains and time-outs, to FILE\n"
                         "  --help        show this text and exit\n"
                         "  --version     show the program's version and exit\n"
                         "\n"
                         "COMn is $XDG_CONFIG_HOME/keyer-tools/ports/comN (a link to any device) when it\n"
                         "exists, else COM1-10 /dev/ttyS0-9, COM11-30 /dev/ttyUSB0-19, COM31-50\n"
                         "/dev/ttyACM0-19.  The COM port setting is kept in\n"
                         "$XDG_CONFIG_HOME/keyer-tools/keyer-tools.cfg (~/.config without XDG_CONFIG_HOME).\n"
                         "Operating guide: ") +
                     std::string(operatingGuideLocation()) + "\n";
    } else if (showVersion) {
        answer.runProgram = false;
        answer.out = "keyer-tools " + std::string(version) + "\n";
    }
    return answer;
}

}  // namespace fltk_backend
