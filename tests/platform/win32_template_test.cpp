// The Windows dialogs are built in memory as DLGTEMPLATE / DLGTEMPLATEEX
// bytes.  These tests read those bytes back the way the dialog manager does
// and hold them against the template table and the Win32 style values, so a
// wrong offset, a lost alignment or a wrong style bit shows here, on Linux.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/dialog_template_bytes.h"
#include "platform/win32/serial_errors.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"

namespace {

struct ParsedControl {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int id = 0;
    std::uint16_t classOrdinal = 0;  // 0 when named
    std::string className;
    std::string text;
};

struct ParsedDialog {
    bool extended = false;
    std::uint32_t style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string className;
    std::string caption;
    int fontPoints = 0;
    std::uint8_t charset = 0;
    std::string fontName;
    std::vector<ParsedControl> controls;
};

// Reads the bytes as the dialog manager does; fails the test on any overrun.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    std::uint16_t word() {
        need(2);
        const auto v = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
        at_ += 2;
        return v;
    }
    std::uint32_t dword() {
        const std::uint32_t low = word();
        return low | (static_cast<std::uint32_t>(word()) << 16);
    }
    int coordinate() { return static_cast<std::int16_t>(word()); }
    std::uint8_t byte() {
        need(1);
        return bytes_[at_++];
    }
    std::string text() {
        std::string s;
        for (std::uint16_t c = word(); c != 0; c = word()) {
            EXPECT_LT(c, 0x80) << "non-ASCII code unit";
            s.push_back(static_cast<char>(c));
        }
        return s;
    }
    // A class or title field: an ordinal (0xFFFF then a word) or a string.
    std::string nameOrOrdinal(std::uint16_t& ordinal) {
        need(2);
        if (bytes_[at_] == 0xFF && bytes_[at_ + 1] == 0xFF) {
            word();
            ordinal = word();
            return {};
        }
        ordinal = 0;
        return text();
    }
    void alignToDword() {
        while (at_ % 4 != 0) at_++;
    }
    std::size_t offset() const { return at_; }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    void need(std::size_t n) {
        if (at_ + n > bytes_.size()) throw std::out_of_range("template read past its end");
    }
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

ParsedDialog parse(const std::vector<std::uint8_t>& bytes) {
    TemplateReader in(bytes);
    ParsedDialog d;
    const std::uint16_t first = in.word();
    const std::uint16_t second = in.word();
    d.extended = first == 1 && second == 0xFFFF;
    if (d.extended) {
        in.dword();  // help ID
        in.dword();  // extended style
        d.style = in.dword();
    } else {
        d.style = first | (static_cast<std::uint32_t>(second) << 16);
        in.dword();  // extended style
    }
    const std::uint16_t count = in.word();
    d.x = in.coordinate();
    d.y = in.coordinate();
    d.width = in.coordinate();
    d.height = in.coordinate();
    EXPECT_EQ(in.word(), 0) << "menu";
    std::uint16_t ordinal = 0;
    d.className = in.nameOrOrdinal(ordinal);  // a zero word reads as the empty name
    d.caption = in.text();
    d.fontPoints = in.word();
    if (d.extended) {
        in.word();  // weight
        in.byte();  // italic
        d.charset = in.byte();
    }
    d.fontName = in.text();

    for (int i = 0; i < count; ++i) {
        in.alignToDword();
        ParsedControl c;
        if (d.extended) {
            in.dword();  // help ID
            c.exStyle = in.dword();
            c.style = in.dword();
        } else {
            c.style = in.dword();
            c.exStyle = in.dword();
        }
        c.x = in.coordinate();
        c.y = in.coordinate();
        c.width = in.coordinate();
        c.height = in.coordinate();
        c.id = d.extended ? static_cast<int>(in.dword()) : in.word();
        c.className = in.nameOrOrdinal(c.classOrdinal);
        std::uint16_t titleOrdinal = 0;
        c.text = in.nameOrOrdinal(titleOrdinal);
        EXPECT_EQ(titleOrdinal, 0) << "control " << c.id << " has a resource title";
        EXPECT_EQ(in.word(), 0) << "control " << c.id << " has creation data";
        d.controls.push_back(c);
    }
    EXPECT_TRUE(in.atEnd()) << "bytes after the last control";
    return d;
}

ParsedDialog parseTemplate(int id) {
    const DialogTemplate* t = findDialogTemplate(id);
    if (!t) throw std::invalid_argument("no template");
    return parse(win32::buildDialogTemplate(*t));
}

const ParsedControl* findParsed(const ParsedDialog& d, int id) {
    for (const auto& c : d.controls)
        if (c.id == id) return &c;
    return nullptr;
}

// --- Dialog headers ---------------------------------------------------------

struct HeaderCase {
    int templateId;
    bool extended;
    std::uint32_t style;
    std::string className;
    std::string caption;
    std::string fontName;
    int x, y, width, height;
    std::size_t controls;
};

// WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, plus the
// title bar's two size boxes for the main window.
constexpr std::uint32_t ChildDialogStyle = 0x80C800C0;
constexpr std::uint32_t MainWindowStyle = 0x80CB00C0;

const HeaderCase headerCases[] = {
    {1001, false, MainWindowStyle, "JXtoolsClass", "Jaxtor 3 Tools Utility 5.0", "MS Shell Dlg", 0, 0, 378, 334, 103},
    {1002, false, ChildDialogStyle, "", "Comm Port Setup", "Tahoma", 0, 0, 130, 62, 3},
    {1003, true, ChildDialogStyle, "", "Jaxtor 3 Firmware Uploader", "Tahoma", 6, 18, 230, 174, 7},
    {1004, false, ChildDialogStyle, "", "VI3zurar 5.0 Help", "Tahoma", 0, 0, 262, 86, 5},
    {1005, false, ChildDialogStyle, "", "RTTY Mode Setup", "Tahoma", 0, 0, 138, 138, 15},
};

class DialogHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DialogHeader, CarriesTheTemplatesFormatStyleClassCaptionFontAndSize) {
    const HeaderCase& expected = GetParam();
    const ParsedDialog d = parseTemplate(expected.templateId);
    EXPECT_EQ(d.extended, expected.extended);
    EXPECT_EQ(d.style, expected.style) << std::hex << d.style;
    EXPECT_EQ(d.className, expected.className);
    EXPECT_EQ(d.caption, expected.caption);
    EXPECT_EQ(d.fontName, expected.fontName);
    EXPECT_EQ(d.fontPoints, 8);
    if (expected.extended) {
        EXPECT_EQ(d.charset, 1);  // DEFAULT_CHARSET
    }
    EXPECT_EQ(d.x, expected.x);
    EXPECT_EQ(d.y, expected.y);
    EXPECT_EQ(d.width, expected.width);
    EXPECT_EQ(d.height, expected.height);
    EXPECT_EQ(d.controls.size(), expected.controls);
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DialogHeader, ::testing::ValuesIn(headerCases),
                         [](const auto& param) { return std::to_string(param.param.templateId); });

// --- Every control of every template -----------------------------------------

std::uint16_t expectedOrdinal(ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::PushButton:
            return 0x80;
        case ControlKind::Edit:
            return 0x81;
        case ControlKind::Static:
            return 0x82;
        case ControlKind::ComboBox:
            return 0x85;
        case ControlKind::ProgressBar:
            return 0;
    }
    return 0xFFFF;
}

TEST(DialogControls, EveryControlKeepsItsIdClassTextAndRectangleInTableOrder) {
    for (const DialogTemplate& t : allDialogTemplates()) {
        SCOPED_TRACE(t.id);
        const ParsedDialog d = parse(win32::buildDialogTemplate(t));
        ASSERT_EQ(d.controls.size(), t.controls.size());
        for (std::size_t i = 0; i < t.controls.size(); ++i) {
            const ControlTemplate& want = t.controls[i];
            const ParsedControl& got = d.controls[i];
            SCOPED_TRACE(want.id);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.classOrdinal, expectedOrdinal(want.kind));
            if (want.kind == ControlKind::ProgressBar) {
                EXPECT_EQ(got.className, "msctls_progress32");
            }
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(got.x, want.rect.x);
            EXPECT_EQ(got.y, want.rect.y);
            EXPECT_EQ(got.width, want.rect.width);
            EXPECT_EQ(got.height, want.rect.height);
            EXPECT_EQ(got.exStyle, 0u);
            EXPECT_TRUE(got.style & 0x40000000u) << "WS_CHILD";
            EXPECT_EQ((got.style & 0x10000000u) != 0, (want.styles & style::Hidden) == 0) << "WS_VISIBLE";
        }
    }
}

TEST(DialogControls, ItemsStartOnFourByteBoundaries) {
    // Walk the main window again and check each item's offset: the dialog
    // manager rounds up to a DWORD before every item.
    const DialogTemplate* t = findDialogTemplate(dlg::MainWindow);
    const auto bytes = win32::buildDialogTemplate(*t);
    // The first item follows the header, whose strings have odd lengths for
    // "JXtoolsClass" (12 chars + NUL = 26 bytes): padding must have been added.
    TemplateReader in(bytes);
    for (int i = 0; i < 9; ++i) in.word();  // style..cy
    std::uint16_t ordinal = 0;
    in.word();
    in.nameOrOrdinal(ordinal);
    in.text();
    in.word();
    in.text();
    const std::size_t headerEnd = in.offset();
    in.alignToDword();
    const std::size_t firstItem = in.offset();
    EXPECT_EQ(firstItem % 4, 0u);
    for (std::size_t pad = headerEnd; pad < firstItem; ++pad) EXPECT_EQ(bytes[pad], 0) << "padding at " << pad;
    // First item: the "Message Editor" group box.
    const std::uint32_t style = static_cast<std::uint32_t>(bytes[firstItem]) |
                                (static_cast<std::uint32_t>(bytes[firstItem + 1]) << 8) |
                                (static_cast<std::uint32_t>(bytes[firstItem + 2]) << 16) |
                                (static_cast<std::uint32_t>(bytes[firstItem + 3]) << 24);
    EXPECT_EQ(style, 0x50000007u);
}

// --- Styles, control by control, against the Win32 values ---------------------

struct StyleCase {
    int templateId;
    int controlId;
    std::uint32_t style;
    const char* what;
};

const StyleCase styleCases[] = {
    {1001, 4056, 0x50000007, "group box: BS_GROUPBOX"},
    {1001, 4001, 0x5081004C, "message edit: ES_MULTILINE|ES_UPPERCASE|ES_AUTOVSCROLL, border, tab stop"},
    {1001, 4080, 0x4081004C, "bank 2 message edit: the same, created hidden"},
    {1001, 4062, 0x50000000, "label: SS_LEFT"},
    {1001, 4086, 0x40000000, "bank 2 label: SS_LEFT, hidden"},
    {1001, 4058, 0x50000200, "label: SS_LEFT|SS_CENTERIMAGE"},
    {1001, 4074, 0x50000201, "port: SS_CENTER|SS_CENTERIMAGE"},
    {1001, 4079, 0x50000001, "IC: SS_CENTER"},
    {1001, 4007, 0x50010004, "radio button, not automatic: BS_RADIOBUTTON"},
    {1001, 4014, 0x50010003, "check box: BS_AUTOCHECKBOX"},
    {1001, 4025, 0x50810080, "number edit: ES_AUTOHSCROLL, border"},
    {1001, 4096, 0x50812080, "serial number edit: ES_NUMBER|ES_AUTOHSCROLL, border"},
    {1001, 4071, 0x50810088, "callsign edit: ES_UPPERCASE|ES_AUTOHSCROLL, border"},
    {1001, 4072, 0x40810088, "user 2 callsign edit: the same, hidden"},
    {1001, 4053, 0x50210002, "list: CBS_DROPDOWN|WS_VSCROLL"},
    {1001, 4013, 0x50010000, "push button: BS_PUSHBUTTON, not the default"},
    {1001, 4051, 0x50012000, "Reset to Defaults: BS_MULTILINE"},
    {1002, 4026, 0x50210002, "port list"},
    {1003, 4032, 0x50000000, "progress bar"},
    {1003, 4034, 0x50A10044, "log: ES_MULTILINE|ES_AUTOVSCROLL, WS_VSCROLL, border"},
    {1003, 4038, 0x50000201, "path: SS_CENTER|SS_CENTERIMAGE"},
};

class ControlStyle : public ::testing::TestWithParam<StyleCase> {};

TEST_P(ControlStyle, MapsTheTableFlagsToTheWin32Bits) {
    const StyleCase& expected = GetParam();
    const ParsedDialog d = parseTemplate(expected.templateId);
    const ParsedControl* c = findParsed(d, expected.controlId);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->style, expected.style) << expected.what << ": got 0x" << std::hex << c->style;
}

INSTANTIATE_TEST_SUITE_P(Controls, ControlStyle, ::testing::ValuesIn(styleCases), [](const auto& param) {
    return std::to_string(param.param.templateId) + "_" + std::to_string(param.param.controlId);
});

TEST(DialogControls, ExtendedTemplateCarriesDoubleWordIds) {
    // In DLGITEMTEMPLATEEX the ID is a DWORD; a WORD there would shift every
    // later field.  The uploader's controls parse back with their own IDs.
    const ParsedDialog d = parseTemplate(dlg::FirmwareUploader);
    std::vector<int> ids;
    for (const auto& c : d.controls) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{2, 4028, 4032, 4034, 4036, 4038, 4040}));
}

// --- Other encodings -----------------------------------------------------------

struct ErrorCase {
    std::uint32_t lastError;
    SerialOpenStatus status;
};

const ErrorCase errorCases[] = {
    {5, SerialOpenStatus::AccessDenied}, {31, SerialOpenStatus::DeviceFault}, {32, SerialOpenStatus::Busy},
    {121, SerialOpenStatus::TimedOut},   {2, SerialOpenStatus::NotFound},     {3, SerialOpenStatus::NotFound},
    {123, SerialOpenStatus::NotFound},   {87, SerialOpenStatus::OtherError},  {0, SerialOpenStatus::OtherError},
};

class SerialError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SerialError, ReadsTheOpenErrorAsThePortDialogNeedsIt) {
    EXPECT_EQ(win32::serialStatusFromError(GetParam().lastError), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Errors, SerialError, ::testing::ValuesIn(errorCases),
                         [](const auto& param) { return "error" + std::to_string(param.param.lastError); });

TEST(MessageBoxFlags, AnOkButtonWithTheAskedIcon) {
    EXPECT_EQ(win32::messageBoxFlags(MessageIcon::None), 0x00u);
    EXPECT_EQ(win32::messageBoxFlags(MessageIcon::Error), 0x10u);
    EXPECT_EQ(win32::messageBoxFlags(MessageIcon::Warning), 0x30u);
    EXPECT_EQ(win32::messageBoxFlags(MessageIcon::Information), 0x40u);
}

TEST(FileDialogFilter, PairsEndedByNulAndTheListByOneMore) {
    const std::vector<FileFilter> filters{{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    constexpr char raw[] = "Settings Files (*.eep)\0*.eep\0All Documents (*.*)\0*.*\0\0";
    const std::string expected(raw, sizeof raw - 1);
    EXPECT_EQ(win32::fileDialogFilter(filters), expected);
}

}  // namespace
